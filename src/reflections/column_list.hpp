#pragma once
// A reflection list described by its columns (--columns h,k,l,tt,fwhm,I,sigI):
// the names a description may hold, what each means, and what a list of
// them gives the run (where the positions come from, which window rule).
// Every extraction program writes its own order; the description says it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "reflections/flavours.hpp"

namespace kestran {

enum class Column : std::uint8_t {
  H,
  K,
  L,
  TwoTheta,       // tt: 2theta in degrees
  DSpacing,       // d: in the unit of the wavelength
  Fwhm,           // peak width in degrees 2theta
  Multiplicity,   // mult: weights an overlap group's mean
  F,              // amplitude
  FSquared,       // F2: the intensity, as I
  Intensity,      // I
  SigmaF,         // sigF: sigma of the amplitude
  SigmaFSquared,  // sigF2: sigma of the intensity, as sigI
  SigmaI,         // sigI
  Skip            // a value read and not kept (as often as wanted)
};

// Where the rows' positions come from: the 2theta of the list; sin^2(theta)
// from the cell and the wavelength, as for the files that give a cell; or
// sin^2(theta) = lambda^2 / (4 d^2) from the list's d.
enum class PositionSource : std::uint8_t { ListAngle, Cell, DSpacing };

struct ColumnList {
  std::vector<Column> columns;  // in the order of the list's values; empty: no list described
  std::string description;      // as the console shows it: "h,k,l,tt,fwhm,I,sigI"
  int skipLines = 0;            // header lines before the first row (--skip-lines)
  PositionSource positions = PositionSource::ListAngle;

  bool empty() const { return columns.empty(); }
  bool has(Column column) const;
  // The list gives intensities (F2 or I), not amplitudes.
  bool givesIntensity() const { return has(Column::FSquared) || has(Column::Intensity); }
  // A sigma column of either quantity.
  bool hasSigma() const { return has(Column::SigmaF) || has(Column::SigmaFSquared) || has(Column::SigmaI); }
  // The list's sigma is that of the intensity: sigma(F) = sigma(I) / (2F).
  bool sigmaOfIntensity() const { return !has(Column::SigmaF) && hasSigma(); }
};

// The column of a name (case does not matter), or false.
bool columnOfName(std::string_view name, Column& column);

// The names, separated by commas or blanks. Fills `list` (but not its
// skipLines) or returns what is wrong with the text: an unknown name, a name
// given twice, h, k, l or the value missing, two names of one quantity.
std::string parseColumnList(std::string_view text, ColumnList& list);

// The position source of a list: its 2theta when it has one; else the cell
// when one is given; else its d when a wavelength is given. Otherwise false,
// with `missing` saying what to add.
bool positionSourceOf(const ColumnList& list, bool cellGiven, bool wavelengthGiven, PositionSource& source,
                      std::string& missing);

// The run's flavour for a described list: the column list's row of the
// table of flavours, ordered by angle or kept in file order (--order file),
// by the list's 2theta or by sin^2(theta); the window DELTA x fwhm where the
// list has widths, a fixed D otherwise; sigmas, multiplicities and
// d-spacings (a wavelength given) where it has them.
Flavour describeListFlavour(const ColumnList& list, bool wavelengthGiven, bool fileOrder);

// The value names as a message lists them: "h k l tt d fwhm mult F F2 I sigF sigF2 sigI skip".
std::string columnNamesText();

}  // namespace kestran

#pragma once
// Resolution shells: which shell each row lies in, and how many rows of each
// shell a set of statuses keeps. Where the entry file gives a wavelength, shells
// are cut in d-spacing at equal steps of 1/d^3, so that each holds the same
// volume of reciprocal space, lowest resolution first. SIRPOW files give no
// wavelength: their shells are bands of 2theta of equal width. Shells span
// the rows present, from the lowest to the highest; a row on an inner edge
// belongs to the shell above it. Rows with no real angle lie in no shell and
// are counted apart; rows 0 0 0, which are no reflections, are not counted.
// With a resolution limit the shells span the rows inside it, and the rows
// beyond it are counted apart.

#include <cstdint>
#include <vector>

#include "reflections/reflection_table.hpp"

namespace kestran {

inline constexpr int defaultShellCount = 6;
inline constexpr int noShell = -1;

// The d-spacing of a row, lambda / (2 sin(theta)), in the length unit of the
// wavelength; not a finite number for a row with no real angle, at 2theta 0,
// or when the table's flavour or wavelength gives no d (SIRPOW).
double dSpacing(const ReflectionTable& table, int row);

struct ShellLayout {
  ShellAxis axis = ShellAxis::TwoTheta;
  float wavelength = 0;
  bool limited = false;  // the table has a resolution limit
  // The shell edges, one more than the shells, ascending in the coordinate
  // of the axis: 1/d^3 for DSpacing, 2theta in degrees for TwoTheta.
  std::vector<double> edges;
  // The shell of each row, or noShell.
  std::vector<int> shellOfRow;

  int shellCount() const { return edges.empty() ? 0 : static_cast<int>(edges.size()) - 1; }
};

// Lays `shellCount` shells (at least 1) over the rows of the table; a single
// shell when every row lies at the same place, none when no row has an angle.
ShellLayout layShells(const ReflectionTable& table, int shellCount = defaultShellCount);

// An edge as it is shown: d (DSpacing; infinite for an edge at 1/d^3 = 0) or
// 2theta in degrees (TwoTheta).
double edgeValue(const ShellLayout& layout, int edge);

// An edge as 2theta in degrees, where the plot draws it.
double edgeTwoTheta(const ShellLayout& layout, int edge);

struct ShellCounts {
  std::vector<int> rows;    // per shell
  std::vector<int> kept;    // per shell: kept with an intensity of its own (Kept)
  std::vector<int> shared;  // per shell: kept in overlap groups (SharedInGroup)
  // What `shared` is a part of: per shell, and of every row counted (those
  // without an angle or beyond the limit too). Given multiplicities, these
  // and `shared` count each reflection by its multiplicity.
  std::vector<int> sharedOutOf;
  int sharedOutOfAll = 0;
  bool byMultiplicity = false;
  int rowsWithoutAngle = 0;
  int keptWithoutAngle = 0;
  int rowsBeyondLimit = 0;  // rows whose status is BeyondLimit, none of them kept
};

// With `multiplicity` (one per row), the rows shared in overlap groups are
// counted by their multiplicities (shared, sharedOutOf, sharedOutOfAll).
ShellCounts countByShell(const ShellLayout& layout, const std::vector<RowStatus>& status,
                         const std::vector<std::int32_t>* multiplicity = nullptr);

// kept / rows in percent; not a number for an empty shell.
double percentKept(int kept, int rows);

}  // namespace kestran

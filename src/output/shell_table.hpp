#pragma once
// The console tables of the resolution shells: the shells of a run with the
// window it used (--stats), and the window scan (--scan), one row a window.
// With --overlaps=share both also give the rows kept in overlap groups.

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "processing/shells.hpp"
#include "processing/window_scan.hpp"

namespace kestran {

// "D = 0.02 degrees 2theta" or "DELTA = 1.5".
std::string windowText(const Flavour& flavour, float window);

// Where the window came from, as the tables and the batch report say it:
// "from the entry file", "from --window", "from --delta" or "typed at the
// console".
std::string_view windowOrigin(const Flavour& flavour, WindowSource source);

// The range of one shell as shown, low resolution first: "9.5610 - 4.1280"
// (d in the unit of the wavelength) or "10.000 - 20.000" (2theta, degrees).
std::string shellRange(const ShellLayout& layout, int shell);

// With `withShared` (a run that shares overlap groups) each shell also
// gives the rows kept in groups and their percentage.
void writeShellStats(std::ostream& out, const ShellLayout& layout, const ShellCounts& counts, const Flavour& flavour,
                     float window, WindowSource source, bool withShared = false);

struct ScanHeading {
  std::string entryName;
  const Flavour* flavour = nullptr;
  int reflections = 0;
  std::optional<float> ownWindow;  // marked with * in the table
  WindowSource ownSource = WindowSource::EntryFile;
  bool shared = false;          // a second table: the rows each window keeps in overlap groups
  bool byMultiplicity = false;  // ... each counted by its multiplicity (a space group is given)
};

void writeScanTable(std::ostream& out, const ScanHeading& heading, const ShellLayout& layout,
                    const std::vector<ScanRow>& rows);

}  // namespace kestran

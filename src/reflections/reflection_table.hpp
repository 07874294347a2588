#pragma once
// The one table of reflections that every stage reads and writes in place:
// parallel columns holding rows 0..rows-1 (row i of the program's messages
// is index i-1), plus the run-wide values. Each column means one thing for
// the whole run; a column the flavour does not fill stays zero.

#include <cstdint>
#include <string>
#include <vector>

#include "reflections/column_list.hpp"
#include "reflections/flavours.hpp"

namespace gemmi {
struct SpaceGroup;
}

namespace kestran {

// The classic capacity of the table; a run may be given another, up to
// maxCapacity (--max-reflections).
inline constexpr int defaultCapacity = 40000;
inline constexpr int maxCapacity = 10'000'000;

// An amplitude of exactly this value in the entry file marks a row removed
// before it reaches the program.
inline constexpr float removedInInputMarker = -1.0F;

// What became of a row: kept, or removed, and why.
// A row whose h, k and l are all zero is no reflection (a shifted line, a
// missing value): it is never written and stands in no comparison. A row
// beyond the resolution limit is compared with its neighbours like any
// other, but not written, whatever the comparison says. SharedInGroup: a row
// the window would remove, kept with the mean intensity of its overlap group
// (--overlaps=share).
enum class RowStatus : std::uint8_t {
  Kept,
  RemovedInInput,
  RemovedByPrevious,
  RemovedByNext,
  RemovedByBoth,
  ZeroIndices,
  BeyondLimit,
  SharedInGroup
};

// Kept in the output files: with an intensity of its own (Kept), or with
// its overlap group's (SharedInGroup).
inline bool isKept(RowStatus status) { return status == RowStatus::Kept || status == RowStatus::SharedInGroup; }

// What a run does with the rows that lie closer than the window to a
// neighbour: remove them (the classic rule), or keep each overlap group with
// the group's mean intensity shared among its members.
enum class OverlapRule : std::uint8_t { Drop, Share };

// Where the window of a run came from: the entry file (FULLPROF's D), the
// command line (--window, --delta) or the console (DELTA typed at its prompt).
enum class WindowSource : std::uint8_t { EntryFile, CommandLine, Console };

// Overlap groups: chains of neighbours, each closer than a window to the
// next (see processing/overlaps.hpp, which finds them).
struct OverlapGroups {
  // The group of each row, numbered from 1 in table order; 0 for a row in
  // no group.
  std::vector<std::int32_t> groupOfRow;
  // The members of each group: sizeOfGroup[g - 1] for group g.
  std::vector<std::int32_t> sizeOfGroup;
  int members = 0;  // rows in groups

  int count() const { return static_cast<int>(sizeOfGroup.size()); }
  int groupOf(int row) const { return groupOfRow.empty() ? 0 : groupOfRow[static_cast<std::size_t>(row)]; }
  int sizeOf(int group) const { return group > 0 ? sizeOfGroup[static_cast<std::size_t>(group - 1)] : 0; }
};

// a, b, c in the length unit of the wavelength; alpha, beta, gamma in
// degrees; then the wavelength, in the order the entry file gives them.
struct CellParameters {
  float a = 0, b = 0, c = 0;
  float alpha = 0, beta = 0, gamma = 0;
  float wavelength = 0;
};

// The resolution limit of a run; 0 where none is given. dMin in the length
// unit of the wavelength, twoThetaMax in degrees.
struct ResolutionLimit {
  float dMin = 0;
  float twoThetaMax = 0;
};

struct ReflectionTable {
  std::vector<std::int32_t> h, k, l;
  std::vector<float> amplitude;        // as read (SIRPOW: square root of the intensity read)
  std::vector<float> sigma;            // the amplitude's standard deviation (SIRPOW: from the 9th value)
  std::vector<float> peakWidth;        // FWHM in degrees 2theta (SIRPOW, EXPO)
  std::vector<float> thirdValue;       // the JFOU=4 third value, carried to the outputs
  std::vector<float> sinSquaredTheta;  // from the cell where there is one, the ordering key
  std::vector<float> twoTheta;         // degrees: read (SIRPOW) or from sinSquaredTheta once ordered
  std::vector<std::int32_t> fileRow;   // place in the reflection list (from 1) of each row once ordered
  std::vector<std::int32_t> line;      // line of the entry file where the row's reflection begins
  std::vector<RowStatus> status;
  // Filled only where needed, empty otherwise: the multiplicity of each row
  // where the flavour's entry file gives one (SIRPOW) or, once read, where
  // the run has a space group (then the group's, in every flavour).
  std::vector<std::int32_t> multiplicity;
  // A run that shares overlap groups: the groups with the run's window,
  // found once after the elimination, and the amplitude and sigma every row
  // of a group is written with (the group's); empty otherwise.
  OverlapGroups groups;
  std::vector<float> sharedAmplitude, sharedSigma;

  int inputCode = 0;
  CellParameters cell{};
  int capacity = defaultCapacity;  // most rows a run takes
  int announcedCount = 0;          // reflection count of a FULLPROF file, capped at the capacity
  float fixedWindow = 0;           // D, degrees 2theta: of a FULLPROF file, or given (then not read)
  WindowSource windowSource = WindowSource::EntryFile;
  float widthFactor = 0;        // DELTA, the factor of the peak width (SIRPOW, EXPO)
  ResolutionLimit limit{};      // rows beyond it are read and compared, not written
  bool sigmasFromFile = false;  // the sigmas of the entry file are written, not one hundredth of the value
  OverlapRule overlaps = OverlapRule::Drop;
  // The space group's symbol as given (--space-group), empty for none; the
  // group it names, found once the cell is read (its angles choose the axes
  // of a rhombohedral symbol without them).
  std::string spaceGroupSymbol;
  const gemmi::SpaceGroup* spaceGroup = nullptr;
  // A described column list (--columns): its columns, and the flavour the
  // list makes of its row of the table of flavours (code 0 otherwise).
  ColumnList columns;
  Flavour listFlavour{};
  int rows = 0;  // rows filled

  // Sets the number of rows: columns are cut, or grow with zeroed rows.
  void resizeRows(int count);
  // Makes room for `count` rows without filling any, so that growing up to
  // there moves nothing.
  void reserveRows(int count);

 private:
  // Calls `apply` on every row column, the multiplicity where the flavour
  // has one.
  template <typename Apply>
  void forEachColumn(Apply apply);
};

// The run keeps overlap groups with their shared intensity.
inline bool sharesOverlaps(const ReflectionTable& table) { return table.overlaps == OverlapRule::Share; }

// The amplitude and sigma a row is written with: its own, or its group's
// once it shares one.
inline float writtenAmplitude(const ReflectionTable& table, int row) {
  return table.status[row] == RowStatus::SharedInGroup ? table.sharedAmplitude[row] : table.amplitude[row];
}
inline float writtenSigma(const ReflectionTable& table, int row) {
  return table.status[row] == RowStatus::SharedInGroup ? table.sharedSigma[row] : table.sigma[row];
}

inline const Flavour& flavourOf(const ReflectionTable& table) {
  return table.listFlavour.code != 0 ? table.listFlavour : flavourOf(table.inputCode);
}

// Console counts stand in five columns in the classic table; with a larger
// capacity a count that needs more columns takes them instead of asterisks.
inline bool widensCounts(const ReflectionTable& table) { return table.capacity > defaultCapacity; }

// The window of the run: D for FULLPROF data, DELTA for SIRPOW and EXPO.
inline float runWindow(const ReflectionTable& table) {
  return usesWidthWindow(flavourOf(table)) ? table.widthFactor : table.fixedWindow;
}

}  // namespace kestran

#pragma once
// What the elimination did, row by row: the tab-separated report and the data
// behind the stick plot, read from the table after the elimination.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "reflections/reflection_table.hpp"

namespace kestran {

// The report's heading line, the columns --space-group and --overlaps=share
// add to it, and the last column, where the run's window came from, in this
// order: a file that begins so was written by kestran and may be replaced.
// The window's source stands last so that every other column keeps the
// place it had in the reports written before it.
inline constexpr std::string_view reportHeading =
    "h\tk\tl\ttwo_theta\tamplitude\twidth\twindow\tdistance_previous\tdistance_next\tstatus\td_spacing";
inline constexpr std::string_view reportMultiplicityColumn = "\tmultiplicity";
inline constexpr std::string_view reportGroupColumns = "\tgroup\tgroup_size";
inline constexpr std::string_view reportWindowSourceColumn = "\twindow_source";

struct ReportRow {
  int h = 0, k = 0, l = 0;
  float twoTheta = 0;
  float amplitude = 0;    // as read, also when the row shares its group's
  bool hasWidth = false;  // SIRPOW and EXPO rows carry a peak width
  float width = 0;
  bool hasNext = false, hasPrevious = false;
  double window = 0;  // window of the pair with the next row
  double distancePrevious = 0, distanceNext = 0;
  RowStatus status = RowStatus::Kept;
  bool hasDSpacing = false;  // a finite d from the wavelength (not SIRPOW)
  double dSpacing = 0;
  int multiplicity = 0;  // in the run's space group, 0 without one
  int group = 0;         // the overlap group with the run's window, 0 for none
  int groupSize = 0;
};

// Every row, for the plot.
std::vector<ReportRow> describeElimination(const ReflectionTable& table);

const char* statusText(RowStatus status);

// The tab-separated report, a heading line then one line a row, written as
// each row is described. A run with a space group adds to each line the
// row's multiplicity; a run that shares overlap groups the row's group
// number and size, empty for a row in no group. Every line ends with where
// the run's window came from: entry_file, command_line or console.
void writeEliminationReport(std::ostream& out, const ReflectionTable& table);

}  // namespace kestran

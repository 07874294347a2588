#include "output/elimination_report.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "processing/elimination.hpp"
#include "processing/shells.hpp"
#include "text/block_writer.hpp"
#include "text/line_builder.hpp"
#include "text/number_writing.hpp"

namespace kestran {

namespace {

// The facts of the run every row is described with, found once.
struct RunFacts {
  PairTest pairs;
  bool hasWidth = false;
};

RunFacts runFacts(const ReflectionTable& table) {
  return {PairTest(table, runWindow(table)), usesWidthWindow(flavourOf(table))};
}

ReportRow describeRow(const ReflectionTable& table, int i, const RunFacts& facts) {
  ReportRow row;
  row.h = table.h[i];
  row.k = table.k[i];
  row.l = table.l[i];
  row.twoTheta = table.twoTheta[i];
  row.amplitude = table.amplitude[i];
  row.hasWidth = facts.hasWidth;
  row.width = table.peakWidth[i];
  // A row 0 0 0 stands in no pair; the others are paired as the
  // elimination pairs them.
  const int previous = isCompared(table, i) ? previousCompared(table, i) : -1;
  const int next = isCompared(table, i) ? nextCompared(table, i) : table.rows;
  row.hasPrevious = previous >= 0;
  row.hasNext = next < table.rows;
  if (row.hasPrevious) {
    row.distancePrevious = pairDistance(table, previous, i);
  }
  if (row.hasNext) {
    row.window = facts.pairs.window(i);
    row.distanceNext = pairDistance(table, i, next);
  }
  row.status = table.status[i];
  row.dSpacing = dSpacing(table, i);
  row.hasDSpacing = std::isfinite(row.dSpacing);
  row.multiplicity = table.spaceGroup != nullptr ? table.multiplicity[i] : 0;
  row.group = table.groups.groupOf(i);
  row.groupSize = table.groups.sizeOf(row.group);
  return row;
}

}  // namespace

std::vector<ReportRow> describeElimination(const ReflectionTable& table) {
  const RunFacts facts = runFacts(table);
  std::vector<ReportRow> rows;
  rows.reserve(static_cast<std::size_t>(table.rows));
  for (int i = 0; i < table.rows; ++i) {
    rows.push_back(describeRow(table, i, facts));
  }
  return rows;
}

const char* statusText(RowStatus status) {
  // In the order of RowStatus.
  constexpr const char* texts[] = {"kept",
                                   "removed in input",
                                   "removed by previous",
                                   "removed by next",
                                   "removed by both",
                                   "not a reflection (0 0 0)",
                                   "beyond the resolution limit",
                                   "shared in group"};
  const auto index = static_cast<std::size_t>(status);
  return index < std::size(texts) ? texts[index] : "";
}

namespace {

// One number with 4 decimals and its tab; only the tab when there is none.
void number(LineBuilder& line, bool present, double value) {
  if (present) {
    line.decimal(value, 4);
  }
  line.character('\t');
}

// A row's group number and size, each after a tab, empty for a row in no group.
void group(LineBuilder& line, const ReportRow& row) {
  for (const int value : {row.group, row.groupSize}) {
    line.character('\t');
    if (row.group > 0) {
      line.integer(value);
    }
  }
}

// Where the run's window came from, one word in the order of WindowSource:
// the words of the CIF, joined so that a spreadsheet keeps them as text.
constexpr std::string_view windowSourceWords[] = {"entry_file", "command_line", "console"};

std::string_view windowSourceWord(WindowSource source) { return windowSourceWords[static_cast<std::size_t>(source)]; }

constexpr std::size_t longestWindowSourceWord = [] {
  std::size_t longest = 0;
  for (const std::string_view word : windowSourceWords) {
    longest = std::max(longest, word.size());
  }
  return longest;
}();

// The multiplicity is there exactly when the run has a space group.
void writeRow(LineBuilder line, const ReportRow& row, bool withGroups, std::string_view windowSource) {
  for (const int index : {row.h, row.k, row.l}) {
    line.integer(index).character('\t');
  }
  number(line, true, row.twoTheta);
  number(line, true, row.amplitude);
  number(line, row.hasWidth, row.width);
  number(line, row.hasNext, row.window);
  number(line, row.hasPrevious, row.distancePrevious);
  number(line, row.hasNext, row.distanceNext);
  line.text(statusText(row.status)).character('\t');
  if (row.hasDSpacing) {
    line.decimal(row.dSpacing, 4);
  }
  if (row.multiplicity > 0) {
    line.character('\t').integer(row.multiplicity);
  }
  if (withGroups) {
    group(line, row);
  }
  line.character('\t').text(windowSource).endLine();
}

// Six integers, seven numbers, the status and the tabs, and the window's source.
constexpr std::size_t maxRowLength =
    6 * (maxIntegerTextLength + 1) + 7 * (maxDecimalTextLength + 1) + 64 + longestWindowSourceWord + 1;

}  // namespace

void writeEliminationReport(std::ostream& out, const ReflectionTable& table) {
  BlockWriter writer(out);
  const bool withGroups = sharesOverlaps(table);
  const std::string_view multiplicityColumn = table.spaceGroup != nullptr ? reportMultiplicityColumn : "";
  const std::string_view groupColumns = withGroups ? reportGroupColumns : "";
  LineBuilder(writer, reportHeading.size() + multiplicityColumn.size() + groupColumns.size() +
                          reportWindowSourceColumn.size() + 1)
      .text(reportHeading)
      .text(multiplicityColumn)
      .text(groupColumns)
      .text(reportWindowSourceColumn)
      .endLine();
  const RunFacts facts = runFacts(table);
  const std::string_view windowSource = windowSourceWord(table.windowSource);
  for (int i = 0; i < table.rows; ++i) {
    writeRow(LineBuilder(writer, maxRowLength), describeRow(table, i, facts), withGroups, windowSource);
  }
  writer.flush();
}

}  // namespace kestran

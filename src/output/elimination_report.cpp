#include "output/elimination_report.hpp"

#include <cmath>
#include <string_view>

#include "processing/elimination.hpp"
#include "processing/overlaps.hpp"
#include "processing/shells.hpp"
#include "text/block_writer.hpp"
#include "text/number_writing.hpp"

namespace kestran {

namespace {

// The facts of the run every row is described with, found once.
struct RunFacts {
  PairTest pairs;
  bool hasWidth = false;
  OverlapGroups groups;
};

RunFacts runFacts(const ReflectionTable& table) {
  return {PairTest(table, runWindow(table)), usesWidthWindow(flavourOf(table)),
          findOverlapGroups(table, runWindow(table))};
}

ReportRow describeRow(const ReflectionTable& table, int i, const RunFacts& facts) {
  ReportRow row;
  row.h = table.h[i];
  row.k = table.k[i];
  row.l = table.l[i];
  row.twoTheta = table.twoTheta[i];
  // As read, also when the row now holds its overlap group's amplitude.
  row.amplitude = table.amplitudeRead.empty() ? table.amplitude[i] : table.amplitudeRead[i];
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
  row.group = facts.groups.groupOfRow[i];
  row.groupSize = row.group > 0 ? facts.groups.sizeOfGroup[row.group - 1] : 0;
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

char* text(char* out, std::string_view piece) {
  for (const char c : piece) {
    *out++ = c;
  }
  return out;
}

// One number with 4 decimals and its tab; only the tab when there is none.
char* number(char* out, bool present, double value) {
  if (present) {
    out = writeDecimal(out, value, 4);
  }
  *out++ = '\t';
  return out;
}

// A row's group number and size, each after a tab, empty for a row in no group.
char* group(char* out, const ReportRow& row) {
  for (const int value : {row.group, row.groupSize}) {
    *out++ = '\t';
    if (row.group > 0) {
      out = writeInteger(out, value);
    }
  }
  return out;
}

char* writeRow(char* out, const ReportRow& row, bool withGroups) {
  for (const int index : {row.h, row.k, row.l}) {
    out = writeInteger(out, index);
    *out++ = '\t';
  }
  out = number(out, true, row.twoTheta);
  out = number(out, true, row.amplitude);
  out = number(out, row.hasWidth, row.width);
  out = number(out, row.hasNext, row.window);
  out = number(out, row.hasPrevious, row.distancePrevious);
  out = number(out, row.hasNext, row.distanceNext);
  out = text(out, statusText(row.status));
  *out++ = '\t';
  if (row.hasDSpacing) {
    out = writeDecimal(out, row.dSpacing, 4);
  }
  if (withGroups) {
    out = group(out, row);
  }
  *out++ = '\n';
  return out;
}

// Five integers, seven numbers, the status and the tabs.
constexpr std::size_t maxRowLength = 5 * (maxIntegerTextLength + 1) + 7 * (maxDecimalTextLength + 1) + 64;

}  // namespace

void writeEliminationReport(std::ostream& out, const ReflectionTable& table) {
  BlockWriter writer(out);
  const bool withGroups = table.overlaps == OverlapRule::Share;
  const std::string_view groupColumns = withGroups ? reportGroupColumns : "";
  char* const end =
      text(text(writer.room(reportHeading.size() + groupColumns.size() + 1), reportHeading), groupColumns);
  writer.commit(text(end, "\n"));
  const RunFacts facts = runFacts(table);
  for (int i = 0; i < table.rows; ++i) {
    writer.commit(writeRow(writer.room(maxRowLength), describeRow(table, i, facts), withGroups));
  }
  writer.flush();
}

}  // namespace kestran

#include "output/elimination_report.hpp"

#include <cmath>
#include <string_view>

#include "processing/elimination.hpp"
#include "processing/shells.hpp"
#include "text/block_writer.hpp"
#include "text/number_writing.hpp"

namespace kestran {

ReportRow describeRow(const ReflectionTable& table, int i) {
  ReportRow row;
  row.h = table.h[i];
  row.k = table.k[i];
  row.l = table.l[i];
  row.twoTheta = table.twoTheta[i];
  row.amplitude = table.amplitude[i];
  row.hasWidth = usesWidthWindow(flavourOf(table));
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
    row.window = pairWindow(table, runWindow(table), i);
    row.distanceNext = pairDistance(table, i, next);
  }
  row.status = table.status[i];
  row.dSpacing = dSpacing(table, i);
  row.hasDSpacing = std::isfinite(row.dSpacing);
  return row;
}

std::vector<ReportRow> describeElimination(const ReflectionTable& table) {
  std::vector<ReportRow> rows;
  rows.reserve(static_cast<std::size_t>(table.rows));
  for (int i = 0; i < table.rows; ++i) {
    rows.push_back(describeRow(table, i));
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
                                   "beyond the resolution limit"};
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

char* writeRow(char* out, const ReportRow& row) {
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
  *out++ = '\n';
  return out;
}

// Three indices, seven numbers, the status and the tabs.
constexpr std::size_t maxRowLength = 3 * (maxIntegerTextLength + 1) + 7 * (maxDecimalTextLength + 1) + 64;

}  // namespace

void writeEliminationReport(std::ostream& out, const ReflectionTable& table) {
  BlockWriter writer(out);
  constexpr std::string_view heading =
      "h\tk\tl\ttwo_theta\tamplitude\twidth\twindow\tdistance_previous\tdistance_next\tstatus\td_spacing\n";
  writer.commit(text(writer.room(heading.size()), heading));
  for (int i = 0; i < table.rows; ++i) {
    writer.commit(writeRow(writer.room(maxRowLength), describeRow(table, i)));
  }
  writer.flush();
}

}  // namespace kestran

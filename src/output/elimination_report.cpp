#include "output/elimination_report.hpp"

#include <cmath>

#include "processing/elimination.hpp"
#include "processing/overlaps.hpp"
#include "processing/shells.hpp"
#include "text/formatted.hpp"

namespace kestran {

namespace {

std::string number(double value) { return formatted("%.4f", value); }

}  // namespace

std::vector<ReportRow> describeElimination(const ReflectionTable& table) {
  const float window = runWindow(table);
  const bool hasWidth = usesWidthWindow(flavourOf(table));
  const OverlapGroups groups = findOverlapGroups(table, window);
  const std::vector<float>& amplitudes = table.amplitudeRead.empty() ? table.amplitude : table.amplitudeRead;
  std::vector<ReportRow> rows(static_cast<std::size_t>(table.rows));
  for (int i = 0; i < table.rows; ++i) {
    ReportRow& row = rows[static_cast<std::size_t>(i)];
    row.h = table.h[i];
    row.k = table.k[i];
    row.l = table.l[i];
    row.twoTheta = table.twoTheta[i];
    row.amplitude = amplitudes[i];
    row.hasWidth = hasWidth;
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
      row.window = pairWindow(table, window, i);
      row.distanceNext = pairDistance(table, i, next);
    }
    row.status = table.status[i];
    row.dSpacing = dSpacing(table, i);
    row.hasDSpacing = std::isfinite(row.dSpacing);
    row.group = groups.groupOfRow[i];
    row.groupSize = row.group > 0 ? groups.sizeOfGroup[row.group - 1] : 0;
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
                                   "shared in group"};
  const auto index = static_cast<std::size_t>(status);
  return index < std::size(texts) ? texts[index] : "";
}

void writeEliminationReport(std::ostream& out, const std::vector<ReportRow>& rows, bool withGroups) {
  out << "h\tk\tl\ttwo_theta\tamplitude\twidth\twindow\tdistance_previous\tdistance_next\tstatus\td_spacing"
      << (withGroups ? "\tgroup\tgroup_size\n" : "\n");
  for (const ReportRow& row : rows) {
    out << row.h << '\t' << row.k << '\t' << row.l << '\t' << number(row.twoTheta) << '\t' << number(row.amplitude)
        << '\t' << (row.hasWidth ? number(row.width) : "") << '\t' << (row.hasNext ? number(row.window) : "") << '\t'
        << (row.hasPrevious ? number(row.distancePrevious) : "") << '\t'
        << (row.hasNext ? number(row.distanceNext) : "") << '\t' << statusText(row.status) << '\t'
        << (row.hasDSpacing ? number(row.dSpacing) : "");
    if (withGroups) {
      out << '\t' << (row.group > 0 ? std::to_string(row.group) : "") << '\t'
          << (row.group > 0 ? std::to_string(row.groupSize) : "");
    }
    out << '\n';
  }
}

}  // namespace kestran

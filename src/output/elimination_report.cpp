#include "output/elimination_report.hpp"

#include <cmath>

#include "processing/elimination.hpp"
#include "processing/shells.hpp"
#include "text/formatted.hpp"

namespace kestran {

namespace {

std::string number(double value) { return formatted("%.4f", value); }

}  // namespace

std::vector<ReportRow> describeElimination(const ReflectionTable& table) {
  const float window = runWindow(table);
  std::vector<ReportRow> rows(static_cast<std::size_t>(table.n));
  for (int i = 0; i < table.n; ++i) {
    ReportRow& row = rows[static_cast<std::size_t>(i)];
    row.h = table.H[i];
    row.k = table.K[i];
    row.l = table.L[i];
    row.twoTheta = table.TWOTHETA[i];
    row.amplitude = table.FOBS[i];
    row.hasWidth = usesWidthWindow(table.inputCode);
    row.width = table.EXTRA[i];
    row.hasPrevious = i > 0;
    row.hasNext = i + 1 < table.n;
    if (row.hasPrevious) {
      row.distancePrevious = pairDistance(table, i - 1);
    }
    if (row.hasNext) {
      row.window = pairWindow(table, window, i);
      row.distanceNext = pairDistance(table, i);
    }
    row.status = table.STATUS[i];
    row.dSpacing = dSpacing(table, i);
    row.hasDSpacing = std::isfinite(row.dSpacing);
  }
  return rows;
}

const char* statusText(RowStatus status) {
  switch (status) {
    case RowStatus::Kept:
      return "kept";
    case RowStatus::RemovedInInput:
      return "removed in input";
    case RowStatus::RemovedByPrevious:
      return "removed by previous";
    case RowStatus::RemovedByNext:
      return "removed by next";
    case RowStatus::RemovedByBoth:
      return "removed by both";
  }
  return "";
}

void writeEliminationReport(std::ostream& out, const std::vector<ReportRow>& rows) {
  out << "h\tk\tl\ttwo_theta\tamplitude\twidth\twindow\tdistance_previous\tdistance_next\tstatus\td_spacing\n";
  for (const ReportRow& row : rows) {
    out << row.h << '\t' << row.k << '\t' << row.l << '\t' << number(row.twoTheta) << '\t' << number(row.amplitude)
        << '\t' << (row.hasWidth ? number(row.width) : "") << '\t' << (row.hasNext ? number(row.window) : "") << '\t'
        << (row.hasPrevious ? number(row.distancePrevious) : "") << '\t'
        << (row.hasNext ? number(row.distanceNext) : "") << '\t' << statusText(row.status) << '\t'
        << (row.hasDSpacing ? number(row.dSpacing) : "") << '\n';
  }
}

}  // namespace kestran

#include "output/stick_plot_frame.hpp"

#include <algorithm>
#include <cmath>

namespace kestran::stick_plot {

XAxis twoThetaAxis(const std::vector<ReportRow>& rows) {
  double low = 0, high = 0;
  bool any = false;
  for (const ReportRow& row : rows) {
    if (std::isfinite(row.twoTheta)) {
      low = any ? std::min(low, double{row.twoTheta}) : row.twoTheta;
      high = any ? std::max(high, double{row.twoTheta}) : row.twoTheta;
      any = true;
    }
  }
  if (!any || high - low < 1) {
    low = std::floor(any ? low - 0.5 : 0);
    high = low + (any ? 2 : 10);
  }
  const double span = high - low;
  double step = std::pow(10, std::floor(std::log10(span / 5)));
  if (span / step > 20)
    step *= 5;
  else if (span / step > 10)
    step *= 2;
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

double intensityOf(const ReportRow& row) { return double{row.amplitude} * row.amplitude; }

// Written to the files: kept, or shared in an overlap group.
bool isKeptRow(const ReportRow& row) { return isKept(row.status); }

bool isSharedRow(const ReportRow& row) { return row.status == RowStatus::SharedInGroup; }

// Drawn in this order, so that kept sticks stand in front.
int layerOf(const ReportRow& row) {
  if (!isKeptRow(row)) return 0;
  return isSharedRow(row) ? 1 : 2;
}

// The intensity that reaches the top of the axis: the strongest kept one, or
// the strongest of all when no kept reflection has an intensity.
double referenceIntensity(const std::vector<ReportRow>& rows) {
  double kept = 0, any = 0;
  for (const ReportRow& row : rows) {
    const double intensity = intensityOf(row);
    if (std::isfinite(intensity)) {
      any = std::max(any, intensity);
      kept = isKeptRow(row) ? std::max(kept, intensity) : kept;
    }
  }
  return kept > 0 ? kept : any;
}

YAxis intensityAxis(const std::vector<ReportRow>& rows, bool logScale) {
  YAxis axis;
  axis.log = logScale;
  axis.reference = referenceIntensity(rows);
  axis.referenceKept = std::any_of(rows.begin(), rows.end(), [&](const ReportRow& row) {
    return isKeptRow(row) && intensityOf(row) == axis.reference;
  });
  double weakest = strongest;
  for (const ReportRow& row : rows) {
    const double value = axis.scaled(intensityOf(row));
    if (value > 0) weakest = std::min(weakest, value);
  }
  // A decade below the weakest, so that it stands clear of the foot.
  axis.lowDecade = std::clamp(std::floor(std::log10(weakest)) - 1, lowestLogDecade, 2.0);
  return axis;
}

SameAngle sameAngleGroups(const std::vector<ReportRow>& rows) {
  SameAngle same{std::vector<double>(rows.size(), 0.0), {}, {}};
  std::vector<std::size_t>& order = same.order;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (std::isfinite(rows[i].twoTheta)) order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return rows[a].twoTheta < rows[b].twoTheta; });
  for (std::size_t first = 0; first < order.size();) {
    std::size_t last = first + 1;
    while (last < order.size() && rows[order[last]].twoTheta == rows[order[first]].twoTheta) ++last;
    const double centre = static_cast<double>(last - first - 1) / 2;
    for (std::size_t member = first; member < last; ++member) {
      same.offset[order[member]] = (static_cast<double>(member - first) - centre) * sameAngleStep;
    }
    if (last - first > 1) same.groups.emplace_back(first, last);
    first = last;
  }
  return same;
}

std::size_t rowsSharingAnAngle(const SameAngle& same) {
  std::size_t rows = 0;
  for (const auto& [first, last] : same.groups) rows += last - first;
  return rows;
}

}  // namespace kestran::stick_plot

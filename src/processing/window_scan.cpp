#include "processing/window_scan.hpp"

#include <algorithm>
#include <utility>

#include "processing/elimination.hpp"
#include "processing/overlaps.hpp"

namespace kestran {

namespace {

// Windows of FULLPROF files are in degrees 2theta; a Le Bail listing's D
// usually lies between a fraction of a peak width and a few widths.
const std::vector<float> fixedWindowSeries = {0.0F, 0.001F, 0.002F, 0.005F, 0.01F, 0.02F, 0.03F, 0.05F, 0.1F};
// DELTA multiplies each peak's width: below 1 keeps overlapping peaks, above
// 2 removes well-separated ones.
const std::vector<float> widthFactorSeries = {0.0F, 0.1F, 0.25F, 0.5F, 0.75F, 1.0F, 1.5F, 2.0F, 3.0F};

}  // namespace

std::vector<ScanRow> scanWindows(const ReflectionTable& table, const ShellLayout& layout,
                                 const std::vector<float>& windows) {
  std::vector<ScanRow> rows;
  rows.reserve(windows.size());
  for (const float window : windows) {
    std::vector<RowStatus> status = eliminationWith(table, window);
    ScanRow row;
    if (sharesOverlaps(table)) {
      const OverlapGroups groups = findOverlapGroups(table, window);
      markShared(status, groups);
      row.shared = groups.members;
      row.groups = groups.count();
    }
    row.window = window;
    row.kept = countKept(status);
    row.removed = table.rows - row.kept;
    row.sharedOutOf = table.rows;
    const bool byMultiplicity = table.spaceGroup != nullptr;
    row.shells = countByShell(layout, status, byMultiplicity ? &table.multiplicity : nullptr);
    if (byMultiplicity) {
      // Every member lies in a shell: it has an angle and is inside the limit.
      row.shared = 0;
      for (const int shared : row.shells.shared) row.shared += shared;
      row.sharedOutOf = row.shells.sharedOutOfAll;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<float> defaultScanWindows(const Flavour& flavour, std::optional<float> ownWindow) {
  std::vector<float> windows = usesWidthWindow(flavour) ? widthFactorSeries : fixedWindowSeries;
  if (ownWindow) {
    windows.push_back(*ownWindow);
  }
  std::sort(windows.begin(), windows.end());
  windows.erase(std::unique(windows.begin(), windows.end()), windows.end());
  return windows;
}

}  // namespace kestran

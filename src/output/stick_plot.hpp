#pragma once
// A self-contained SVG stick diagram of a run along 2theta: kept reflections
// as bars of height proportional to their final intensity, removed ones in a
// second colour, with axes, ticks, a legend and a title.

#include <ostream>
#include <string_view>
#include <vector>

#include "output/elimination_report.hpp"

namespace kestran {

void writeStickPlot(std::ostream& out, std::string_view baseName, const std::vector<ReportRow>& rows);

}  // namespace kestran

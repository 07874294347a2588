#pragma once
// A self-contained SVG picture of a run along 2theta. The upper panel holds
// one stick per reflection, its height the intensity (square of the amplitude
// as read) on a linear or a log axis, where the strongest kept reflection
// sets the top: removed reflections in one colour, kept ones in another and
// drawn above them; a removed reflection stronger than every kept one is cut
// at the top and marked; reflections at the same angle stand side by side
// with their count. The title gives the flavour, the window and where the
// window came from. A narrow lower panel shows the fraction kept in each
// resolution shell (d-spacing, or 2theta bands for SIRPOW) over the stretch
// of 2theta the shell covers.
// When a run shares overlap groups, the rows kept with their group's
// intensity are drawn (at their intensity as read) in a third colour, and
// their fraction of each shell stands on top of the kept fraction.

#include <ostream>
#include <string_view>
#include <vector>

#include "output/elimination_report.hpp"
#include "processing/shells.hpp"

namespace kestran {

// The plot's second line, after the XML declaration: it marks the file as
// kestran's, so that a later run may replace it.
inline constexpr std::string_view plotMark = "<!-- written by kestran -->";

struct PlotSettings {
  std::string_view baseName;
  const Flavour* flavour = nullptr;
  float window = 0;  // D or DELTA as the run used it
  bool logScale = false;
  bool sharesOverlaps = false;  // shared sticks in a colour of their own, and in the shell panel
  WindowSource windowSource = WindowSource::EntryFile;  // said after the window in the title
};

void writeStickPlot(std::ostream& out, const PlotSettings& settings, const std::vector<ReportRow>& rows,
                    const ShellLayout& layout, const ShellCounts& counts);

}  // namespace kestran

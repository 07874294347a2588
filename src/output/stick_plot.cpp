#include "output/stick_plot.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "output/shell_table.hpp"
#include "output/stick_plot_frame.hpp"
#include "text/console_text.hpp"
#include "text/formatted.hpp"

namespace kestran {

namespace {

using namespace stick_plot;

// Offsets in pixels of the small pieces, from the line or edge they belong to.
constexpr double tickLength = 6;             // ticks out of the axes
constexpr double tickLabelBelow = 20;        // 2theta tick labels' baseline under the axis
constexpr double axisTitleBelow = 40;        // the 2theta axis title's baseline under the axis
constexpr double axisLabelGap = 10;          // right end of the intensity labels, left of the axis
constexpr double textCentre = 4;             // a baseline this far below a line centres 12-pixel text on it
constexpr double titleBeside = 18;           // the vertical axis titles' centre, from the picture's left edge
constexpr double clipHalfWidth = 4;          // the triangle over a stick the axis cuts
constexpr double clipBase = 2, clipTip = 9;  // above the top of the sticks
constexpr double countAboveCut = 12;         // a group's count above a cut stick (over its triangle)
constexpr double countAbove = 3;             // and above any other
constexpr double percentBelow = 13;          // a shell's percentage under the panel's top
constexpr double edgeLabelBelow = 13;        // a shell's range under the panel, in two rows
constexpr double edgeLabelRow = 11;          //   this far apart, so neighbours do not overlap
constexpr double panelTitleAbove = 8;        // the lower panel's title over its top
constexpr double fullLabelBelow = 8;         // "100%" under the panel's top
// The legend's pieces, from the left edge of the plot area.
constexpr double keyLength = 20, keyLabel = 26;
constexpr double removedKey = 80, clipKey = 200, clipLabel = 212, sameAngleKey = 510, sameAngleLabel = 524;
constexpr double sharedKey = 780;  // only when overlap groups are shared
constexpr const char* keptColour = "#1f5fa8";
constexpr const char* removedColour = "#d1495b";
constexpr const char* sharedColour = "#e08a00";
constexpr const char* shellColour = "#9cc0e6";        // light enough to read the percentages on
constexpr const char* sharedShellColour = "#f3cf94";  // the shared part of a shell, on top of the kept part
constexpr const char* textStyle = "font-family=\"sans-serif\" fill=\"#222\"";

std::string fixed(double value, int decimals) { return formatted("%.*f", decimals, value); }

std::string escapeXml(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        // Control characters are not allowed in XML text.
        escaped += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    }
  }
  return escaped;
}

// "S shared in G groups, " when the run shares overlap groups.
std::string sharedText(const PlotSettings& settings, const std::vector<ReportRow>& rows) {
  if (!settings.sharesOverlaps) return {};
  int groups = 0;
  for (const ReportRow& row : rows) groups = std::max(groups, row.group);
  return std::to_string(std::count_if(rows.begin(), rows.end(), isSharedRow)) + " shared in " +
         countOf(groups, "group") + ", ";
}

void writeTitle(std::ostream& out, const PlotSettings& settings, const std::vector<ReportRow>& rows,
                const SameAngle& same) {
  const auto written = std::count_if(rows.begin(), rows.end(), isKeptRow);
  const auto kept = written - std::count_if(rows.begin(), rows.end(), isSharedRow);
  out << "<text x=\"" << plotWidth / 2 << "\" y=\"24\" " << textStyle << " font-size=\"16\" text-anchor=\"middle\">"
      << escapeXml(settings.baseName) << ": " << settings.flavour->name << ", "
      << windowText(*settings.flavour, settings.window) << ' ' << windowOrigin(*settings.flavour, settings.windowSource)
      << "</text>\n"
      << "<text x=\"" << plotWidth / 2 << "\" y=\"44\" " << textStyle << " font-size=\"13\" text-anchor=\"middle\">"
      << rows.size() << " reflections, " << kept << " kept, " << sharedText(settings, rows)
      << rows.size() - static_cast<std::size_t>(written) << " removed; " << rowsSharingAnAngle(same)
      << " at an angle shared with another</text>\n";
}

void writeTwoThetaAxis(std::ostream& out, const XAxis& axis) {
  out << "<g stroke=\"#222\" stroke-width=\"1\">\n"
      << "<line x1=\"" << left << "\" y1=\"" << stickBase << "\" x2=\"" << plotWidth - right << "\" y2=\"" << stickBase
      << "\"/>\n";
  for (double tick = axis.low; tick <= axis.high + axis.step / 2; tick += axis.step) {
    out << "<line x1=\"" << fixed(axis.at(tick), 1) << "\" y1=\"" << stickBase << "\" x2=\"" << fixed(axis.at(tick), 1)
        << "\" y2=\"" << stickBase + tickLength << "\"/>\n";
  }
  out << "</g>\n<g " << textStyle << " font-size=\"12\">\n";
  const int decimals = axis.step < 1 ? 1 : 0;
  for (double tick = axis.low; tick <= axis.high + axis.step / 2; tick += axis.step) {
    out << "<text x=\"" << fixed(axis.at(tick), 1) << "\" y=\"" << stickBase + tickLabelBelow
        << "\" text-anchor=\"middle\">" << fixed(tick, decimals) << "</text>\n";
  }
  out << "<text x=\"" << (left + plotWidth - right) / 2 << "\" y=\"" << stickBase + axisTitleBelow
      << "\" text-anchor=\"middle\">2θ (degrees)</text>\n</g>\n";
}

void writeIntensityTick(std::ostream& out, const YAxis& axis, double fraction, const std::string& label) {
  const double y = axis.y(fraction);
  out << "<line x1=\"" << left - tickLength << "\" y1=\"" << fixed(y, 1) << "\" x2=\"" << left << "\" y2=\""
      << fixed(y, 1) << "\" stroke=\"#222\"/>\n<text x=\"" << left - axisLabelGap << "\" y=\""
      << fixed(y + textCentre, 1) << "\" text-anchor=\"end\">" << label << "</text>\n";
}

void writeIntensityAxis(std::ostream& out, const YAxis& axis) {
  out << "<line x1=\"" << left << "\" y1=\"" << stickTop << "\" x2=\"" << left << "\" y2=\"" << stickBase
      << "\" stroke=\"#222\"/>\n<g " << textStyle << " font-size=\"12\">\n";
  if (axis.log) {
    for (double decade = axis.lowDecade; decade < std::log10(strongest); ++decade) {
      const double value = std::pow(10, decade);
      writeIntensityTick(out, axis, axis.fraction(value * axis.reference / strongest),
                         decade < 0 ? fixed(value, static_cast<int>(-decade)) : fixed(value, 0));
    }
    writeIntensityTick(out, axis, 1, "5000");
  } else {
    for (int percent = 0; percent <= 100; percent += 25) {
      writeIntensityTick(out, axis, percent / 100.0, std::to_string(percent * 50));
    }
  }
  const double middle = (stickTop + stickBase) / 2;
  out << "<text x=\"" << titleBeside << "\" y=\"" << middle << "\" text-anchor=\"middle\" transform=\"rotate(-90 "
      << titleBeside << ' ' << middle << ")\">intensity" << (axis.log ? ", log scale" : "")
      << (axis.referenceKept ? " (strongest kept = 5000)" : " (strongest = 5000)") << "</text>\n</g>\n";
}

// A small triangle at the top of a stick that the axis cuts.
void writeClipMark(std::ostream& out, double x) {
  out << "<path class=\"clipped\" d=\"M" << fixed(x - clipHalfWidth, 2) << ' ' << stickTop - clipBase << " L"
      << fixed(x + clipHalfWidth, 2) << ' ' << stickTop - clipBase << " L" << fixed(x, 2) << ' ' << stickTop - clipTip
      << " Z\" fill=\"" << removedColour
      << "\"><title>clipped: stronger than the strongest kept reflection</title></path>\n";
}

// The stick's class and colour, by its layer.
const char* stickClass(int layer) {
  constexpr const char* classes[] = {"removed", "shared", "kept"};
  return classes[layer];
}

const char* stickColour(int layer) {
  constexpr const char* colours[] = {removedColour, sharedColour, keptColour};
  return colours[layer];
}

// A shared stick's title names its group.
std::string groupText(const ReportRow& row) {
  std::string text;
  if (row.group > 0 && isSharedRow(row)) {
    text += ' ';
    text += std::to_string(row.group);
    text += " (";
    text += countOf(row.groupSize, "member");
    text += ')';
  }
  return text;
}

void writeStick(std::ostream& out, const ReportRow& row, double x, const YAxis& axis) {
  const double intensity = intensityOf(row);
  const int layer = layerOf(row);
  out << "<line class=\"" << stickClass(layer) << "\" x1=\"" << fixed(x, 2) << "\" y1=\"" << stickBase << "\" x2=\""
      << fixed(x, 2) << "\" y2=\"" << fixed(axis.y(axis.fraction(intensity)), 2) << "\" stroke=\"" << stickColour(layer)
      << "\" stroke-width=\"1.5\"><title>" << row.h << ' ' << row.k << ' ' << row.l << " at " << fixed(row.twoTheta, 3)
      << ": " << statusText(row.status) << groupText(row) << "</title></line>\n";
  if (axis.clips(intensity)) {
    writeClipMark(out, x);
  }
}

// The count of a group at one angle, above its tallest stick.
void writeGroupCounts(std::ostream& out, const std::vector<ReportRow>& rows, const SameAngle& same, const XAxis& xAxis,
                      const YAxis& yAxis) {
  out << "<g " << textStyle << " font-size=\"10\" text-anchor=\"middle\">\n";
  const auto angleAt = [&](std::size_t position) { return double{rows[same.order[position]].twoTheta}; };
  for (const auto& [first, last] : same.groups) {
    // Among dense sticks a count would hide them; the title gives the total.
    const double x = xAxis.at(angleAt(first));
    if ((first > 0 && x - xAxis.at(angleAt(first - 1)) < labelRoom) ||
        (last < same.order.size() && xAxis.at(angleAt(last)) - x < labelRoom)) {
      continue;
    }
    double tallest = 0;
    for (std::size_t member = first; member < last; ++member) {
      tallest = std::max(tallest, yAxis.fraction(intensityOf(rows[same.order[member]])));
    }
    out << "<text class=\"same-angle\" x=\"" << fixed(x, 2) << "\" y=\""
        << fixed(yAxis.y(tallest) - (tallest >= 1 ? countAboveCut : countAbove), 2) << "\">×" << last - first
        << "</text>\n";
  }
  out << "</g>\n";
}

void writeSticks(std::ostream& out, const std::vector<ReportRow>& rows, const SameAngle& same, const XAxis& xAxis,
                 const YAxis& yAxis) {
  // Removed sticks first, then shared ones, so that the kept ones stand in
  // front of them.
  for (const int layer : {0, 1, 2}) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (std::isfinite(rows[i].twoTheta) && layerOf(rows[i]) == layer) {
        writeStick(out, rows[i], xAxis.at(rows[i].twoTheta) + same.offset[i], yAxis);
      }
    }
  }
  writeGroupCounts(out, rows, same, xAxis, yAxis);
}

// One line between the title and the sticks, where it hides none of them.
void writeLegend(std::ostream& out, bool shared) {
  const double y = legendLine;
  const auto key = [&](double x, const char* colour) {
    out << "<line x1=\"" << x << "\" y1=\"" << y - textCentre << "\" x2=\"" << x + keyLength << "\" y2=\""
        << y - textCentre << "\" stroke=\"" << colour << "\" stroke-width=\"3\"/>\n";
  };
  out << "<g " << textStyle << " font-size=\"12\">\n";
  key(left, keptColour);
  out << "<text x=\"" << left + keyLabel << "\" y=\"" << y << "\">kept</text>\n";
  key(left + removedKey, removedColour);
  out << "<text x=\"" << left + removedKey + keyLabel << "\" y=\"" << y << "\">removed</text>\n"
      << "<path d=\"M" << left + clipKey - clipHalfWidth << ' ' << y << " L" << left + clipKey + clipHalfWidth << ' '
      << y << " L" << left + clipKey << ' ' << y - (clipTip - clipBase) << " Z\" fill=\"" << removedColour << "\"/>\n"
      << "<text x=\"" << left + clipLabel << "\" y=\"" << y
      << "\">cut at the top: stronger than every kept one</text>\n"
      << "<text x=\"" << left + sameAngleKey << "\" y=\"" << y
      << "\" font-size=\"10\" text-anchor=\"middle\">×2</text>\n"
      << "<text x=\"" << left + sameAngleLabel << "\" y=\"" << y
      << "\">reflections at one angle, side by side</text>\n";
  if (shared) {
    key(left + sharedKey, sharedColour);
    out << "<text x=\"" << left + sharedKey + keyLabel << "\" y=\"" << y << "\">shared</text>\n";
  }
  out << "</g>\n";
}

std::string shortRange(const ShellLayout& layout, int shell) {
  const int decimals = layout.axis == ShellAxis::DSpacing ? 2 : 1;
  return fixed(edgeValue(layout, shell), decimals) + "–" + fixed(edgeValue(layout, shell + 1), decimals);
}

// The part of a shell kept in overlap groups, on top of its kept part.
void writeSharedPart(std::ostream& out, const ShellCounts& counts, int shell, double x1, double width,
                     double keptHeight) {
  const double percent = percentKept(counts.shared[shell], counts.rows[shell]);
  const double height = (shellBase - shellTop) * (std::isnan(percent) ? 0 : percent / 100);
  out << "<rect class=\"shared-shell\" x=\"" << fixed(x1, 2) << "\" y=\"" << fixed(shellBase - keptHeight - height, 2)
      << "\" width=\"" << fixed(width, 2) << "\" height=\"" << fixed(height, 2) << "\" fill=\"" << sharedShellColour
      << "\"><title>" << counts.shared[shell] << " of " << counts.rows[shell] << " shared in groups</title></rect>\n";
}

void writeShellBar(std::ostream& out, const ShellLayout& layout, const ShellCounts& counts, const XAxis& axis,
                   int shell, bool shared) {
  const double x1 = axis.at(edgeTwoTheta(layout, shell));
  const double x2 = axis.at(edgeTwoTheta(layout, shell + 1));
  const double width = std::max(x2 - x1 - 1, 1.0);
  const double percent = percentKept(counts.kept[shell], counts.rows[shell]);
  const double height = (shellBase - shellTop) * (std::isnan(percent) ? 0 : percent / 100);
  out << "<rect x=\"" << fixed(x1, 2) << "\" y=\"" << shellTop << "\" width=\"" << fixed(width, 2) << "\" height=\""
      << shellBase - shellTop << "\" fill=\"#eee\"/>\n"
      << "<rect class=\"shell\" x=\"" << fixed(x1, 2) << "\" y=\"" << fixed(shellBase - height, 2) << "\" width=\""
      << fixed(width, 2) << "\" height=\"" << fixed(height, 2) << "\" fill=\"" << shellColour << "\"><title>"
      << shellRange(layout, shell) << ": " << counts.kept[shell] << " of " << counts.rows[shell]
      << " kept</title></rect>\n";
  if (shared) {
    writeSharedPart(out, counts, shell, x1, width, height);
  }
  out << "<text x=\"" << fixed((x1 + x2) / 2, 2) << "\" y=\"" << shellTop + percentBelow << "\" " << textStyle
      << " font-size=\"11\" text-anchor=\"middle\">"
      << (std::isnan(percent) ? std::string("–") : fixed(percent, percent < 10 ? 1 : 0) + "%") << "</text>\n"
      << "<text x=\"" << fixed((x1 + x2) / 2, 2) << "\" y=\"" << shellBase + edgeLabelBelow + edgeLabelRow * (shell % 2)
      << "\" " << textStyle << " font-size=\"10\" text-anchor=\"middle\">" << shortRange(layout, shell) << "</text>\n";
}

void writeShellPanel(std::ostream& out, const ShellLayout& layout, const ShellCounts& counts, const XAxis& axis,
                     bool shared) {
  const bool bands = layout.axis == ShellAxis::TwoTheta;
  const double middle = (shellTop + shellBase) / 2;
  out << "<g " << textStyle << " font-size=\"11\">\n"
      << "<text x=\"" << left - axisLabelGap << "\" y=\"" << shellTop + fullLabelBelow
      << "\" text-anchor=\"end\">100%</text>\n"
      << "<text x=\"" << left - axisLabelGap << "\" y=\"" << shellBase << "\" text-anchor=\"end\">0%</text>\n"
      << "<text x=\"" << titleBeside << "\" y=\"" << middle
      << "\" font-size=\"10\" text-anchor=\"middle\" transform=\"rotate(-90 " << titleBeside << ' ' << middle
      << ")\">kept</text>\n"
      << "<text x=\"" << left << "\" y=\"" << shellTop - panelTitleAbove << "\">fraction kept per "
      << (bands ? "2θ band (degrees)" : "resolution shell (d in Å, equal volumes of 1/d³)") << "</text>\n</g>\n";
  for (int shell = 0; shell < layout.shellCount(); ++shell) {
    writeShellBar(out, layout, counts, axis, shell, shared);
  }
}

}  // namespace

void writeStickPlot(std::ostream& out, const PlotSettings& settings, const std::vector<ReportRow>& rows,
                    const ShellLayout& layout, const ShellCounts& counts) {
  const XAxis xAxis = twoThetaAxis(rows);
  const YAxis yAxis = intensityAxis(rows, settings.logScale);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << plotMark << '\n'
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << plotWidth << "\" height=\"" << plotHeight
      << "\" viewBox=\"0 0 " << plotWidth << ' ' << plotHeight << "\">\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  const SameAngle same = sameAngleGroups(rows);
  writeTitle(out, settings, rows, same);
  writeTwoThetaAxis(out, xAxis);
  writeIntensityAxis(out, yAxis);
  writeSticks(out, rows, same, xAxis, yAxis);
  writeLegend(out, settings.sharesOverlaps);
  writeShellPanel(out, layout, counts, xAxis, settings.sharesOverlaps);
  out << "</svg>\n";
}

}  // namespace kestran

#include "output/stick_plot.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace kestran {

namespace {

constexpr double plotWidth = 960, plotHeight = 480;
constexpr double left = 70, right = 30, top = 60, bottom = 60;
constexpr const char* keptColour = "#1f5fa8";
constexpr const char* removedColour = "#d1495b";

struct Axis {
  double low, high, step;
};

std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string escapeXml(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      default:
        // Control characters are not allowed in XML text.
        escaped += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    }
  }
  return escaped;
}

// A 2theta axis with a round tick step and about five to ten ticks.
Axis twoThetaAxis(const std::vector<ReportRow>& rows) {
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
  if (span / step > 20) step *= 5;
  else if (span / step > 10) step *= 2;
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

double intensityOf(const ReportRow& row) { return double{row.amplitude} * row.amplitude; }

bool isKeptRow(const ReportRow& row) { return isKept(row.status); }

double largestKeptIntensity(const std::vector<ReportRow>& rows) {
  double largest = 0;
  for (const ReportRow& row : rows) {
    if (isKeptRow(row) && std::isfinite(intensityOf(row))) {
      largest = std::max(largest, intensityOf(row));
    }
  }
  return largest;
}

void writeAxes(std::ostream& out, const Axis& axis, double x0, double xScale) {
  const double y0 = plotHeight - bottom;
  out << "<g stroke=\"#222\" stroke-width=\"1\">\n"
      << "<line x1=\"" << left << "\" y1=\"" << y0 << "\" x2=\"" << plotWidth - right << "\" y2=\"" << y0 << "\"/>\n"
      << "<line x1=\"" << left << "\" y1=\"" << top << "\" x2=\"" << left << "\" y2=\"" << y0 << "\"/>\n";
  for (double tick = axis.low; tick <= axis.high + axis.step / 2; tick += axis.step) {
    const double x = x0 + (tick - axis.low) * xScale;
    out << "<line x1=\"" << fixed(x, 1) << "\" y1=\"" << y0 << "\" x2=\"" << fixed(x, 1) << "\" y2=\"" << y0 + 6
        << "\"/>\n";
  }
  for (int percent = 0; percent <= 100; percent += 25) {
    const double y = y0 - (y0 - top) * percent / 100.0;
    out << "<line x1=\"" << left - 6 << "\" y1=\"" << fixed(y, 1) << "\" x2=\"" << left << "\" y2=\"" << fixed(y, 1)
        << "\"/>\n";
  }
  out << "</g>\n<g font-family=\"sans-serif\" font-size=\"12\" fill=\"#222\">\n";
  const int decimals = axis.step < 1 ? 1 : 0;
  for (double tick = axis.low; tick <= axis.high + axis.step / 2; tick += axis.step) {
    const double x = x0 + (tick - axis.low) * xScale;
    out << "<text x=\"" << fixed(x, 1) << "\" y=\"" << y0 + 20 << "\" text-anchor=\"middle\">"
        << fixed(tick, decimals) << "</text>\n";
  }
  for (int percent = 0; percent <= 100; percent += 25) {
    const double y = y0 - (y0 - top) * percent / 100.0;
    out << "<text x=\"" << left - 10 << "\" y=\"" << fixed(y + 4, 1) << "\" text-anchor=\"end\">" << percent * 50
        << "</text>\n";
  }
  out << "<text x=\"" << (left + plotWidth - right) / 2 << "\" y=\"" << plotHeight - 15
      << "\" text-anchor=\"middle\">2θ (degrees)</text>\n"
      << "<text x=\"18\" y=\"" << (top + y0) / 2 << "\" text-anchor=\"middle\" transform=\"rotate(-90 18 "
      << (top + y0) / 2 << ")\">intensity (strongest = 5000)</text>\n</g>\n";
}

void writeBars(std::ostream& out, const std::vector<ReportRow>& rows, const Axis& axis, double x0, double xScale) {
  const double y0 = plotHeight - bottom;
  const double largest = largestKeptIntensity(rows);
  for (const ReportRow& row : rows) {
    if (!std::isfinite(row.twoTheta)) {
      continue;
    }
    double fraction = largest > 0 ? intensityOf(row) / largest : 0;
    fraction = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 1.0;
    const double x = x0 + (row.twoTheta - axis.low) * xScale;
    const double y = y0 - (y0 - top) * fraction;
    out << "<line class=\"" << (isKeptRow(row) ? "kept" : "removed") << "\" x1=\"" << fixed(x, 2) << "\" y1=\"" << y0
        << "\" x2=\"" << fixed(x, 2) << "\" y2=\"" << fixed(y, 2) << "\" stroke=\""
        << (isKeptRow(row) ? keptColour : removedColour) << "\" stroke-width=\"1.5\"><title>" << row.h << ' ' << row.k
        << ' ' << row.l << " at " << fixed(row.twoTheta, 3) << ": " << statusText(row.status) << "</title></line>\n";
  }
}

void writeLegend(std::ostream& out) {
  const double x = plotWidth - right - 170;
  out << "<g font-family=\"sans-serif\" font-size=\"12\">\n"
      << "<rect x=\"" << x << "\" y=\"" << top << "\" width=\"160\" height=\"44\" fill=\"white\" stroke=\"#888\"/>\n"
      << "<line x1=\"" << x + 10 << "\" y1=\"" << top + 15 << "\" x2=\"" << x + 30 << "\" y2=\"" << top + 15
      << "\" stroke=\"" << keptColour << "\" stroke-width=\"3\"/>\n"
      << "<text x=\"" << x + 38 << "\" y=\"" << top + 19 << "\">kept</text>\n"
      << "<line x1=\"" << x + 10 << "\" y1=\"" << top + 32 << "\" x2=\"" << x + 30 << "\" y2=\"" << top + 32
      << "\" stroke=\"" << removedColour << "\" stroke-width=\"3\"/>\n"
      << "<text x=\"" << x + 38 << "\" y=\"" << top + 36 << "\">removed</text>\n</g>\n";
}

}  // namespace

void writeStickPlot(std::ostream& out, std::string_view baseName, const std::vector<ReportRow>& rows) {
  const auto kept = std::count_if(rows.begin(), rows.end(), isKeptRow);
  const Axis axis = twoThetaAxis(rows);
  const double x0 = left;
  const double xScale = (plotWidth - left - right) / (axis.high - axis.low);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << plotWidth << "\" height=\"" << plotHeight
      << "\" viewBox=\"0 0 " << plotWidth << ' ' << plotHeight << "\">\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
      << "<text x=\"" << plotWidth / 2 << "\" y=\"30\" font-family=\"sans-serif\" font-size=\"16\" "
      << "text-anchor=\"middle\">" << escapeXml(baseName) << ": " << rows.size() << " reflections, " << kept
      << " kept, " << rows.size() - static_cast<std::size_t>(kept) << " removed</text>\n";
  writeAxes(out, axis, x0, xScale);
  writeBars(out, rows, axis, x0, xScale);
  writeLegend(out);
  out << "</svg>\n";
}

}  // namespace kestran

#pragma once
// The frame of the stick plot: where its panels stand on the page, the
// 2theta and intensity axes that map a reflection to a point, and the
// sideways offsets of reflections that stand at one angle.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "output/elimination_report.hpp"

namespace kestran::stick_plot {

constexpr double plotWidth = 960, plotHeight = 600;
constexpr double left = 80, right = 30;
constexpr double legendLine = 68;
constexpr double stickTop = 95, stickBase = 420;   // upper panel
constexpr double shellTop = 480, shellBase = 550;  // lower panel
constexpr double labelRoom = 8;                    // pixels a group's count needs on each side
constexpr double strongest = 5000;                 // the top of the intensity axis
constexpr double sameAngleStep = 2.5;              // pixels between sticks at one angle
constexpr double lowestLogDecade = -3;             // the log axis reaches down to 0.001 at most

// The 2theta axis: a round tick step, about five to ten ticks, and the map
// from 2theta to the page.
struct XAxis {
  double low, high, step;
  double at(double twoTheta) const { return left + (twoTheta - low) * (plotWidth - left - right) / (high - low); }
};

XAxis twoThetaAxis(const std::vector<ReportRow>& rows);

// The square of the amplitude as read.
double intensityOf(const ReportRow& row);

// Written to the files: kept, or shared in an overlap group.
bool isKeptRow(const ReportRow& row);

bool isSharedRow(const ReportRow& row);

// Drawn in this order, so that kept sticks stand in front.
int layerOf(const ReportRow& row);

// The intensity that reaches the top of the axis: the strongest kept one, or
// the strongest of all when no kept reflection has an intensity.
double referenceIntensity(const std::vector<ReportRow>& rows);

// The intensity axis, in units where the reference intensity is 5000.
struct YAxis {
  bool log = false;
  double reference = 0;
  bool referenceKept = true;  // the reference is a kept reflection's
  double lowDecade = 0;       // log axis: the power of ten at its foot

  double scaled(double intensity) const { return reference > 0 ? strongest * intensity / reference : 0; }
  bool clips(double intensity) const { return !(scaled(intensity) <= strongest); }
  // Height as a fraction of the panel, 0 to 1.
  double fraction(double intensity) const {
    if (clips(intensity)) return 1;
    if (!log) return std::max(scaled(intensity), 0.0) / strongest;
    const double value = scaled(intensity);
    if (!(value > 0)) return 0;
    const double top = std::log10(strongest);
    return std::clamp((std::log10(value) - lowDecade) / (top - lowDecade), 0.0, 1.0);
  }
  double y(double fraction) const { return stickBase - (stickBase - stickTop) * fraction; }
};

YAxis intensityAxis(const std::vector<ReportRow>& rows, bool logScale);

// Sideways offset of each stick: reflections at exactly the same angle stand
// side by side, centred on it. `order` holds the rows with an angle by angle, and each group
// of two or more at one angle is a range [first, last) of it.
struct SameAngle {
  std::vector<double> offset;
  std::vector<std::size_t> order;
  std::vector<std::pair<std::size_t, std::size_t>> groups;
};

SameAngle sameAngleGroups(const std::vector<ReportRow>& rows);

std::size_t rowsSharingAnAngle(const SameAngle& same);

}  // namespace kestran::stick_plot

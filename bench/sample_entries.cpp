#include "sample_entries.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <tuple>
#include <vector>

namespace kestran::bench {

namespace {

constexpr double baseA = 21.234, baseB = 15.678, baseC = 27.891, cellBeta = 103.45;
constexpr double wavelength = 0.70932;
constexpr double smallestD = 0.55;  // the base cell has about 50000 reflections above it

// The cell of a file of `count` reflections: the base cell, or for more
// reflections than it holds one whose edges are longer by a common factor
// (the reflections above a fixed d grow with the volume).
struct Cell {
  double a, b, c;
};

Cell cellFor(int count) {
  const double scale = count <= baseSampleCount ? 1.0 : std::cbrt(static_cast<double>(count) / baseSampleCount);
  return {baseA * scale, baseB * scale, baseC * scale};
}

double radians(double degrees) { return degrees * std::numbers::pi / 180.0; }
double degrees(double radians) { return radians * 180.0 / std::numbers::pi; }

struct Reflection {
  double twoTheta;
  int h, k, l;
  double amplitude;
};

// 1/d^2 of a monoclinic cell, b unique.
double inverseDSquared(const Cell& cell, int h, int k, int l) {
  const double cellA = cell.a, cellB = cell.b, cellC = cell.c;
  const double sinBeta = std::sin(radians(cellBeta));
  const double cosBeta = std::cos(radians(cellBeta));
  return (h * h / (cellA * cellA) + l * l / (cellC * cellC) - 2.0 * h * l * cosBeta / (cellA * cellC)) /
             (sinBeta * sinBeta) +
         k * k / (cellB * cellB);
}

// The unique reflections of 2/m (k >= 0, l >= 0, and h >= 0 when l = 0) with
// d above smallestD, the `count` lowest in angle, in order of angle.
std::vector<Reflection> lowestReflections(const Cell& cell, int count) {
  const double cellA = cell.a, cellB = cell.b, cellC = cell.c;
  const int hMax = static_cast<int>(cellA / smallestD) + 1;
  const int kMax = static_cast<int>(cellB / smallestD) + 1;
  const int lMax = static_cast<int>(cellC / smallestD) + 1;
  std::vector<Reflection> found;
  for (int h = -hMax; h <= hMax; ++h) {
    for (int k = 0; k <= kMax; ++k) {
      for (int l = 0; l <= lMax; ++l) {
        if ((h == 0 && k == 0 && l == 0) || (l == 0 && h < 0)) continue;
        const double q = inverseDSquared(cell, h, k, l);
        if (q * smallestD * smallestD > 1.0) continue;
        const double twoTheta = 2.0 * degrees(std::asin(wavelength * std::sqrt(q) / 2.0));
        found.push_back({twoTheta, h, k, l, 0.0});
      }
    }
  }
  std::sort(found.begin(), found.end(), [](const Reflection& x, const Reflection& y) {
    return std::tie(x.twoTheta, x.h, x.k, x.l) < std::tie(y.twoTheta, y.h, y.k, y.l);
  });
  found.resize(static_cast<std::size_t>(std::clamp(count, 0, static_cast<int>(found.size()))));
  std::uint32_t state = 20261208;  // a linear congruential sequence modulo 2^31
  for (Reflection& reflection : found) {
    state = (state * 1103515245U + 12345U) & 0x7FFFFFFFU;
    const double uniform = state / 2147483648.0;
    reflection.amplitude = 20.0 + 680.0 * uniform * uniform;
  }
  return found;
}

// Caglioti peak width in degrees 2theta.
double fwhm(double twoTheta) {
  const double t = std::tan(radians(twoTheta / 2.0));
  return std::sqrt(0.004 * t * t - 0.002 * t + 0.003);
}

void append(std::string& text, const char* format, auto... values) {
  char line[160];
  const int length = std::snprintf(line, sizeof line, format, values...);
  text.append(line, static_cast<std::size_t>(length));
}

}  // namespace

std::string sampleEntry(int inputCode, int count, double window) {
  const Cell cell = cellFor(count);
  std::vector<Reflection> rows = lowestReflections(cell, count);
  std::string text;
  text.reserve(rows.size() * 80 + 200);
  const auto cellLine = [&] {
    append(text, "%.4f %.4f %.4f %.2f %.2f %.2f %.5f\n", cell.a, cell.b, cell.c, 90.0, cellBeta, 90.0, wavelength);
  };
  if (inputCode == 2) {
    text += "SIRPOW pattern decomposition, benchmark cell\n";
    text += "   h   k   l mult    d-spacing   2theta     fwhm       intensity     sigma\n";
    for (const Reflection& r : rows) {
      const double d = wavelength / (2.0 * std::sin(radians(r.twoTheta / 2.0)));
      const double f = r.amplitude;
      append(text, "%4d%4d%4d%5d %11.5f %9.4f %8.4f %14.3f %10.3f\n", r.h, r.k, r.l, r.k == 0 ? 2 : 4, d, r.twoTheta,
             fwhm(r.twoTheta), f * f, 0.04 * f * f + 1.0);
    }
    return text;
  }
  // A Le Bail listing is not in angle order: group by k, then h, then l.
  std::sort(rows.begin(), rows.end(),
            [](const Reflection& x, const Reflection& y) { return std::tie(x.k, x.h, x.l) < std::tie(y.k, y.h, y.l); });
  if (inputCode == 3) {
    text += "EXPO extraction, benchmark cell\n";
    cellLine();
    for (const Reflection& r : rows) {
      append(text, "%4d%4d%4d %8.4f %10.3f\n", r.h, r.k, r.l, fwhm(r.twoTheta), r.amplitude);
    }
    return text;
  }
  cellLine();
  append(text, "%d %.2f\n", static_cast<int>(rows.size()), window);
  for (const Reflection& r : rows) {
    const double f = r.amplitude;
    if (inputCode == 4) {  // 3I4,3F10.4
      append(text, "%4d%4d%4d%10.4f%10.4f%10.4f\n", r.h, r.k, r.l, f, 0.02 * f + 0.5, fwhm(r.twoTheta));
    } else {  // 3I4,F8.2,F8.3,I4,2F9.4,I4,10X,F8.3
      append(text, "%4d%4d%4d%8.2f%8.3f%4d%9.4f%9.4f%4d%10s%8.3f\n", r.h, r.k, r.l, f, 0.02 * f + 0.5, 1, r.twoTheta,
             fwhm(r.twoTheta), 2, "", f * f / 100.0);
    }
  }
  return text;
}

std::string staircaseEntry(int count, double window) {
  const int runs = static_cast<int>(std::ceil(std::sqrt(2.0 * count)));
  std::string text;
  text.reserve(static_cast<std::size_t>(count) * 33 + 100);
  // sin^2(theta) of (h, 0, 0) is (lambda h / 2a)^2: below 1 for every level.
  append(text, "%.1f %.1f %.1f 90 90 90 %.5f\n", runs * 1.0, runs * 1.0, runs * 1.0, 1.0);
  append(text, "%d %.2f\n", count, window);
  int run = 0;
  int offset = 0;
  for (int i = 0; i < count; ++i) {
    const int h = runs - offset;  // level runs - 1 - offset, counted from 1
    append(text, "%4d%4d%4d%8.2f%8.3f%4d\n", h, 0, 0, 20.0 + (i % 680), 1.5, 1);
    if (++offset > run) {
      ++run;
      offset = 0;
    }
  }
  return text;
}

}  // namespace kestran::bench

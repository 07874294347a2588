#include "processing/window_thresholds.hpp"

#include <algorithm>
#include <bit>

#include "processing/elimination.hpp"

namespace kestran {

namespace {

constexpr WindowBits infinityBits = 0x7F800000U;

bool closeAt(const ReflectionTable& table, bool byWidth, int lower, int upper, WindowBits window) {
  return PairTest(table, windowOf(window), byWidth).close(lower, upper);
}

// The first window that cuts the pair, the flavour's rule looked up once by
// the caller rather than at each step of the search.
WindowBits firstCuttingWindow(const ReflectionTable& table, bool byWidth, int lower, int upper) {
  // The test is monotonic in the window from +0 to +infinity (a distance is
  // never negative, a width of 0 or below never makes a positive window):
  // bisection over the bits finds the first window that cuts.
  if (!closeAt(table, byWidth, lower, upper, infinityBits)) {
    return neverCut;
  }
  WindowBits low = 0;  // +0: never close, since no distance lies below 0
  WindowBits high = infinityBits;
  while (high - low > 1) {
    const WindowBits middle = low + (high - low) / 2;
    (closeAt(table, byWidth, lower, upper, middle) ? high : low) = middle;
  }
  return high;
}

}  // namespace

WindowBits bitsOf(float window) { return std::bit_cast<WindowBits>(window); }

float windowOf(WindowBits bits) { return std::bit_cast<float>(bits); }

WindowBits cuttingWindow(const ReflectionTable& table, int lower, int upper) {
  return firstCuttingWindow(table, usesWidthWindow(flavourOf(table)), lower, upper);
}

RowThresholds rowThresholds(const ReflectionTable& table, const std::vector<bool>& shown) {
  const int n = table.rows;
  RowThresholds thresholds;
  thresholds.cut.assign(static_cast<std::size_t>(n), neverCut);
  thresholds.link.assign(static_cast<std::size_t>(n), neverCut);
  // The pair of each compared row with the next compared one; a row is
  // close when either of its pairs is.
  std::vector<WindowBits> pairWithNext(static_cast<std::size_t>(n), neverCut);
  WindowBits previousPair = neverCut;
  const bool byWidth = usesWidthWindow(flavourOf(table));
  for (int i = nextCompared(table, -1); i < n; i = nextCompared(table, i)) {
    const int next = nextCompared(table, i);
    if (next < n) {
      pairWithNext[i] = firstCuttingWindow(table, byWidth, i, next);
    }
    thresholds.cut[i] = std::min(previousPair, pairWithNext[i]);
    previousPair = pairWithNext[i];
  }
  // Links: from each shown row, every pair up to the next shown row.
  int lastShown = -1;
  WindowBits path = 0;
  for (int i = nextCompared(table, -1); i < n; i = nextCompared(table, i)) {
    if (shown[i]) {
      if (lastShown >= 0) {
        thresholds.link[lastShown] = path;
      }
      lastShown = i;
      path = 0;
    }
    path = std::max(path, pairWithNext[i]);
  }
  return thresholds;
}

}  // namespace kestran

#pragma once
// Where each pair of neighbours is cut: the smallest window (D, or DELTA) at
// which the elimination's own test finds the pair close, found over the
// single-precision values a window can take. For every window w of 0 or
// more, the pair is close exactly when w >= its threshold, so a picture of
// the run at any window needs only these thresholds, never the arithmetic
// of the test itself.

#include <cstdint>
#include <vector>

#include "reflections/reflection_table.hpp"

namespace kestran {

// A window as the bits of its single-precision value. For windows of 0 or
// more (+0 to +infinity) the order of the bits is the order of the values.
using WindowBits = std::uint32_t;

// A pair no window of 0 or more cuts: above the bits of every such window.
inline constexpr WindowBits neverCut = 0xFFFFFFFFU;

WindowBits bitsOf(float window);
float windowOf(WindowBits bits);

// The bits of the smallest window w >= 0 at which PairTest(table, w) finds
// the pair (lower, upper) close; neverCut when no such window exists (a
// width of 0 or below, a position that is not a number).
WindowBits cuttingWindow(const ReflectionTable& table, int lower, int upper);

// Each row's thresholds, for rows 0..rows-1 of an eliminated table.
struct RowThresholds {
  // The smallest window at which the row is close to either neighbour it
  // is compared with; neverCut for a row that is compared with none (0 0 0).
  std::vector<WindowBits> cut;
  // The smallest window at which the row is joined to the next row that
  // `shown` accepts, every pair between them being cut (so that both lie in
  // one overlap group); neverCut for the last such row and the rows
  // `shown` refuses.
  std::vector<WindowBits> link;
};

// `shown[row]` tells the rows a picture keeps; the others are passed over
// by the links, not by the comparison.
RowThresholds rowThresholds(const ReflectionTable& table, const std::vector<bool>& shown);

}  // namespace kestran

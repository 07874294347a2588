#pragma once
// Neighbour elimination: both rows of every neighbouring pair closer than the
// window are removed, so a run of close rows goes whole. The test reads only
// positions (twoTheta) and, for SIRPOW and EXPO, peak widths; it never reads
// amplitudes, and it can be asked for any window without changing the table.

#include <vector>

#include "reflections/reflection_table.hpp"

namespace kestran {

// A row 0 0 0 is no reflection: it stands in no pair, and each of its
// neighbours is compared with the next row that is compared.
bool isCompared(const ReflectionTable& table, int index);
// The next and the previous compared row; rows and -1 when there is none.
int nextCompared(const ReflectionTable& table, int index);
int previousCompared(const ReflectionTable& table, int index);

// The distance of a pair of neighbouring rows exactly as the elimination
// compares it: in double precision, unrounded.
double pairDistance(const ReflectionTable& table, int lower, int upper);

// The one test of a pair of neighbours with one window, shared by the
// elimination, the overlap groups and the report, the flavour looked up
// once. For SIRPOW and EXPO `window` is DELTA and the pair's window DELTA x
// peakWidth of the lower row; for every other flavour it is the fixed window
// itself, in double precision, unrounded.
class PairTest {
 public:
  PairTest(const ReflectionTable& table, float window) : PairTest(table, window, usesWidthWindow(flavourOf(table))) {}
  // The same, the flavour's rule already looked up (`byWidth`).
  PairTest(const ReflectionTable& table, float window, bool byWidth)
      : table_(table), window_(window), byWidth_(byWidth) {}

  double window(int lower) const { return byWidth_ ? window_ * table_.peakWidth[lower] : window_; }
  // Not-a-number distances fail the strict test, so such pairs are never close.
  bool close(int lower, int upper) const { return pairDistance(table_, lower, upper) < window(lower); }

 private:
  const ReflectionTable& table_;
  double window_;
  bool byWidth_;
};

// The status each row would have with `window`: ZeroIndices stays; a row
// beyond the table's resolution limit is BeyondLimit, whatever else; then
// RemovedInInput stays, and every other row is kept or removed by its
// previous, next or both neighbours. Rows beyond the limit are compared like
// the others.
std::vector<RowStatus> eliminationWith(const ReflectionTable& table, float window);

// The rows kept with an intensity of their own (Kept): the classic rule's
// kept rows, shared ones left out.
int countKept(const std::vector<RowStatus>& status);

// The run's elimination, with D or DELTA as the flavour asks: sets the status
// of every row.
void eliminateNeighbours(ReflectionTable& table);

}  // namespace kestran

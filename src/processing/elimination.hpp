#pragma once
// Neighbour elimination: both rows of every neighbouring pair closer than the
// window are removed, so a run of close rows goes whole. The test reads only
// positions (twoTheta) and, for SIRPOW and EXPO, peak widths; it never reads
// amplitudes, and it can be asked for any window without changing the table.

#include <vector>

#include "reflections/reflection_table.hpp"

namespace kestran {

// The window and the distance of the pair of rows (index, index + 1) exactly
// as the elimination compares them: in double precision, unrounded. For
// SIRPOW and EXPO `window` is DELTA and the pair's window DELTA x peakWidth of
// the lower row; for every other code it is the fixed window itself.
double pairWindow(const ReflectionTable& table, float window, int index);
double pairDistance(const ReflectionTable& table, int index);

// The status each row would have with `window`: RemovedInInput stays, every
// other row is kept or removed by its previous, next or both neighbours.
std::vector<RowStatus> eliminationWith(const ReflectionTable& table, float window);

int countKept(const std::vector<RowStatus>& status);

// The run's elimination, with D or DELTA as the flavour asks: sets the status
// of every row.
void eliminateNeighbours(ReflectionTable& table);

}  // namespace kestran

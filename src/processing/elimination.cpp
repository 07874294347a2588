#include "processing/elimination.hpp"

#include <cmath>

namespace kestran {

namespace {

// SIRPOW (2) and EXPO (3) scale each row's peak width by DELTA.
bool usesWidthWindow(int inputCode) { return inputCode == 2 || inputCode == 3; }

// Window of the pair (index, index + 1), in double precision, unrounded.
double pairWindow(const ReflectionTable& table, int index, bool widthWindow) {
  const double window = table.D;
  return widthWindow ? window * table.EXTRA[index] : window;
}

// Not-a-number distances fail the strict test, so such pairs are never marked.
bool tooClose(const ReflectionTable& table, int index, bool widthWindow) {
  const double distance = std::fabs(double{table.POS[index]} - double{table.POS[index + 1]});
  return distance < pairWindow(table, index, widthWindow);
}

}  // namespace

void eliminateNeighbours(ReflectionTable& table) {
  const int n = table.n;
  const bool widthWindow = usesWidthWindow(table.inputCode);
  // The test reads positions and windows only, never FOBS, so a run of close
  // rows is marked whole.
  for (int i = 0; i + 1 < n; ++i) {
    if (tooClose(table, i, widthWindow)) {
      table.FOBS[i] = removedMarker;
      table.FOBS[i + 1] = removedMarker;
    }
  }
  for (int i = 0; i < n; ++i) table.FLAG[i] = 1;
}

}  // namespace kestran

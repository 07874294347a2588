#include "processing/elimination.hpp"

#include <cmath>

namespace kestran {

double pairWindow(const ReflectionTable& table, int index) {
  const double window = table.D;
  return usesWidthWindow(table.inputCode) ? window * table.EXTRA[index] : window;
}

double pairDistance(const ReflectionTable& table, int index) {
  return std::fabs(double{table.POS[index]} - double{table.POS[index + 1]});
}

void eliminateNeighbours(ReflectionTable& table) {
  const int n = table.n;
  // The test reads positions and windows only, never FOBS, so a run of close
  // rows is marked whole. Not-a-number distances fail the strict test, so
  // such pairs are never marked.
  for (int i = 0; i + 1 < n; ++i) {
    if (pairDistance(table, i) < pairWindow(table, i)) {
      table.FOBS[i] = removedMarker;
      table.FOBS[i + 1] = removedMarker;
    }
  }
  for (int i = 0; i < n; ++i) table.FLAG[i] = 1;
}

}  // namespace kestran

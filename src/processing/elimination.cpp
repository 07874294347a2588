#include "processing/elimination.hpp"

#include <algorithm>
#include <cmath>

#include "processing/resolution_limit.hpp"

namespace kestran {

namespace {

RowStatus statusOf(bool byPrevious, bool byNext) {
  if (byPrevious && byNext) {
    return RowStatus::RemovedByBoth;
  }
  if (byPrevious) {
    return RowStatus::RemovedByPrevious;
  }
  return byNext ? RowStatus::RemovedByNext : RowStatus::Kept;
}

}  // namespace

double pairDistance(const ReflectionTable& table, int lower, int upper) {
  return std::fabs(double{table.twoTheta[lower]} - double{table.twoTheta[upper]});
}

bool isCompared(const ReflectionTable& table, int index) { return table.status[index] != RowStatus::ZeroIndices; }

int nextCompared(const ReflectionTable& table, int index) {
  do {
    ++index;
  } while (index < table.rows && !isCompared(table, index));
  return index;
}

int previousCompared(const ReflectionTable& table, int index) {
  do {
    --index;
  } while (index >= 0 && !isCompared(table, index));
  return index;
}

std::vector<RowStatus> eliminationWith(const ReflectionTable& table, float window) {
  const int n = table.rows;
  const PairTest pairs(table, window);
  std::vector<RowStatus> status(static_cast<std::size_t>(n));
  bool closeToPrevious = false;
  for (int i = 0; i < n; ++i) {
    if (!isCompared(table, i)) {
      status[i] = table.status[i];
      continue;
    }
    const int next = nextCompared(table, i);
    const bool closeToNext = next < n && pairs.close(i, next);
    const bool removedInInput = table.status[i] == RowStatus::RemovedInInput;
    status[i] = removedInInput ? RowStatus::RemovedInInput : statusOf(closeToPrevious, closeToNext);
    if (isBeyondLimit(table, i)) {
      status[i] = RowStatus::BeyondLimit;
    }
    closeToPrevious = closeToNext;
  }
  return status;
}

int countKept(const std::vector<RowStatus>& status) {
  return static_cast<int>(std::count(status.begin(), status.end(), RowStatus::Kept));
}

void eliminateNeighbours(ReflectionTable& table) { table.status = eliminationWith(table, runWindow(table)); }

}  // namespace kestran

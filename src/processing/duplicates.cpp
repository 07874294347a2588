#include "processing/duplicates.hpp"

#include <algorithm>
#include <cstdint>
#include <span>
#include <tuple>
#include <vector>

#include "processing/elimination.hpp"

namespace kestran {

namespace {

// A compared row: its indices, then its place in the file (its file row
// once ordered, its row before), so that sorted rows bring equal indices
// together in file order.
struct Occurrence {
  std::int32_t h, k, l, place;
  int row;

  bool sameIndices(const Occurrence& other) const { return h == other.h && k == other.k && l == other.l; }
  bool operator<(const Occurrence& other) const {
    return std::tie(h, k, l, place) < std::tie(other.h, other.k, other.l, other.place);
  }
};

// Counts each occurrence after the first of its indices, sorted, as a
// repeat of the one before it; the first repeat in file order is told.
void countRepeats(const ReflectionTable& table, std::span<const Occurrence> sorted, Duplicates& found) {
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    if (!sorted[i].sameIndices(sorted[i - 1])) {
      continue;
    }
    ++found.rows;
    const int row = sorted[i].row;
    if (found.line == 0 || table.line[row] < found.line) {
      found.line = table.line[row];
      found.earlierLine = table.line[sorted[i - 1].row];
      found.h = table.h[row];
      found.k = table.k[row];
      found.l = table.l[row];
    }
  }
}

// Rows first..last-1 whose indices may repeat, in file order by their place.
void findAmong(const ReflectionTable& table, int first, int last, Duplicates& found, std::vector<Occurrence>& rows) {
  const bool ordered = flavourOf(table).ordered;
  rows.clear();
  for (int row = first; row < last; ++row) {
    if (isCompared(table, row)) {
      rows.push_back({table.h[row], table.k[row], table.l[row], ordered ? table.fileRow[row] : row, row});
    }
  }
  std::sort(rows.begin(), rows.end());
  countRepeats(table, rows, found);
}

}  // namespace

Duplicates findDuplicates(const ReflectionTable& table) {
  Duplicates found;
  std::vector<Occurrence> rows;
  if (!flavourOf(table).ordered) {
    findAmong(table, 0, table.rows, found, rows);
    return found;
  }
  int end = 0;
  for (int first = 0; first < table.rows; first = end) {
    end = first + 1;
    while (end < table.rows && table.sinSquaredTheta[end] == table.sinSquaredTheta[first]) {
      ++end;
    }
    if (end - first > 1) {
      findAmong(table, first, end, found, rows);
    }
  }
  return found;
}

}  // namespace kestran

#include "processing/duplicates.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <span>
#include <tuple>
#include <vector>

#include "processing/elimination.hpp"
#include "processing/radix_sort.hpp"

namespace kestran {

namespace {

// Above the table's largest capacity: a row in the low bits of a sort key.
constexpr int placeBits = 25;
static_assert(maxCapacity < (1 << placeBits));

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

// The rows of an unordered table (SIRPOW) stand in file order already. A
// comparison sort of all of them costs a sixth of a 40000-row run, so when
// the indices' ranges fit, each row's indices, less the least of each, are
// packed into one key above its row and the keys sorted stably by those bits
// alone; otherwise the rows are sorted as findAmong does.
void findInFileOrder(const ReflectionTable& table, Duplicates& found) {
  std::vector<Occurrence> rows;
  Occurrence low{0, 0, 0, 0, 0};
  Occurrence high = low;
  for (int row = 0; row < table.rows; ++row) {
    if (isCompared(table, row)) {
      const Occurrence occurrence{table.h[row], table.k[row], table.l[row], row, row};
      if (rows.empty()) low = high = occurrence;
      low = {std::min(low.h, occurrence.h), std::min(low.k, occurrence.k), std::min(low.l, occurrence.l), 0, 0};
      high = {std::max(high.h, occurrence.h), std::max(high.k, occurrence.k), std::max(high.l, occurrence.l), 0, 0};
      rows.push_back(occurrence);
    }
  }
  const auto bits = [](std::int32_t least, std::int32_t most) {
    return std::bit_width(static_cast<std::uint64_t>(std::int64_t{most} - least));
  };
  const int hBits = bits(low.h, high.h), kBits = bits(low.k, high.k), lBits = bits(low.l, high.l);
  if (hBits + kBits + lBits > 64 - placeBits) {
    std::sort(rows.begin(), rows.end());
    countRepeats(table, rows, found);
    return;
  }
  std::vector<std::uint64_t> keys(rows.size()), spare(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Occurrence& at = rows[i];
    const auto offset = [](std::int32_t value, std::int32_t least) {
      return static_cast<std::uint64_t>(std::int64_t{value} - least);
    };
    const std::uint64_t indices = (offset(at.h, low.h) << kBits | offset(at.k, low.k)) << lBits | offset(at.l, low.l);
    keys[i] = indices << placeBits | static_cast<std::uint64_t>(at.row);
  }
  const std::span<const std::uint64_t> sorted = sortByBitsFrom(keys, spare, placeBits);
  constexpr std::uint64_t placeMask = (std::uint64_t{1} << placeBits) - 1;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    const auto row = static_cast<int>(sorted[i] & placeMask);
    rows[i] = {table.h[row], table.k[row], table.l[row], row, row};
  }
  countRepeats(table, rows, found);
}

}  // namespace

Duplicates findDuplicates(const ReflectionTable& table) {
  Duplicates found;
  if (!flavourOf(table).ordered) {
    findInFileOrder(table, found);
    return found;
  }
  std::vector<Occurrence> rows;
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

#include "processing/duplicates.hpp"

#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "processing/elimination.hpp"
#include "processing/radix_sort.hpp"

namespace kestran {

namespace {

// One key per row: its indices, 13 bits each (every index a powder pattern
// can give, and every one the output fields can hold), then its place in
// the file in 25 bits (above the table's largest capacity), so that sorted
// keys bring equal indices together in file order.
constexpr std::int32_t indexLimit = 1 << 12;
constexpr int placeBits = 25;
static_assert(maxCapacity < (1 << placeBits));

bool packs(const ReflectionTable& table, int row) {
  for (const std::int32_t index : {table.h[row], table.k[row], table.l[row]}) {
    if (index <= -indexLimit || index >= indexLimit) {
      return false;
    }
  }
  return true;
}

std::uint64_t indicesOf(const ReflectionTable& table, int row) {
  const auto field = [](std::int32_t index) { return static_cast<std::uint64_t>(index + indexLimit); };
  return field(table.h[row]) << 26 | field(table.k[row]) << 13 | field(table.l[row]);
}

// The row's place in the file: its file row once ordered, its index before.
std::uint64_t placeOf(const ReflectionTable& table, bool ordered, int row) {
  return ordered ? static_cast<std::uint64_t>(table.fileRow[row]) : static_cast<std::uint64_t>(row);
}

// Sorts the keys. Those of an unordered table stand in file order already,
// so a stable sort by the indices alone puts them in the order of the whole
// key, without the mispredicted branches of a comparison sort of random
// keys; the few keys of one position of an ordered table are sorted whole.
std::span<const std::uint64_t> sortKeys(std::vector<std::uint64_t>& keys, bool ordered) {
  if (ordered) {
    std::sort(keys.begin(), keys.end());
    return keys;
  }
  std::vector<std::uint64_t> spare(keys.size());
  if (sortByBitsFrom(keys, spare, placeBits).data() != keys.data()) {
    keys.swap(spare);
  }
  return keys;
}

// Rows first..last-1 whose indices may repeat: each equal key after its
// first, in file order, repeats the one before it.
void findAmong(const ReflectionTable& table, int first, int last, Duplicates& found, std::vector<std::uint64_t>& keys) {
  const bool ordered = flavourOf(table).ordered;
  keys.clear();
  for (int row = first; row < last; ++row) {
    if (isCompared(table, row) && packs(table, row)) {
      keys.push_back(indicesOf(table, row) << placeBits | placeOf(table, ordered, row));
    }
  }
  const std::span<const std::uint64_t> sorted = sortKeys(keys, ordered);
  constexpr std::uint64_t placeMask = (std::uint64_t{1} << placeBits) - 1;
  // The row of a key. In an ordered table its place is its file row: the
  // rows of the position are sorted by it once a repeat shows, and looked
  // up, so that a position of many repeated rows costs n log n, not n^2.
  std::vector<std::pair<std::int32_t, int>> rowsByPlace;
  const auto rowOf = [&](std::uint64_t key) {
    const auto place = static_cast<std::int32_t>(key & placeMask);
    if (!ordered) {
      return static_cast<int>(place);
    }
    if (rowsByPlace.empty()) {
      for (int row = first; row < last; ++row) rowsByPlace.emplace_back(table.fileRow[row], row);
      std::sort(rowsByPlace.begin(), rowsByPlace.end());
    }
    return std::lower_bound(rowsByPlace.begin(), rowsByPlace.end(), std::pair<std::int32_t, int>{place, 0})->second;
  };
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    if (sorted[i] >> placeBits != sorted[i - 1] >> placeBits) {
      continue;
    }
    ++found.rows;
    const int row = rowOf(sorted[i]);
    if (found.line == 0 || table.line[row] < found.line) {
      found.line = table.line[row];
      found.earlierLine = table.line[rowOf(sorted[i - 1])];
      found.h = table.h[row];
      found.k = table.k[row];
      found.l = table.l[row];
    }
  }
}

}  // namespace

Duplicates findDuplicates(const ReflectionTable& table) {
  Duplicates found;
  std::vector<std::uint64_t> keys;
  if (!flavourOf(table).ordered) {
    findAmong(table, 0, table.rows, found, keys);
    return found;
  }
  int end = 0;
  for (int first = 0; first < table.rows; first = end) {
    end = first + 1;
    while (end < table.rows && table.sinSquaredTheta[end] == table.sinSquaredTheta[first]) {
      ++end;
    }
    if (end - first > 1) {
      findAmong(table, first, end, found, keys);
    }
  }
  return found;
}

}  // namespace kestran

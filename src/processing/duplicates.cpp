#include "processing/duplicates.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "processing/elimination.hpp"

namespace kestran {

namespace {

// The indices packed so that equal indices give equal keys: 21 bits each,
// which holds every index a powder pattern can give (below 2^20 in size).
constexpr std::int32_t indexLimit = 1 << 20;

bool packs(const ReflectionTable& table, int row) {
  for (const std::int32_t index : {table.h[row], table.k[row], table.l[row]}) {
    if (index <= -indexLimit || index >= indexLimit) {
      return false;
    }
  }
  return true;
}

std::uint64_t keyOf(const ReflectionTable& table, int row) {
  const auto field = [](std::int32_t index) { return static_cast<std::uint64_t>(index + indexLimit); };
  return field(table.h[row]) << 42 | field(table.k[row]) << 21 | field(table.l[row]);
}

// Rows first..last-1 whose keys may repeat: sorted by key and line, each
// equal key after its first is a repeat of the line before it.
void findAmong(const ReflectionTable& table, int first, int last, Duplicates& found,
               std::vector<std::pair<std::uint64_t, int>>& keys) {
  keys.clear();
  for (int row = first; row < last; ++row) {
    if (isCompared(table, row) && packs(table, row)) {
      keys.emplace_back(keyOf(table, row), row);
    }
  }
  const auto byKeyThenLine = [&](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : table.line[a.second] < table.line[b.second];
  };
  std::sort(keys.begin(), keys.end(), byKeyThenLine);
  for (std::size_t i = 1; i < keys.size(); ++i) {
    if (keys[i].first != keys[i - 1].first) {
      continue;
    }
    ++found.rows;
    const int row = keys[i].second;
    if (found.line == 0 || table.line[row] < found.line) {
      found.line = table.line[row];
      found.earlierLine = table.line[keys[i - 1].second];
      found.h = table.h[row];
      found.k = table.k[row];
      found.l = table.l[row];
    }
  }
}

}  // namespace

Duplicates findDuplicates(const ReflectionTable& table) {
  Duplicates found;
  std::vector<std::pair<std::uint64_t, int>> keys;
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

#include "processing/ordering.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <span>
#include <utility>
#include <vector>

#include "reflections/cell_geometry.hpp"

namespace kestran {

namespace {

// The radix sort takes the 32 bits of a position in three passes of this
// many bits.
constexpr int radixBits = 11;
constexpr int radixBuckets = 1 << radixBits;

// A Fenwick tree (binary indexed tree) of counts over the indices 0..size-1:
// node i, from 1 to size, holds the sum of the counts at the (i & -i)
// indices ending at i - 1.
class Fenwick {
 public:
  void resetToZeros(int size) {
    size_ = size;
    tree_.assign(static_cast<std::size_t>(size) + 1, 0);
  }

  void resetToOnes(int size) {
    resetToZeros(size);
    for (int node = 1; node <= size; ++node) tree_[node] = node & -node;
  }

  void add(int index, int delta) {
    for (int node = index + 1; node <= size_; node += node & -node) tree_[node] += delta;
  }

  // The sum of the counts at the indices below `index`.
  int sumBelow(int index) const {
    int sum = 0;
    for (int node = index; node > 0; node -= node & -node) sum += tree_[node];
    return sum;
  }

  // With counts of 0 and 1, the index of the (rank + 1)-th one.
  int indexOfRank(int rank) const {
    int node = 0;
    for (int step = static_cast<int>(std::bit_floor(static_cast<unsigned>(size_))); step > 0; step /= 2) {
      if (node + step <= size_ && tree_[node + step] <= rank) {
        node += step;
        rank -= tree_[node];
      }
    }
    return node;
  }

 private:
  std::vector<int> tree_;
  int size_ = 0;
};

// A set of rows: a bit per row, and a Fenwick tree of the counts per word of
// 64 rows, small enough to stay in the cache when n is large.
class RowSet {
 public:
  explicit RowSet(int n) : words_(static_cast<std::size_t>(n / 64 + 1), 0) { wordCounts_.resetToZeros(n / 64 + 1); }

  void insert(int row) {
    words_[row / 64] |= std::uint64_t{1} << (row % 64);
    wordCounts_.add(row / 64, 1);
  }

  // How many rows of the set come before `row`.
  int countBelow(int row) const {
    const std::uint64_t below = words_[row / 64] & ((std::uint64_t{1} << (row % 64)) - 1);
    return wordCounts_.sumBelow(row / 64) + std::popcount(below);
  }

 private:
  std::vector<std::uint64_t> words_;
  Fenwick wordCounts_;
};

// Maps a finite float to an unsigned integer of the same order. Both zeros
// map alike because the exchange sort never tells them apart.
std::uint32_t orderedBits(float value) {
  if (value == 0.0F) value = 0.0F;
  const auto bits = std::bit_cast<std::uint32_t>(value);
  return (bits & 0x80000000U) != 0 ? ~bits : (bits | 0x80000000U);
}

// The position's ordered bits in the high half, the 0-based row in the low half.
std::uint64_t sortKey(float value, int row) {
  return (std::uint64_t{orderedBits(value)} << 32) | static_cast<std::uint32_t>(row);
}

int rowOfKey(std::uint64_t key) { return static_cast<int>(key & 0xFFFFFFFFU); }

bool sameValue(std::uint64_t a, std::uint64_t b) { return (a >> 32) == (b >> 32); }

bool allFinite(const float* pos, int n) {
  return std::all_of(pos, pos + n, [](float value) { return std::isfinite(value); });
}

// One stable counting pass on the digit of the value bits at `shift`.
void radixPass(const std::vector<std::uint64_t>& from, std::vector<std::uint64_t>& to, int shift) {
  std::array<std::int32_t, radixBuckets + 1> counts{};
  const auto digit = [shift](std::uint64_t key) { return static_cast<int>((key >> shift) & (radixBuckets - 1)); };
  for (const std::uint64_t key : from) ++counts[digit(key) + 1];
  for (int d = 0; d < radixBuckets; ++d) counts[d + 1] += counts[d];
  for (const std::uint64_t key : from) to[counts[digit(key)]++] = key;
}

// The sort keys of pos[0..n) in order of value; the sort being stable, equal
// values stay in file order. Three passes of radixBits cover the 32 bits.
std::vector<std::uint64_t> sortedKeys(const float* pos, int n) {
  std::vector<std::uint64_t> keys(static_cast<std::size_t>(n));
  std::vector<std::uint64_t> spare(keys.size());
  for (int row = 0; row < n; ++row) keys[row] = sortKey(pos[row], row);
  radixPass(keys, spare, 32);
  radixPass(spare, keys, 32 + radixBits);
  radixPass(keys, spare, 32 + 2 * radixBits);
  return spare;
}

// Places the rows of one value after another, in increasing order of value.
//
// In the exchange sort the rows of one value v end in the order of a list
// built by walking the rows of value <= v in file order: a row at v is
// appended, a smaller row moves the list's first element to its end. Held
// as a cycle with a head, r such moves only advance the head by r modulo
// the list's length, and an append inserts the row just before the head.
// A forward pass over the rows of v finds the index at which each enters
// the cycle and where the head ends; a backward pass gives each row its
// place in the final cycle: the last row keeps its index, and each earlier
// one takes the free place of its index among those the later rows leave.
// Counting the smaller rows before a row, and finding a free place, are
// Fenwick tree walks, so each row costs O(log n) whatever the ties.
class GroupPlacer {
 public:
  explicit GroupPlacer(int n) : placedRows_(n) {}

  // `members` are the keys of one value in file order, `smallerRows` the
  // number of rows of smaller value; the rows go to rowAt[0..size) in their
  // final order.
  void place(std::span<const std::uint64_t> members, int smallerRows, std::int32_t* rowAt) {
    if (members.size() == 1) {
      rowAt[0] = rowOfKey(members[0]);
    } else {
      fillCycle(members, findEntries(members, smallerRows), rowAt);
    }
    for (const std::uint64_t key : members) placedRows_.insert(rowOfKey(key));
  }

 private:
  // The smaller rows between member j and member j + 1 (or the end of the
  // file) move the head while the cycle holds members 0..j. Records where
  // each member enters the cycle; returns where the head ends.
  int findEntries(std::span<const std::uint64_t> members, int smallerRows) {
    const int size = static_cast<int>(members.size());
    entries_.resize(members.size());
    int head = 0;
    int smallerBefore = placedRows_.countBelow(rowOfKey(members[0]));
    for (int j = 0; j < size; ++j) {
      entries_[j] = head;
      const int smallerBeforeNext = j + 1 < size ? placedRows_.countBelow(rowOfKey(members[j + 1])) : smallerRows;
      const int length = j + 1;
      head = (head + 1 + (smallerBeforeNext - smallerBefore) % length) % length;
      smallerBefore = smallerBeforeNext;
    }
    return head;
  }

  // Gives each member its place in the final cycle and writes the cycle
  // out from the head.
  void fillCycle(std::span<const std::uint64_t> members, int head, std::int32_t* rowAt) {
    const int size = static_cast<int>(members.size());
    freePlaces_.resetToOnes(size);
    for (int j = size - 1; j >= 0; --j) {
      const int place = freePlaces_.indexOfRank(entries_[j]);
      freePlaces_.add(place, -1);
      rowAt[(place - head + size) % size] = rowOfKey(members[j]);
    }
  }

  RowSet placedRows_;  // the rows of the values placed so far
  Fenwick freePlaces_;
  std::vector<std::int32_t> entries_;
};

// For each slot of the ordered rows, the 0-based row that ends there.
std::vector<std::int32_t> finalRows(const std::vector<std::uint64_t>& sorted) {
  const int n = static_cast<int>(sorted.size());
  std::vector<std::int32_t> rowAt(sorted.size());
  GroupPlacer placer(n);
  int end = 0;
  for (int first = 0; first < n; first = end) {
    end = first + 1;
    while (end < n && sameValue(sorted[end], sorted[first])) ++end;
    const std::span<const std::uint64_t> members(sorted.data() + first, static_cast<std::size_t>(end - first));
    placer.place(members, first, rowAt.data() + first);
  }
  return rowAt;
}

// values[slot] = the value that stood at row rowAt[slot].
template <typename T>
void gather(T* values, const std::vector<std::int32_t>& rowAt) {
  const std::vector<T> before(values, values + rowAt.size());
  for (std::size_t slot = 0; slot < rowAt.size(); ++slot) values[slot] = before[rowAt[slot]];
}

template <typename T>
void permuteColumn(ReflectionTable::Column<T>& column, ReflectionTable::Column<T>& scratch,
                   const ReflectionTable::Column<std::int32_t>& order, int n) {
  for (int i = 0; i < n; ++i) scratch[i] = column[order[i] - 1];
  std::copy_n(scratch.begin(), n, column.begin());
}

void printOrderingLine(std::ostream& console, int n) {
  char line[48];
  std::snprintf(line, sizeof line, "  START ORDERING  %5d  REFLEXIONS\n", n);
  console << line;
}

}  // namespace

void exchangeSortPositions(float* pos, std::int32_t* order, int n) {
  for (int i = 0; i + 1 < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      if (!(pos[i] - pos[j] <= 0.0F)) {
        std::swap(pos[i], pos[j]);
        std::swap(order[i], order[j]);
      }
    }
  }
}

void sortPositions(float* pos, std::int32_t* order, int n) {
  if (n < 2) return;
  if (!allFinite(pos, n)) {
    exchangeSortPositions(pos, order, n);
    return;
  }
  const std::vector<std::int32_t> rowAt = finalRows(sortedKeys(pos, n));
  gather(pos, rowAt);
  gather(order, rowAt);
}

void orderReflections(ReflectionTable& table, std::ostream& console) {
  const int n = table.n;
  printOrderingLine(console, n);
  for (int i = 0; i < n; ++i) table.ORDER[i] = i + 1;
  sortPositions(table.POS.data(), table.ORDER.data(), n);

  permuteColumn(table.H, table.ISCRATCH, table.ORDER, n);
  permuteColumn(table.K, table.ISCRATCH, table.ORDER, n);
  permuteColumn(table.L, table.ISCRATCH, table.ORDER, n);
  permuteColumn(table.FOBS, table.RSCRATCH, table.ORDER, n);
  permuteColumn(table.SIGF, table.RSCRATCH, table.ORDER, n);
  permuteColumn(table.EXTRA, table.RSCRATCH, table.ORDER, n);

  for (int i = 0; i < n; ++i) table.POS[i] = twoThetaDegrees(table.POS[i]);
}

}  // namespace kestran

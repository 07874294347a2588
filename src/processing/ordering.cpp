#include "processing/ordering.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "processing/radix_sort.hpp"
#include "reflections/cell_geometry.hpp"

namespace kestran {

namespace {

// A Fenwick tree (binary indexed tree) of counts over the indices 0..size-1,
// laid over a power of two of indices (the ones past size counting 0) so
// that the descent of takeRank needs no bound check. Node i, from 1 to that
// power, holds the sum of the counts at the (i & -i) indices ending at
// index i - 1.
class Fenwick {
 public:
  // Gives index i the count count(i), in linear time.
  template <typename CountOf>
  void assign(int size, CountOf count) {
    span_ = static_cast<int>(std::bit_ceil(static_cast<unsigned>(size)));
    tree_.assign(static_cast<std::size_t>(span_) + 1, 0);
    for (int index = 0; index < size; ++index) tree_[index + 1] = count(index);
    for (int node = 1; node < span_; ++node) tree_[node + (node & -node)] += tree_[node];
  }

  void add(int index, int delta) {
    for (int node = index + 1; node <= span_; node += node & -node) tree_[node] += delta;
  }

  // The sum of the counts at the indices below `index`.
  int sumBelow(int index) const {
    int sum = 0;
    for (int node = index; node > 0; node -= node & -node) sum += tree_[node];
    return sum;
  }

  // Takes one unit from the index holding the (rank + 1)-th unit of count;
  // returns that index and how many of its units came before the one taken.
  // The nodes whose range holds that index are exactly those where the
  // descent does not step right, so it lowers each of them as it passes.
  // The step is taken by arithmetic on 0 or 1, not by a branch that the
  // processor would mispredict half the time.
  std::pair<int, int> takeRank(int rank) {
    int node = 0;
    for (int step = span_; step > 0; step /= 2) {
      const int count = tree_[node + step];
      const int right = count <= rank ? 1 : 0;
      tree_[node + step] -= 1 - right;
      node += step * right;
      rank -= count * right;
    }
    return {node, rank};
  }

 private:
  std::vector<int> tree_;
  int span_ = 0;
};

// A set of the indices 0..size-1: a bit per index, and a Fenwick tree of the
// counts per word of 64 indices, 64 times smaller than one over the indices
// and so kept in the cache.
class IndexSet {
 public:
  // Empty, or holding every index below `size`.
  void reset(int size, bool full) {
    const int wordCount = size / 64 + 1;
    words_.assign(static_cast<std::size_t>(wordCount), 0);
    for (int first = 0; full && first < size; first += 64) {
      words_[first / 64] = size - first >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << (size - first)) - 1;
    }
    counts_.resize(words_.size());
    std::transform(words_.begin(), words_.end(), counts_.begin(),
                   [](std::uint64_t word) { return std::popcount(word); });
    rebuildTree();
  }

  // Inserts indices not yet in the set: into the tree one by one when they
  // are few, by one linear rebuild of the tree when they are many (an
  // update costs about log2 of the words, a rebuild about the words).
  void insertAll(std::span<const std::uint64_t> indices) {
    for (const std::uint64_t index : indices) {
      words_[index / 64] |= bit(index);
      ++counts_[index / 64];
    }
    if (indices.size() * std::bit_width(words_.size()) > words_.size()) {
      rebuildTree();
      return;
    }
    for (const std::uint64_t index : indices) wordCounts_.add(static_cast<int>(index / 64), 1);
  }

  // How many indices of the set are below `index`.
  int countBelow(int index) const {
    return wordCounts_.sumBelow(index / 64) + std::popcount(words_[index / 64] & (bit(index) - 1));
  }

  // Removes the (rank + 1)-th smallest index of the set and returns it.
  int takeRank(int rank) {
    const auto [word, rankInWord] = wordCounts_.takeRank(rank);
    std::uint64_t bits = words_[word];
    for (int lower = 0; lower < rankInWord; ++lower) bits &= bits - 1;
    const int index = word * 64 + std::countr_zero(bits);
    words_[word] &= ~bit(index);
    --counts_[word];
    return index;
  }

 private:
  static std::uint64_t bit(std::uint64_t index) { return std::uint64_t{1} << (index % 64); }

  void rebuildTree() {
    wordCounts_.assign(static_cast<int>(counts_.size()), [this](int word) { return counts_[word]; });
  }

  std::vector<std::uint64_t> words_;
  std::vector<int> counts_;  // the indices in each word
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

// A row's position and order in one word, so that one read fetches both.
std::uint64_t packRow(float position, std::int32_t order) {
  return (std::uint64_t{std::bit_cast<std::uint32_t>(position)} << 32) | static_cast<std::uint32_t>(order);
}

float positionOf(std::uint64_t packed) { return std::bit_cast<float>(static_cast<std::uint32_t>(packed >> 32)); }

std::int32_t orderOf(std::uint64_t packed) { return static_cast<std::int32_t>(packed & 0xFFFFFFFFU); }

bool allFinite(const float* pos, int n) {
  return std::all_of(pos, pos + n, [](float value) { return std::isfinite(value); });
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
  // `sorted` holds the sort keys in order of value; each call replaces the
  // keys of one value by their rows.
  explicit GroupPlacer(std::span<std::uint64_t> sorted) : sorted_(sorted) {
    placedRows_.reset(static_cast<int>(sorted.size()), false);
  }

  // The keys sorted_[first, end) are those of one value, in file order.
  // Replaces each by the row that ends in its slot.
  void place(int first, int end) {
    if (end - first == 1) {  // the usual case: a value of its own
      sorted_[first] = static_cast<std::uint64_t>(rowOfKey(sorted_[first]));
      return;
    }
    // Only a tie asks which rows of smaller value come before a row, so
    // the rows placed since the last tie join the set only now.
    const auto from = static_cast<std::size_t>(first);
    placedRows_.insertAll(sorted_.subspan(inSet_, from - inSet_));
    inSet_ = from;
    const std::span<std::uint64_t> group = sorted_.subspan(from, static_cast<std::size_t>(end - first));
    rows_.resize(group.size());
    std::transform(group.begin(), group.end(), rows_.begin(), rowOfKey);
    fillCycle(group, findEntries(first));
  }

 private:
  // The smaller rows between member j and member j + 1 (or the end of the
  // file) move the head while the cycle holds members 0..j. Records where
  // each member enters the cycle; returns where the head ends.
  int findEntries(int smallerRows) {
    const int size = static_cast<int>(rows_.size());
    entries_.resize(rows_.size());
    int head = 0;
    int smallerBefore = placedRows_.countBelow(rows_[0]);
    for (int j = 0; j < size; ++j) {
      entries_[j] = head;
      const int smallerBeforeNext = j + 1 < size ? placedRows_.countBelow(rows_[j + 1]) : smallerRows;
      const int length = j + 1;
      const int turns = smallerBeforeNext - smallerBefore;
      head += 1 + (turns < length ? turns : turns % length);
      if (head >= length) head -= length;
      smallerBefore = smallerBeforeNext;
    }
    return head;
  }

  // Gives each member its place in the final cycle and writes the cycle
  // out from the head.
  void fillCycle(std::span<std::uint64_t> group, int head) {
    const int size = static_cast<int>(rows_.size());
    freePlaces_.reset(size, true);
    for (int j = size - 1; j >= 0; --j) {
      const int place = freePlaces_.takeRank(entries_[j]);
      group[place >= head ? place - head : place - head + size] = static_cast<std::uint64_t>(rows_[j]);
    }
  }

  std::span<std::uint64_t> sorted_;
  std::size_t inSet_ = 0;  // sorted_[0, inSet_) are rows in placedRows_
  IndexSet placedRows_;    // rows of smaller value than the group being placed
  IndexSet freePlaces_;
  std::vector<std::int32_t> rows_;  // of the group being placed, in file order
  std::vector<std::int32_t> entries_;
};

// Replaces the keys, sorted by value, by the rows in their final order.
void placeRows(std::span<std::uint64_t> sorted) {
  const int n = static_cast<int>(sorted.size());
  GroupPlacer placer(sorted);
  int end = 0;
  for (int first = 0; first < n; first = end) {
    end = first + 1;
    while (end < n && sameValue(sorted[end], sorted[first])) ++end;
    placer.place(first, end);
  }
}

// Moves each row to its slot, rowAt[slot] being the row that ends there;
// `scratch` keeps every row's entry meanwhile.
void moveRows(float* pos, std::int32_t* order, std::span<const std::uint64_t> rowAt, std::span<std::uint64_t> scratch) {
  for (std::size_t row = 0; row < scratch.size(); ++row) scratch[row] = packRow(pos[row], order[row]);
  for (std::size_t slot = 0; slot < rowAt.size(); ++slot) {
    const std::uint64_t entry = scratch[rowAt[slot]];
    pos[slot] = positionOf(entry);
    order[slot] = orderOf(entry);
  }
}

// Whether every value of the column is all zero bits: a column the flavour
// does not fill, which any order leaves as it is.
template <typename T>
bool allZeroBits(const std::vector<T>& column) {
  using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint8_t>;
  static_assert(sizeof(T) == sizeof(Bits));
  return std::all_of(column.begin(), column.end(), [](T value) { return std::bit_cast<Bits>(value) == 0; });
}

template <typename T>
void permuteColumn(std::vector<T>& column, const std::vector<std::int32_t>& order, std::vector<T>& scratch) {
  if (allZeroBits(column)) return;
  scratch.resize(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) scratch[i] = column[order[i] - 1];
  column.swap(scratch);
}

// Whether the ordering kept every row where it was (files listed by angle).
bool inFileOrder(const std::vector<std::int32_t>& fileRow) {
  for (std::size_t i = 0; i < fileRow.size(); ++i) {
    if (fileRow[i] != static_cast<std::int32_t>(i) + 1) return false;
  }
  return true;
}

void setTwoTheta(ReflectionTable& table) {
  for (int i = 0; i < table.rows; ++i) table.twoTheta[i] = twoThetaDegrees(table.sinSquaredTheta[i]);
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
  // A list already in order of angle, as many are: no pair is exchanged.
  if (std::is_sorted(pos, pos + n)) return;
  // One block holds both buffers of the sort. Two blocks, freed one after
  // the other, would cross glibc's threshold for giving memory back to the
  // system on every call, and a caller ordering again would pay the page
  // faults again: on our machine they cost more than the sort of 40000
  // random positions itself.
  const auto size = static_cast<std::size_t>(n);
  const auto block = std::make_unique_for_overwrite<std::uint64_t[]>(2 * size);  // every word written before read
  const std::span<std::uint64_t> keys(block.get(), size);
  const std::span<std::uint64_t> spare(block.get() + size, size);
  for (int row = 0; row < n; ++row) keys[row] = sortKey(pos[row], row);
  const std::span<std::uint64_t> rowAt = sortByBitsFrom(keys, spare, 32);  // by value, equal values in file order
  placeRows(rowAt);
  moveRows(pos, order, rowAt, keys);
}

void orderReflections(ReflectionTable& table) {
  const int n = table.rows;
  // The key: sin^2(theta) from the cell, or the 2theta a described list
  // gives (only such a list's flavour is ordered by its angles).
  const bool byAngleRead = table.listFlavour.orderedByAngleRead;
  std::vector<float>& key = byAngleRead ? table.twoTheta : table.sinSquaredTheta;
  for (int i = 0; i < n; ++i) table.fileRow[i] = i + 1;
  sortPositions(key.data(), table.fileRow.data(), n);
  if (inFileOrder(table.fileRow)) {
    if (!byAngleRead) setTwoTheta(table);
    return;
  }

  std::vector<std::int32_t> integers;
  for (auto* column : {&table.h, &table.k, &table.l, &table.line}) permuteColumn(*column, table.fileRow, integers);
  if (!table.multiplicity.empty()) {
    permuteColumn(table.multiplicity, table.fileRow, integers);
  }
  std::vector<float> reals;
  for (auto* column : {&table.amplitude, &table.sigma, &table.peakWidth, &table.thirdValue}) {
    permuteColumn(*column, table.fileRow, reals);
  }
  std::vector<RowStatus> statuses;
  permuteColumn(table.status, table.fileRow, statuses);
  if (byAngleRead) {
    permuteColumn(table.sinSquaredTheta, table.fileRow, reals);
  } else {
    setTwoTheta(table);
  }
}

}  // namespace kestran

#include "processing/ordering.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "reflections/cell_geometry.hpp"

namespace kestran {

namespace {

// A Fenwick tree (binary indexed tree) of counts over 1-based indices 1..size.
struct Fenwick {
  std::int32_t* tree;
  int size;

  void clear() { std::fill_n(tree, size + 1, 0); }

  void add(int index, std::int32_t delta) {
    for (; index <= size; index += index & -index) tree[index] += delta;
  }

  std::int32_t prefixSum(int index) const {
    std::int32_t sum = 0;
    for (; index > 0; index -= index & -index) sum += tree[index];
    return sum;
  }
};

// Maps a finite float to an unsigned integer of the same order. Both zeros
// map alike because the exchange sort never tells them apart.
std::uint32_t orderedBits(float value) {
  if (value == 0.0F) value = 0.0F;
  const auto bits = std::bit_cast<std::uint32_t>(value);
  return (bits & 0x80000000U) != 0 ? ~bits : (bits | 0x80000000U);
}

std::uint64_t sortKey(float value, int index) {
  return (std::uint64_t{orderedBits(value)} << 32) | static_cast<std::uint32_t>(index);
}

int rowOfKey(std::uint64_t key) { return static_cast<int>(key & 0xFFFFFFFFU); }

bool sameValue(std::uint64_t a, std::uint64_t b) { return (a >> 32) == (b >> 32); }

bool allFinite(const float* pos, int n) {
  return std::all_of(pos, pos + n, [](float value) { return std::isfinite(value); });
}

// One stable counting pass on the digit of the value bits at `shift`.
void radixPass(const std::uint64_t* from, std::uint64_t* to, int n, int shift, OrderingWorkspace& workspace) {
  auto& counts = workspace.digitCounts;
  counts.fill(0);
  const auto digit = [shift](std::uint64_t key) { return static_cast<int>((key >> shift) & (radixBuckets - 1)); };
  for (int i = 0; i < n; ++i) ++counts[digit(from[i]) + 1];
  for (int d = 0; d < radixBuckets; ++d) counts[d + 1] += counts[d];
  for (int i = 0; i < n; ++i) to[counts[digit(from[i])]++] = from[i];
}

// Sorts the keys by value; being stable, it keeps equal values in file order.
// Three passes of radixBits cover the 32 value bits and leave the result in
// the spare array.
const std::uint64_t* sortKeys(const float* pos, int n, OrderingWorkspace& workspace) {
  std::uint64_t* keys = workspace.keys.data();
  std::uint64_t* spare = workspace.spareKeys.data();
  for (int i = 0; i < n; ++i) keys[i] = sortKey(pos[i], i);
  radixPass(keys, spare, n, 32, workspace);
  radixPass(spare, keys, n, 32 + radixBits, workspace);
  radixPass(keys, spare, n, 32 + 2 * radixBits, workspace);
  return spare;
}

// Numbers the distinct values from 1 upwards and gives each row the number
// of its value; returns how many distinct values there are.
int rankValues(const std::uint64_t* sorted, int n, OrderingWorkspace& workspace) {
  int rank = 0;
  for (int i = 0; i < n; ++i) {
    if (i == 0 || !sameValue(sorted[i], sorted[i - 1])) ++rank;
    workspace.valueRank[rowOfKey(sorted[i])] = rank;
  }
  return rank;
}

// For each row, the number of rows before it in file order with a smaller value.
void countSmallerBefore(int n, int distinctValues, OrderingWorkspace& workspace) {
  Fenwick seen{workspace.rankCounts.data(), distinctValues};
  seen.clear();
  for (int row = 0; row < n; ++row) {
    const int rank = workspace.valueRank[row];
    workspace.smallerBefore[row] = seen.prefixSum(rank - 1);
    seen.add(rank, 1);
  }
}

// In the exchange sort the rows of one value v end in the order of a list
// built by walking the rows of value <= v in file order: a row at v is
// appended, a smaller row moves the list's first element to its end. The
// smaller rows after member j and before member j + 1 (or the end of the
// file) turn the list while it holds members 0..j.
std::int32_t turnsAfterMember(const std::uint64_t* members, int j, int size, int smallerRows,
                              const OrderingWorkspace& workspace) {
  const std::int32_t upTo = j + 1 < size ? workspace.smallerBefore[rowOfKey(members[j + 1])] : smallerRows;
  return upTo - workspace.smallerBefore[rowOfKey(members[j])];
}

// Walks the list on a tape: the list is tape[head, tail), a turn copies the
// first element to the tail, so r turns copy a block of r. Turns are taken
// modulo the list length, so the tape never outgrows the smaller rows plus
// the members, which is at most n. Returns where the final list begins.
int walkGroup(const std::uint64_t* members, int size, int smallerRows, OrderingWorkspace& workspace) {
  std::int32_t* tape = workspace.tape.data();
  int head = 0;
  int tail = 0;
  for (int j = 0; j < size; ++j) {
    tape[tail++] = rowOfKey(members[j]);
    const int turns = turnsAfterMember(members, j, size, smallerRows, workspace) % (j + 1);
    std::copy_n(tape + head, turns, tape + tail);
    head += turns;
    tail += turns;
  }
  return head;
}

void writeGroup(int first, int size, const std::int32_t* rows, float* pos, std::int32_t* order,
                const OrderingWorkspace& workspace) {
  for (int slot = 0; slot < size; ++slot) {
    pos[first + slot] = workspace.positions[rows[slot]];
    order[first + slot] = workspace.order[rows[slot]];
  }
}

template <typename T>
void permuteColumn(std::vector<T>& column, const std::vector<std::int32_t>& order, std::vector<T>& scratch) {
  scratch.resize(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) scratch[i] = column[order[i] - 1];
  column.swap(scratch);
}

void printOrderingLine(std::ostream& console, int n) {
  char line[48];
  std::snprintf(line, sizeof line, "  START ORDERING  %5d  REFLEXIONS\n", n);
  console << line;
}

}  // namespace

std::unique_ptr<OrderingWorkspace> makeOrderingWorkspace() { return std::make_unique<OrderingWorkspace>(); }

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

void fastSortPositions(float* pos, std::int32_t* order, int n, OrderingWorkspace& workspace) {
  if (!allFinite(pos, n)) {
    exchangeSortPositions(pos, order, n);
    return;
  }
  std::copy_n(pos, n, workspace.positions.begin());
  std::copy_n(order, n, workspace.order.begin());
  const std::uint64_t* sorted = sortKeys(pos, n, workspace);
  countSmallerBefore(n, rankValues(sorted, n, workspace), workspace);

  int end = 0;
  for (int first = 0; first < n; first = end) {
    end = first + 1;
    while (end < n && sameValue(sorted[end], sorted[first])) ++end;
    const int head = walkGroup(sorted + first, end - first, first, workspace);
    writeGroup(first, end - first, workspace.tape.data() + head, pos, order, workspace);
  }
}

void orderReflections(ReflectionTable& table, OrderingWorkspace& workspace, std::ostream& console) {
  const int n = table.n;
  printOrderingLine(console, n);
  for (int i = 0; i < n; ++i) table.ORDER[i] = i + 1;
  fastSortPositions(table.SIN2THETA.data(), table.ORDER.data(), n, workspace);

  std::vector<std::int32_t> integers;
  for (auto* column : {&table.H, &table.K, &table.L}) permuteColumn(*column, table.ORDER, integers);
  std::vector<float> reals;
  for (auto* column : {&table.FOBS, &table.SIGF, &table.EXTRA}) permuteColumn(*column, table.ORDER, reals);
  std::vector<RowStatus> statuses;
  permuteColumn(table.STATUS, table.ORDER, statuses);

  for (int i = 0; i < n; ++i) table.TWOTHETA[i] = twoThetaDegrees(table.SIN2THETA[i]);
}

}  // namespace kestran

// The fast exact ordering against the literal exchange sort, for five shapes
// of positions. Each case first checks the fast result and stops with an
// error if it is wrong: up to 40000 rows it must equal the exchange sort's
// positions and permutation; above, where the exchange sort would take
// minutes to hours, the positions must ascend, every row carry its own
// position, and the rows of a dozen sampled values stand in list-walk order.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "processing/ordering.hpp"

namespace {

enum class Shape { Random, Ascending, Descending, Tied, Staircase };

// Descending runs of growing length 1, 2, 3, ... from one top value: the row
// of the value k steps below the top in run k + j is the j-th of its value
// and is followed by exactly j smaller rows (the rest of its run), so every
// row turns the list of its value as far as it can. The group walk that
// turned that list entry by entry moved (2n)^1.5 / 6 entries on it, the
// costliest ties we found.
std::vector<float> staircase(int n) {
  const int runs = static_cast<int>(std::ceil(std::sqrt(2.0 * n)));
  std::vector<float> pos(static_cast<std::size_t>(n));
  int run = 0;
  int offset = 0;
  for (float& value : pos) {
    value = 0.9F * static_cast<float>(runs - 1 - offset) / static_cast<float>(runs);
    if (++offset > run) {
      ++run;
      offset = 0;
    }
  }
  return pos;
}

// sin^2(theta) values in [0, 0.9), from a fixed seed; Tied draws from 50 values.
std::vector<float> positions(Shape shape, int n) {
  if (shape == Shape::Staircase) return staircase(n);
  std::mt19937 generator(12345);
  const auto draw = [&](std::uint32_t values) {
    return 0.9F * static_cast<float>(generator() % values) / static_cast<float>(values);
  };
  std::vector<float> pos(static_cast<std::size_t>(n));
  for (float& value : pos) value = draw(shape == Shape::Tied ? 50U : 1U << 24);
  if (shape == Shape::Ascending) std::sort(pos.begin(), pos.end());
  if (shape == Shape::Descending) std::sort(pos.begin(), pos.end(), std::greater<>());
  return pos;
}

struct Rows {
  std::vector<float> pos;
  std::vector<std::int32_t> order;

  explicit Rows(const std::vector<float>& start) : pos(start), order(start.size()) {
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::int32_t>(i + 1);
  }
  int size() const { return static_cast<int>(pos.size()); }
};

void sortFast(Rows& rows) { kestran::sortPositions(rows.pos.data(), rows.order.data(), rows.size()); }

void sortLiteral(Rows& rows) { kestran::exchangeSortPositions(rows.pos.data(), rows.order.data(), rows.size()); }

// The largest list whose exchange sort the check runs (about half a second).
constexpr int literalLimit = 40000;

bool sameAsLiteral(const std::vector<float>& start, const Rows& fast) {
  Rows literal(start);
  sortLiteral(literal);
  return fast.order == literal.order && fast.pos == literal.pos;
}

// The order of the rows of `value` as the exchange sort leaves them: walk the
// file keeping a list, append each row of the value, and move the list's
// first row to its end at each smaller row.
std::vector<std::int32_t> listWalkOrder(const std::vector<float>& start, float value) {
  std::deque<std::int32_t> list;
  for (std::size_t row = 0; row < start.size(); ++row) {
    if (start[row] == value) {
      list.push_back(static_cast<std::int32_t>(row + 1));
    } else if (start[row] < value && !list.empty()) {
      list.push_back(list.front());
      list.pop_front();
    }
  }
  return {list.begin(), list.end()};
}

bool carriesItsRows(const std::vector<float>& start, const Rows& fast) {
  std::vector<bool> seen(start.size(), false);
  for (std::size_t i = 0; i < start.size(); ++i) {
    const auto row = static_cast<std::size_t>(fast.order[i] - 1);
    if (row >= start.size() || seen[row]) return false;
    seen[row] = true;
    if (std::bit_cast<std::uint32_t>(fast.pos[i]) != std::bit_cast<std::uint32_t>(start[row])) return false;
  }
  return std::is_sorted(fast.pos.begin(), fast.pos.end());
}

bool followsListWalk(const std::vector<float>& start, const Rows& fast) {
  if (!carriesItsRows(start, fast)) return false;
  const std::size_t samples = 12;
  for (std::size_t k = 0; k < samples; ++k) {
    const float value = fast.pos[k * (fast.pos.size() - 1) / (samples - 1)];
    const auto first = std::lower_bound(fast.pos.begin(), fast.pos.end(), value) - fast.pos.begin();
    const auto last = std::upper_bound(fast.pos.begin(), fast.pos.end(), value) - fast.pos.begin();
    const std::vector<std::int32_t> group(fast.order.begin() + first, fast.order.begin() + last);
    if (group != listWalkOrder(start, value)) return false;
  }
  return true;
}

bool fastIsRight(const std::vector<float>& start) {
  Rows fast(start);
  sortFast(fast);
  return start.size() <= literalLimit ? sameAsLiteral(start, fast) : followsListWalk(start, fast);
}

// Each iteration restores the positions of the shape and orders them; the
// restoring copy is part of the timed work (a few microseconds at 40000).
void orderingCase(benchmark::State& state, Shape shape, bool fast) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<float> start = positions(shape, n);
  if (!fastIsRight(start)) {
    state.SkipWithError("the fast ordering differs from the exchange sort");
    return;
  }
  const auto sort = fast ? sortFast : sortLiteral;
  for (auto _ : state) {
    Rows rows(start);
    sort(rows);
    benchmark::DoNotOptimize(rows.order.data());
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void registerCase(Shape shape, const char* shapeName, bool fast, int n) {
  const std::string name = std::string("ordering/") + (fast ? "fast/" : "literal/") + shapeName;
  auto* bench =
      benchmark::RegisterBenchmark(name.c_str(), orderingCase, shape, fast)->Arg(n)->Unit(benchmark::kMicrosecond);
  // The literal sort takes about half a second at 40000 rows.
  if (!fast && n >= 10000) bench->Iterations(n >= 40000 ? 3 : 20);
}

[[maybe_unused]] const bool registered = [] {
  const struct {
    Shape shape;
    const char* name;
  } shapes[] = {{Shape::Random, "random"},
                {Shape::Ascending, "ascending"},
                {Shape::Descending, "descending"},
                {Shape::Tied, "tied50"},
                {Shape::Staircase, "staircase"}};
  for (const bool fast : {true, false}) {
    for (const auto& shape : shapes) {
      for (const int n : {1000, 10000, 40000}) registerCase(shape.shape, shape.name, fast, n);
    }
  }
  // Beyond the table's capacity, for the fast ordering only.
  for (const auto& shape : shapes) registerCase(shape.shape, shape.name, true, 1000000);
  for (const Shape shape : {Shape::Random, Shape::Staircase}) {
    registerCase(shape, shape == Shape::Random ? "random" : "staircase", true, 10000000);
  }
  return true;
}();

}  // namespace

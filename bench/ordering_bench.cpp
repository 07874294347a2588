// The fast exact ordering against the literal exchange sort, for five shapes
// of positions. Each case first checks that both give the same positions and
// the same permutation, and stops with an error if they do not.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "processing/ordering.hpp"

namespace {

using kestran::OrderingWorkspace;

enum class Shape { Random, Ascending, Descending, Tied, Staircase };

// Descending runs of growing length 1, 2, 3, ... from one top value: the row
// of the value k steps below the top in run k + j is the j-th of its value
// and is followed by exactly j smaller rows (the rest of its run). Walking
// the equal rows' list entry by entry then costs j moves for the j-th row,
// (2n)^1.5 / 6 moves in all, the worst tie pattern known to us.
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

void sortFast(Rows& rows, OrderingWorkspace& workspace) {
  kestran::fastSortPositions(rows.pos.data(), rows.order.data(), rows.size(), workspace);
}

void sortLiteral(Rows& rows, OrderingWorkspace&) {
  kestran::exchangeSortPositions(rows.pos.data(), rows.order.data(), rows.size());
}

// Each iteration restores the positions of the shape and orders them; the
// restoring copy is part of the timed work (a few microseconds at 40000).
void orderingCase(benchmark::State& state, Shape shape, bool fast) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<float> start = positions(shape, n);
  const auto workspace = kestran::makeOrderingWorkspace();

  Rows byFast(start), byLiteral(start);
  sortFast(byFast, *workspace);
  sortLiteral(byLiteral, *workspace);
  if (byFast.order != byLiteral.order || byFast.pos != byLiteral.pos) {
    state.SkipWithError("fast and literal orderings differ");
    return;
  }
  const auto sort = fast ? sortFast : sortLiteral;
  for (auto _ : state) {
    Rows rows(start);
    sort(rows, *workspace);
    benchmark::DoNotOptimize(rows.order.data());
  }
  state.SetItemsProcessed(state.iterations() * n);
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
      for (const int n : {1000, 10000, 40000}) {
        const std::string name = std::string("ordering/") + (fast ? "fast/" : "literal/") + shape.name;
        auto* bench = benchmark::RegisterBenchmark(name.c_str(), orderingCase, shape.shape, fast)
                          ->Arg(n)
                          ->Unit(benchmark::kMicrosecond);
        // The literal sort takes about half a second at 40000 rows.
        if (!fast && n >= 10000) bench->Iterations(n >= 40000 ? 3 : 20);
      }
    }
  }
  return true;
}();

}  // namespace

#include "processing/ordering.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "reflections/cell_geometry.hpp"

namespace kestran {
namespace {

constexpr float inf = std::numeric_limits<float>::infinity();

struct Sorted {
  std::vector<float> pos;
  std::vector<std::int32_t> order;
};

std::vector<std::int32_t> identityOrder(std::size_t n) {
  std::vector<std::int32_t> order(n);
  std::iota(order.begin(), order.end(), 1);
  return order;
}

Sorted literalSort(std::vector<float> pos) {
  Sorted result{std::move(pos), {}};
  result.order = identityOrder(result.pos.size());
  exchangeSortPositions(result.pos.data(), result.order.data(), static_cast<int>(result.pos.size()));
  return result;
}

Sorted fastSort(std::vector<float> pos) {
  Sorted result{std::move(pos), {}};
  result.order = identityOrder(result.pos.size());
  sortPositions(result.pos.data(), result.order.data(), static_cast<int>(result.pos.size()));
  return result;
}

// Bit patterns, so that NaN compares equal to itself and -0 differs from +0.
std::vector<std::uint32_t> bitsOf(const std::vector<float>& values) {
  std::vector<std::uint32_t> bits;
  for (float value : values) bits.push_back(std::bit_cast<std::uint32_t>(value));
  return bits;
}

void expectSameResult(const std::vector<float>& input) {
  const Sorted literal = literalSort(input);
  const Sorted fast = fastSort(input);
  ASSERT_EQ(fast.order, literal.order) << "length " << input.size();
  ASSERT_EQ(bitsOf(fast.pos), bitsOf(literal.pos)) << "length " << input.size();
}

std::vector<float> randomArray(std::mt19937& random, const std::vector<float>& pool, int length) {
  std::uniform_int_distribution<std::size_t> pick(0, pool.size() - 1);
  std::vector<float> values(static_cast<std::size_t>(length));
  for (float& value : values) value = pool[pick(random)];
  return values;
}

// The order of equal rows as a list walk over the file: a row at the value
// is appended, a smaller row turns the list by one. Checked against the
// exchange sort itself, independently of the fast ordering.
std::vector<std::int32_t> listWalkOrder(const std::vector<float>& pos, float value) {
  std::deque<std::int32_t> list;
  for (std::size_t row = 0; row < pos.size(); ++row) {
    if (pos[row] == value) {
      list.push_back(static_cast<std::int32_t>(row + 1));
    } else if (pos[row] < value && !list.empty()) {
      list.push_back(list.front());
      list.pop_front();
    }
  }
  return {list.begin(), list.end()};
}

TEST(OrderingProperty, EqualRowsEndInListWalkOrder) {
  std::mt19937 random(7);
  const std::vector<float> pool = {0.1F, 0.2F, 0.3F, 0.4F};
  for (int trial = 0; trial < 2000; ++trial) {
    const auto input = randomArray(random, pool, static_cast<int>(random() % 40));
    const Sorted literal = literalSort(input);
    for (float value : pool) {
      std::vector<std::int32_t> group;
      for (std::size_t i = 0; i < literal.pos.size(); ++i) {
        if (literal.pos[i] == value) group.push_back(literal.order[i]);
      }
      ASSERT_EQ(group, listWalkOrder(input, value));
    }
  }
}

TEST(OrderingProperty, FastMatchesExchangeSortOnTiedArrays) {
  std::mt19937 random(2024);
  const std::vector<std::vector<float>> pools = {
      {0.5F},
      {0.1F, 0.2F},
      {0.1F, 0.2F, 0.3F},
      {0.0F, -0.0F, 0.25F, -0.25F, 1.0F},
      {FLT_MAX, -FLT_MAX, FLT_TRUE_MIN, -FLT_TRUE_MIN, 0.0F, 1.0F},
      {0.011867242F, 0.011867243F, 0.0059336214F, 0.0F},
  };
  for (const auto& pool : pools) {
    for (int trial = 0; trial < 3000; ++trial) {
      expectSameResult(randomArray(random, pool, static_cast<int>(random() % 61)));
    }
  }
}

TEST(OrderingProperty, FastMatchesExchangeSortWithNonFiniteValues) {
  std::mt19937 random(99);
  const std::vector<float> pool = {0.1F, 0.2F, 0.3F, std::nanf(""), inf, -inf};
  for (int trial = 0; trial < 3000; ++trial) {
    expectSameResult(randomArray(random, pool, static_cast<int>(random() % 61)));
  }
}

// Descending runs of growing length 1, 2, 3, ... from one top value, so
// that the j-th row of each value is followed by j smaller rows: every row
// turns the list of its value as far as it can, the costliest ties we know.
std::vector<float> staircase(int n) {
  std::vector<float> values(static_cast<std::size_t>(n));
  int run = 0;
  int offset = 0;
  for (float& value : values) {
    value = 1.0F - static_cast<float>(offset) / 1024.0F;
    if (++offset > run) {
      ++run;
      offset = 0;
    }
  }
  return values;
}

TEST(OrderingProperty, FastMatchesExchangeSortOnStaircases) {
  for (int n = 0; n <= 150; ++n) {
    expectSameResult(staircase(n));
  }
  for (const int n : {777, 2000}) {
    expectSameResult(staircase(n));
  }
}

TEST(OrderingProperty, FastMatchesExchangeSortOnLargeArrays) {
  std::mt19937 random(31);
  std::uniform_real_distribution<float> spread(0.0F, 1.0F);
  std::uniform_int_distribution<int> fewValues(1, 7);
  const int n = 5000;
  std::vector<float> spreadValues(n), tiedValues(n), ascending(n), descending(n), cyclic(n), allEqual(n, 0.3F);
  std::vector<float> stairs = staircase(n);
  // In order already, with ties and both zeros: taken as it stands.
  std::vector<float> nonDecreasing(n);
  for (int i = 0; i < n; ++i) nonDecreasing[i] = i < 6 ? (i % 2 == 0 ? -0.0F : 0.0F) : static_cast<float>(i / 3) / n;
  for (int i = 0; i < n; ++i) {
    spreadValues[i] = spread(random);
    tiedValues[i] = static_cast<float>(fewValues(random)) / 8.0F;
    ascending[i] = static_cast<float>(i) / n;
    descending[i] = static_cast<float>(n - i) / n;
    cyclic[i] = static_cast<float>(i % 71) / 128.0F;  // long turns in every group
  }
  for (const auto* input :
       {&spreadValues, &tiedValues, &ascending, &descending, &cyclic, &allEqual, &stairs, &nonDecreasing}) {
    expectSameResult(*input);
  }
}

// Seven times the table's capacity of 40000 rows, where the exchange sort
// would take minutes: the positions ascend, each row carries its own
// position along, and the rows of each sampled value stand in list-walk
// order.
TEST(OrderingProperty, LargeArraysFollowTheListWalk) {
  std::mt19937 random(5);
  const int n = 280000;
  std::vector<float> tied(n);
  for (float& value : tied) value = static_cast<float>(random() % 4096) / 4096.0F;
  for (const auto& input : {staircase(n), tied}) {
    const Sorted fast = fastSort(input);
    ASSERT_TRUE(std::is_sorted(fast.pos.begin(), fast.pos.end()));
    std::vector<std::int32_t> rows = fast.order;
    std::sort(rows.begin(), rows.end());
    ASSERT_EQ(rows, identityOrder(input.size()));
    for (std::size_t i = 0; i < input.size(); ++i) {
      ASSERT_EQ(fast.pos[i], input[static_cast<std::size_t>(fast.order[i] - 1)]) << i;
    }
    for (int sample = 0; sample < 8; ++sample) {
      const float value = fast.pos[random() % fast.pos.size()];
      const auto first = std::lower_bound(fast.pos.begin(), fast.pos.end(), value) - fast.pos.begin();
      const auto last = std::upper_bound(fast.pos.begin(), fast.pos.end(), value) - fast.pos.begin();
      const std::vector<std::int32_t> group(fast.order.begin() + first, fast.order.begin() + last);
      ASSERT_EQ(group, listWalkOrder(input, value)) << "value " << value;
    }
  }
}

struct ExchangeCase {
  std::vector<float> pos;
  std::vector<std::int32_t> order;
};

TEST(ExchangeSort, FollowsTheExchangeRule) {
  const float nan = std::nanf("");
  const ExchangeCase cases[] = {
      {{}, {}},
      {{0.4F}, {1}},
      {{0.2F, 0.2F, 0.1F}, {3, 2, 1}},  // the equal rows come out reversed
      {{0.2F, 0.1F, 0.2F}, {2, 1, 3}},  // the equal rows keep their order
      {{0.1F, 0.2F, 0.3F}, {1, 2, 3}},
      {{0.3F, 0.2F, 0.1F}, {3, 2, 1}},
      {{0.0F, -0.0F}, {1, 2}},  // the zeros are equal and never exchanged
      {{-0.0F, 0.0F}, {1, 2}},
      {{nan, 0.1F}, {2, 1}},  // a not-a-number difference exchanges
      {{0.1F, nan}, {2, 1}},
      {{inf, inf}, {2, 1}},  // infinity minus infinity is not a number
      {{-inf, -inf}, {2, 1}},
      {{-inf, inf}, {1, 2}},
  };
  for (const auto& c : cases) {
    const Sorted literal = literalSort(c.pos);
    EXPECT_EQ(literal.order, c.order) << "first of " << c.pos.size();
  }
}

std::unique_ptr<ReflectionTable> tableWithPositions(const std::vector<float>& positions) {
  auto table = std::make_unique<ReflectionTable>();
  table->resizeRows(static_cast<int>(positions.size()));
  for (std::size_t i = 0; i < positions.size(); ++i) {
    const auto row = static_cast<std::int32_t>(i + 1);
    table->sinSquaredTheta[i] = positions[i];
    table->status[i] = row % 2 == 0 ? RowStatus::RemovedInInput : RowStatus::Kept;
    table->h[i] = row;
    table->k[i] = 100 + row;
    table->l[i] = -row;
    table->amplitude[i] = 10.0F * static_cast<float>(row);
    table->sigma[i] = 0.5F * static_cast<float>(row);
    table->peakWidth[i] = 0.01F * static_cast<float>(row);
    table->thirdValue[i] = -0.02F * static_cast<float>(row);
    table->line[i] = 3 + row;
  }
  return table;
}

TEST(OrderReflections, WorkedExamplesGiveTheirOrder) {
  for (const auto& c : {ExchangeCase{{0.2F, 0.2F, 0.1F}, {3, 2, 1}}, ExchangeCase{{0.2F, 0.1F, 0.2F}, {2, 1, 3}}}) {
    auto table = tableWithPositions(c.pos);
    orderReflections(*table);
    EXPECT_EQ(std::vector<std::int32_t>(table->fileRow.begin(), table->fileRow.begin() + 3), c.order);
  }
}

TEST(OrderReflections, SingleRowIsConverted) {
  auto table = tableWithPositions({0.0059336214F});
  orderReflections(*table);
  EXPECT_EQ(table->fileRow[0], 1);
  EXPECT_FLOAT_EQ(table->twoTheta[0], 8.835741F);
}

void expectRowsFollow(const ReflectionTable& table, const ReflectionTable& before) {
  for (int i = 0; i < table.rows; ++i) {
    const int source = table.fileRow[i] - 1;
    ASSERT_EQ(table.h[i], before.h[source]);
    ASSERT_EQ(table.k[i], before.k[source]);
    ASSERT_EQ(table.l[i], before.l[source]);
    ASSERT_EQ(table.line[i], before.line[source]);
    ASSERT_EQ(table.amplitude[i], before.amplitude[source]);
    ASSERT_EQ(table.sigma[i], before.sigma[source]);
    ASSERT_EQ(table.peakWidth[i], before.peakWidth[source]);
    ASSERT_EQ(table.thirdValue[i], before.thirdValue[source]);
    ASSERT_EQ(table.status[i], before.status[source]);
    ASSERT_EQ(table.sinSquaredTheta[i], before.sinSquaredTheta[source]);
    ASSERT_EQ(table.twoTheta[i], twoThetaDegrees(before.sinSquaredTheta[source]));
  }
  EXPECT_TRUE(std::is_sorted(table.twoTheta.begin(), table.twoTheta.end()));
  std::vector<std::int32_t> rows(table.fileRow.begin(), table.fileRow.end());
  std::sort(rows.begin(), rows.end());
  for (int i = 0; i < table.rows; ++i) ASSERT_EQ(rows[i], i + 1);  // each row once
}

// Every column moves with its row: a few rows by hand, and 3000 random
// positions with ties (a permutation of many cycles), one with a column
// the flavour leaves at zero.
TEST(OrderReflections, DataColumnsFollow) {
  std::mt19937 generator(5);
  std::vector<float> many(3000);
  for (float& position : many) position = static_cast<float>(generator() % 500) / 1000.0F;
  for (const auto& positions : {std::vector<float>{0.3F, 0.1F, 0.2F, 0.1F, 0.05F, 0.3F, 0.2F}, many}) {
    auto table = tableWithPositions(positions);
    if (positions.size() > 100) std::fill(table->thirdValue.begin(), table->thirdValue.end(), 0.0F);
    const auto before = std::make_unique<ReflectionTable>(*table);
    orderReflections(*table);
    expectRowsFollow(*table, *before);
  }
}

}  // namespace
}  // namespace kestran

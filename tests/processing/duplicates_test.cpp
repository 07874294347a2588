#include "processing/duplicates.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

namespace kestran {
namespace {

// The repeats as the warning describes them, found the plain way: a row
// repeats when an earlier row of the file (of the same position, in an
// ordered table) has its indices; the first in file order is told, with
// the row just before it in file order that has the same indices.
Duplicates plainDuplicates(const ReflectionTable& table, bool ordered) {
  Duplicates found;
  for (int row = 0; row < table.rows; ++row) {
    int earlier = -1;
    for (int other = 0; other < table.rows; ++other) {
      const bool samePosition = !ordered || table.sinSquaredTheta[other] == table.sinSquaredTheta[row];
      const bool sameIndices =
          table.h[other] == table.h[row] && table.k[other] == table.k[row] && table.l[other] == table.l[row];
      if (samePosition && sameIndices && table.line[other] < table.line[row] &&
          (earlier < 0 || table.line[other] > table.line[earlier])) {
        earlier = other;
      }
    }
    if (earlier < 0) continue;
    ++found.rows;
    if (found.line == 0 || table.line[row] < found.line) {
      found = {found.rows, table.line[row], table.line[earlier], table.h[row], table.k[row], table.l[row]};
    }
  }
  return found;
}

// Ordered (FULLPROF JFOU=2, rows by position, file rows shuffled within)
// and unordered (SIRPOW) tables of few positions and few indices, so that
// positions hold many rows and many of them repeat. Every third trial has h
// beyond 4096, every third h among indices of any size: each is compared.
TEST(Duplicates, MatchThePlainSearch) {
  constexpr int anySize[] = {
      0, -1, 4095, 4096, -4096, 1 << 20, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
  std::mt19937 random(3);
  for (const int code : {1, 2}) {
    for (int trial = 0; trial < 20; ++trial) {
      ReflectionTable table;
      table.inputCode = code;
      table.resizeRows(300);
      std::vector<int> fileRows(300);
      std::iota(fileRows.begin(), fileRows.end(), 1);
      std::shuffle(fileRows.begin(), fileRows.end(), random);
      for (int row = 0; row < table.rows; ++row) {
        table.sinSquaredTheta[row] = 0.01F * static_cast<float>(1 + row / 40);
        const int small = static_cast<int>(random() % 4);
        table.h[row] = trial % 3 == 0 ? small : trial % 3 == 1 ? -5000 + small : anySize[random() % 8];
        table.k[row] = static_cast<int>(random() % 3) - 1;
        table.l[row] = 1;
        table.fileRow[row] = code == 1 ? fileRows[row] : row + 1;
        table.line[row] = table.fileRow[row] + 2;
        table.status[row] = RowStatus::Kept;
      }
      const Duplicates found = findDuplicates(table);
      const Duplicates expected = plainDuplicates(table, code == 1);
      ASSERT_EQ(found.rows, expected.rows) << "code " << code << ", trial " << trial;
      ASSERT_EQ(found.line, expected.line);
      ASSERT_EQ(found.earlierLine, expected.earlierLine);
      ASSERT_EQ(found.h, expected.h);
      ASSERT_EQ(found.k, expected.k);
      ASSERT_EQ(found.l, expected.l);
    }
  }
}

}  // namespace
}  // namespace kestran

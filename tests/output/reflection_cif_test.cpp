#include "output/reflection_cif.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace kestran {
namespace {

// The values of the CIF's loop, row by row, beside the goldens of whole
// files: each value read back and held against the row it comes from.
struct Row {
  int h, k, l;
  float sinSquared;  // above 1: no real angle
  float amplitude;   // removedInInputMarker: no value
  RowStatus status;
  char include;  // what the CIF must say of it ('-': not written)
};

constexpr float wavelength = 1.5F;
const Row rows[] = {
    {1, 0, 0, 0.0625F, 100.0F, RowStatus::Kept, 'o'},
    {1, 1, 0, 0.125F, 2000.5F, RowStatus::RemovedByNext, 'x'},
    {1, 1, 1, 0.1875F, removedInInputMarker, RowStatus::RemovedInInput, 'x'},
    {0, 0, 0, 0.0F, 50.0F, RowStatus::ZeroIndices, '-'},
    {2, 0, 0, 0.25F, 7.25F, RowStatus::BeyondLimit, 'h'},
    {9, 9, 9, 1.5F, 3.0F, RowStatus::Kept, 'h'},
    {2, 1, 0, 0.3125F, 6000.0F, RowStatus::SharedInGroup, 'o'},
};

std::vector<std::vector<std::string>> loopRows(const std::string& cif) {
  std::istringstream in(cif.substr(cif.find("_refln_include_status\n") + 22));
  std::vector<std::vector<std::string>> found;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    found.emplace_back();
    for (std::string word; words >> word;) found.back().push_back(word);
  }
  return found;
}

TEST(ReflectionCif, LoopValuesAreTheRowsWrittenValues) {
  ReflectionTable table;
  table.inputCode = 1;
  table.cell = {10, 10, 10, 90, 90, 90, wavelength};
  table.limit.dMin = 1.6F;
  table.resizeRows(static_cast<int>(std::size(rows)));
  for (int i = 0; i < table.rows; ++i) {
    const Row& row = rows[i];
    table.h[i] = row.h, table.k[i] = row.k, table.l[i] = row.l;
    table.sinSquaredTheta[i] = row.sinSquared;
    table.twoTheta[i] =
        row.sinSquared <= 1 ? static_cast<float>(2 * std::asin(std::sqrt(row.sinSquared)) * 57.29578) : std::nanf("");
    table.amplitude[i] = row.amplitude;
    table.sigma[i] = row.amplitude / 100;
    table.status[i] = row.status;
  }
  // A shared row is written with its group's values: here its own.
  table.sharedAmplitude = table.amplitude;
  table.sharedSigma = table.sigma;
  const OutputScale scale = outputScale(table);
  std::ostringstream out;
  writeReflectionCif(out, table, scale, {"abc", "abc.dat", "abcI.hkl", "kestran test"});
  const auto written = loopRows(out.str());
  std::size_t next = 0;
  for (int i = 0; i < table.rows; ++i) {
    const Row& row = rows[i];
    if (row.include == '-') continue;
    ASSERT_LT(next, written.size());
    const std::vector<std::string>& words = written[next++];
    ASSERT_EQ(words.size(), 8U) << "row " << i;
    EXPECT_EQ(words[0] + " " + words[1] + " " + words[2],
              std::to_string(row.h) + " " + std::to_string(row.k) + " " + std::to_string(row.l));
    if (row.sinSquared <= 1) {
      EXPECT_NEAR(std::strtod(words[3].c_str(), nullptr), wavelength / (2 * std::sqrt(row.sinSquared)), 5e-6);
      EXPECT_EQ(std::strtof(words[4].c_str(), nullptr), table.twoTheta[i]) << "row " << i;
    } else {
      EXPECT_EQ(words[3] + words[4], "??") << "row " << i;
    }
    const WrittenValues values = writtenValues(row.amplitude, row.amplitude / 100, scale);
    if (row.amplitude == removedInInputMarker) {
      EXPECT_EQ(words[5] + words[6], "??");
    } else {
      EXPECT_EQ(std::strtof(words[5].c_str(), nullptr), values.intensity) << "row " << i;
      EXPECT_EQ(std::strtof(words[6].c_str(), nullptr), values.propagatedSigma) << "row " << i;
    }
    EXPECT_EQ(words[7], std::string(1, row.include)) << "row " << i;
  }
  EXPECT_EQ(next, written.size());
}

}  // namespace
}  // namespace kestran

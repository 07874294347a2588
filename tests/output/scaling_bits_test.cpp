// The output stage's arithmetic and the SIRPOW amplitude and sigma, bit for
// bit, against the table of exact results in tests/data
// (tools/exact_values.py): each threshold from both sides, ties, zeros of
// both signs, subnormals and values beyond single precision.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "../bit_tables.hpp"
#include "output/scaling.hpp"
#include "reflections/entry_readers.hpp"

namespace kestran {
namespace {

using testing::bitsOf;
using testing::readBits;
using testing::readSingle;

using Operation = std::function<std::uint32_t(float, float)>;

const std::map<std::string, Operation> operations = {
    {"exceeds", [](float x, float) { return std::uint32_t{exceedsAmplitudeCap(x)}; }},
    {"capped", [](float x, float y) { return bitsOf(cappedValue(x, y)); }},
    {"hundredth", [](float x, float) { return bitsOf(hundredthOf(x)); }},
    {"square", [](float x, float) { return bitsOf(squareOf(x)); }},
    {"rescale", [](float x, float y) { return bitsOf(rescaledIntensity(x, y)); }},
    {"unscale", [](float x, float y) { return bitsOf(unscaledIntensity(x, y)); }},
    {"sirpowf", [](float x, float) { return bitsOf(sirpowAmplitude(x)); }},
    {"sirpows", [](float x, float) { return bitsOf(sirpowSigma(x)); }},
};

TEST(ScalingBits, OutputArithmeticIsExact) {
  testing::Mismatches mismatches;
  std::map<std::string, int> rows;
  for (const std::string& line : testing::dataLines("output_arithmetic_bits.txt")) {
    std::istringstream in(line);
    std::string name;
    in >> name;
    const float x = readSingle(in);
    const float y = readSingle(in);
    const std::uint32_t expected = readBits(in);
    std::string rest;
    const auto operation = operations.find(name);
    ASSERT_TRUE(in && !(in >> rest) && operation != operations.end()) << "malformed line: " << line;
    mismatches.check(expected, operation->second(x, y), name.c_str(), line);
    ++rows[name];
  }
  EXPECT_EQ(rows.size(), operations.size()) << "an operation has no rows";
  int total = 0;
  for (const auto& [name, count] : rows) {
    total += count;
  }
  EXPECT_EQ(total, 1708);
  EXPECT_EQ(mismatches.count(), 0) << mismatches.count() << " values differ from the exact table";
}

}  // namespace
}  // namespace kestran

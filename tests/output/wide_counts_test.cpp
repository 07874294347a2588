// The output stage's console counts with a capacity above the classic one:
// a count of 100000 or more is written whole, never as asterisks.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "output/normalisation.hpp"
#include "reflections/reflection_table.hpp"

namespace kestran {
namespace {

TEST(WideCounts, NumberOfHklAndFinalNumberWidenAboveTheClassicCapacity) {
  ReflectionTable table;
  table.inputCode = 3;
  table.capacity = 200000;
  table.resizeRows(123456);
  for (int i = 0; i < table.n; ++i) {
    table.H[i] = 1;
    table.FOBS[i] = static_cast<float>(i % 100);
    table.STATUS[i] = i < 100001 ? RowStatus::Kept : RowStatus::RemovedByNext;
  }
  std::ostringstream console, famp, fint, intensity;
  writeOutputFiles(table, console, famp, fint, intensity);
  const std::string text = console.str();
  EXPECT_NE(text.find("  Number of HKL = 123456\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  Final hkl number = 100001\n"), std::string::npos) << text;
  EXPECT_EQ(text.find('*'), std::string::npos) << text;
}

}  // namespace
}  // namespace kestran

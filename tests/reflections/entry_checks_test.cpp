// The tests that tell a slip from a line read as the rules say: a line
// written with decimal commas, and a line that starts with a whole number
// (a count or a reflection, never a wavelength).

#include "reflections/entry_checks.hpp"

#include <gtest/gtest.h>

namespace kestran {
namespace {

TEST(EntryChecks, DecimalCommaLinesAreToldFromSeparators) {
  const struct {
    const char* line;
    int recordValues;
    bool decimalCommas;
  } cases[] = {
      {"1 0 0 0,05 45,6", 5, true},
      {"1 0 0 0,05 45.6", 5, true},
      {"1 0 0 2 0,5 20,0 0,0500 535,2 6", 9, true},
      {"2 0,01", 2, true},
      {"1,0,0,0.05,45.6", 5, false},      // commas between the values
      {"1,0,0,0.05,45.6,7", 5, false},    // one value too many, but no number with a comma in it
      {"1 0 0 0,05 45,6 7", 5, false},    // one value too many even with points
      {"1 0 0 0.05 45.6 7,5", 5, false},  // a comment after the values
      {"1.5406,1.5444", 1, false},        // two wavelengths
      {"1 0 0 0,05 3*1", 5, false},
      {"1 0 0 0.05 45.6", 5, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isDecimalCommaLine(c.line, c.recordValues), c.decimalCommas) << c.line;
  }
}

TEST(EntryChecks, WholeNumberFirstIsACountOrAReflection) {
  const struct {
    const char* line;
    bool whole;
  } cases[] = {
      {"50 0.02", true}, {"  -4   0   1   0.0534", true},
      {"+2,0.01", true}, {"1.5406 1.5444", false},
      {"1e0 2", false},  {"", false},
      {"- 2", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(startsWithWholeNumber(c.line), c.whole) << c.line;
  }
}

}  // namespace
}  // namespace kestran

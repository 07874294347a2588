#include "text/console_text.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace kestran {
namespace {

std::string countLine(int count, bool widen) {
  std::ostringstream out;
  writeCountLine(out, "  Number of HKL = ", count, {}, widen);
  return out.str();
}

// Five columns as always; a count that needs more takes them only when
// widening, and is asterisks otherwise.
TEST(CountLine, FiveColumnsOrWiderOnlyWhenAsked) {
  const struct {
    int count;
    bool widen;
    const char* expected;
  } cases[] = {
      {0, false, "  Number of HKL =     0\n"},          {40000, false, "  Number of HKL = 40000\n"},
      {99999, true, "  Number of HKL = 99999\n"},       {7, true, "  Number of HKL =     7\n"},
      {100000, false, "  Number of HKL = *****\n"},     {100000, true, "  Number of HKL = 100000\n"},
      {10000000, true, "  Number of HKL = 10000000\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(countLine(c.count, c.widen), c.expected) << c.count << (c.widen ? " widened" : "");
  }
}

}  // namespace
}  // namespace kestran

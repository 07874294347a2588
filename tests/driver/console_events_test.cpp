#include "driver/console_events.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace kestran {
namespace {

std::string linesOf(bool widen, void (*tell)(ConsoleEvents&)) {
  std::ostringstream console;
  std::ostringstream diagnostics;
  ConsoleEvents events(&console, diagnostics, [] { return 0.0F; }, {widen, false, {}});
  tell(events);
  return console.str();
}

// Each event's console line, counts right-justified in five columns
// (widened only when the run's capacity is above the classic one).
TEST(ConsoleEvents, WriteTheClassicLines) {
  EXPECT_EQ(linesOf(false, [](ConsoleEvents& e) { e.orderingStarts(0); }), "  START ORDERING      0  REFLEXIONS\n");
  EXPECT_EQ(linesOf(false, [](ConsoleEvents& e) { e.orderingStarts(2735); }), "  START ORDERING   2735  REFLEXIONS\n");
  EXPECT_EQ(linesOf(false, [](ConsoleEvents& e) { e.rowsCut(40000); }), "  Your data will be truncated at 40000 hkl\n");
  EXPECT_EQ(linesOf(true, [](ConsoleEvents& e) { e.rowsCut(123456); }),
            "  Your data will be truncated at 123456 hkl\n");
  EXPECT_EQ(linesOf(false,
                    [](ConsoleEvents& e) {
                      e.noReflectionRead({false, 0, 2, {}});
                    }),
            "  Warning: no reflection read: no complete reflection after line 2\n");
  EXPECT_EQ(linesOf(false,
                    [](ConsoleEvents& e) {
                      e.noReflectionRead({true, -4, 2, "-4 0.1"});
                    }),
            "  Warning: no reflection read: the count -4 was taken from line 2: \"-4 0.1\"\n");
}

// The output stage's counts with a capacity above the classic one: a count
// of 100000 or more is written whole, never as asterisks; the note on the
// sigmas only where the flavour does not write its own; a warning line for
// rows beyond single precision.
TEST(ConsoleEvents, OutputSummaryCounts) {
  ReflectionTable table;
  table.inputCode = 3;
  table.capacity = 200000;
  table.resizeRows(123456);
  std::ostringstream wide;
  writeOutputSummary(wide, table, {100001, 0, {}});
  EXPECT_EQ(wide.str(), "  Number of HKL = 123456\n\n  ESD are now FOBS/100.... !!\n\n  Final hkl number = 100001\n");

  table.inputCode = 4;
  table.capacity = defaultCapacity;
  table.resizeRows(3);
  std::ostringstream own;
  writeOutputSummary(own, table, {1, 1, {}});
  EXPECT_EQ(own.str(),
            "  Number of HKL =     3\n\n  Final hkl number =     1\n"
            "  Warning: 1 reflection has an intensity beyond single precision, written as NaN or Infinity\n");
}

}  // namespace
}  // namespace kestran

#include "text/free_form.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "../support/free_form_reads.hpp"
#include "text/run_error.hpp"

namespace kestran {
namespace {

// One read statement of `count` reals from the given text; returns the values
// (starting from -9 so that unchanged variables show) and what was left for
// the next statement.
struct StatementResult {
  std::vector<float> values;
  bool complete;
  std::string nextLine;
};

StatementResult readReals(const std::string& text, int count) {
  std::istringstream in(text);
  LineReader source(in, 21, "test.dat");
  ListRead read(source);
  StatementResult result{std::vector<float>(static_cast<std::size_t>(count), -9.0F), true, ""};
  for (auto& value : result.values) {
    if (!read.real(value)) {
      result.complete = false;
      break;
    }
  }
  read.finish();
  std::string_view next;
  if (source.next(next)) {
    result.nextLine = std::string(next);
  }
  return result;
}

struct FreeFormCase {
  const char* text;
  int count;
  std::vector<float> expected;
  const char* nextLine;
};

TEST(FreeForm, SeparatorsNullsRepeatsAndSlash) {
  const FreeFormCase cases[] = {
      {"1 2 3\nnext", 3, {1, 2, 3}, "next"},
      {"1,2,3 4\nnext", 3, {1, 2, 3}, "next"},  // the rest of the line is dropped
      {"1\t2\t\t3\nnext", 3, {1, 2, 3}, "next"},
      {"1\n\n  2\n3 9\nnext", 3, {1, 2, 3}, "next"},  // values spread over lines
      {"1 2 3,\n4 5 6 7\nnext", 7, {1, 2, 3, 4, 5, 6, 7}, "next"},
      {"1,,3\nnext", 3, {1, -9, 3}, "next"},
      {"1 , , 3\nnext", 3, {1, -9, 3}, "next"},
      {",2,3\nnext", 3, {-9, 2, 3}, "next"},
      {"1 2 / 7\nnext", 4, {1, 2, -9, -9}, "next"},
      {"3*2.5 1\nnext", 4, {2.5, 2.5, 2.5, 1}, "next"},
      {"2* 7\nnext", 3, {-9, -9, 7}, "next"},
      {"1.5d2 -2E-1 4+1 .5 5.\nnext", 5, {150, -0.2F, 40, 0.5, 5}, "next"},
      {"1 2 3\r\nnext\r\n", 3, {1, 2, 3}, "next"},
      {"1,\n,3\nnext", 3, {1, -9, 3}, "next"},
  };
  for (const auto& c : cases) {
    const StatementResult result = readReals(c.text, c.count);
    EXPECT_TRUE(result.complete) << c.text;
    EXPECT_EQ(result.values, c.expected) << c.text;
    EXPECT_EQ(result.nextLine, c.nextLine) << c.text;
  }
}

TEST(FreeForm, EndOfInputIsReported) {
  const StatementResult result = readReals("1 2\n", 3);
  EXPECT_FALSE(result.complete);
  EXPECT_EQ(result.values[0], 1.0F);
  EXPECT_EQ(result.values[1], 2.0F);
}

RunError errorOf(const std::string& text, bool asInteger) {
  std::istringstream in(text);
  LineReader source(in, 5, "stdin");
  try {
    if (asInteger) {
      readOneInteger(source);
    } else {
      readOneReal(source);
    }
  } catch (const RunError& error) {
    return error;
  }
  ADD_FAILURE() << "no error for " << text;
  return RunError("none");
}

TEST(FreeForm, BadValuesStopWithTheirReport) {
  struct Case {
    const char* text;
    bool asInteger;
    const char* kind;
    const char* place;
  } const cases[] = {
      {"1.5\n", true, "list-directed I/O syntax error", ", line 1: \"1.5\""},
      {"1e3\n", true, "list-directed I/O syntax error", ", line 1: \"1e3\""},
      {"\n abc\n", true, "list-directed I/O syntax error", ", line 2: \"abc\""},
      {"3000000000\n", true, "list-directed I/O syntax error", ", line 1: \"3000000000\""},
      {"abc\n", false, "list-directed I/O syntax error", ", line 1: \"abc\""},
      {"1.0.0\n", false, "list-directed I/O syntax error", ", line 1: \"1.0.0\""},
      {"nan\n", false, "list-directed I/O syntax error", ", line 1: \"nan\""},
      {"inf\n", false, "list-directed I/O syntax error", ", line 1: \"inf\""},
      {"1e39\n", false, "list-directed I/O syntax error", ", line 1: \"1e39\""},
      {"0*5\n", false, "list-directed I/O syntax error", ", line 1: \"0*5\""},
      {"2*x\n", false, "list-directed I/O syntax error", ", line 1: \"x\""},
      {"", true, "end-of-file during read", ", line 1: the input ends before the value"},
      {"\n  \n", false, "end-of-file during read", ", line 2: the input ends before the value"},
  };
  for (const auto& c : cases) {
    const RunError error = errorOf(c.text, c.asInteger);
    EXPECT_EQ(std::string(error.what()), std::string(c.kind) + ", unit 5, file stdin" + c.place);
  }
}

TEST(FreeForm, AnAnswerThatMayBeAskedAgainHandsBackWhatItRefused) {
  std::istringstream in("1.5o\n7*\n 2.5 rest\n");
  LineReader source(in, 5, "stdin");
  float value = 0;
  std::string refused;
  EXPECT_EQ(tryReadOne(source, value, refused), AnswerRead::NotANumber);
  EXPECT_EQ(refused, "1.5o");
  std::int32_t code = 0;
  EXPECT_EQ(tryReadOne(source, code, refused), AnswerRead::Read);  // seven null values: unchanged
  EXPECT_EQ(code, 0);
  EXPECT_EQ(tryReadOne(source, value, refused), AnswerRead::Read);
  EXPECT_EQ(value, 2.5F);
  EXPECT_EQ(tryReadOne(source, value, refused), AnswerRead::EndOfInput);
  EXPECT_EQ(source.lineNumber(), 3);
}

TEST(FreeForm, IntegersAndRealsInOneStatement) {
  std::istringstream in("  1  -2 3 0 12.5 20.25 0.1 400.0 6.0 extra\nnext\n");
  LineReader source(in, 21, "x.hkl");
  ListRead read(source);
  std::int32_t h = 0, k = 0, l = 0, skipped = 0;
  float values[5] = {};
  requireInteger(read, source, h);
  requireInteger(read, source, k);
  requireInteger(read, source, l);
  requireInteger(read, source, skipped);
  for (float& value : values) {
    requireReal(read, source, value);
  }
  read.finish();
  EXPECT_EQ(h, 1);
  EXPECT_EQ(k, -2);
  EXPECT_EQ(l, 3);
  EXPECT_EQ(values[4], 6.0F);
  std::string_view next;
  ASSERT_TRUE(source.next(next));
  EXPECT_EQ(next, "next");
}

}  // namespace
}  // namespace kestran

#include "text/line_builder.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

namespace kestran {
namespace {

// Pieces as they are, and right-justified after at least one blank.
TEST(LineBuilder, PiecesAndWidths) {
  struct Case {
    void (*build)(LineBuilder&);
    const char* line;
  };
  const Case cases[] = {
      {[](LineBuilder& b) { b.integer(-12).character('\t').text("kept"); }, "-12\tkept\n"},
      {[](LineBuilder& b) { b.integer(7, 4).integer(-123, 4).integer(12345, 4); }, "   7 -123 12345\n"},
      {[](LineBuilder& b) { b.decimal(2.5, 4).text("?", 3).decimal(1.0 / 3, 5, 11); }, "2.5000  ?    0.33333\n"},
      {[](LineBuilder& b) { b.shortest(0.0125F, 8).shortest(5000.0F); }, "  0.01255000\n"},
      {[](LineBuilder& /*b*/) {}, "\n"},
  };
  for (const Case& c : cases) {
    std::ostringstream out;
    {
      BlockWriter writer(out);
      LineBuilder line(writer, 400);
      c.build(line);
      line.endLine();
    }
    EXPECT_EQ(out.str(), c.line);
  }
}

// A piece that would pass the line's bound is refused before it is written.
TEST(LineBuilder, PieceBeyondTheBoundIsRefused) {
  std::ostringstream out;
  BlockWriter writer(out);
  LineBuilder line(writer, 8);
  line.text("abcd");
  EXPECT_THROW(line.text("efgh", 6), std::length_error);
  EXPECT_THROW(line.integer(1), std::length_error);  // an integer may need 11
  line.text("efg");
  EXPECT_THROW(line.character('h'), std::length_error);  // the line end needs the last
  line.endLine();
  writer.flush();
  EXPECT_EQ(out.str(), "abcdefg\n");
}

}  // namespace
}  // namespace kestran

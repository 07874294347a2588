#include "text/line_reader.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace kestran {
namespace {

std::vector<std::string> allLines(const std::string& text, LineReader::Reading reading, std::size_t blockSize) {
  std::istringstream in(text);
  LineReader reader(in, 21, "x.dat", reading, blockSize);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.next(line)) {
    lines.emplace_back(line);
  }
  EXPECT_FALSE(reader.next(line)) << "the end stays the end";
  return lines;
}

// Reading in blocks of any size hands out exactly the lines that getline
// does, less a CR before each line end.
TEST(LineReader, BlocksGiveTheLinesOfGetline) {
  const std::string longLine(3000, 'x');
  const std::string texts[] = {"",
                               "\n",
                               "\n\n",
                               "a",
                               "a\n",
                               "a\nb",
                               "a\r\nb\r\n",
                               "\r\n\r",
                               "a\r\rb\r\n",
                               "  12 3\n\n4",
                               std::string("nul\0in\n", 7),
                               longLine + "\n" + longLine,
                               "\n" + longLine + "\r\n\r\n" + longLine + "\r"};
  for (const std::string& text : texts) {
    const std::vector<std::string> expected = allLines(text, LineReader::Reading::ByLine, 0);
    for (const std::size_t blockSize : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{64},
                                        LineReader::defaultBlockSize}) {
      EXPECT_EQ(allLines(text, LineReader::Reading::InBlocks, blockSize), expected)
          << "block size " << blockSize << " text of " << text.size() << " characters";
    }
  }
}

TEST(LineReader, BytesLeftOnlyWhenReadingInBlocks) {
  std::istringstream in("ab\r\ncd\nef");
  LineReader blocks(in, 21, "x.dat", LineReader::Reading::InBlocks, 4);
  EXPECT_EQ(blocks.bytesLeftHint(), 9U);
  std::string_view line;
  ASSERT_TRUE(blocks.next(line));
  EXPECT_EQ(line, "ab");
  EXPECT_EQ(blocks.bytesLeftHint(), 5U);
  ASSERT_TRUE(blocks.next(line));
  ASSERT_TRUE(blocks.next(line));
  EXPECT_EQ(line, "ef");
  EXPECT_EQ(blocks.bytesLeftHint(), 0U);

  std::istringstream again("ab\n");
  LineReader byLine(again, 5, "stdin");
  EXPECT_EQ(byLine.bytesLeftHint(), static_cast<std::size_t>(-1));
}

}  // namespace
}  // namespace kestran

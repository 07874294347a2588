#include "text/line_builder.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "text/number_writing.hpp"

namespace kestran {

LineBuilder::LineBuilder(BlockWriter& out, std::size_t longest)
    : out_(out), begin_(out.room(longest)), longest_(std::max<std::size_t>(longest, 1)) {}

char* LineBuilder::roomFor(std::size_t length, int width) {
  const std::size_t needed = width > 0 ? std::max(length + 1, static_cast<std::size_t>(width)) : length;
  if (longest_ - 1 - used_ < needed) {  // the line end keeps the last place
    throw std::length_error("a line outgrew the bound it was built in");
  }
  return begin_ + used_;
}

LineBuilder& LineBuilder::place(char* end, int width) {
  char* const start = begin_ + used_;
  const auto length = static_cast<int>(end - start);
  if (width > 0) {
    const int blanks = length < width ? width - length : 1;
    std::memmove(start + blanks, start, static_cast<std::size_t>(length));
    std::memset(start, ' ', static_cast<std::size_t>(blanks));
    end += blanks;
  }
  used_ = static_cast<std::size_t>(end - begin_);
  return *this;
}

LineBuilder& LineBuilder::text(std::string_view piece, int width) {
  char* const at = roomFor(piece.size(), width);
  std::memcpy(at, piece.data(), piece.size());
  return place(at + piece.size(), width);
}

LineBuilder& LineBuilder::integer(std::int32_t value, int width) {
  return place(writeInteger(roomFor(maxIntegerTextLength, width), value), width);
}

LineBuilder& LineBuilder::decimal(double value, int decimals, int width) {
  return place(writeDecimal(roomFor(maxDecimalTextLength, width), value, decimals), width);
}

LineBuilder& LineBuilder::shortest(float value, int width) {
  return place(writeShortest(roomFor(maxShortestTextLength, width), value), width);
}

void LineBuilder::endLine() {
  char* const at = begin_ + used_;
  *at = '\n';
  out_.commit(at + 1);
}

}  // namespace kestran

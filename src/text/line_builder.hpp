#pragma once
// One line of a separated or aligned table built in a BlockWriter's room.
// The line is given a bound when it starts; every piece checks that it fits
// what is left of it before it is written (the line end keeps the last
// place), so that a line longer than its bound is a fault found
// (std::length_error), never a write beyond the room. Inline: the report
// and the CIF build a line per row.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/block_writer.hpp"
#include "text/number_writing.hpp"

namespace kestran {

[[noreturn]] void failOnLineBound();

class LineBuilder {
 public:
  // Room for `longest` characters (at least 1), line end included, and at
  // most the block size.
  LineBuilder(BlockWriter& out, std::size_t longest)
      : out_(out), begin_(out.room(longest)), longest_(longest > 0 ? longest : 1) {}

  // Each piece as it is, or, with a `width` above 0, right-justified in
  // `width` columns after at least one blank.
  LineBuilder& text(std::string_view piece, int width = 0) {
    char* at = roomFor(piece.size(), width);
    for (auto blanks = static_cast<long>(width) - static_cast<long>(piece.size()); blanks > 0; --blanks) {
      *at++ = ' ';
    }
    if (width > 0 && static_cast<std::size_t>(width) <= piece.size()) {
      *at++ = ' ';
    }
    for (const char c : piece) {
      *at++ = c;
    }
    used_ = static_cast<std::size_t>(at - begin_);
    return *this;
  }
  LineBuilder& character(char c) {
    *roomFor(1, 0) = c;
    ++used_;
    return *this;
  }
  LineBuilder& integer(std::int32_t value, int width = 0) {
    return number<maxIntegerTextLength>(width, [value](char* out) { return writeInteger(out, value); });
  }
  // printf's "%.<decimals>f".
  LineBuilder& decimal(double value, int decimals, int width = 0) {
    return number<maxDecimalTextLength>(width,
                                        [value, decimals](char* out) { return writeDecimal(out, value, decimals); });
  }
  // The shortest text that reads back as `value`.
  LineBuilder& shortest(float value, int width = 0) {
    return number<maxShortestTextLength>(width, [value](char* out) { return writeShortest(out, value); });
  }

  // Ends the line with its line end and hands it to the writer.
  void endLine() {
    begin_[used_] = '\n';
    out_.commit(begin_ + used_ + 1);
  }

 private:
  // Where a piece of up to `length` characters padded to `width` goes.
  char* roomFor(std::size_t length, int width) {
    const std::size_t needed =
        width > 0 && static_cast<std::size_t>(width) > length ? static_cast<std::size_t>(width) : length + (width > 0);
    if (longest_ - 1 - used_ < needed) {
      failOnLineBound();
    }
    return begin_ + used_;
  }

  // A number of at most `longest` characters, as `write` writes it: in
  // place, or padded to `width` from a copy.
  template <std::size_t longest, typename Write>
  LineBuilder& number(int width, Write write) {
    if (width <= 0) {
      used_ = static_cast<std::size_t>(write(roomFor(longest, 0)) - begin_);
      return *this;
    }
    char written[longest];
    return text(std::string_view(written, static_cast<std::size_t>(write(written) - written)), width);
  }

  BlockWriter& out_;
  char* begin_;
  std::size_t used_ = 0;
  std::size_t longest_;
};

}  // namespace kestran

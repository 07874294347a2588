#pragma once
// One line of a separated or aligned table built in a BlockWriter's room.
// The line is given a bound when it starts; every piece checks that it fits
// what is left of it before it is written, so that a line longer than its
// bound is a fault found (std::length_error), never a write beyond the room.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/block_writer.hpp"

namespace kestran {

class LineBuilder {
 public:
  // Room for `longest` characters, line end included (at most the block size).
  LineBuilder(BlockWriter& out, std::size_t longest);

  // Each piece as it is, or, with a `width` above 0, right-justified in
  // `width` columns after at least one blank.
  LineBuilder& text(std::string_view piece, int width = 0);
  LineBuilder& character(char c) { return text(std::string_view(&c, 1)); }
  LineBuilder& integer(std::int32_t value, int width = 0);
  // printf's "%.<decimals>f".
  LineBuilder& decimal(double value, int decimals, int width = 0);
  // The shortest text that reads back as `value`.
  LineBuilder& shortest(float value, int width = 0);

  // Ends the line with its line end and hands it to the writer.
  void endLine();

 private:
  // Room for a piece of up to `length` characters padded to `width`.
  char* roomFor(std::size_t length, int width);
  // Pads the piece written from begin_ + used_ to `end` to `width`.
  LineBuilder& place(char* end, int width);

  BlockWriter& out_;
  char* begin_;
  std::size_t used_ = 0;
  std::size_t longest_;
};

}  // namespace kestran

#include "text/line_reader.hpp"

#include <utility>

#include "text/run_error.hpp"

namespace kestran {

LineReader::LineReader(std::istream& in, int unitNumber, std::string fileName)
    : in_(in), unit_(unitNumber), file_(std::move(fileName)) {
  // An exception inside a read (memory running out for a long line) would
  // otherwise only set badbit and pass for the end of the input.
  in_.exceptions(in_.exceptions() | std::ios::badbit);
}

bool LineReader::next(std::string_view& line) {
  if (!std::getline(in_, buffer_)) {
    return false;
  }
  std::string_view text(buffer_);
  if (!text.empty() && text.back() == '\r') {
    text.remove_suffix(1);
  }
  line = text;
  last_ = text;
  ++lines_;
  return true;
}

void LineReader::fail(std::string_view kind) const { throw RunError(kind, unit_, file_); }

void LineReader::failOnLine(std::string_view kind, std::string_view detail) const {
  failAt(kind, lines_, detail);
}

void LineReader::failAt(std::string_view kind, long lineNumber, std::string_view detail) const {
  throw RunError(kind, unit_, file_, atLine(lineNumber) + std::string(detail));
}

}  // namespace kestran

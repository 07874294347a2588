#include "text/line_reader.hpp"

#include <utility>

#include "text/run_error.hpp"

namespace kestran {

LineReader::LineReader(std::istream& in, int unitNumber, std::string fileName)
    : in_(in), unit_(unitNumber), file_(std::move(fileName)) {}

bool LineReader::next(std::string_view& line) {
  if (!std::getline(in_, buffer_)) {
    return false;
  }
  std::string_view text(buffer_);
  if (!text.empty() && text.back() == '\r') {
    text.remove_suffix(1);
  }
  line = text;
  return true;
}

void LineReader::fail(std::string_view kind) const { throw RunError(kind, unit_, file_); }

}  // namespace kestran

#include "text/run_error.hpp"

#include <utility>

#include "text/cat.hpp"

namespace kestran {

RunError::RunError(WholeReport, std::string report) : std::runtime_error(report), report_(std::move(report)) {}

RunError::RunError(std::string_view kind, int unitNumber, std::string_view file)
    : RunError(WholeReport{}, cat(kind, ", unit ", unitNumber, ", file ", file)) {}

RunError::RunError(std::string_view kind, int unitNumber, std::string_view file, std::string_view place)
    : RunError(WholeReport{}, cat(kind, ", unit ", unitNumber, ", file ", file, place)) {}

RunError::RunError(std::string_view kind) : RunError(WholeReport{}, std::string(kind)) {}

std::string quoted(std::string_view text) {
  constexpr std::size_t longest = 40;
  const std::size_t first = text.find_first_not_of(' ');
  text = first == std::string_view::npos ? std::string_view{} : text.substr(first);
  text = text.substr(0, text.find_last_not_of(' ') + 1);
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size() && i < longest; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte < 0x20 || byte > 0x7E) {
      constexpr char hex[] = "0123456789abcdef";
      out += "\\x";
      out += hex[byte >> 4];
      out += hex[byte & 0xF];
    } else {
      out += static_cast<char>(byte);
    }
  }
  if (text.size() > longest) {
    out += "...";
  }
  return out + '"';
}

std::string atLine(long lineNumber) { return cat(", line ", lineNumber); }

}  // namespace kestran

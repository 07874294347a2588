#include "text/run_error.hpp"

#include <cstring>
#include <utility>

#include "text/cat.hpp"

namespace kestran {

RunError::RunError(WholeReport, std::string report) : std::runtime_error(report), report_(std::move(report)) {}

RunError::RunError(std::string_view kind, int unitNumber, std::string_view file)
    : RunError(WholeReport{}, cat(kind, ", unit ", unitNumber, ", file ", shownName(file))) {}

RunError::RunError(std::string_view kind, int unitNumber, std::string_view file, std::string_view place)
    : RunError(WholeReport{}, cat(kind, ", unit ", unitNumber, ", file ", shownName(file), place)) {}

RunError::RunError(std::string_view kind) : RunError(WholeReport{}, std::string(kind)) {}

std::string systemReason(int error) {
  if (error == 0) {
    return "";
  }
  std::string reason = ": ";
  return reason + std::strerror(error);
}

namespace {

// The bytes of `text` between double quotes, the quote and the backslash
// escaped, every byte that is not printable ASCII as \xHH.
std::string inQuotes(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte > 0x7E) {
      constexpr char hex[] = "0123456789abcdef";
      out += "\\x";
      out += hex[byte >> 4];
      out += hex[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out + '"';
}

}  // namespace

std::string quoted(std::string_view text) {
  constexpr std::size_t longest = 40;
  const std::size_t first = text.find_first_not_of(' ');
  text = first == std::string_view::npos ? std::string_view{} : text.substr(first);
  text = text.substr(0, text.find_last_not_of(' ') + 1);
  if (text.size() > longest) {
    std::string out = inQuotes(text.substr(0, longest));
    out.insert(out.size() - 1, "...");
    return out;
  }
  return inQuotes(text);
}

std::string shownName(std::string_view name) {
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte > '~') {
      return inQuotes(name);
    }
  }
  return std::string(name);
}

std::string inputPlace(std::string_view file, long lineNumber) {
  return lineNumber > 0 ? cat(shownName(file), ":", lineNumber) : shownName(file);
}

RunError inputError(std::string_view file, long lineNumber, std::string_view what) {
  return RunError(RunError::WholeReport{}, cat(inputPlace(file, lineNumber), ": error: ", what));
}

std::string atLine(long lineNumber) { return cat(", line ", lineNumber); }

}  // namespace kestran

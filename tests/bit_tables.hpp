#pragma once
// Reading the tables of exact single-precision bit patterns in tests/data
// (written by tools/exact_values.py) and reporting the values that differ.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <istream>
#include <string>
#include <vector>

namespace kestran::testing {

inline std::uint32_t bitsOf(float value) { return std::bit_cast<std::uint32_t>(value); }

inline std::string hexBits(std::uint32_t bits) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(bits));
  return text;
}

// The next whitespace-separated field as a hexadecimal bit pattern; a
// missing or malformed field sets the stream's fail state.
inline std::uint32_t readBits(std::istream& in) {
  std::string field;
  std::size_t used = 0;
  unsigned long value = 0;
  if (in >> field) {
    try {
      value = std::stoul(field, &used, 16);
    } catch (const std::exception&) {
      used = 0;
    }
  }
  if (field.empty() || used != field.size() || value > 0xFFFFFFFFUL) {
    in.setstate(std::ios::failbit);
  }
  return static_cast<std::uint32_t>(value);
}

inline float readSingle(std::istream& in) { return std::bit_cast<float>(readBits(in)); }

// The table's lines less its comment lines; a missing file gives none.
inline std::vector<std::string> dataLines(const std::string& name) {
  const std::filesystem::path path = std::filesystem::path(KESTRAN_SOURCE_DIR) / "tests" / "data" / name;
  std::ifstream in(path);
  EXPECT_TRUE(in.is_open()) << "cannot open " << path;
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] != '#') {
      lines.push_back(line);
    }
  }
  return lines;
}

// Counts the values whose bits differ and reports the first few. Every
// not-a-number matches every other.
class Mismatches {
 public:
  void check(std::uint32_t expected, std::uint32_t got, const char* what, const std::string& where) {
    if (expected == got || (isNaN(expected) && isNaN(got))) {
      return;
    }
    if (++count_ <= reported) {
      ADD_FAILURE() << what << ": expected " << hexBits(expected) << ", got " << hexBits(got) << " at [" << where
                    << "]";
    }
  }
  int count() const { return count_; }

 private:
  static constexpr int reported = 12;
  static bool isNaN(std::uint32_t bits) { return (bits & 0x7F800000U) == 0x7F800000U && (bits & 0x007FFFFFU) != 0; }
  int count_ = 0;
};

}  // namespace kestran::testing

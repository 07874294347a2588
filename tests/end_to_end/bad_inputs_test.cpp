// A catalogue of bad inputs and faults, each run through the whole program in
// a scratch directory. For every case the program must stop with the one
// error line expected (kind, unit, file, and for a read where in the file)
// and status 1, or mend the fault and end normally with status 0; it is never
// killed by a signal; it creates or changes no file but its three output
// files; and each output file ends in the state the case names. Every case
// that stops runs with old output files in place, and must leave the whole
// directory exactly as it found it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../test_support.hpp"
#include "run_program.hpp"

namespace kestran::testing {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- running

// A file's contents, or for a big one its size and a digest (FNV-1a), read
// a piece at a time: the test must not hold the big files while they are read.
std::string contentsOrDigest(const fs::path& path) {
  constexpr std::uintmax_t smallFile = 1 << 16;
  if (fs::file_size(path) <= smallFile) {
    return readFile(path.string());
  }
  std::ifstream in(path, std::ios::binary);
  std::vector<char> piece(1 << 16);
  std::uint64_t digest = 14695981039346656037ULL;
  std::uintmax_t size = 0;
  while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
    for (std::streamsize i = 0; i < in.gcount(); ++i) {
      digest = (digest ^ static_cast<unsigned char>(piece[static_cast<std::size_t>(i)])) * 1099511628211ULL;
    }
    size += static_cast<std::uintmax_t>(in.gcount());
  }
  return "<" + std::to_string(size) + " bytes, digest " + std::to_string(digest) + ">";
}

// Every entry below a directory: regular files with their contents,
// directories and links marked as such.
std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).string();
    if (entry.is_symlink()) {
      entries[name] = "<link to " + fs::read_symlink(entry.path()).string() + ">";
    } else if (entry.is_directory()) {
      entries[name] = "<directory>";
    } else {
      entries[name] = contentsOrDigest(entry.path());
    }
  }
  return entries;
}

bool inside(const std::string& name, const std::string& top) { return name == top || name.rfind(top + "/", 0) == 0; }

// ------------------------------------------------------------ the cases

// What stands in the run directory before the run.
using Placing = std::function<void(const fs::path& directory)>;

std::string expandMegabytes(std::string text) {
  const std::string mark = "<1 MB>";
  for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at)) {
    text.replace(at, mark.size(), std::string(1 << 20, '7'));
    at += 1 << 20;
  }
  return text;
}

Placing file(std::string name, std::string contents) {
  return [name, contents](const fs::path& directory) {
    writeFile((directory / name).string(), expandMegabytes(contents));
  };
}

// Contents made only when the case runs (the big files).
Placing madeFile(std::string name, std::function<std::string()> make) {
  return [name, make](const fs::path& directory) { writeFile((directory / name).string(), make()); };
}

fs::path writtenEmpty(const fs::path& path) {
  writeFile(path.string(), "");
  return path;
}

Placing directoryHolding(std::string name, std::string inside) {
  return [name, inside](const fs::path& directory) {
    fs::create_directories(directory / name);
    if (!inside.empty()) {
      writeFile((directory / name / inside).string(), "keep\n");
    }
  };
}

// The report expected on standard error; an empty kind means a normal end.
// A report about a file that cannot be opened, created or replaced ends
// with the reason.
struct Report {
  std::string kind;
  int unit = 0;
  std::string file;
  std::string reason = {};
};

const Report normalEnd{};

// The state each output file (F.hkl, I.hkl, .int) must end in after a normal
// end, one letter per file: 'o' as it stood before the run (old file,
// directory or nothing), 'e' an empty file, 'w' a file with records. A run
// that stops leaves every file as it stood: "ooo".
struct BadInput {
  std::string name;
  std::string answers;
  std::vector<Placing> place;
  Report report;
  std::string outputs;
  std::vector<std::string> consoleHas = {};
  std::string baseName = "abc";
  bool oldOutputs = true;  // old output files stand there before a run that ends normally
  // The big files: the same case with a tenth of the lines, and limits on
  // the time and on the memory the full case may take beyond that one.
  Placing tenthOfIt = nullptr;
  double maxSeconds = 0;
  long maxGrowthMegabytes = 0;
  long memoryLimitMegabytes = 0;  // the program's address space, when above 0
};

// -------------------------------------------------------- entry files

const std::string cubicCell = "10.0 10.0 10.0 90.0 90.0 90.0 1.5406\n";
const std::string layoutA100 = "   1   0   0  123.45   1.234   1\n";
const std::string layoutA010 = "   0   1   0   60.00   0.600   1\n";
const std::string layoutB100 = "   1   0   0  100.0000   10.0000    0.2000\n";

std::string fullprof(const std::string& countLine, const std::string& lines) { return cubicCell + countLine + lines; }
std::string expo(const std::string& reflections) { return "EXPO header\n" + cubicCell + reflections; }
std::string sirpow(const std::string& reflections) { return "SIRPOW one\nSIRPOW two\n" + reflections; }

const std::string expoRows = "1 0 0 0.2 100\n0 1 1 0.2 60\n";
const std::string sirpowRows = "1 0 0 2 8.8 10.00 0.10 400.0 6.0\n2 0 0 2 4.4 20.00 0.10 100.0 2.0\n";

// The two texts joined by a NUL byte.
std::string withNul(const std::string& before, const std::string& after) { return before + '\0' + after; }

// Bytes that are no blank, separator, digit, sign, point or line end, so a
// line of them is one value that is not a number, and no field of them is.
std::string garbage(std::size_t length) {
  std::string text(length, '\0');
  std::uint32_t state = 12345;
  for (char& c : text) {
    state = state * 1103515245U + 12345U;
    const auto byte = static_cast<unsigned char>(0x80U + ((state >> 16) & 0x7FU));
    c = static_cast<char>(byte);
  }
  return text;
}

// `head`, then `lines` lines of one character each, taken in turn from
// `characters`, written a chunk at a time so that the test itself never
// holds the file.
Placing shortLinesFile(std::string name, std::string head, long lines, std::string characters) {
  return [name, head, lines, characters](const fs::path& directory) {
    std::ofstream out(directory / name, std::ios::binary);
    out << head;
    std::string chunk;
    const long chunkLines = static_cast<long>(characters.size()) * 50'000;
    for (long i = 0; i < chunkLines; ++i) {
      chunk += characters[static_cast<std::size_t>(i) % characters.size()];
      chunk += '\n';
    }
    for (long written = 0; written < lines; written += chunkLines) {
      const long now = std::min(chunkLines, lines - written);
      out.write(chunk.data(), 2 * now);
    }
  };
}

// A file of `megabytes` NUL bytes that takes no room on the disk: one line
// longer than a small memory can hold.
Placing sparseFile(std::string name, long megabytes) {
  return [name, megabytes](const fs::path& directory) {
    fs::resize_file(writtenEmpty(directory / name), megabytes << 20);
  };
}

// Digits 1 to 9 over and over: the free-form reads take one value per line.
const std::string digits = "123456789";

constexpr long tenMillion = 10'000'000;

std::string fullprofLines(int count) {
  std::string text = cubicCell + std::to_string(count) + " 0.0\n";
  for (int i = 0; i < count; ++i) {
    text += i % 2 == 0 ? layoutA100 : layoutA010;
  }
  return text;
}

// Stands for a line of 1 MB (2^20 digits 7) in answers, entry files and
// reports; it is put in only when the case runs, so that the test process
// stays small and the memory of a run can be measured.
const std::string megabyte = "<1 MB>";
const std::string longBase(251, 'n');  // its .dat fits a name (255), its F.hkl does not

Report entryReport(const std::string& kind, const std::string& name = "abc.dat", const std::string& reason = "") {
  return {kind, 21, name, reason};
}
Report consoleReport(const std::string& kind) { return {kind, 5, "stdin"}; }

const std::string notFound = "file not found";
const std::string cannotOpen = "cannot open file";
const std::string endOfFile = "end-of-file during read";
const std::string noReflection = "no reflection read";
const std::string conversion = "input conversion error";
const std::string syntax = "list-directed I/O syntax error";
const std::string cannotOverwrite = "cannot overwrite existing file";
const std::string cannotCreate = "cannot create file";

const std::string truncationLine = "  Your data will be truncated at 40000 hkl\n";

std::vector<BadInput> catalogue() {
  const std::string hkl = "abc.hkl";
  return {
      // The entry file itself.
      {"missing_entry_file", "1\nabc\n0\n", {}, entryReport(notFound), "ooo"},
      {"entry_name_is_a_directory",
       "1\nabc\n0\n",
       {directoryHolding("abc.dat", "")},
       entryReport(cannotOpen, "abc.dat", ": Is a directory"),
       "ooo"},
      {"entry_name_is_a_dangling_link",
       "1\nabc\n0\n",
       {[](const fs::path& d) { fs::create_symlink("nowhere.dat", d / "abc.dat"); }},
       entryReport(notFound),
       "ooo"},
      {"empty_fullprof_file", "1\nabc\n0\n", {file("abc.dat", "")}, entryReport(endOfFile), "ooo"},
      {"empty_expo_file", "3\nabc\n", {file(hkl, "")}, entryReport(endOfFile, hkl), "ooo"},
      {"empty_sirpow_file", "2\nabc\n1.0\n", {file(hkl, "")}, entryReport(endOfFile, hkl), "ooo"},
      {"binary_garbage_as_cell_line", "1\nabc\n0\n", {file("abc.dat", garbage(5000))}, entryReport(syntax), "ooo"},
      {"binary_garbage_as_fullprof2_line",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", garbage(72) + "\n"))},
       entryReport(conversion),
       "ooo"},
      {"binary_garbage_as_fullprof4_line",
       "4\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", garbage(42) + "\n"))},
       entryReport(conversion),
       "ooo"},
      {"binary_garbage_as_expo_reflection",
       "3\nabc\n",
       {file(hkl, expo(expoRows + garbage(300) + "\n"))},
       entryReport(syntax, hkl),
       "ooo"},
      {"binary_garbage_as_sirpow_reflection",
       "2\nabc\n1.0\n",
       {file(hkl, sirpow(garbage(300) + "\n"))},
       entryReport(syntax, hkl),
       "ooo"},
      {"binary_garbage_in_header_lines_is_skipped",
       "2\nabc\n1.0\n0\n",
       {file(hkl, garbage(300) + "\n" + garbage(20) + "\n" + sirpowRows)},
       normalEnd,
       "www"},
      {"nul_byte_in_cell_line",
       "1\nabc\n0\n",
       {file("abc.dat", withNul("10.0 10.0 1", ".0 90 90 90 1.5\n1 0.1\n") + layoutA100)},
       entryReport(syntax),
       "ooo"},
      {"nul_byte_in_fixed_field",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", withNul("   1 ", "  0   0  123.45   1.234   1\n")))},
       entryReport(conversion),
       "ooo"},
      {"nul_bytes_after_the_fields_read_are_ignored",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", "   1   0   0  123.45   1.234   1" + std::string(40, '\0') + "\n"))},
       normalEnd,
       "www"},
      {"nul_byte_in_expo_reflection",
       "3\nabc\n",
       {file(hkl, expo(withNul("1 0 0 0.2 1", "\n")))},
       entryReport(syntax, hkl),
       "ooo"},
      {"nul_byte_in_base_name",
       withNul("1\nabc", "x\n0\n"),
       {file("abc", "not an entry file\n")},
       entryReport(notFound, R"("abc\x00x.dat")"),
       "ooo"},
      {"megabyte_line_after_the_fields_read",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", "   1   0   0  123.45   1.234   1" + megabyte + "\n"))},
       normalEnd,
       "www"},
      {"megabyte_header_line", "3\nabc\n0\n0\n", {file(hkl, megabyte + "\n" + cubicCell + expoRows)}, normalEnd, "www"},
      {"megabyte_number_in_cell_line",
       "1\nabc\n0\n",
       {file("abc.dat", megabyte + "\n1 0.1\n" + layoutA100)},
       entryReport(syntax),
       "ooo"},
      {"megabyte_base_name",
       "1\n" + megabyte + "\n0\n",
       {},
       entryReport(cannotOpen, megabyte + ".dat", ": File name too long"),
       "ooo"},
      {"ten_million_short_lines_expo",
       "3\nabc\n0\n0\n",
       {shortLinesFile(hkl, "EXPO header\n" + cubicCell, tenMillion, digits)},
       normalEnd,
       "www",
       {truncationLine},
       "abc",
       true,
       shortLinesFile(hkl, "EXPO header\n" + cubicCell, tenMillion / 10, digits),
       20,
       4},
      {"ten_million_short_lines_sirpow",
       "2\nabc\n0\n0\n",
       {shortLinesFile(hkl, "SIRPOW one\nSIRPOW two\n", tenMillion, digits)},
       normalEnd,
       "www",
       {truncationLine},
       "abc",
       true,
       shortLinesFile(hkl, "SIRPOW one\nSIRPOW two\n", tenMillion / 10, digits),
       20,
       4},
      {"ten_million_blank_lines_after_expo_reflections",
       "3\nabc\n0\n0\n",
       {shortLinesFile(hkl, expo(expoRows), tenMillion, " ")},
       normalEnd,
       "www",
       {},
       "abc",
       true,
       shortLinesFile(hkl, expo(expoRows), tenMillion / 10, " "),
       20,
       4},
      {"ten_million_blank_lines_after_sirpow_reflections",
       "2\nabc\n0\n0\n",
       {shortLinesFile(hkl, sirpow(sirpowRows), tenMillion, " ")},
       normalEnd,
       "www",
       {},
       "abc",
       true,
       shortLinesFile(hkl, sirpow(sirpowRows), tenMillion / 10, " "),
       20,
       4},
      {"fullprof_count_above_capacity",
       "1\nabc\n0\n0\n",
       {madeFile("abc.dat", [] { return fullprofLines(40001); })},
       normalEnd,
       "www",
       {truncationLine}},

      {"amplitude_whose_intensity_exceeds_single_precision",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("2 0.0\n", "   1   0   0 -1.0e20   1.234   1\n" + layoutA010))},
       normalEnd,
       "www",
       {"  Warning: 1 reflection has an intensity beyond single precision, written as NaN or Infinity\n"}},

      // Fixed-column fields that are not numbers.
      {"letter_in_integer_field",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", "   1   x   0  123.45   1.234   1\n"))},
       entryReport(conversion),
       "ooo"},
      {"letter_in_fixed_point_field",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", "   1   0   0  12a.45   1.234   1\n"))},
       entryReport(conversion),
       "ooo"},
      {"letter_in_flag_field",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", "   1   0   0  123.45   1.234   I\n"))},
       entryReport(conversion),
       "ooo"},
      {"two_decimal_points",
       "4\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", "   1   0   0   100.00.0   10.0000    0.2000\n"))},
       entryReport(conversion),
       "ooo"},
      {"sign_in_middle_of_integer_field",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", "   1 1-2   0  123.45   1.234   1\n"))},
       entryReport(conversion),
       "ooo"},
      {"sign_in_middle_of_fixed_point_field",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", "   1   0   0 1.5-2.5   1.234   1\n"))},
       entryReport(conversion),
       "ooo"},
      {"tab_in_fixed_field",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", "   1   0   0  123.45\t1.234   1\n"))},
       entryReport(conversion),
       "ooo"},
      {"real_too_large_in_fixed_field",
       "4\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", "   1   0   0    1.0e39   10.0000    0.2000\n"))},
       entryReport(conversion),
       "ooo"},

      // Free-form values that are not numbers, in every free-form read.
      {"letter_in_cell_line",
       "1\nabc\n0\n",
       {file("abc.dat", "10.0 10.0 ten 90.0 90.0 90.0 1.5406\n1 0.1\n" + layoutA100)},
       entryReport(syntax),
       "ooo"},
      {"letter_in_expo_cell_line",
       "3\nabc\n",
       {file(hkl, "EXPO\n10.0 10.0 10.0 90.0 90.0 90.0 lambda\n" + expoRows)},
       entryReport(syntax, hkl),
       "ooo"},
      {"letter_for_count",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("N 0.1\n", layoutA100))},
       entryReport(syntax),
       "ooo"},
      {"letter_for_window",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("1 D\n", layoutA100))},
       entryReport(syntax),
       "ooo"},
      {"real_for_count",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("1.0 0.1\n", layoutA100))},
       entryReport(syntax),
       "ooo"},
      {"letter_for_expo_index", "3\nabc\n", {file(hkl, expo("1 k 0 0.2 100\n"))}, entryReport(syntax, hkl), "ooo"},
      {"letter_for_expo_amplitude", "3\nabc\n", {file(hkl, expo("1 0 0 0.2 F\n"))}, entryReport(syntax, hkl), "ooo"},
      {"real_for_expo_index", "3\nabc\n", {file(hkl, expo("1.5 0 0 0.2 100\n"))}, entryReport(syntax, hkl), "ooo"},
      {"letter_for_sirpow_index",
       "2\nabc\n1.0\n",
       {file(hkl, sirpow("h 0 0 2 8.8 10.0 0.1 400.0 6.0\n"))},
       entryReport(syntax, hkl),
       "ooo"},
      {"letter_for_sirpow_discarded_integer",
       "2\nabc\n1.0\n",
       {file(hkl, sirpow("1 0 0 m 8.8 10.0 0.1 400.0 6.0\n"))},
       entryReport(syntax, hkl),
       "ooo"},
      {"letter_for_sirpow_intensity",
       "2\nabc\n1.0\n",
       {file(hkl, sirpow("1 0 0 2 8.8 10.0 0.1 I 6.0\n"))},
       entryReport(syntax, hkl),
       "ooo"},
      {"nan_for_sirpow_position",
       "2\nabc\n1.0\n",
       {file(hkl, sirpow("1 0 0 2 8.8 nan 0.1 400.0 6.0\n"))},
       entryReport(syntax, hkl),
       "ooo"},
      {"letter_for_code",
       "x\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", layoutA100))},
       consoleReport(syntax),
       "ooo"},
      {"real_for_code",
       "1.0\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", layoutA100))},
       consoleReport(syntax),
       "ooo"},
      {"nul_byte_for_code",
       withNul("1", "\nabc\n0\n"),
       {file("abc.dat", fullprof("1 0.1\n", layoutA100))},
       consoleReport(syntax),
       "ooo"},
      {"letter_for_sirpow_delta", "2\nabc\nwide\n", {file(hkl, sirpow(sirpowRows))}, consoleReport(syntax), "ooo"},
      {"letter_for_expo_delta", "3\nabc\nwide\n", {file(hkl, expo(expoRows))}, consoleReport(syntax), "ooo"},

      // Numbers too large for their type.
      {"count_beyond_32_bits",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("4294967297 0.1\n", layoutA100))},
       entryReport(syntax),
       "ooo"},
      {"expo_index_beyond_32_bits",
       "3\nabc\n",
       {file(hkl, expo("2147483648 0 0 0.2 100\n"))},
       entryReport(syntax, hkl),
       "ooo"},
      {"sirpow_index_beyond_32_bits",
       "2\nabc\n1.0\n",
       {file(hkl, sirpow("1 -2147483649 0 2 8.8 10.0 0.1 400.0 6.0\n"))},
       entryReport(syntax, hkl),
       "ooo"},
      {"code_beyond_32_bits",
       "99999999999\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", layoutA100))},
       consoleReport(syntax),
       "ooo"},
      {"cell_edge_too_large_for_single_precision",
       "1\nabc\n0\n",
       {file("abc.dat", "1e39 10.0 10.0 90.0 90.0 90.0 1.5406\n1 0.1\n" + layoutA100)},
       entryReport(syntax),
       "ooo"},
      {"delta_too_large_for_single_precision",
       "3\nabc\n3.5e38\n",
       {file(hkl, expo(expoRows))},
       consoleReport(syntax),
       "ooo"},

      // End of the entry file in every reading state.
      {"fullprof_ends_inside_cell_line",
       "1\nabc\n0\n",
       {file("abc.dat", "10.0 10.0 10.0\n90.0 90.0 90.0\n")},
       entryReport(endOfFile),
       "ooo"},
      {"fullprof_ends_before_count_line", "1\nabc\n0\n", {file("abc.dat", cubicCell)}, entryReport(endOfFile), "ooo"},
      {"fullprof_ends_inside_count_line",
       "4\nabc\n0\n",
       {file("abc.dat", cubicCell + "1\n")},
       entryReport(endOfFile),
       "ooo"},
      {"fullprof2_ends_before_last_reflection",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("3 0.1\n", layoutA100 + layoutA010))},
       entryReport(endOfFile),
       "ooo"},
      {"fullprof4_ends_before_first_reflection",
       "4\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", ""))},
       entryReport(endOfFile),
       "ooo"},
      {"expo_ends_before_cell_line", "3\nabc\n", {file(hkl, "EXPO header\n")}, entryReport(endOfFile, hkl), "ooo"},
      {"expo_ends_inside_cell_line",
       "3\nabc\n",
       {file(hkl, "EXPO header\n10.0 10.0 10.0 90.0 90.0 90.0\n")},
       entryReport(endOfFile, hkl),
       "ooo"},
      {"expo_ends_inside_a_reflection", "3\nabc\n0\n0\n", {file(hkl, expo(expoRows + "1 1 0\n"))}, normalEnd, "www"},
      {"sirpow_ends_after_one_header_line",
       "2\nabc\n1.0\n",
       {file(hkl, "SIRPOW one\n")},
       entryReport(endOfFile, hkl),
       "ooo"},
      {"sirpow_ends_after_header_lines",
       "2\nabc\n1.0\n0\n",
       {file(hkl, "SIRPOW one\nSIRPOW two\n")},
       entryReport(noReflection, hkl),
       "ooo"},
      {"sirpow_ends_inside_a_reflection",
       "2\nabc\n1.0\n0\n",
       {file(hkl, sirpow(sirpowRows + "3 0 0 2 3.0\n"))},
       normalEnd,
       "www"},

      // Output files that cannot be replaced or created.
      {"non_empty_directory_for_amplitude_file",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", layoutA100)), directoryHolding("abcF.hkl", "keep")},
       {cannotOverwrite, 20, "abcF.hkl", ": Is a directory"},
       "ooo",
       {},
       "abc",
       false},
      {"non_empty_directory_for_intensity_file",
       "1\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", layoutA100)), directoryHolding("abcI.hkl", "keep")},
       {cannotOverwrite, 22, "abcI.hkl", ": Is a directory"},
       "ooo",
       {},
       "abc",
       false},
      {"empty_directory_for_wide_file",
       "4\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", layoutB100)), directoryHolding("abc.int", "")},
       {cannotOverwrite, 23, "abc.int", ": Is a directory"},
       "ooo",
       {},
       "abc",
       false},
      {"output_name_too_long_to_create",
       "1\n" + longBase + "\n0\n",
       {file(longBase + ".dat", fullprof("1 0.1\n", layoutA100))},
       {cannotCreate, 20, longBase + "F.hkl", ": File name too long"},
       "ooo",
       {},
       longBase,
       false},
      {"base_name_in_missing_directory",
       "1\nmissing/abc\n0\n",
       {},
       entryReport(notFound, "missing/abc.dat"),
       "ooo",
       {},
       "abc",
       true},

      // The console.
      {"end_of_input_at_code", "", {file("abc.dat", fullprof("1 0.1\n", layoutA100))}, consoleReport(endOfFile), "ooo"},
      {"end_of_input_at_base_name",
       "1\n",
       {file("abc.dat", fullprof("1 0.1\n", layoutA100))},
       consoleReport(endOfFile),
       "ooo"},
      {"end_of_input_at_sirpow_delta", "2\nabc\n", {file(hkl, sirpow(sirpowRows))}, consoleReport(endOfFile), "ooo"},
      {"end_of_input_at_expo_delta", "3\nabc\n", {file(hkl, expo(expoRows))}, consoleReport(endOfFile), "ooo"},
      {"end_of_input_at_final_pause", "1\nabc\n", {file("abc.dat", fullprof("1 0.1\n", layoutA100))}, normalEnd, "www"},
      {"empty_base_name",
       "1\n\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", layoutA100))},
       entryReport(notFound, ".dat", ": the base name was empty"),
       "ooo"},
      {"blank_base_name",
       "1\n   \n0\n",
       {file("abc.dat", fullprof("1 0.1\n", layoutA100))},
       entryReport(notFound, ".dat", ": the base name was empty"),
       "ooo"},
      {"empty_base_name_names_files_by_suffix",
       "3\n\n0\n0\n",
       {file(".hkl", expo(expoRows))},
       normalEnd,
       "www",
       {},
       "",
       false},
      {"code_outside_menu",
       "7\nabc\n0\n",
       {file("abc.dat", fullprof("1 0.1\n", layoutA100))},
       {"invalid input code 7: give 1, 2, 3 or 4", 0, ""},
       "ooo"},

      // Memory runs out while the new files are open.
      {"header_line_beyond_the_memory",
       "3\nabc\n",
       {sparseFile(hkl, 64)},
       {"out of memory", 0, ""},
       "ooo",
       {},
       "abc",
       true,
       nullptr,
       0,
       0,
       32},
  };
}

// Names the case in test failures.
void PrintTo(const BadInput& c, std::ostream* out) { *out << c.name; }

// Where a read went wrong, as the report adds it after the file's name.
// The first 40 bytes of garbage() as a report quotes them.
const std::string garbageQuoted = R"(\xdc\x84\xe5\xaa\x9f\xad\x9d\xda\xda\xe5\xac\x9b\x9e\xdf\x93\xf0\xf9\xec\xfd\x90)"
                                  R"(\xff\x99\xaf\xe0\x9d\x84\xac\xb4\x9d\x82\xab\xc6\xf8\xf3\xba\xf2\xdf\xdf\xae\xb7)";

const std::map<std::string, std::string> placeOfFault = {
    {"empty_fullprof_file",
     ", line 1: the cell line needs 7 values (a b c alpha beta gamma wavelength), the file is empty"},
    {"empty_expo_file", ", line 1: the file needs a header line before the cell line, the file is empty"},
    {"empty_sirpow_file", ", line 1: the file needs 2 header lines, the file is empty"},
    {"binary_garbage_as_cell_line", ", line 1: \"" + garbageQuoted + "...\": expected a, a number"},
    {"binary_garbage_as_fullprof2_line", R"(, line 3, columns 1-4: "\xdc\x84\xe5\xaa": expected h, a whole number)"},
    {"binary_garbage_as_fullprof4_line", R"(, line 3, columns 1-4: "\xdc\x84\xe5\xaa": expected h, a whole number)"},
    {"binary_garbage_as_expo_reflection", ", line 5: \"" + garbageQuoted + "...\": expected h, a whole number"},
    {"binary_garbage_as_sirpow_reflection", ", line 3: \"" + garbageQuoted + "...\": expected h, a whole number"},
    {"nul_byte_in_cell_line", R"(, line 1: "1\x00.0": expected c, a number)"},
    {"nul_byte_in_fixed_field", R"(, line 3, columns 5-8: "\x00": expected k, a whole number)"},
    {"nul_byte_in_expo_reflection", R"(, line 3: "1\x00": expected F, a number)"},
    {"megabyte_number_in_cell_line", ", line 1: \"" + std::string(40, '7') + "...\": expected a, a number"},
    {"letter_in_integer_field", R"(, line 3, columns 5-8: "x": expected k, a whole number)"},
    {"letter_in_fixed_point_field", R"(, line 3, columns 13-20: "12a.45": expected F, a number with 2 decimals)"},
    {"letter_in_flag_field", R"(, line 3, columns 29-32: "I": expected the JFOU=2 code, a whole number)"},
    {"two_decimal_points", R"(, line 3, columns 13-22: "100.00.": expected F, a number with 4 decimals)"},
    {"sign_in_middle_of_integer_field", R"(, line 3, columns 5-8: "1-2": expected k, a whole number)"},
    {"sign_in_middle_of_fixed_point_field",
     R"(, line 3, columns 13-20: "1.5-2.5": expected F, a number with 2 decimals)"},
    {"tab_in_fixed_field", R"(, line 3, columns 21-28: "\x091.234": expected sigma(F), a number with 3 decimals)"},
    {"real_too_large_in_fixed_field", R"(, line 3, columns 13-22: "1.0e39": expected F, a number with 4 decimals)"},
    {"letter_in_cell_line", R"(, line 1: "ten": expected c, a number)"},
    {"letter_in_expo_cell_line", R"(, line 2: "lambda": expected lambda, a number)"},
    {"letter_for_count", R"(, line 2: "N": expected the count, a whole number)"},
    {"letter_for_window", R"(, line 2: "D": expected the window D, a number)"},
    {"real_for_count", R"(, line 2: "1.0": expected the count, a whole number)"},
    {"letter_for_expo_index", R"(, line 3: "k": expected k, a whole number)"},
    {"letter_for_expo_amplitude", R"(, line 3: "F": expected F, a number)"},
    {"real_for_expo_index", R"(, line 3: "1.5": expected h, a whole number)"},
    {"letter_for_sirpow_index", R"(, line 3: "h": expected h, a whole number)"},
    {"letter_for_sirpow_discarded_integer", R"(, line 3: "m": expected the 4th value, a whole number)"},
    {"letter_for_sirpow_intensity", R"(, line 3: "I": expected the intensity, a number)"},
    {"nan_for_sirpow_position", R"(, line 3: "nan": expected 2theta, a number)"},
    {"letter_for_code", R"(, line 1: "x": expected the input code, a whole number 1 to 4)"},
    {"real_for_code", R"(, line 1: "1.0": expected the input code, a whole number 1 to 4)"},
    {"nul_byte_for_code", R"(, line 1: "1\x00": expected the input code, a whole number 1 to 4)"},
    {"letter_for_sirpow_delta", R"(, line 3: "wide": expected DELTA, a number (the factor of the peak width))"},
    {"letter_for_expo_delta", R"(, line 3: "wide": expected DELTA, a number (the factor of the peak width))"},
    {"count_beyond_32_bits", R"(, line 2: "4294967297": expected the count, a whole number)"},
    {"expo_index_beyond_32_bits", R"(, line 3: "2147483648": expected h, a whole number)"},
    {"sirpow_index_beyond_32_bits", R"(, line 3: "-2147483649": expected k, a whole number)"},
    {"code_beyond_32_bits", R"(, line 1: "99999999999": expected the input code, a whole number 1 to 4)"},
    {"cell_edge_too_large_for_single_precision", R"(, line 1: "1e39": expected a, a number)"},
    {"delta_too_large_for_single_precision",
     R"(, line 3: "3.5e38": expected DELTA, a number (the factor of the peak width))"},
    {"sirpow_ends_after_header_lines",
     ", line 2: no complete reflection after line 2; expected the reflections to the end of the file"},
    {"fullprof_ends_inside_cell_line",
     ", line 2: the cell line needs 7 values (a b c alpha beta gamma wavelength), the file ends after 6"},
    {"fullprof_ends_before_count_line",
     ", line 1: the count line needs 2 values (count and window), the file ends after 0"},
    {"fullprof_ends_inside_count_line",
     ", line 2: the count line needs 2 values (count and window), the file ends after 1"},
    {"fullprof2_ends_before_last_reflection",
     ", line 4: the count line announces 3 reflections, the file ends after 2"},
    {"fullprof4_ends_before_first_reflection",
     ", line 2: the count line announces 1 reflection, the file ends after 0"},
    {"expo_ends_before_cell_line",
     ", line 1: the cell line needs 7 values (a b c alpha beta gamma wavelength), the file ends after 0"},
    {"expo_ends_inside_cell_line",
     ", line 2: the cell line needs 7 values (a b c alpha beta gamma wavelength), the file ends after 6"},
    {"sirpow_ends_after_one_header_line", ", line 1: the file needs 2 header lines, the file ends after 1"},
    {"end_of_input_at_code", ", line 1: the input ends before the code"},
    {"end_of_input_at_base_name", ", line 2: the input ends before the base name"},
    {"end_of_input_at_sirpow_delta", ", line 3: the input ends before DELTA"},
    {"end_of_input_at_expo_delta", ", line 3: the input ends before DELTA"},
};

bool isReadFault(const Report& report) {
  return report.kind == endOfFile || report.kind == conversion || report.kind == syntax || report.kind == noReflection;
}

std::string expectedErrors(const BadInput& c) {
  const Report& report = c.report;
  if (report.kind.empty()) {
    return "";
  }
  if (report.unit == 0) {
    return "kestran: " + report.kind + "\n";
  }
  const auto place = placeOfFault.find(c.name);
  return "kestran: " + report.kind + ", unit " + std::to_string(report.unit) + ", file " + report.file +
         (place == placeOfFault.end() ? "" : place->second) + report.reason + "\n";
}

TEST(BadInputCatalogue, EveryReadFaultHasItsPlace) {
  for (const BadInput& c : catalogue()) {
    EXPECT_EQ(placeOfFault.count(c.name), isReadFault(c.report) ? 1U : 0U) << c.name;
  }
}

std::string withoutWarnings(const std::string& errors) {
  std::istringstream lines(errors);
  std::string kept;
  for (std::string line; std::getline(lines, line);) {
    if (line.find(": warning: ") == std::string::npos) {
      kept += line + "\n";
    }
  }
  return kept;
}

class BadInputs : public ::testing::TestWithParam<BadInput> {};

#if defined(__SANITIZE_ADDRESS__)
constexpr bool underSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool underSanitizer = true;
#else
constexpr bool underSanitizer = false;
#endif
#else
constexpr bool underSanitizer = false;
#endif

bool stops(const BadInput& c) { return !c.report.kind.empty(); }

// Fills `work` for the case: what the case places, then old output files
// where it placed none (always for a case that stops): earlier outputs, one
// record each, which a run may replace.
void prepare(const BadInput& c, const fs::path& work, const std::vector<Placing>& placing) {
  fs::create_directory(work);
  for (const Placing& place : placing) {
    place(work);
  }
  if (c.oldOutputs || stops(c)) {
    for (const char* suffix : {"F.hkl", "I.hkl", ".int"}) {
      const std::string output = c.baseName + suffix;
      std::error_code tooLong;
      if (!fs::exists(fs::symlink_status(work / output, tooLong))) {
        writeFile((work / output).string(), "   1   0   0  100.00   1.000   1\n");  // fails for a name too long
      }
    }
  }
}

TEST_P(BadInputs, OneClearReportAndNoOtherFileTouched) {
  const BadInput& c = GetParam();
  if (c.memoryLimitMegabytes > 0 && underSanitizer) {
    GTEST_SKIP() << "a sanitizer needs more address space than the limit";
  }
  TempDir scratch;
  writeFile(scratch.file("answers"), expandMegabytes(c.answers));
  long tenthKilobytes = 0;
  if (c.tenthOfIt) {
    const fs::path tenth = scratch.path() / "tenth";
    prepare(c, tenth, {c.tenthOfIt});
    tenthKilobytes = runKestran(tenth.string(), (scratch.path() / "answers").string()).maxResidentKilobytes;
    fs::remove_all(tenth);
  }
  const fs::path work = scratch.path() / "run";
  prepare(c, work, c.place);
  const std::string outputs[3] = {c.baseName + "F.hkl", c.baseName + "I.hkl", c.baseName + ".int"};
  const auto before = snapshot(work);

  const ProcessResult run =
      runKestran(work.string(), (scratch.path() / "answers").string(), {}, c.memoryLimitMegabytes);

  EXPECT_EQ(run.signal, 0) << "killed by a signal";
  EXPECT_EQ(run.status, c.report.kind.empty() ? 0 : 1);
  // The warnings about the input (these files repeat their rows) have a
  // test of their own.
  EXPECT_EQ(withoutWarnings(run.errors), expandMegabytes(expectedErrors(c)));
  for (const std::string& line : c.consoleHas) {
    EXPECT_NE(run.console.find(line), std::string::npos) << "console lacks: " << line;
  }
  if (c.maxSeconds > 0) {
    EXPECT_LT(run.seconds, c.maxSeconds);
  }
  if (c.tenthOfIt) {
    EXPECT_LT(run.maxResidentKilobytes - tenthKilobytes, c.maxGrowthMegabytes * 1024)
        << "memory grows with the file: " << tenthKilobytes << " kB for a tenth, " << run.maxResidentKilobytes
        << " kB for all of it";
  }

  const auto after = snapshot(work);
  if (stops(c)) {
    EXPECT_EQ(after, before) << "a run that stops must leave the directory as it was";
    return;
  }
  auto isChangedOutput = [&](const std::string& name) {
    for (int i = 0; i < 3; ++i) {
      if (c.outputs[i] != 'o' && inside(name, outputs[i])) {
        return true;
      }
    }
    return false;
  };
  for (const auto& [name, contents] : before) {
    if (isChangedOutput(name)) {
      continue;
    }
    ASSERT_TRUE(after.count(name)) << "removed: " << name;
    EXPECT_EQ(after.at(name), contents) << "changed: " << name;
  }
  for (const auto& [name, contents] : after) {
    EXPECT_TRUE(before.count(name) || isChangedOutput(name)) << "created: " << name;
  }
  for (int i = 0; i < 3; ++i) {
    if (c.outputs[i] == 'o') {
      continue;
    }
    const fs::path output = work / outputs[i];
    ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(output))) << outputs[i];
    if (c.outputs[i] == 'e') {
      EXPECT_EQ(fs::file_size(output), 0U) << outputs[i];
    } else {
      EXPECT_GT(fs::file_size(output), 0U) << outputs[i];
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, BadInputs, ::testing::ValuesIn(catalogue()),
                         [](const ::testing::TestParamInfo<BadInput>& info) { return info.param.name; });

}  // namespace
}  // namespace kestran::testing

// What the program leaves out or changes without a console line, as the
// guide's behaviour notes (docs/guide.md) tell it: each note is run here on a small entry
// file, and the amplitude file and the console must show exactly that, and
// standard error the warning where the input looks wrong.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../test_support.hpp"
#include "run_program.hpp"

namespace kestran::testing {
namespace {

struct Documented {
  const char* name;
  const char* entryName;
  std::string entry;
  const char* answers;
  std::vector<std::string> ampLines;  // the amplitude file, line by line
  std::string countLine;              // the console's "Number of HKL" line
  std::string errors = {};            // standard error
};

const std::string cell = "10.0 10.0 10.0 90.0 90.0 90.0 1.5406\n";
const std::string expoHead = "EXPO header\n" + cell;
const std::string endRecord = "   0   0   0    0.00   0.000   0";

const Documented notes[] = {
    {"second_reflection_on_a_line_is_not_read",
     "abc.hkl",
     expoHead + "1 0 0 0.2 100 0 1 0 0.2 60\n",
     "3\nabc\n0\n0\n",
     {"   1   0   0  100.00   1.000   1", endRecord},
     "  Number of HKL =     1\n",
     "kestran: abc.hkl:3: warning: values after the reflection (h k l FWHM F) are dropped: \"0 1 0 0.2 60\"\n"},
    {"empty_value_leaves_zero",
     "abc.hkl",
     expoHead + "1,0,0,,100\n2 0 0 0.2 50 ,\n",
     "3\nabc\n1\n0\n",
     {"   1   0   0  100.00   1.000   1", "   2   0   0   50.00   0.500   1", endRecord},
     "  Number of HKL =     2\n"},
    {"slash_leaves_zero",
     "abc.hkl",
     expoHead + "1 0 0 0.2 / 77\n",
     "3\nabc\n0\n0\n",
     {"   1   0   0    0.00   0.000   1", endRecord},
     "  Number of HKL =     1\n"},
    {"answer_line_rest_is_ignored",
     "abc.dat",
     cell + "1 0.0\n   1   0   0  123.45   1.234   1\n",
     "1 4 2\nabc\n0\n",
     {"   1   0   0  123.45   1.234   1", endRecord},
     "  Number of HKL =     1\n"},
    {"fullprof_lines_after_the_count_are_not_read",
     "abc.dat",
     cell + "1 0.0\n   1   0   0  123.45   1.234   1\nnot a reflection line\n",
     "1\nabc\n0\n",
     {"   1   0   0  123.45   1.234   1", endRecord},
     "  Number of HKL =     1\n"},
    {"jfou4_columns_after_42_are_not_read",
     "abc.dat",
     cell + "1 0.0\n   1   0   0  100.0000   10.0000    0.2000 x\x01 9 9\n",
     "4\nabc\n0\n",
     {"   1   0   0  100.0000   10.0000    0.2000"},
     "  Number of HKL =     1\n"},
    {"blanks_inside_a_field_are_ignored",
     "abc.dat",
     cell + "1 0.0\n   1 1 2   0   12345   1.234   7\n",
     "1\nabc\n0\n",
     {"   1  12   0  123.45   1.234   1", endRecord},
     "  Number of HKL =     1\n",
     "kestran: abc.dat:3: warning: columns 5-8 \"1 2\" hold blanks inside a number, read as if they were not there; "
     "is the line shifted?\n"},
    {"cut_last_reflection_is_dropped",
     "abc.hkl",
     expoHead + "1 0 0 0.2 100\n2 0 0 0.2\n",
     "3\nabc\n0\n0\n",
     {"   1   0   0  100.00   1.000   1", endRecord},
     "  Number of HKL =     1\n"},
    {"value_below_single_precision_reads_as_zero",
     "abc.hkl",
     expoHead + "1 0 0 0.2 1e-50\n",
     "3\nabc\n0\n0\n",
     {"   1   0   0    0.00   0.000   1", endRecord},
     "  Number of HKL =     1\n"},
    {"marker_amplitude_is_removed",
     "abc.hkl",
     expoHead + "1 0 0 0.2 -1.0\n2 0 0 0.2 -30\n",
     "3\nabc\n0\n0\n",
     {"   2   0   0  -30.00  -0.300   1", endRecord},
     "  Number of HKL =     2\n"},
    {"index_too_wide_for_its_field",
     "abc.hkl",
     expoHead + "1 0 0 0.2 50\n12345 0 0 0.2 100\n",
     "3\nabc\n0\n0\n",
     {"   1   0   0   50.00   0.500   1", "****   0   0  100.00   1.000   1", endRecord},
     "  Number of HKL =     2\n"},
    {"amplitude_too_wide_for_its_field",
     "abc.hkl",
     expoHead + "1 0 0 0.2 -10000\n",
     "3\nabc\n0\n0\n",
     {"   1   0   0********-100.000   1", endRecord},
     "  Number of HKL =     1\n"},
    {"sirpow_dropped_values",
     "abc.hkl",
     "one\ntwo\n1 0 0 2 8.8 10.0 0.1 400.0 6.0\n",
     "2\nabc\n0\n0\n",
     {"   1   0   0   20.00   0.200   1", endRecord},
     "  Number of HKL =     1\n"},
};

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    start = end == std::string::npos ? text.size() : end + 1;
  }
  return lines;
}

TEST(DocumentedBehaviour, ShowsInTheFilesAsTheNotesSay) {
  for (const Documented& note : notes) {
    TempDir scratch;
    const std::string work = scratch.file("run");
    std::filesystem::create_directory(work);
    writeFile(work + "/" + note.entryName, note.entry);
    writeFile(scratch.file("answers"), note.answers);
    const ProcessResult result = runKestran(work, scratch.file("answers"));
    EXPECT_EQ(result.status, 0) << note.name;
    EXPECT_EQ(result.errors, note.errors) << note.name;
    EXPECT_EQ(linesOf(readFile(work + "/abcF.hkl")), note.ampLines) << note.name;
    EXPECT_NE(result.console.find(note.countLine), std::string::npos) << note.name << "\n" << result.console;
  }
}

}  // namespace
}  // namespace kestran::testing

// The input that looks wrong: each case is an entry file with one plausible
// slip, run as a user would, and what standard error must say. Without
// --strict a warning leaves the run as it was; with it, or where the slip
// would replace good files by wrong ones, the run stops with status 1 and
// the old outputs stay byte for byte, modes included, with no other file
// left behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "../test_support.hpp"
#include "run_program.hpp"

namespace kestran::testing {
namespace {

namespace fs = std::filesystem;

struct Diagnosis {
  const char* name;
  std::vector<std::string> arguments;  // before the base name
  const char* entryName;
  std::string entry;
  const char* answers;
  std::string errors;  // standard error, whole
  int status;
  const char* baseName = "abc";
  bool readOnlyOutputs = false;  // the old outputs made read-only (chmod a-w) before the run
  std::map<std::string, std::string> otherFiles = {};
};

const std::string cell = "10 10 10 90 90 90 1.5406\n";
const std::string jfou2 = "   1   0   0  100.00   1.000   1\n   1   1   0  200.00   2.000   1\n";
const std::string jfou4 = "   1   0   0  100.0000    1.0000    0.5000\n   1   1   0  200.0000    2.0000    0.5000\n";
const std::string expo = "EXPO\n" + cell;
const std::string sirpow = "SIRPOW\nrun\n";

const Diagnosis cases[] = {
    {"line_shifted_right_by_one_column",
     {"--code", "1"},
     "abc.dat",
     cell + "2 0.01\n" + "    0   0   2  441.50   4.415   1\n" + jfou2.substr(0, 33),
     "",
     "kestran: abc.dat:3: warning: columns 13-20 \"2  441.5\" hold blanks inside a number, read as if they were not "
     "there; is the line shifted?\n"
     "kestran: abc.dat:3: warning: reflection 0 0 0 \"0   0   2  441.50   4.415   1\" is not written: h, k and l are "
     "all 0; check that the line is not shifted and holds every value\n",
     0},
    {"strict_makes_the_warning_an_error",
     {"--strict", "--code", "1"},
     "abc.dat",
     cell + "2 0.01\n" + "    0   0   2  441.50   4.415   1\n" + jfou2.substr(0, 33),
     "",
     "kestran: abc.dat:3: error: columns 13-20 \"2  441.5\" hold blanks inside a number, read as if they were not "
     "there; is the line shifted? (--strict)\n",
     1},
    {"cell_line_without_its_wavelength",
     {"--code", "1"},
     "abc.dat",
     "10 10 10 90 90 90\n2 0.01\n   0   0   1  100.00   1.000   1\n" + jfou2,
     "",
     "kestran: abc.dat:1: error: the cell line holds 6 values and takes its wavelength from line 2 \"2 0.01\", "
     "whose other values are then dropped: the wavelength is missing; expected a b c alpha beta gamma wavelength: "
     "add the wavelength to line 1\n",
     1},
    {"expo_cell_line_without_its_wavelength",
     {"--code", "3", "--delta", "1"},
     "abc.hkl",
     "EXPO\n10 10 10 90 90 90\n-4 0 1 0.05 132.1\n1 1 0 0.1 50\n",
     "",
     "kestran: abc.hkl:2: error: the cell line holds 6 values and takes its wavelength from line 3 \"-4 0 1 0.05 "
     "132.1\", whose other values are then dropped: the wavelength is missing; expected a b c alpha beta gamma "
     "wavelength: add the wavelength to line 2\n",
     1},
    {"wavelength_alone_on_the_next_line",
     {"--code", "1"},
     "abc.dat",
     "10 10 10 90 90 90\n1.5406\n2 0.01\n" + jfou2,
     "",
     "kestran: abc.dat:1: warning: the cell line (a b c alpha beta gamma lambda) goes on to line 2; is a value "
     "missing from this line?\n",
     0},
    {"wavelength_zero",
     {"--code", "3", "--delta", "1"},
     "abc.hkl",
     "EXPO\n10 10 10 90 90 90 0\n1 0 0 0.1 40\n",
     "",
     "kestran: abc.hkl:2: error: the wavelength 0 (the 7th value of the cell line) is not above 0: no angle "
     "computed from it would be right; expected the wavelength in angstrom (1.5406 for Cu K-alpha1): correct the "
     "cell line\n",
     1},
    {"wavelength_in_picometres",
     {"--code", "3", "--delta", "1"},
     "abc.hkl",
     "EXPO\n10 10 10 90 90 90 154.06\n1 0 0 0.1 40\n1 1 0 0.1 50\n",
     "",
     "kestran: no reflection with a real angle, unit 21, file abc.hkl, line 2: the wavelength 154.06 reaches no d "
     "below 77.03 (at 2theta 180), and the largest d of the cell's reflections is 10; expected the wavelength in "
     "angstrom, in the unit of the cell edges (1.5406, not 154.06 pm)\n",
     1},
    {"jfou2_file_read_as_code_4",
     {"--code", "4"},
     "abc.dat",
     cell + "2 0.01\n" + jfou2,
     "",
     "kestran: abc.dat:3: error: 2 lines read as code 4 (FULLPROF JFOU=4) fit code 1 (FULLPROF JFOU=2): their "
     "decimal points stand where its lines put them, so their numbers would be read from the wrong columns; "
     "expected lines of code 4: run with code 1\n",
     1},
    {"jfou4_file_read_as_code_1",
     {"--code", "1"},
     "abc.dat",
     cell + "2 0.01\n" + jfou4,
     "",
     "kestran: abc.dat:3: error: 2 lines read as code 1 (FULLPROF JFOU=2) fit code 4 (FULLPROF JFOU=4): their "
     "decimal points stand where its lines put them, so their numbers would be read from the wrong columns; "
     "expected lines of code 1: run with code 4\n",
     1},
    {"half_of_the_lines_of_the_other_layout",
     {"--code", "1"},
     "abc.dat",
     cell + "2 0.01\n" + jfou2.substr(0, 33) + "   2   0   0  100.0000    1.0000    0.5000\n",
     "",
     "kestran: abc.dat:4: warning: 1 line read as code 1 (FULLPROF JFOU=2) fit code 4 (FULLPROF JFOU=4): their "
     "decimal points stand where its lines put them; is the code right?\n",
     0},
    {"negative_window_in_the_file",
     {"--code", "1"},
     "abc.dat",
     cell + "2 -0.01\n" + jfou2,
     "",
     "kestran: abc.dat:2: warning: the window D -0.01 is below 0: no reflection is removed; expected a window in "
     "degrees 2theta, 0 or more\n",
     0},
    {"the_same_reflection_twice",
     {"--code", "1"},
     "abc.dat",
     cell + "3 0.01\n" + jfou2 + jfou2.substr(0, 33),
     "",
     "kestran: abc.dat:5: warning: reflection 1 0 0 repeats the one of line 3: both are written; check that the "
     "list is not pasted twice or two data sets run together\n",
     0},
    {"expo_line_missing_its_amplitude",
     {"--code", "3", "--delta", "1"},
     "abc.hkl",
     expo + "1 0 0 0.1\n1 1 0 0.1 50\n2 0 0 0.1 60\n",
     "",
     "kestran: abc.hkl:3: warning: the reflection (h k l FWHM F) goes on to line 4; is a value missing from this "
     "line?\n"
     "kestran: abc.hkl:4: warning: values after the reflection (h k l FWHM F) are dropped: \"1 0 0.1 50\"\n",
     0},
    {"decimal_comma",
     {"--code", "3", "--delta", "1"},
     "abc.hkl",
     expo + "1 0 0 0,05 45.6\n1 1 0 0.05 50\n",
     "",
     "kestran: abc.hkl:3: error: \"1 0 0 0,05 45.6\" holds decimal commas: it reads as more values than the "
     "reflection (h k l FWHM F) takes, and its numbers would be wrong; expected decimal points: write 0.05, not "
     "0,05\n",
     1},
    {"decimal_commas_in_every_sirpow_row",
     {"--code", "2", "--delta", "1"},
     "abc.hkl",
     sirpow + "1 0 0 2 0,5 20,0 0,0500 535,2 6\n1 1 0 2 0,5 21,0 0,0500 400,1 6\n",
     "",
     "kestran: abc.hkl:3: error: \"1 0 0 2 0,5 20,0 0,0500 535,2 6\" holds decimal commas: it reads as more values "
     "than the reflection (h k l m x 2theta FWHM I sigma) takes, and its numbers would be wrong; 2 lines in all "
     "hold them; expected decimal points: write 0.05, not 0,05\n",
     1},
    {"commas_that_separate_values",
     {"--code", "3", "--delta", "1"},
     "abc.hkl",
     expo + "1,0,0,0.1,40\n1,1,0,0.1,50,7\n",
     "",
     "kestran: abc.hkl:4: warning: values after the reflection (h k l FWHM F) are dropped: \",7\"; a decimal "
     "comma (0,05) reads as two values\n",
     0},
    {"sirpow_not_in_ascending_angle",
     {"--code", "2", "--delta", "1"},
     "abc.hkl",
     sirpow + "1 0 0 2 0.5 20.0 0.1 400 6\n1 1 0 2 0.5 10.0 0.1 100 2\n",
     "",
     "kestran: abc.hkl:4: warning: 2theta 10 is below the 20 of line 3: SIRPOW rows are compared with their "
     "neighbours in file order; expected ascending 2theta\n",
     0},
    {"batch_run_cut_at_the_capacity",
     {"--code", "1", "--max-reflections", "1"},
     "abc.dat",
     cell + "2 0.01\n" + jfou2,
     "",
     "kestran: abc.dat:2: warning: the count line announces 2 reflections and the table takes 1: only the first 1 "
     "are read; give --max-reflections 2 to read them all\n",
     0},
    {"reflections_the_space_group_forbids",
     {"--code", "1", "--space-group", "P21/c"},
     "abc.dat",
     cell + "4 0.01\n" + jfou2 + "   0   3   0  300.00   3.000   1\n   0   1   0  100.00   1.000   1\n",
     "",
     "kestran: abc.dat:5: warning: reflection 0 3 0 is systematically absent in the space group P 1 21/c 1; 2 rows "
     "are absent in all: they are written; check the space group, the cell and the indexing\n",
     0},
    {"sirpow_multiplicity_not_the_space_groups",
     {"--code", "2", "--delta", "1", "--space-group", "Pmmm"},
     "abc.hkl",
     sirpow + "1 0 0 2 0.5 10.0 0.1 400 6\n1 1 0 2 0.5 20.0 0.1 100 2\n1 1 1 4 0.5 30.0 0.1 100 2\n",
     "",
     "kestran: abc.hkl:4: warning: multiplicity 2 of reflection 1 1 0 is not the 4 of the space group P m m m; 2 "
     "rows differ in all: the space group's multiplicities are used\n",
     0},
    {"delta_typed_below_zero",
     {"--code", "3"},
     "abc.hkl",
     expo + "1 0 0 0.1 40\n1 1 0 0.1 50\n",
     "-2\n",
     "kestran: stdin:1: error: DELTA \"-2\" is below 0: a window below 0 removes no reflection; expected a factor "
     "of the peak width, 0 or more\n",
     1},
    {"delta_typed_with_a_decimal_comma",
     {"--strict", "--code", "3"},
     "abc.hkl",
     expo + "1 0 0 0.1 40\n1 1 0 0.1 50\n",
     "2,5\n",
     "kestran: stdin:1: error: DELTA \"2,5\" holds a decimal comma: it reads as 2 and the digits after the comma "
     "are dropped; expected a decimal point: type 2.5\n",
     1},
    {"delta_ended_by_a_comma", {"--code", "3"}, "abc.hkl", expo + "1 0 0 0.1 40\n1 1 0 0.1 50\n", "3,\n", "", 0},
    {"more_rows_than_the_table",
     {"--code", "3", "--delta", "1", "--max-reflections", "1"},
     "abc.hkl",
     expo + "1 0 0 0.1 40\n1 1 0 0.1 50\n2 0 0 0.1 60\n",
     "",
     "kestran: abc.hkl:4: warning: the table is full at 1 reflections and 2 more lines follow from here: only the "
     "first 1 are read; give --max-reflections 3 to read them all\n",
     0},
    {"count_above_the_table_with_strict",
     {"--strict", "--code", "1", "--max-reflections", "1"},
     "abc.dat",
     cell + "2 0.01\n" + jfou2,
     "",
     "kestran: abc.dat:2: error: the count line announces 2 reflections and the table takes 1: only the first 1 "
     "are read; give --max-reflections 2 to read them all (--strict)\n",
     1},
    {"name_of_another_flavour",
     {"--code", "3", "--delta", "1"},
     "abc.dat",
     cell + "2 0.01\n" + jfou2,
     "",
     "kestran: file not found, unit 21, file abc.hkl: abc.dat is there, an entry file of codes 1 and 4 (FULLPROF "
     "JFOU=2, FULLPROF JFOU=4); give its code, or check the name\n",
     1},
    {"earlier_outputs_made_read_only",
     {"--code", "1"},
     "abc.dat",
     cell + "2 0.01\n" + jfou2,
     "",
     "kestran: cannot overwrite existing file, unit 20, file abcF.hkl: it is read-only, protected from being "
     "replaced; make it writable (chmod u+w) or move it away, or choose another base name\n",
     1,
     "abc",
     true},
    {"name_typed_with_a_leading_blank", {"--code", "1"}, "abc.dat", cell + "2 0.01\n" + jfou2, "", "", 0, " abc"},
    {"name_with_a_blank_inside",
     {"--code", "1"},
     "abc.dat",
     cell + "2 0.01\n" + jfou2,
     "",
     "kestran: file not found, unit 21, file \"ab c.dat\"\n",
     1,
     "ab c"},
    {"earlier_report_replaced",
     {"--code", "1", "--report", "abc.tsv"},
     "abc.dat",
     cell + "2 0.01\n" + jfou2,
     "",
     "kestran: --report: the old file abc.tsv will be replaced\n",
     0,
     "abc",
     false,
     {{"abc.tsv", ""}}},
    {"strict_reaches_the_console_warnings",
     {"--strict", "--code", "1"},
     "abc.dat",
     "1 1 1 90 90 90 1.5406\n2 0.01\n" + jfou2 + "",
     "",
     "kestran: abc.dat: error: 1 reflection has no real angle (sin^2(theta) above 1): check the wavelength "
     "(--strict)\n",
     1},
};

// An earlier run's outputs, in their layouts.
const std::map<std::string, std::string> oldOutputs = {
    {"abcF.hkl", "   1   0   0   10.00   0.100   1\n   0   0   0    0.00   0.000   0\n"},
    {"abcI.hkl", "   1   0   0 5000.00  50.000   1\n   0   0   0    0.00   0.000   0\n"},
    {"abc.int", "   1   0   0     5000.00       50.00   1\n"},
};

std::map<std::string, std::string> filesIn(const fs::path& directory) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(directory)) {
    files[entry.path().filename().string()] = readFile(entry.path().string());
  }
  return files;
}

TEST(Diagnostics, EachSlipIsToldAtItsLine) {
  for (const Diagnosis& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir scratch;
    const fs::path work = scratch.path() / "run";
    fs::create_directory(work);
    writeFile((work / c.entryName).string(), c.entry);
    for (const auto& [name, contents] : oldOutputs) {
      writeFile((work / name).string(), contents);
      if (c.readOnlyOutputs) {
        fs::permissions(work / name, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
      }
    }
    for (const auto& [name, contents] : c.otherFiles) {
      writeFile((work / name).string(), contents);
    }
    writeFile(scratch.file("answers"), c.answers);
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.end(), {"--no-pause", c.baseName});
    const auto before = filesIn(work);
    const auto modeBefore = fs::status(work / "abcF.hkl").permissions();

    const ProcessResult run = runKestran(work.string(), scratch.file("answers"), arguments);

    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(run.status, c.status);
    const auto after = filesIn(work);
    if (c.status != 0) {
      EXPECT_EQ(after, before) << "a run that stops leaves the directory as it was";
      EXPECT_EQ(fs::status(work / "abcF.hkl").permissions(), modeBefore);
    } else {
      EXPECT_EQ(after.size(), before.size()) << "no file besides the outputs";
      EXPECT_NE(after.at("abcF.hkl"), before.at("abcF.hkl"));
    }
  }
}

}  // namespace
}  // namespace kestran::testing

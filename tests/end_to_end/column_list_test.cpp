// A list described by its columns against the flavours it can stand for:
// the same reflections as an EXPO file and as h,k,l,fwhm,F with the cell,
// or as a SIRPOW file and as h,k,l,mult,d,tt,fwhm,I,sigI in file order,
// give the same three files byte for byte; and the runs a list may make.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../test_support.hpp"
#include "run_program.hpp"

namespace kestran::testing {
namespace {

namespace fs = std::filesystem;

const char* const outputSuffixes[] = {"F.hkl", "I.hkl", ".int"};

// The file's lines from `first` (counted from 0) on.
std::string linesFrom(const std::string& text, int first) {
  std::size_t at = 0;
  for (int line = 0; line < first && at != std::string::npos; ++line) {
    at = text.find('\n', at);
    at = at == std::string::npos ? at : at + 1;
  }
  return at == std::string::npos ? std::string() : text.substr(at);
}

// An EXPO cell line "a b c alpha beta gamma lambda" as --cell and --wavelength, the texts unchanged.
std::vector<std::string> cellOptions(const std::string& expo) {
  std::istringstream line(linesFrom(expo, 1).substr(0, linesFrom(expo, 1).find('\n')));
  std::vector<std::string> values;
  for (std::string value; line >> value;) values.push_back(value);
  EXPECT_EQ(values.size(), 7U);
  values.resize(7);
  return {"--cell", values[0] + "," + values[1] + "," + values[2] + "," + values[3] + "," + values[4] + "," + values[5],
          "--wavelength", values[6]};
}

// Runs `base` of `code` and the same reflections as a column list in
// `directory`, and compares the three files of each.
void expectSameFiles(const fs::path& directory, const std::string& base, int code, const std::string& delta,
                     const std::vector<std::string>& extra = {}) {
  const std::string entry = readFile((directory / (base + ".hkl")).string());
  const std::string list = "list_" + base + ".txt";
  writeFile((directory / list).string(), linesFrom(entry, 2));  // EXPO: header and cell; SIRPOW: two headers
  std::vector<std::string> classic{"--code", std::to_string(code), "--delta", delta, "--no-pause"};
  std::vector<std::string> described{"--delta", delta, "--no-pause"};
  if (code == 3) {
    described.insert(described.end(), {"--columns", "h,k,l,fwhm,F"});
    for (const std::string& option : cellOptions(entry)) described.push_back(option);
  } else {
    described.insert(described.end(), {"--columns", "h,k,l,mult,d,tt,fwhm,I,sigI", "--order", "file"});
  }
  classic.insert(classic.end(), extra.begin(), extra.end());
  described.insert(described.end(), extra.begin(), extra.end());
  classic.push_back(base);
  described.push_back(list);
  ASSERT_EQ(runKestran(directory.string(), "", classic).status, 0) << base;
  const ProcessResult run = runKestran(directory.string(), "", described);
  ASSERT_EQ(run.status, 0) << base << ": " << run.errors;
  for (const char* suffix : outputSuffixes) {
    const fs::path own = directory / (base + suffix);
    const fs::path described = directory / ("list_" + base + suffix);
    ASSERT_TRUE(fs::exists(own) && fs::exists(described)) << base << suffix;
    EXPECT_EQ(readFile(described.string()), readFile(own.string())) << base << suffix;
  }
}

TEST(ColumnListEquivalence, ExamplesGiveTheSameFiles) {
  const TempDir directory;
  fs::copy_file(examplesDir / "quartzite.hkl", directory.path() / "expo.hkl");
  fs::copy_file(examplesDir / "sirpow" / "quartzite.hkl", directory.path() / "sirpow.hkl");
  expectSameFiles(directory.path(), "expo", 3, "1.5");
  expectSameFiles(directory.path(), "expo", 3, "1.5", {"--overlaps=share"});
  expectSameFiles(directory.path(), "sirpow", 2, "1.0");
  expectSameFiles(directory.path(), "sirpow", 2, "1.0", {"--sigma=file", "--overlaps=share"});
}

// Every EXPO and SIRPOW file of the cross-build check: cells of every
// family, ties of angle hanging on the last bit.
TEST(ColumnListEquivalence, CrossBuildInputsGiveTheSameFiles) {
  const TempDir directory;
  const std::string make = "python3 " + (fs::path(KESTRAN_SOURCE_DIR) / ".ci" / "cross_build_inputs.py").string() +
                           " " + directory.path().string() + " > /dev/null 2>&1";
  if (std::system("python3 -c '' > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "python3 is not installed";
  }
  ASSERT_EQ(std::system(make.c_str()), 0);
  std::istringstream runs(readFile(directory.file("runs.txt")));
  int compared = 0;
  for (std::string code, base, delta; runs >> code >> base >> delta;) {
    if (code == "2" || code == "3") {
      expectSameFiles(directory.path(), base, std::stoi(code), delta);
      ++compared;
    }
  }
  EXPECT_GT(compared, 40);
}

// Lists with their angles, with a cell, with d only: each runs, and its
// outputs take the entry file's name less its extension.
TEST(ColumnListRuns, EveryPositionSourceRuns) {
  struct Case {
    std::vector<std::string> options;
    const char* list;
    const char* famp;  // the reflection records of NAMEF.hkl, in order
  };
  // Worked by hand: in the cubic cell of 5 at 1.5406, (1,0,0) lies below
  // (1,1,0); d 5 and 3.5 at that wavelength likewise; tt as given.
  const Case cases[] = {
      {{"--columns", "h,k,l,tt,F", "--window", "0.01"},
       "1 1 0 25.1 30\n1 0 0 17.7 20\n",
       "   1   0   0   20.00   0.200   1\n   1   1   0   30.00   0.300   1\n"},
      {{"--columns", "h,k,l,tt,F", "--window", "0.01", "--order", "file"},
       "1 1 0 25.1 30\n1 0 0 17.7 20\n",
       "   1   1   0   30.00   0.300   1\n   1   0   0   20.00   0.200   1\n"},
      {{"--columns", "h,k,l,fwhm,F", "--cell", "5,5,5,90,90,90", "--wavelength", "1.5406", "--delta", "1"},
       "1 1 0 0.05 30\n1 0 0 0.05 20\n",
       "   1   0   0   20.00   0.200   1\n   1   1   0   30.00   0.300   1\n"},
      {{"--columns", "h,k,l,d,I,sigI", "--wavelength", "1.5406", "--window", "0.01", "--sigma=file"},
       "1 1 0 3.5 900 6\n1 0 0 5 400 6\n",
       "   1   0   0   20.00   0.150   1\n   1   1   0   30.00   0.100   1\n"},
  };
  for (const Case& c : cases) {
    const TempDir directory;
    writeFile(directory.file("refl.list.txt"), std::string("# h k l ...\n") + c.list);
    std::vector<std::string> arguments = c.options;
    arguments.insert(arguments.end(), {"--no-pause", "refl.list.txt"});
    const ProcessResult run = runKestran(directory.path().string(), "", arguments);
    ASSERT_EQ(run.status, 0) << c.options[1] << ": " << run.errors;
    EXPECT_EQ(readFile(directory.file("refl.listF.hkl")), std::string(c.famp) + "   0   0   0    0.00   0.000   0\n")
        << c.options[1];
    EXPECT_TRUE(fs::exists(directory.path() / "refl.listI.hkl") && fs::exists(directory.path() / "refl.list.int"));
    const bool propagated = run.console.find("sigma(F) = sigma(I)/(2F)") != std::string::npos;
    EXPECT_EQ(propagated, c.options.back() == "--sigma=file") << run.console;
    // Only the list kept in file order, whose angles go down, is warned of.
    const bool fileOrder = std::find(c.options.begin(), c.options.end(), "file") != c.options.end();
    EXPECT_EQ(run.errors.find("is below the") != std::string::npos, fileOrder) << run.errors;
  }
}

}  // namespace
}  // namespace kestran::testing

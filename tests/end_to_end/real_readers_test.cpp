// The reflection CIF and the SHELX files read by real readers: cctbx and
// gemmi under /usr/bin/python3 (Debian's python3-cctbx and python3-gemmi),
// through read_cif.py, for the bundled example of every flavour. Without
// them the test is skipped, except under CI (CI=true), where it fails.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "../test_support.hpp"
#include "run_program.hpp"

namespace kestran::testing {
namespace {

namespace fs = std::filesystem;

const std::string script = (fs::path(KESTRAN_SOURCE_DIR) / "tests" / "end_to_end" / "read_cif.py").string();

struct ReaderRun {
  const char* entry;  // relative to examples/
  std::vector<std::string> options;
  std::vector<std::string> checks;  // read_cif.py's arguments after the CIF and the intensity file
};

std::string quotedArgument(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  quoted += '\'';
  return quoted;
}

// The real readers are there, or the test is skipped (failed under CI).
#define REQUIRE_REAL_READERS()                                                           \
  do {                                                                                   \
    const ShellOutput probe = runShell("/usr/bin/python3 -c 'import iotbx.cif, gemmi'"); \
    if (probe.status != 0) {                                                             \
      const char* ci = std::getenv("CI");                                                \
      if (ci != nullptr && std::string(ci) == "true") {                                  \
        FAIL() << "python3-cctbx and python3-gemmi are needed under CI: " << probe.text; \
      }                                                                                  \
      GTEST_SKIP() << "python3-cctbx or python3-gemmi missing: " << probe.text;          \
    }                                                                                    \
  } while (false)

// The bundled examples come from one structure (examples/README.md): no two
// of their reflections are symmetry equivalents in its space group.
TEST(RealReaders, ExamplesHoldOneReflectionPerSetOfEquivalents) {
  REQUIRE_REAL_READERS();
  std::string command =
      "/usr/bin/python3 " +
      quotedArgument((fs::path(KESTRAN_SOURCE_DIR) / "tests" / "end_to_end" / "distinct_reflections.py").string()) +
      " 'P 32 2 1'";
  for (const char* entry : {"quartzite.dat", "quartzite4.dat", "quartzite.hkl", "sirpow/quartzite.hkl"}) {
    command += ' ' + quotedArgument((examplesDir / entry).string());
  }
  const ShellOutput checked = runShell(command);
  EXPECT_EQ(checked.status, 0) << command << "\n" << checked.text;
}

// The EXPO example's cell line (its second), as a column list is given it.
std::vector<std::string> exampleCellLine() {
  std::istringstream lines(readFile((examplesDir / "quartzite.hkl").string()));
  std::string line;
  std::getline(lines, line);
  std::getline(lines, line);
  std::istringstream values(line);
  std::vector<std::string> words;
  for (std::string word; values >> word;) words.push_back(word);
  words.resize(7);
  return words;
}

std::string cellOption() {
  const std::vector<std::string> words = exampleCellLine();
  std::string cell = words[0];
  for (int i = 1; i < 6; ++i) cell += "," + words[static_cast<std::size_t>(i)];
  return cell;
}

std::string wavelengthOption() { return exampleCellLine()[6]; }

TEST(RealReaders, CctbxAndGemmiAgreeWithTheIntensityFileOfEveryFlavour) {
  REQUIRE_REAL_READERS();
  // read_cif.py runs in the run's directory, where its files are.
  const ReaderRun runs[] = {
      {"quartzite.dat", {"--code", "1"}, {"--sigma", "hundredth", "--cell", "quartzite.dat", "1"}},
      {"quartzite.dat",
       {"--code", "1", "--sigma=file", "--d-min", "2"},
       {"--sigma", "propagated", "--cell", "quartzite.dat", "1"}},
      {"quartzite4.dat", {"--code", "4"}, {"--sigma", "squared", "--cell", "quartzite4.dat", "1"}},
      {"quartzite4.dat",
       {"--code", "4", "--layout=shelx"},
       {"--sigma", "propagated", "--cell", "quartzite4.dat", "1", "--shelx", "quartzite4F.hkl"}},
      {"quartzite.hkl", {"--code", "3", "--delta", "1"}, {"--sigma", "hundredth", "--cell", "quartzite.hkl", "2"}},
      {"quartzite.dat",
       {"--code", "1", "--overlaps=share", "--space-group", "P 31 2 1"},
       {"--sigma", "hundredth", "--cell", "quartzite.dat", "1", "--space-group", "P 31 2 1"}},
      {"quartzite.hkl",
       {"--code", "3", "--delta", "1", "--space-group", "152"},
       {"--sigma", "hundredth", "--cell", "quartzite.hkl", "2", "--space-group", "P3121"}},
      {"sirpow/quartzite.hkl",
       {"--code", "2", "--delta", "1", "--sigma=file", "--two-theta-max", "40"},
       {"--sigma", "propagated"}},
      {"quartzite.hkl",
       {"--columns", "h,k,l,fwhm,F", "--skip-lines", "2", "--cell", cellOption(), "--wavelength", wavelengthOption(),
        "--delta", "1"},
       {"--sigma", "hundredth", "--cell", "quartzite.hkl", "2"}},
  };
  for (const ReaderRun& reader : runs) {
    TempDir dir;
    const fs::path entry = examplesDir / reader.entry;
    const std::string base = entry.stem().string();
    fs::copy_file(entry, dir.path() / entry.filename());
    std::vector<std::string> arguments = reader.options;
    // A column list is named in full; its outputs take the name less its extension.
    const bool namedInFull = reader.options.front() == "--columns";
    arguments.insert(arguments.end(),
                     {"--no-pause", "--cif", base + ".cif", namedInFull ? entry.filename().string() : base});
    const ProcessResult result = runKestran(dir.path().string(), "", arguments);
    ASSERT_EQ(result.status, 0) << reader.entry << result.errors;

    std::string command = "cd ";
    command += quotedArgument(dir.path().string());
    command += " && /usr/bin/python3 ";
    command += quotedArgument(script);
    std::vector<std::string> checks = {base + ".cif", base + "I.hkl"};
    checks.insert(checks.end(), reader.checks.begin(), reader.checks.end());
    for (const std::string& check : checks) {
      command += ' ';
      command += quotedArgument(check);
    }
    const ShellOutput checked = runShell(command);
    EXPECT_EQ(checked.status, 0) << command << "\n" << checked.text;
    EXPECT_NE(checked.text.find("cctbx and gemmi agree"), std::string::npos) << checked.text;
  }
}

}  // namespace
}  // namespace kestran::testing

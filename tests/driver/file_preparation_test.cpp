#include "driver/file_preparation.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "../test_support.hpp"
#include "driver/extra_outputs.hpp"
#include "text/run_error.hpp"

namespace kestran {
namespace {

using testing::contentsOf;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

// An earlier output of kestran: one record of the amplitude layout.
const std::string oldRecord = "   1   0   0  100.00   1.000   1\n";

TEST(FileNames, SuffixesJoinTheBaseNameWhole) {
  EXPECT_EQ(buildName("abc", flavourOf(1).entrySuffix), "abc.dat");
  EXPECT_EQ(buildName("abc", flavourOf(4).entrySuffix), "abc.dat");
  EXPECT_EQ(buildName("abc", flavourOf(2).entrySuffix), "abc.hkl");
  EXPECT_EQ(buildName("abc", flavourOf(3).entrySuffix), "abc.hkl");
  EXPECT_EQ(buildName("abc", fampSuffix), "abcF.hkl");
  EXPECT_EQ(buildName("abc", fintSuffix), "abcI.hkl");
  EXPECT_EQ(buildName("abc", intSuffix), "abc.int");
  EXPECT_EQ(buildName("", intSuffix), ".int");
  // Names are never cut, whatever the length of the base name.
  EXPECT_EQ(buildName("abcdefghijklmnopqrst", fampSuffix), "abcdefghijklmnopqrstF.hkl");
}

// A column list is named in full; its outputs take the name less the
// extension of the file's own name.
TEST(FileNames, ListNamedInFullGivesItsStemToTheOutputs) {
  const std::pair<const char*, const char*> names[] = {
      {"refl.txt", "refl"},   {"refl.list.txt", "refl.list"}, {"a.b/refl", "a.b/refl"}, {"dir/refl.csv", "dir/refl"},
      {".hidden", ".hidden"}, {"dir/.hidden", "dir/.hidden"}, {"noext", "noext"},       {"x.", "x"},
  };
  const Flavour& list = columnListFlavour();
  for (const auto& [given, base] : names) {
    EXPECT_EQ(entryFileName(given, list), given);
    EXPECT_EQ(outputBaseName(given, list), base) << given;
  }
  EXPECT_EQ(entryFileName("abc", flavourOf(3)), "abc.hkl");
  EXPECT_EQ(outputBaseName("abc.txt", flavourOf(3)), "abc.txt");
}

TEST(FileNames, WarningLinePadsTheNameTo24Characters) {
  const std::string line = warningLine("abcF.hkl");
  EXPECT_EQ(line, " warning, this old file will be deleted :abcF.hkl                ");
  EXPECT_EQ(line.size(), 65U);
  const std::string longName = "abcdefghijklmnopqrstF.hkl";
  EXPECT_EQ(warningLine(longName), " warning, this old file will be deleted :" + longName);
}

std::size_t filesIn(const TempDir& dir) {
  return static_cast<std::size_t>(
      std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()));
}

void commitAll(RunFiles& files) { commitFiles({&files.famp, &files.fint, &files.intensity}); }

TEST(PrepareFiles, NoOldOutputsNoWarnings) {
  TempDir dir;
  const std::string base = dir.file("abc");
  writeFile(base + ".hkl", "entry\n");
  std::ostringstream console;
  RunFiles files;
  prepareFiles(base, flavourOf(3), console, files);
  EXPECT_EQ(console.str(), "");
  EXPECT_TRUE(files.entry.is_open());
  EXPECT_EQ(files.famp.name, base + "F.hkl");
  EXPECT_EQ(files.fint.unitNumber, 22);
  EXPECT_FALSE(std::filesystem::exists(base + ".int"));  // until the run succeeds
  files.intensity.stream << "new\n";
  finishWriting(files.intensity);
  commitAll(files);
  EXPECT_EQ(readFile(base + ".int"), "new\n");
  EXPECT_EQ(readFile(base + "F.hkl"), "");
  EXPECT_EQ(readFile(base + ".hkl"), "entry\n");
  EXPECT_EQ(filesIn(dir), 4U);
}

TEST(PrepareFiles, OldOutputsAreAnnouncedInOrderAndReplacedOnlyByCommit) {
  TempDir dir;
  const std::string base = dir.file("abc");
  writeFile(base + ".dat", "entry\n");
  for (const char* suffix : {"F.hkl", "I.hkl", ".int"}) {
    writeFile(base + suffix, oldRecord);
  }
  std::ostringstream console;
  RunFiles files;
  prepareFiles(base, flavourOf(1), console, files);
  EXPECT_EQ(console.str(), warningLine(base + "F.hkl") + "\n" + warningLine(base + "I.hkl") + "\n" +
                               warningLine(base + ".int") + "\n");
  EXPECT_EQ(filesIn(dir), 7U);  // the new files stand beside the old ones
  for (const char* suffix : {"F.hkl", "I.hkl", ".int"}) {
    EXPECT_EQ(readFile(base + suffix), oldRecord) << suffix;
  }
  commitAll(files);
  for (const char* suffix : {"F.hkl", "I.hkl", ".int"}) {
    EXPECT_EQ(readFile(base + suffix), "") << suffix;
  }
  EXPECT_EQ(filesIn(dir), 4U);
}

TEST(PrepareFiles, FilesNeverCommittedLeaveTheOldOnesAndNoNewFile) {
  TempDir dir;
  const std::string base = dir.file("abc");
  writeFile(base + ".dat", "entry\n");
  writeFile(base + "I.hkl", oldRecord);
  {
    std::ostringstream console;
    RunFiles files;
    prepareFiles(base, flavourOf(4), console, files);
    files.fint.stream << "new\n";
    finishWriting(files.fint);
  }
  EXPECT_EQ(readFile(base + "I.hkl"), oldRecord);
  EXPECT_EQ(filesIn(dir), 2U);
}

// A rename that fails on its n-th call, counting from 1; the others rename.
int renamesBeforeFailure = 0;
int renameFailingOnce(const char* from, const char* to) {
  if (--renamesBeforeFailure == 0) {
    errno = EACCES;
    return -1;
  }
  return std::rename(from, to);
}

// The commit moves three old files aside (amplitudes, intensities, report;
// there is no old wide file) and puts four new ones in place: seven renames.
// Whichever of them fails, every old file is back byte for byte and no new
// or hidden file is left; with none failing, every new file stands alone.
TEST(CommitFiles, ARenameThatFailsLeavesEveryOldFileAndNoNewOne) {
  constexpr int renames = 7;
  for (int failing = 1; failing <= renames + 1; ++failing) {
    TempDir dir;
    const std::string base = dir.file("abc");
    writeFile(base + ".dat", "entry\n");
    writeFile(base + "F.hkl", oldRecord);
    writeFile(base + "I.hkl", "   2   0   0  100.00   1.000   1\n");
    writeFile(dir.file("r.tsv"), "an old report\n");
    const auto before = contentsOf(dir.path());
    std::string failure;
    {
      std::ostringstream console;
      RunFiles files;
      prepareFiles(base, flavourOf(1), console, files);
      OutputFile report;
      openOutputFile(report, dir.file("r.tsv"), findExtraOutput("report")->unitNumber, nullptr);
      for (OutputFile* file : {&files.famp, &files.fint, &files.intensity, &report}) {
        file->stream << "new " << file->unitNumber << "\n";
      }
      renamesBeforeFailure = failing;
      try {
        commitFiles({&files.famp, &files.fint, &files.intensity, &report}, renameFailingOnce);
      } catch (const RunError& error) {
        failure = error.report();
      }
    }
    if (failing <= renames) {
      EXPECT_TRUE(failure.ends_with(": Permission denied")) << failing << ": " << failure;
      EXPECT_EQ(contentsOf(dir.path()), before) << "rename " << failing << " failed";
    } else {
      EXPECT_EQ(failure, "");
      const std::map<std::string, std::string> committed = {{"abc.dat", "entry\n"},
                                                            {"abcF.hkl", "new 20\n"},
                                                            {"abcI.hkl", "new 22\n"},
                                                            {"abc.int", "new 23\n"},
                                                            {"r.tsv", "new 24\n"}};
      EXPECT_EQ(contentsOf(dir.path()), committed);
    }
  }
}

RunError prepareError(const std::string& base, int code, std::ostringstream& console) {
  RunFiles files;
  try {
    prepareFiles(base, flavourOf(code), console, files);
  } catch (const RunError& error) {
    return error;
  }
  ADD_FAILURE() << "no error";
  return RunError("none");
}

TEST(PrepareFiles, MissingEntryFileLeavesOldOutputsUntouched) {
  TempDir dir;
  const std::string base = dir.file("abc");
  writeFile(base + "F.hkl", oldRecord);
  std::ostringstream console;
  const RunError error = prepareError(base, 2, console);
  EXPECT_EQ(error.report(), "file not found, unit 21, file " + base + ".hkl");
  EXPECT_EQ(readFile(base + "F.hkl"), oldRecord);
  EXPECT_EQ(console.str(), "");
}

TEST(PrepareFiles, OutputThatCannotBeDeletedStopsAtItsStep) {
  TempDir dir;
  const std::string base = dir.file("abc");
  writeFile(base + ".dat", "entry\n");
  writeFile(base + "F.hkl", oldRecord);
  // A non-empty directory where the FINT file must go cannot be deleted,
  // not even by root.
  std::filesystem::create_directory(base + "I.hkl");
  writeFile(base + "I.hkl/inside", "x");
  std::ostringstream console;
  const RunError error = prepareError(base, 4, console);
  EXPECT_TRUE(error.report().starts_with("cannot overwrite existing file, unit 22, file " + base + "I.hkl: "))
      << error.report();
  EXPECT_EQ(readFile(base + "F.hkl"), oldRecord);
  EXPECT_EQ(readFile(base + "I.hkl/inside"), "x");
  EXPECT_FALSE(std::filesystem::exists(base + ".int"));
  EXPECT_EQ(filesIn(dir), 3U);  // the new amplitude file is gone with the error
}

TEST(PrepareFiles, BaseNameWithItsExtensionGetsAHint) {
  TempDir dir;
  const std::string base = dir.file("abc.hkl");
  writeFile(base, "entry\n");
  std::ostringstream console;
  const RunError error = prepareError(base, 3, console);
  EXPECT_EQ(error.report(), "file not found, unit 21, file " + base + ".hkl (give the name without its extension)");
  EXPECT_EQ(prepareError(base, 1, console).report(), "file not found, unit 21, file " + base + ".dat");  // no hint
}

TEST(PrepareFiles, EntryNameThatIsADirectoryCannotBeOpened) {
  TempDir dir;
  const std::string base = dir.file("abc");
  std::filesystem::create_directory(base + ".dat");
  std::ostringstream console;
  const RunError error = prepareError(base, 1, console);
  EXPECT_TRUE(error.report().starts_with("cannot open file, unit 21, file " + base + ".dat")) << error.report();
}

}  // namespace
}  // namespace kestran

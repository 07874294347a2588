#include "driver/file_preparation.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "../test_support.hpp"
#include "text/run_error.hpp"

namespace kestran {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

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
    writeFile(base + suffix, "old contents\n");
  }
  std::ostringstream console;
  RunFiles files;
  prepareFiles(base, flavourOf(1), console, files);
  EXPECT_EQ(console.str(), warningLine(base + "F.hkl") + "\n" + warningLine(base + "I.hkl") + "\n" +
                               warningLine(base + ".int") + "\n");
  EXPECT_EQ(filesIn(dir), 7U);  // the new files stand beside the old ones
  for (const char* suffix : {"F.hkl", "I.hkl", ".int"}) {
    EXPECT_EQ(readFile(base + suffix), "old contents\n") << suffix;
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
  writeFile(base + "I.hkl", "old contents\n");
  {
    std::ostringstream console;
    RunFiles files;
    prepareFiles(base, flavourOf(4), console, files);
    files.fint.stream << "new\n";
    finishWriting(files.fint);
  }
  EXPECT_EQ(readFile(base + "I.hkl"), "old contents\n");
  EXPECT_EQ(filesIn(dir), 2U);
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
  writeFile(base + "F.hkl", "old\n");
  std::ostringstream console;
  const RunError error = prepareError(base, 2, console);
  EXPECT_EQ(error.kind(), "file not found");
  EXPECT_EQ(error.place(), "");
  EXPECT_EQ(error.unitNumber(), 21);
  EXPECT_EQ(error.file(), base + ".hkl");
  EXPECT_EQ(readFile(base + "F.hkl"), "old\n");
  EXPECT_EQ(console.str(), "");
}

TEST(PrepareFiles, OutputThatCannotBeDeletedStopsAtItsStep) {
  TempDir dir;
  const std::string base = dir.file("abc");
  writeFile(base + ".dat", "entry\n");
  writeFile(base + "F.hkl", "old\n");
  // A non-empty directory where the FINT file must go cannot be deleted,
  // not even by root.
  std::filesystem::create_directory(base + "I.hkl");
  writeFile(base + "I.hkl/inside", "x");
  std::ostringstream console;
  const RunError error = prepareError(base, 4, console);
  EXPECT_EQ(error.kind(), "cannot overwrite existing file");
  EXPECT_EQ(error.unitNumber(), 22);
  EXPECT_EQ(error.file(), base + "I.hkl");
  EXPECT_EQ(readFile(base + "F.hkl"), "old\n");
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
  EXPECT_EQ(prepareError(base, 1, console).place(), "");  // .dat for code 1: no hint
}

TEST(PrepareFiles, EntryNameThatIsADirectoryCannotBeOpened) {
  TempDir dir;
  const std::string base = dir.file("abc");
  std::filesystem::create_directory(base + ".dat");
  std::ostringstream console;
  const RunError error = prepareError(base, 1, console);
  EXPECT_EQ(error.kind(), "cannot open file");
  EXPECT_EQ(error.unitNumber(), 21);
}

}  // namespace
}  // namespace kestran

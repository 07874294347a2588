// The window scan and the shell statistics as whole runs: the scan's kept
// counts against real runs with the same windows, and neither option
// touching a file a run would not.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../test_support.hpp"
#include "run_program.hpp"

namespace kestran::testing {
namespace {

namespace fs = std::filesystem;

struct Flavour {
  const char* entry;  // relative to examples/
  int code;
  std::vector<std::string> windows;  // D for codes 1 and 4, DELTA for 2 and 3
};

const Flavour flavours[] = {
    {"quartzite.dat", 1, {"0", "0.005", "0.02", "0.1", "0.3"}},
    {"quartzite4.dat", 4, {"0", "0.005", "0.02", "0.1", "0.3"}},
    {"quartzite.hkl", 3, {"0", "0.5", "1.5", "2", "6"}},
    {"sirpow/quartzite.hkl", 2, {"0", "0.5", "1.5", "2", "6"}},
};

bool usesDelta(const Flavour& flavour) { return flavour.code == 2 || flavour.code == 3; }

std::string baseOf(const Flavour& flavour) { return fs::path(flavour.entry).stem().string(); }

fs::path copyEntry(const TempDir& dir, const Flavour& flavour) {
  const fs::path target = dir.path() / fs::path(flavour.entry).filename();
  fs::copy_file(examplesDir / flavour.entry, target);
  return target;
}

std::vector<std::string> options(const Flavour& flavour, const std::vector<std::string>& extra) {
  std::vector<std::string> arguments = {"--code", std::to_string(flavour.code), "--no-pause"};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  arguments.push_back(baseOf(flavour));
  return arguments;
}

// What a window keeps: the count, and the percentage of each shell as the
// table shows it.
struct Kept {
  int count = -1;
  std::vector<std::string> shellPercents;
  bool operator==(const Kept&) const = default;
};

std::vector<std::string> wordsOf(const std::string& text) {
  std::istringstream words(text);
  std::vector<std::string> all;
  for (std::string word; words >> word;) all.push_back(word);
  return all;
}

// The kept column and the shells of each scan row, by the window as typed.
std::map<std::string, Kept> keptByWindow(const std::string& console) {
  std::map<std::string, Kept> kept;
  std::istringstream lines(console);
  bool inTable = false;
  for (std::string line; std::getline(lines, line);) {
    const std::size_t bar = line.find('|');
    const std::vector<std::string> row = wordsOf(line.size() > 3 ? line.substr(3, bar - 3) : "");
    if (inTable && row.size() >= 2) {
      kept[row[0]] = {std::stoi(row[1]), wordsOf(line.substr(bar + 1))};
    }
    inTable = inTable || line.find("% kept |") != std::string::npos;
  }
  return kept;
}

// The percentage of each shell in the lines of --stats, the last word of each.
std::vector<std::string> statsPercents(const std::string& console) {
  std::istringstream lines(console.substr(console.find("Resolution shells")));
  std::vector<std::string> percents;
  std::string line;
  std::getline(lines, line);
  std::getline(lines, line);  // the heading
  while (std::getline(lines, line) && line.find("no real angle") == std::string::npos) {
    percents.push_back(wordsOf(line).back());
  }
  return percents;
}

// The rows written, as a batch run's report gives them.
int finalHklNumber(const std::string& console) {
  const std::string label = "\nkept ";
  const std::size_t at = console.find(label);
  return at == std::string::npos ? -1 : std::stoi(console.substr(at + label.size()));
}

// A FULLPROF file carries its window on the count line, after the count.
void setFileWindow(const fs::path& entry, const std::string& window) {
  std::string text = readFile(entry.string());
  const std::size_t lineStart = text.find('\n') + 1;
  const std::size_t lineEnd = text.find('\n', lineStart);
  const std::size_t countEnd = text.find(' ', lineStart);
  text.replace(countEnd, lineEnd - countEnd, " " + window);
  writeFile(entry.string(), text);
}

// The reflections of an example: every line after its two heading lines
// (the cell and count lines, the EXPO title and cell, the SIRPOW titles).
int reflectionsOf(const Flavour& flavour) {
  const std::string text = readFile((examplesDir / flavour.entry).string());
  return static_cast<int>(std::count(text.begin(), text.end(), '\n')) - 2;
}

Kept keptByRealRun(const Flavour& flavour, const std::string& window) {
  TempDir dir;
  const fs::path entry = copyEntry(dir, flavour);
  if (!usesDelta(flavour)) {
    setFileWindow(entry, window);
  }
  std::vector<std::string> extra = {"--stats"};
  if (usesDelta(flavour)) {
    extra.insert(extra.end(), {"--delta", window});
  }
  const ProcessResult run = runKestran(dir.path().string(), "", options(flavour, extra));
  EXPECT_EQ(run.status, 0) << flavour.entry << ' ' << window << run.errors;
  return {finalHklNumber(run.console), statsPercents(run.console)};
}

// Each scan row keeps what a real run with its window keeps, in all and in
// every shell of --stats.
TEST(WindowScanRuns, KeptCountsEqualRealRunsForEveryFlavour) {
  for (const Flavour& flavour : flavours) {
    TempDir dir;
    copyEntry(dir, flavour);
    std::string list;
    for (const std::string& window : flavour.windows) list += (list.empty() ? "" : ",") + window;
    const ProcessResult scan = runKestran(dir.path().string(), "", options(flavour, {"--scan=" + list}));
    ASSERT_EQ(scan.status, 0) << flavour.entry << scan.errors;
    const std::map<std::string, Kept> kept = keptByWindow(scan.console);
    ASSERT_EQ(kept.size(), flavour.windows.size()) << flavour.entry << '\n' << scan.console;
    std::set<int> distinct;
    for (const std::string& window : flavour.windows) {
      const Kept real = keptByRealRun(flavour, window);
      EXPECT_EQ(kept.at(window).count, real.count) << flavour.entry << ", window " << window;
      EXPECT_EQ(kept.at(window).shellPercents, real.shellPercents) << flavour.entry << ", window " << window;
      EXPECT_EQ(real.shellPercents.size(), 6U) << flavour.entry;
      distinct.insert(kept.at(window).count);
    }
    EXPECT_GE(distinct.size(), 3U) << flavour.entry << ": the windows should tell the cases apart";
  }
}

// Every entry of a directory: name, size, bytes and modification time.
std::map<std::string, std::string> snapshot(const fs::path& directory) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::directory_iterator(directory)) {
    struct stat status {};
    ::lstat(entry.path().c_str(), &status);
    entries[entry.path().filename().string()] = readFile(entry.path().string()) + "|" +
                                                std::to_string(status.st_mtim.tv_sec) + "." +
                                                std::to_string(status.st_mtim.tv_nsec);
  }
  return entries;
}

// Older output files stand next to the entry file, as after an earlier run:
// a run would announce and replace them, a scan leaves them alone. No DELTA
// is given and standard input is empty, so a DELTA prompt would fail the run.
TEST(WindowScanRuns, ScanTouchesNoFileAsksNothingAndPrintsNoWarning) {
  for (const Flavour& flavour : flavours) {
    TempDir dir;
    copyEntry(dir, flavour);
    for (const char* suffix : {"F.hkl", "I.hkl", ".int"}) writeFile(dir.file(baseOf(flavour) + suffix), "old\n");
    const auto before = snapshot(dir.path());
    const ProcessResult scan = runKestran(dir.path().string(), "", options(flavour, {"--scan"}));
    EXPECT_EQ(scan.status, 0) << flavour.entry << scan.errors;
    EXPECT_EQ(snapshot(dir.path()), before) << flavour.entry;
    EXPECT_EQ(scan.console.find("arning"), std::string::npos) << flavour.entry << scan.console;
    EXPECT_EQ(scan.console.find("DELTA ?"), std::string::npos) << flavour.entry;
    EXPECT_EQ(scan.console.find("START ORDERING"), std::string::npos) << flavour.entry;
    EXPECT_GE(keptByWindow(scan.console).count("0"), 1U) << flavour.entry << scan.console;
    EXPECT_EQ(keptByWindow(scan.console).at("0").count, reflectionsOf(flavour)) << flavour.entry;
  }
}

// --stats adds its lines after the run's own and changes no file; its total
// kept count is the run's.
TEST(WindowScanRuns, StatsAddLinesOnlyAndTheFilesStayTheSame) {
  for (const Flavour& flavour : flavours) {
    const std::vector<std::string> delta =
        usesDelta(flavour) ? std::vector<std::string>{"--delta", "1.5"} : std::vector<std::string>{};
    std::vector<std::string> withStats = delta;
    withStats.push_back("--stats");
    TempDir plainDir, statsDir;
    copyEntry(plainDir, flavour);
    copyEntry(statsDir, flavour);
    const ProcessResult plain = runKestran(plainDir.path().string(), "", options(flavour, delta));
    const ProcessResult stats = runKestran(statsDir.path().string(), "", options(flavour, withStats));
    ASSERT_EQ(stats.status, 0) << flavour.entry << stats.errors;
    std::map<std::string, std::string> plainFiles, statsFiles;
    for (const auto& [name, contents] : snapshot(plainDir.path()))
      plainFiles[name] = contents.substr(0, contents.rfind('|'));
    for (const auto& [name, contents] : snapshot(statsDir.path()))
      statsFiles[name] = contents.substr(0, contents.rfind('|'));
    EXPECT_EQ(statsFiles, plainFiles) << flavour.entry;
    ASSERT_EQ(stats.console.rfind(plain.console, 0), 0U) << flavour.entry;
    const std::string extra = stats.console.substr(plain.console.size());
    EXPECT_EQ(extra.rfind("\n  Resolution shells, ", 0), 0U) << flavour.entry << extra;
    EXPECT_NE(extra.find(flavour.code == 2 ? "2theta range (deg)" : "d range (A)"), std::string::npos) << extra;
    std::istringstream all(extra.substr(extra.find("\n  all ")));
    std::string label;
    int rows = 0, kept = 0;
    all >> label >> rows >> kept;
    EXPECT_EQ(rows, reflectionsOf(flavour)) << flavour.entry;
    EXPECT_EQ(kept, finalHklNumber(plain.console)) << flavour.entry;
  }
}

}  // namespace
}  // namespace kestran::testing

// The command-line options against the classic dialogue: the same files and
// the same console lines, less the prompts of the answers given.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../test_support.hpp"
#include "run_program.hpp"

namespace kestran::testing {
namespace {

namespace fs = std::filesystem;

// An earlier output of kestran: one record of the amplitude layout.
const std::string earlierOutput = "   1   0   0  100.00   1.000   1\n";

struct Flavour {
  const char* entry;  // relative to examples/
  int code;
  const char* delta;  // empty for the FULLPROF codes
};

const Flavour flavours[] = {
    {"quartzite.dat", 1, ""},
    {"quartzite4.dat", 4, ""},
    {"quartzite.hkl", 3, "1.0"},
    {"sirpow/quartzite.hkl", 2, "1.0"},
};

struct FlavourRun {
  ProcessResult result;
  std::string famp, fint, intensity;
};

FlavourRun runFlavour(const Flavour& flavour, bool withOptions, const std::vector<std::string>& extra = {}) {
  static int counter = 0;
  TempDir dir;
  const fs::path entry = examplesDir / flavour.entry;
  const std::string base = entry.stem().string();
  fs::copy_file(entry, dir.path() / entry.filename());
  const std::string delta = flavour.delta;
  const std::string answers =
      std::to_string(flavour.code) + "\n" + base + "\n" + (delta.empty() ? "" : delta + "\n") + "0\n";
  const std::string stdinFile = dir.file("answers" + std::to_string(++counter));
  std::vector<std::string> arguments;
  if (withOptions) {
    arguments = {"--code", std::to_string(flavour.code), "--no-pause"};
    if (!delta.empty()) {
      arguments.insert(arguments.end(), {"--delta", delta});
    }
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    arguments.push_back(base);
  } else {
    writeFile(stdinFile, answers);
  }
  FlavourRun run;
  run.result = runKestran(dir.path().string(), withOptions ? "" : stdinFile, arguments);
  run.famp = readFile(dir.file(base + "F.hkl"));
  run.fint = readFile(dir.file(base + "I.hkl"));
  run.intensity = readFile(dir.file(base + ".int"));
  return run;
}

// The number after `label` on its line of `text`; -1 when there is none.
int numberAfter(const std::string& text, const std::string& label) {
  const std::size_t at = text.find(label);
  return at == std::string::npos ? -1 : std::stoi(text.substr(at + label.size()));
}

// A batch run writes the dialogue's files and reports, instead of the
// dialogue, the counts the dialogue shows and the files it wrote.
TEST(CommandLineRuns, OptionsGiveTheDialoguesFilesAndAReport) {
  for (const Flavour& flavour : flavours) {
    const FlavourRun classic = runFlavour(flavour, false);
    const FlavourRun batch = runFlavour(flavour, true);
    ASSERT_EQ(classic.result.status, 0) << flavour.entry << classic.result.errors;
    ASSERT_EQ(batch.result.status, 0) << flavour.entry << batch.result.errors;
    EXPECT_FALSE(classic.famp.empty());
    EXPECT_EQ(batch.famp, classic.famp) << flavour.entry;
    EXPECT_EQ(batch.fint, classic.fint) << flavour.entry;
    EXPECT_EQ(batch.intensity, classic.intensity) << flavour.entry;
    const std::string& report = batch.result.console;
    const std::string base = fs::path(flavour.entry).stem().string();
    const std::string entry = base + fs::path(flavour.entry).extension().string();
    EXPECT_EQ(report.rfind("entry     " + entry + " (code " + std::to_string(flavour.code) + ", ", 0), 0U) << report;
    EXPECT_EQ(numberAfter(report, "\nread      "), numberAfter(classic.result.console, "Number of HKL =")) << report;
    EXPECT_EQ(numberAfter(report, "\nkept      "), numberAfter(classic.result.console, "Final hkl number ="));
    const std::string window = flavour.delta[0] == '\0' ? "window    D = " : "window    DELTA = 1 from --delta";
    EXPECT_NE(report.find(window), std::string::npos) << report;
    EXPECT_NE(report.find("\nshared    0\n"), std::string::npos) << report;
    const std::string wrote = "wrote     " + base + "F.hkl\nwrote     " + base + "I.hkl\nwrote     " + base + ".int\n";
    EXPECT_TRUE(report.ends_with(wrote)) << report;
    EXPECT_EQ(report.find("Give code"), std::string::npos) << report;
  }
}

// --window D stands for the D of a FULLPROF file: the files are those of
// the file with that D on its count line, and the console, the elimination
// report and the plot's title say where D came from.
TEST(CommandLineRuns, WindowReplacesTheFilesD) {
  for (const Flavour& flavour : {flavours[0], flavours[1]}) {
    for (const std::string window : {"0", "0.1"}) {
      TempDir dir;
      const FlavourRun given =
          runFlavour(flavour, true, {"--window", window, "--report", dir.file("r.tsv"), "--plot", dir.file("p.svg")});
      const std::string report = readFile(dir.file("r.tsv"));
      EXPECT_TRUE(report.substr(0, report.find('\n')).ends_with("\twindow_source")) << report;
      EXPECT_TRUE(report.ends_with("\tcommand_line\n")) << report;
      EXPECT_EQ(report.find("\tentry_file\n"), std::string::npos) << report;
      EXPECT_NE(readFile(dir.file("p.svg")).find(", D = " + window + " degrees 2theta from --window<"),
                std::string::npos);
      std::string entry = readFile((examplesDir / flavour.entry).string());
      const std::size_t count = entry.find('\n') + 1;
      const std::size_t countEnd = entry.find('\n', count);
      std::istringstream countLine(entry.substr(count, countEnd - count));
      std::string rows;
      countLine >> rows;
      entry.replace(count, countEnd - count, rows + " " + window);
      writeFile(dir.file("edited.dat"), entry);
      const ProcessResult edited =
          runKestran(dir.path().string(), "", {"--code", std::to_string(flavour.code), "edited"});
      ASSERT_EQ(given.result.status, 0) << given.result.errors;
      ASSERT_EQ(edited.status, 0) << edited.errors;
      EXPECT_EQ(given.fint, readFile(dir.file("editedI.hkl"))) << flavour.entry << " " << window;
      EXPECT_EQ(given.intensity, readFile(dir.file("edited.int"))) << flavour.entry << " " << window;
      EXPECT_NE(given.result.console.find("window    D = " + window + " degrees 2theta from --window\n"),
                std::string::npos)
          << given.result.console;
      EXPECT_NE(edited.console.find("window    D = " + window + " degrees 2theta from the entry file\n"),
                std::string::npos)
          << edited.console;
    }
  }
}

// --quiet: the same files, nothing on standard output.
TEST(CommandLineRuns, QuietRunsPrintNothing) {
  for (const Flavour& flavour : flavours) {
    const FlavourRun batch = runFlavour(flavour, true);
    const FlavourRun quiet = runFlavour(flavour, true, {"--quiet"});
    ASSERT_EQ(quiet.result.status, 0) << flavour.entry << quiet.result.errors;
    EXPECT_EQ(quiet.famp, batch.famp) << flavour.entry;
    EXPECT_EQ(quiet.intensity, batch.intensity) << flavour.entry;
    EXPECT_EQ(quiet.result.console, "") << flavour.entry;
  }
}

TEST(CommandLineRuns, ReportAndPlotLeaveTheFilesUnchanged) {
  const FlavourRun plain = runFlavour(flavours[2], true);
  TempDir dir;
  const std::string report = dir.file("report.tsv");
  const std::string plot = dir.file("plot.svg");
  const FlavourRun withReport = runFlavour(flavours[2], true, {"--report", report, "--plot", plot});
  ASSERT_EQ(withReport.result.status, 0) << withReport.result.errors;
  EXPECT_EQ(withReport.famp, plain.famp);
  EXPECT_EQ(withReport.intensity, plain.intensity);
  const std::string table = readFile(report);
  const std::string entry = readFile((examplesDir / flavours[2].entry).string());
  // A heading line, and a line for every reflection of the entry file (after its title and cell lines).
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), std::count(entry.begin(), entry.end(), '\n') - 1);
  EXPECT_NE(readFile(plot).find("</svg>"), std::string::npos);
}

TEST(CommandLineRuns, UsageErrorsExitWithTwoBeforeAnyFile) {
  const std::vector<std::vector<std::string>> lines = {{"--code", "7", "x"},
                                                       {"--code", "1", "--delta", "0.5", "x"},
                                                       {"--delta", "wide", "x"},
                                                       {"--frobnicate"},
                                                       {"a", "b"},
                                                       {"--scan", "--plot", "p.svg", "x"},
                                                       {"--scan=0,wide", "x"},
                                                       {"--scan=", "x"},
                                                       {"--shells", "0", "x"},
                                                       {"--plot-scale", "cubic", "x"},
                                                       {"--max-reflections", "0", "x"},
                                                       {"--max-reflections", "10000001", "x"},
                                                       {"--code", "2", "--delta", "1", "--d-min", "1.5", "x"},
                                                       {"--code", "3", "--delta", "1", "--sigma=file", "x"},
                                                       {"--sigma=fobs", "x"},
                                                       {"--layout=wide", "x"},
                                                       {"--d-min", "0", "x"},
                                                       {"--two-theta-max", "-10", "x"},
                                                       {"--scan", "--cif", "x.cif", "x"},
                                                       {"--overlaps=keep", "x"},
                                                       {"--code", "2", "--window", "0.1", "x"},
                                                       {"--code", "3", "--delta", "1", "--window", "0.1", "x"},
                                                       {"--window", "-0.01", "x"},
                                                       {"--window", "wide", "x"},
                                                       {"--quiet", "--code", "1"},
                                                       {"--quiet", "x"},
                                                       {"--quiet", "--code", "3", "x"},
                                                       {"--quiet", "--stats", "--code", "1", "x"}};
  for (const auto& line : lines) {
    TempDir dir;
    const fs::path work = dir.path() / "run";
    fs::create_directory(work);
    writeFile((work / "x.dat").string(), "10 10 10 90 90 90 1.5\n0 0.1\n");
    const ProcessResult result = runKestran(work.string(), "", line);
    EXPECT_EQ(result.status, 2) << line[0];
    EXPECT_EQ(result.errors.rfind("kestran: ", 0), 0U) << line[0];
    // Two lines, as GNU tools give them: the fault, then where to read more.
    const std::string hint = "Try 'kestran --help' for more information.\n";
    ASSERT_GT(result.errors.size(), hint.size()) << line[0];
    EXPECT_EQ(result.errors.substr(result.errors.size() - hint.size()), hint) << line[0];
    EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 2) << line[0];
    EXPECT_EQ(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 1) << line[0];
  }
}

// The report and the plot may not name a file of the run, whether the file
// exists (same device and inode) or not yet (same name), nor each other.
TEST(CommandLineRuns, ReportOrPlotOverARunFileIsRefusedBeforeAnyFile) {
  const std::vector<std::vector<std::string>> lines = {
      {"--report", "abc.dat", "abc"},
      {"--plot", "abcF.hkl", "abc"},
      {"--plot", "./sub/../abc.int", "abc"},
      {"--report", "entry-link", "abc"},
      {"--report", "same.tsv", "--plot", "same.tsv", "abc"},
      {"--cif", "abcI.hkl", "abc"},
      {"--plot", "same.svg", "--cif", "same.svg", "abc"},
      {"--report", "abcI.hkl"},  // code and name come from the console
  };
  for (const auto& line : lines) {
    TempDir dir;
    const fs::path work = dir.path() / "run";
    fs::create_directories(work / "sub");
    writeFile((work / "abc.dat").string(), "10 10 10 90 90 90 1.5\n0 0.1\n");
    writeFile((work / "abcF.hkl").string(), earlierOutput);
    fs::create_symlink("abc.dat", work / "entry-link");
    writeFile(dir.file("answers"), "1\nabc\n0\n");
    std::vector<std::string> arguments = {"--code", "1", "--no-pause"};
    if (line.size() == 2) {
      arguments.clear();
    }
    arguments.insert(arguments.end(), line.begin(), line.end());
    const ProcessResult result = runKestran(work.string(), dir.file("answers"), arguments);
    EXPECT_EQ(result.status, 2) << line[1];
    EXPECT_EQ(result.errors.rfind("kestran: --", 0), 0U) << result.errors;
    EXPECT_NE(result.errors.find(", a file of this run\n"), std::string::npos) << result.errors;
    EXPECT_EQ(readFile((work / "abcF.hkl").string()), earlierOutput) << line[1];
    EXPECT_EQ(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 4) << line[1];
  }
}

TEST(CommandLineRuns, ReportThatCannotBeCreatedStopsTheRunWithoutANewFile) {
  TempDir dir;
  const fs::path work = dir.path() / "run";
  fs::create_directory(work);
  fs::copy_file(examplesDir / "quartzite.hkl", work / "abc.hkl");
  writeFile((work / "abcF.hkl").string(), earlierOutput);
  const ProcessResult result =
      runKestran(work.string(), "", {"--code", "3", "--delta", "1", "--no-pause", "--report", "no/r.tsv", "abc"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.errors, "kestran: cannot create file, unit 24, file no/r.tsv: No such file or directory\n");
  EXPECT_EQ(result.console.find("START ORDERING"), std::string::npos) << "stops before any reflection is read";
  EXPECT_EQ(readFile((work / "abcF.hkl").string()), earlierOutput);
  EXPECT_EQ(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 2);
}

// Files that stand where a run of the EXPO example as Cs would write, and
// names that cannot be used: the run replaces only files kestran wrote and
// empty ones, refuses the others before it writes anything, and says why.
struct StandingFiles {
  const char* name;
  std::vector<std::pair<std::string, std::string>> placed;  // name and contents; a name ending in / is a folder
  std::vector<std::string> arguments;                       // after --code 3 --delta 1 --no-pause
  int status;
  std::string error;  // the first line on standard error
  int warnings = 0;   // warning lines on the console
  bool lockedFolder = false;
};

const std::string expoEntry = "EXPO header\n10 10 10 90 90 90 1.54\n1 0 0 0.2 100\n";
const std::string earlierPlot =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"960\" height=\"620\" viewBox=\"0 0 960 620\">\n"
    "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
    "<text x=\"480\" y=\"24\">Cs: EXPO, DELTA = 1</text>\n<text x=\"480\" y=\"44\">50 reflections, 41 kept, 9 "
    "removed</text>\n</svg>\n";
const std::string earlierReport =
    "h\tk\tl\ttwo_theta\tamplitude\twidth\twindow\tdistance_previous\tdistance_next\tstatus\n1\t0\t0\n";
const std::string refusal = "; rename it or choose another base name";
const std::string askAnother = ": the file exists and was not written by kestran; give another name or remove it";

const StandingFiles standingFiles[] = {
    {"another_data_sets_entry_file",
     {{"CsI.hkl", expoEntry}},
     {"Cs"},
     1,
     "kestran: cannot overwrite existing file, unit 22, file CsI.hkl: it does not look like an output of kestran "
     "(its first line \"EXPO header\" is not a reflection record)" +
         refusal},
    {"notes_after_blank_lines",
     {{"CsF.hkl", earlierOutput}, {"Cs.int", "\n\nmy notes\n"}},
     {"Cs"},
     1,
     "kestran: cannot overwrite existing file, unit 23, file Cs.int: it does not look like an output of kestran "
     "(its line 3 \"my notes\" is not a reflection record)" +
         refusal},
    {"earlier_outputs_of_every_layout",
     {{"CsF.hkl", "   1   0   0  100.00   1.000   1\r\n   0   0   0    0.00   0.000   0\r\n"},
      {"CsI.hkl", "****   0   1   22.8560**********    0.0535\n"},
      {"Cs.int",
       "\n   0   0   1           NaN         0.916         0.054\n   1   0   0        5.59        0.06   1\n"}},
     {"Cs"},
     0,
     "",
     3},
    {"empty_files", {{"CsF.hkl", ""}, {"CsI.hkl", ""}, {"Cs.int", ""}}, {"Cs"}, 0, "", 3},
    {"report_over_other_data",
     {{"mono.hkl", expoEntry}},
     {"--report", "mono.hkl", "Cs"},
     2,
     "kestran: --report mono.hkl" + askAnother},
    {"cif_over_another_programs_cif",
     {{"mono.cif", "data_mono\n_cell_length_a 5.0\n"}},
     {"--cif", "mono.cif", "Cs"},
     2,
     "kestran: --cif mono.cif" + askAnother},
    {"plot_over_a_drawing",
     {{"fig.svg", "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"/>\n"}},
     {"--plot", "fig.svg", "Cs"},
     2,
     "kestran: --plot fig.svg" + askAnother},
    {"earlier_report_and_plot",
     {{"r.tsv", earlierReport}, {"p.svg", earlierPlot}},
     {"--report", "r.tsv", "--plot", "p.svg", "Cs"},
     0,
     "kestran: --report: the old file r.tsv will be replaced"},
    {"report_name_is_a_folder",
     {{"d/", ""}},
     {"--report", "d", "Cs"},
     1,
     "kestran: cannot overwrite existing file, unit 24, file d: Is a directory"},
    {"entry_below_a_file", {}, {"Cs.hkl/x"}, 1, "kestran: file not found, unit 21, file Cs.hkl/x.hkl: Not a directory"},
    {"folder_without_write_permission",
     {{"CsF.hkl", earlierOutput}},
     {"Cs"},
     1,
     "kestran: cannot overwrite existing file, unit 20, file CsF.hkl: Permission denied",
     1,
     true},
};

int occurrences(const std::string& text, const std::string& piece) {
  int count = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}

TEST(CommandLineRuns, FilesStandingInTheWayAreReplacedOnlyWhenKestranWroteThem) {
  for (const StandingFiles& c : standingFiles) {
    if (c.lockedFolder && ::geteuid() == 0) {
      continue;  // the superuser writes in any folder
    }
    TempDir dir;
    const fs::path work = dir.path() / "run";
    fs::create_directory(work);
    fs::copy_file(examplesDir / "quartzite.hkl", work / "Cs.hkl");
    for (const auto& [name, contents] : c.placed) {
      if (name.ends_with('/')) {
        fs::create_directory(work / name);
      } else {
        writeFile((work / name).string(), contents);
      }
    }
    const auto before = contentsOf(work);
    std::vector<std::string> arguments = {"--code", "3", "--delta", "1", "--no-pause"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    if (c.lockedFolder) {
      fs::permissions(work, fs::perms::owner_write, fs::perm_options::remove);
    }
    const ProcessResult result = runKestran(work.string(), "", arguments);
    fs::permissions(work, fs::perms::owner_all, fs::perm_options::add);

    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_EQ(result.errors.substr(0, result.errors.find('\n')), c.error) << c.name;
    EXPECT_EQ(occurrences(result.console, " (replaced the older one)\n"), c.warnings) << c.name;
    const auto after = contentsOf(work);
    if (c.status != 0) {
      EXPECT_EQ(after, before) << c.name;
      continue;
    }
    for (const auto& [name, contents] : c.placed) {
      EXPECT_NE(after.at(name), contents) << c.name << ": " << name << " was not replaced";
    }
    EXPECT_EQ(after.size(), before.size() + 3 - static_cast<std::size_t>(c.warnings)) << c.name << ": files left over";
  }
}

}  // namespace
}  // namespace kestran::testing

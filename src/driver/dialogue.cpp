#include "driver/dialogue.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "driver/clobber_check.hpp"
#include "driver/file_preparation.hpp"
#include "driver/options.hpp"
#include "driver/window_scan_run.hpp"
#include "output/elimination_report.hpp"
#include "output/normalisation.hpp"
#include "output/stick_plot.hpp"
#include "processing/elimination.hpp"
#include "processing/ordering.hpp"
#include "reflections/entry_readers.hpp"
#include "reflections/reflection_table.hpp"
#include "text/free_form.hpp"
#include "text/line_reader.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

void showMenu(std::ostream& console) {
  console << "\n"
             "\n"
             "  FULLPROF JFOU=2 (1),\n"
             "  FULLPROF JFOU=4 (4),\n"
             "  SIRPOW          (2)\n"
             "  or EXPO         (3) data ? \n";
}

void showCodePrompt(std::ostream& console) { console << "       Give code 1,2,3 or 4 :  " << std::flush; }

// The answer to a prompt that wants a number. At a terminal an answer that
// is not a number gets a hint and the prompt again; from a pipe or a file it
// stops the run, as does the end of the input anywhere.
template <typename Number, typename ShowPrompt>
Number askNumber(LineReader& consoleIn, std::ostream& console, bool askAgain, ShowPrompt showPrompt,
                 std::string_view answerName) {
  for (;;) {
    showPrompt(console);
    Number value{};
    std::string refused;
    switch (tryReadOne(consoleIn, value, refused)) {
      case AnswerRead::Read:
        return value;
      case AnswerRead::EndOfInput:
        consoleIn.failAt(report::endOfFile, consoleIn.lineNumber() + 1,
                         ": the input ends before " + std::string(answerName));
      case AnswerRead::NotANumber:
        if (!askAgain) {
          consoleIn.failOnLine(report::listSyntaxError, ": " + quoted(refused));
        }
        console << "  not a number: " << quoted(refused) << " — try again\n";
        break;
    }
  }
}

int askInputCode(LineReader& consoleIn, std::ostream& console, const RunOptions& options) {
  if (options.answers.inputCode) {
    return *options.answers.inputCode;
  }
  return askNumber<std::int32_t>(consoleIn, console, options.consoleIsTerminal, showCodePrompt, "the code");
}

void checkInputCode(int inputCode) {
  if (inputCode < 1 || inputCode > 4) {
    throw RunError("invalid input code " + std::to_string(inputCode) + ": give 1, 2, 3 or 4");
  }
}

void showChosenData(std::ostream& console, int inputCode) {
  switch (inputCode) {
    case code::fullprofJfou2:
    case code::fullprofJfou4:
      console << "\n  You have chosen FULLPROF data, should be .dat\n";
      break;
    case code::sirpow:
      console << "\n  You have chosen SIRPOW   data, should be .hkl\n";
      break;
    case code::expo:
      console << "\n  You have chosen EXPO     data, should be .hkl\n";
      break;
    default:
      break;
  }
}

std::string askBaseName(LineReader& consoleIn, std::ostream& console, const GivenAnswers& given) {
  if (given.baseName) {
    return measureBaseName(*given.baseName);
  }
  console << "  entry file (no extension) ??" << std::flush;
  std::string_view answer;
  if (!consoleIn.next(answer)) {
    consoleIn.failAt(report::endOfFile, consoleIn.lineNumber() + 1, ": the input ends before the base name");
  }
  return measureBaseName(answer);
}

void showDeltaPrompt(std::ostream& console) {
  console << "\n"
             "\n"
             "  Give DELTA in DELTA*FWHM for eliminating reflections\n"
             "   separated by less than DELTA*FWHM :    DELTA ? "
          << std::flush;
}

float askDelta(LineReader& consoleIn, std::ostream& console, const RunOptions& options) {
  if (options.answers.delta) {
    return *options.answers.delta;
  }
  return askNumber<float>(consoleIn, console, options.consoleIsTerminal, showDeltaPrompt, "DELTA");
}

// The files are complete when the pause is shown, so any answer, or none at
// all, ends the run normally.
void finalPause(LineReader& consoleIn, std::ostream& console, const GivenAnswers& given) {
  if (!given.pause) {
    return;
  }
  console << "\n  Type any number for ending " << std::flush;
  std::string_view ignored;
  (void)consoleIn.next(ignored);
}

void readEntry(ReflectionTable& table, RunFiles& files, std::ostream& console) {
  LineReader entry(files.entry, unit::entry, files.entryName, LineReader::Reading::InBlocks);
  readEntryFile(table, entry, console);
}

void readAndOrder(ReflectionTable& table, RunFiles& files, LineReader& consoleIn, std::ostream& console,
                  const RunOptions& options) {
  if (table.inputCode == code::sirpow) {
    table.DELTA = askDelta(consoleIn, console, options);
    readEntry(table, files, console);
    return;
  }
  readEntry(table, files, console);
  orderReflections(table, console);
  if (table.inputCode == code::expo) {
    table.DELTA = askDelta(consoleIn, console, options);
  }
}

// The report and the plot, created with the outputs and put in place with them.
struct ExtraFiles {
  OutputFile report, plot;
};

void openExtraFiles(const RunOptions& options, ExtraFiles& extra) {
  if (!options.reportFile.empty()) {
    openOutputFile(extra.report, options.reportFile, unit::report, nullptr);
  }
  if (!options.plotFile.empty()) {
    openOutputFile(extra.plot, options.plotFile, unit::plot, nullptr);
  }
}

void writeReportAndPlot(const RunOptions& options, std::string_view baseName, const ReflectionTable& table,
                        ExtraFiles& extra) {
  if (options.reportFile.empty() && options.plotFile.empty()) {
    return;
  }
  const std::vector<ReportRow> rows = describeElimination(table);
  if (!options.reportFile.empty()) {
    writeEliminationReport(extra.report.stream, rows);
    finishWriting(extra.report);
  }
  if (!options.plotFile.empty()) {
    const PlotSettings settings{baseName, table.inputCode, runWindow(table), options.logPlot};
    const ShellLayout layout = layShells(table, options.shellCount);
    const ShellCounts counts = countByShell(layout, table.STATUS);
    writeStickPlot(extra.plot.stream, settings, rows, layout, counts);
    finishWriting(extra.plot);
  }
}

void commitRun(RunFiles& files, ExtraFiles& extra) {
  std::vector<OutputFile*> written{&files.famp, &files.fint, &files.intensity};
  for (OutputFile* file : {&extra.report, &extra.plot}) {
    if (!file->temporaryName.empty()) {
      written.push_back(file);
    }
  }
  commitFiles(written);
}

void refuseClobberingRunFiles(const RunOptions& options, std::string_view baseName, int inputCode) {
  refuseClobbering(options, {buildName(baseName, entrySuffix(inputCode)), buildName(baseName, fampSuffix),
                             buildName(baseName, fintSuffix), buildName(baseName, intSuffix)});
}

}  // namespace

std::string measureBaseName(std::string_view answer) {
  const std::size_t end = answer.find_last_not_of(' ');
  return std::string(answer.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

void runDialogue(std::istream& consoleInput, std::ostream& console, const RunOptions& options) {
  const GivenAnswers& given = options.answers;
  LineReader consoleIn(consoleInput, unit::console, "stdin");
  if (given.inputCode && given.baseName) {  // all known: refused before the menu
    refuseClobberingRunFiles(options, measureBaseName(*given.baseName), *given.inputCode);
  }
  showMenu(console);
  const int inputCode = askInputCode(consoleIn, console, options);
  checkInputCode(inputCode);
  checkDeltaAllowed(given, inputCode);
  showChosenData(console, inputCode);
  const std::string baseName = askBaseName(consoleIn, console, given);
  if (options.scan) {
    runWindowScan(baseName, inputCode, options, console);
    finalPause(consoleIn, console, given);
    return;
  }

  refuseClobberingRunFiles(options, baseName, inputCode);

  RunFiles files;
  prepareFiles(baseName, inputCode, console, files);
  ExtraFiles extra;
  openExtraFiles(options, extra);

  ReflectionTable table;
  table.inputCode = inputCode;
  table.capacity = options.maxReflections;
  readAndOrder(table, files, consoleIn, console, options);
  eliminateNeighbours(table);
  writeOutputFiles(table, console, files.famp.stream, files.fint.stream, files.intensity.stream);
  finishWriting(files.famp);
  finishWriting(files.fint);
  finishWriting(files.intensity);
  writeReportAndPlot(options, baseName, table, extra);
  if (options.stats) {
    writeRunShells(table, options.shellCount, console);
  }
  commitRun(files, extra);
  finalPause(consoleIn, console, given);
}

}  // namespace kestran

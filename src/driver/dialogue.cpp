#include "driver/dialogue.hpp"

#include <fstream>
#include <memory>
#include <string_view>
#include <vector>

#include "driver/file_preparation.hpp"
#include "driver/options.hpp"
#include "output/elimination_report.hpp"
#include "output/normalisation.hpp"
#include "output/stick_plot.hpp"
#include "processing/elimination.hpp"
#include "processing/ordering.hpp"
#include "reflections/entry_readers.hpp"
#include "reflections/free_form.hpp"
#include "reflections/line_reader.hpp"
#include "reflections/reflection_table.hpp"
#include "reflections/run_error.hpp"

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

int askInputCode(LineReader& consoleIn, std::ostream& console, const GivenAnswers& given) {
  if (given.inputCode) {
    return *given.inputCode;
  }
  showCodePrompt(console);
  return readOneInteger(consoleIn);
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
    consoleIn.fail(report::endOfFile);
  }
  return measureBaseName(answer);
}

float askDelta(LineReader& consoleIn, std::ostream& console, const GivenAnswers& given) {
  if (given.delta) {
    return *given.delta;
  }
  console << "\n"
             "\n"
             "  Give DELTA in DELTA*FWHM for eliminating reflections\n"
             "   separated by less than DELTA*FWHM :    DELTA ? "
          << std::flush;
  return readOneReal(consoleIn);
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

void checkWritten(OutputFile& file) {
  file.stream.flush();
  if (!file.stream) {
    throw RunError(report::writeError, file.unitNumber, file.name);
  }
}

void readAndOrder(ReflectionTable& table, RunFiles& files, LineReader& consoleIn, std::ostream& console,
                  const GivenAnswers& given) {
  LineReader entry(files.entry, unit::entry, files.entryName);
  if (table.inputCode == code::sirpow) {
    table.D = askDelta(consoleIn, console, given);
    readEntryFile(table, entry, console);
    return;
  }
  readEntryFile(table, entry, console);
  orderReflections(table, console);
  if (table.inputCode == code::expo) {
    table.D = askDelta(consoleIn, console, given);
  }
}

void writeExtraFile(const std::string& name, int unitNumber, const auto& write) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) {
    throw RunError(report::cannotCreate, unitNumber, name);
  }
  write(out);
  out.flush();
  if (!out) {
    throw RunError(report::writeError, unitNumber, name);
  }
}

void writeReportAndPlot(const RunOptions& options, std::string_view baseName, const ReflectionTable& table,
                        const std::vector<float>& amplitudesAsRead) {
  if (options.reportFile.empty() && options.plotFile.empty()) {
    return;
  }
  const std::vector<ReportRow> rows = describeElimination(table, amplitudesAsRead);
  if (!options.reportFile.empty()) {
    writeExtraFile(options.reportFile, unit::report, [&](std::ostream& out) { writeEliminationReport(out, rows); });
  }
  if (!options.plotFile.empty()) {
    writeExtraFile(options.plotFile, unit::plot, [&](std::ostream& out) { writeStickPlot(out, baseName, rows); });
  }
}

}  // namespace

std::string measureBaseName(std::string_view answer) {
  const std::size_t end = answer.find_last_not_of(' ');
  return std::string(answer.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

void runDialogue(std::istream& consoleInput, std::ostream& console, const RunOptions& options) {
  const GivenAnswers& given = options.answers;
  LineReader consoleIn(consoleInput, unit::console, "stdin");
  showMenu(console);
  const int inputCode = askInputCode(consoleIn, console, given);
  checkInputCode(inputCode);
  checkDeltaAllowed(given, inputCode);
  showChosenData(console, inputCode);
  const std::string baseName = askBaseName(consoleIn, console, given);

  RunFiles files;
  prepareFiles(baseName, inputCode, console, files);

  auto table = makeReflectionTable();
  table->inputCode = inputCode;
  readAndOrder(*table, files, consoleIn, console, given);
  // The elimination overwrites removed amplitudes; the report shows them as read.
  const bool wantsReport = !options.reportFile.empty() || !options.plotFile.empty();
  const std::vector<float> amplitudesAsRead =
      wantsReport ? std::vector<float>(table->FOBS.begin(), table->FOBS.begin() + table->n) : std::vector<float>();
  eliminateNeighbours(*table);
  writeOutputFiles(*table, console, files.famp.stream, files.fint.stream, files.intensity.stream);
  checkWritten(files.famp);
  checkWritten(files.fint);
  checkWritten(files.intensity);
  // Output changes only FOBS and SIGF, which the report does not take from the table.
  writeReportAndPlot(options, baseName, *table, amplitudesAsRead);
  finalPause(consoleIn, console, given);
}

}  // namespace kestran

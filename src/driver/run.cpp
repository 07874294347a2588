#include "driver/run.hpp"

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "driver/batch_report.hpp"
#include "driver/clobber_check.hpp"
#include "driver/console_events.hpp"
#include "driver/file_preparation.hpp"
#include "driver/options.hpp"
#include "driver/prompts.hpp"
#include "driver/window_scan_run.hpp"
#include "output/reflection_files.hpp"
#include "output/written_values.hpp"
#include "processing/pipeline.hpp"
#include "reflections/reflection_table.hpp"
#include "text/console_text.hpp"
#include "text/line_reader.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

// The extra files, created with the reflection files and put in place with
// them; a file not asked for stays closed.
using ExtraFiles = std::vector<OutputFile>;

// An extra file that replaces an earlier one says so on standard error, as
// the reflection files' warning lines do on the console.
void openExtraFiles(const RunOptions& options, ExtraFiles& extra, std::ostream& diagnostics) {
  for (std::size_t i = 0; i < extra.size(); ++i) {
    const std::string& name = options.extraFiles[i];
    if (name.empty()) {
      continue;
    }
    std::error_code unknown;  // a name the system refuses is reported where the file is created
    const bool exists = std::filesystem::exists(name, unknown);
    openOutputFile(extra[i], name, extraOutputs()[i].unitNumber, nullptr);
    if (exists) {
      diagnostics << "kestran: --" << extraOutputs()[i].option << ": the old file " << shownName(name)
                  << " will be replaced\n";
    }
  }
}

void writeExtraFiles(const FinishedRun& run, ExtraFiles& extra) {
  for (std::size_t i = 0; i < extra.size(); ++i) {
    if (!run.options.extraFiles[i].empty()) {
      extraOutputs()[i].write(extra[i].stream, run);
      finishWriting(extra[i]);
    }
  }
}

void commitRun(RunFiles& files, ExtraFiles& extra) {
  std::vector<OutputFile*> written{&files.famp, &files.fint, &files.intensity};
  for (OutputFile& file : extra) {
    if (!file.temporaryName.empty()) {
      written.push_back(&file);
    }
  }
  commitFiles(written);
}

void refuseClobberingRunFiles(const RunOptions& options, std::string_view nameGiven, const Flavour& flavour) {
  const std::string baseName = outputBaseName(nameGiven, flavour);
  refuseClobbering(options, {entryFileName(nameGiven, flavour), buildName(baseName, fampSuffix),
                             buildName(baseName, fintSuffix), buildName(baseName, intSuffix)});
}

// The names of the files a run wrote, in the order they were written; the
// reflection files that replaced older ones (as the dialogue's warning
// lines announce them) say so.
std::vector<std::string> writtenNames(const RunFiles& files, const ExtraFiles& extra,
                                      const std::vector<bool>& replaced) {
  std::vector<std::string> names;
  for (const OutputFile* file : {&files.famp, &files.fint, &files.intensity}) {
    const bool older = replaced[names.size()];
    names.push_back(file->name + (older ? " (replaced the older one)" : ""));
  }
  for (const OutputFile& file : extra) {
    if (!file.name.empty()) {
      names.push_back(file.name);
    }
  }
  return names;
}

// Which of the three reflection files stand already.
std::vector<bool> standingOutputs(std::string_view baseName) {
  std::vector<bool> standing;
  for (const std::string_view suffix : {fampSuffix, fintSuffix, intSuffix}) {
    std::error_code unknown;  // a name the system refuses is reported where the file is created
    standing.push_back(std::filesystem::exists(buildName(baseName, suffix), unknown));
  }
  return standing;
}

// Where the lines of a run go: the dialogue's on the console; in a batch
// run none but the report (and the DELTA prompt at a terminal), the
// warnings among them on the diagnostics.
struct RunStreams {
  std::ostream& console;
  std::ostream& diagnostics;
  std::ostream& classic;  // the dialogue's lines: the console, or nowhere
  std::ostream& prompt;   // the DELTA prompt
  bool batch;
};

// The run proper: files, pipeline, outputs, all put in place together.
void runWithFiles(std::string_view nameGiven, const Flavour& flavour, LineReader& consoleIn, const RunStreams& out,
                  const RunOptions& options) {
  refuseClobberingRunFiles(options, nameGiven, flavour);
  const std::string baseName = outputBaseName(nameGiven, flavour);
  const std::vector<bool> replaced = standingOutputs(baseName);
  RunFiles files;
  prepareFiles(nameGiven, flavour, out.classic, files);
  ExtraFiles extra(extraOutputs().size());
  openExtraFiles(options, extra, out.diagnostics);

  ReflectionTable table = emptyTable(flavour, options);
  LineReader entry(files.entry, unit::entry, files.entryName, LineReader::Reading::InBlocks);
  ConsoleEvents events(out.batch ? nullptr : &out.console, out.diagnostics,
                       [&] { return askDelta(consoleIn, out.prompt, options); },
                       {widensCounts(table), options.strict, out.batch ? files.entryName : std::string_view{}});
  WrittenSummary summary;
  runPipeline(table, entry, events, [&](const ReflectionTable& rows) {
    summary = writeReflectionFiles(rows, {files.famp.stream, files.fint.stream, files.intensity.stream},
                                   options.shelxRecords);
    writeOutputSummary(out.classic, rows, summary);
  });
  if (out.batch && summary.beyondRange > 0) {
    out.diagnostics << "kestran: " << files.entryName << ": warning: " << beyondRangeWarning(summary.beyondRange)
                    << '\n';
  }
  finishWriting(files.famp);
  finishWriting(files.fint);
  finishWriting(files.intensity);
  writeExtraFiles({options, baseName, files.entryName, table, summary.scale}, extra);
  if (options.stats && !out.batch) {
    writeRunShells(table, options.shellCount, out.console);
  }
  commitRun(files, extra);
  if (out.batch && !options.quiet) {
    writeBatchReport(out.console, table, files.entryName, writtenNames(files, extra, replaced));
  }
  if (options.stats && out.batch) {
    writeRunShells(table, options.shellCount, out.console);
  }
}

}  // namespace

void runProgram(std::istream& consoleInput, std::ostream& console, std::ostream& diagnostics,
                const RunOptions& options) {
  const GivenAnswers& given = options.answers;
  LineReader consoleIn(consoleInput, unit::console, "stdin");
  const bool listDescribed = !options.columnList.empty();
  if (given.baseName && (given.inputCode || listDescribed)) {  // all known: refused before the menu
    if (const Flavour* flavour = listDescribed ? &columnListFlavour() : findFlavour(*given.inputCode)) {
      const std::string name = measureBaseName(*given.baseName);
      refuseClobberingRunFiles(options, flavour->optionOnly ? name : findBaseName(name, *flavour), *flavour);
    }
  }
  refuseForeignExtraFiles(options);
  // A batch run asks nothing (but DELTA, when it is not given: with a prompt
  // only at a terminal) and prints its report instead of the dialogue.
  const bool batch = isBatchRun(options);
  std::ostream nowhere(nullptr);
  std::ostream& classic = batch ? nowhere : console;
  const RunStreams out{console, diagnostics, classic, batch && !options.consoleIsTerminal ? nowhere : console, batch};
  showMenu(classic);
  // A column list is chosen by --columns, the others at the menu.
  const Flavour flavour =
      listDescribed ? listFlavourOf(options) : checkedFlavour(askInputCode(consoleIn, console, options));
  checkFlavourOptions(options, flavour);
  showChosenData(classic, flavour, options.columnList.description);
  const std::string answer = askBaseName(consoleIn, console, given, flavour);
  const std::string baseName = flavour.optionOnly ? answer : findBaseName(answer, flavour);
  if (options.scan) {
    runWindowScan(baseName, flavour, options, console, diagnostics);
  } else {
    runWithFiles(baseName, flavour, consoleIn, out, options);
  }
  if (!batch) {
    finalPause(consoleIn, console, given);
  }
}

}  // namespace kestran

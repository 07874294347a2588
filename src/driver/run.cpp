#include "driver/run.hpp"

#include <string>
#include <string_view>
#include <vector>

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

void openExtraFiles(const RunOptions& options, ExtraFiles& extra) {
  for (std::size_t i = 0; i < extra.size(); ++i) {
    if (!options.extraFiles[i].empty()) {
      openOutputFile(extra[i], options.extraFiles[i], extraOutputs()[i].unitNumber, nullptr);
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

void refuseClobberingRunFiles(const RunOptions& options, std::string_view baseName, const Flavour& flavour) {
  refuseClobbering(options, {buildName(baseName, flavour.entrySuffix), buildName(baseName, fampSuffix),
                             buildName(baseName, fintSuffix), buildName(baseName, intSuffix)});
}

// The run proper: files, pipeline, outputs, all put in place together.
void runWithFiles(std::string_view baseName, const Flavour& flavour, LineReader& consoleIn, std::ostream& console,
                  std::ostream& diagnostics, const RunOptions& options) {
  refuseClobberingRunFiles(options, baseName, flavour);
  RunFiles files;
  prepareFiles(baseName, flavour, console, files);
  ExtraFiles extra(extraOutputs().size());
  openExtraFiles(options, extra);

  ReflectionTable table = emptyTable(flavour, options);
  LineReader entry(files.entry, unit::entry, files.entryName, LineReader::Reading::InBlocks);
  ConsoleEvents events(&console, diagnostics, [&] { return askDelta(consoleIn, console, diagnostics, options); },
                       {widensCounts(table), options.strict});
  WrittenSummary summary;
  runPipeline(table, entry, events, [&](const ReflectionTable& rows) {
    summary = writeReflectionFiles(rows, {files.famp.stream, files.fint.stream, files.intensity.stream},
                                   options.shelxRecords);
    writeOutputSummary(console, rows, summary);
  });
  finishWriting(files.famp);
  finishWriting(files.fint);
  finishWriting(files.intensity);
  writeExtraFiles({options, baseName, files.entryName, table, summary.scale}, extra);
  if (options.stats) {
    writeRunShells(table, options.shellCount, console);
  }
  commitRun(files, extra);
}

}  // namespace

void runProgram(std::istream& consoleInput, std::ostream& console, std::ostream& diagnostics,
                const RunOptions& options) {
  const GivenAnswers& given = options.answers;
  LineReader consoleIn(consoleInput, unit::console, "stdin");
  if (given.inputCode && given.baseName) {  // all known: refused before the menu
    if (const Flavour* flavour = findFlavour(*given.inputCode)) {
      refuseClobberingRunFiles(options, measureBaseName(*given.baseName), *flavour);
    }
  }
  refuseForeignExtraFiles(options);
  showMenu(console);
  const Flavour& flavour = checkedFlavour(askInputCode(consoleIn, console, options));
  checkFlavourOptions(options, flavour);
  showChosenData(console, flavour);
  const std::string baseName = askBaseName(consoleIn, console, given);
  if (options.scan) {
    runWindowScan(baseName, flavour, options, console, diagnostics);
  } else {
    runWithFiles(baseName, flavour, consoleIn, console, diagnostics, options);
  }
  finalPause(consoleIn, console, given);
}

}  // namespace kestran

#include "driver/run.hpp"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "driver/clobber_check.hpp"
#include "driver/console_events.hpp"
#include "driver/file_preparation.hpp"
#include "driver/options.hpp"
#include "driver/prompts.hpp"
#include "driver/window_scan_run.hpp"
#include "output/elimination_report.hpp"
#include "output/reflection_cif.hpp"
#include "output/reflection_files.hpp"
#include "output/stick_plot.hpp"
#include "output/written_values.hpp"
#include "processing/pipeline.hpp"
#include "reflections/reflection_table.hpp"
#include "text/console_text.hpp"
#include "text/line_reader.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

// The report, the plot and the CIF, created with the outputs and put in
// place with them.
struct ExtraFiles {
  OutputFile report, plot, cif;
};

void openExtraFiles(const RunOptions& options, ExtraFiles& extra) {
  if (!options.reportFile.empty()) {
    openOutputFile(extra.report, options.reportFile, unit::report, nullptr);
  }
  if (!options.plotFile.empty()) {
    openOutputFile(extra.plot, options.plotFile, unit::plot, nullptr);
  }
  if (!options.cifFile.empty()) {
    openOutputFile(extra.cif, options.cifFile, unit::cif, nullptr);
  }
}

void writeCif(const RunOptions& options, std::string_view baseName, const RunFiles& files, const ReflectionTable& table,
              const OutputScale& scale, ExtraFiles& extra) {
  if (options.cifFile.empty()) {
    return;
  }
  const std::string intensityFile = buildName(baseName, fintSuffix);
  const CifHeading heading{baseName, files.entryName, intensityFile, "KESTRAN " KESTRAN_VERSION};
  writeReflectionCif(extra.cif.stream, table, scale, heading);
  finishWriting(extra.cif);
}

void writeReportAndPlot(const RunOptions& options, std::string_view baseName, const ReflectionTable& table,
                        ExtraFiles& extra) {
  if (!options.reportFile.empty()) {
    writeEliminationReport(extra.report.stream, table);
    finishWriting(extra.report);
  }
  if (!options.plotFile.empty()) {
    const PlotSettings settings{baseName, &flavourOf(table), runWindow(table), options.logPlot,
                                table.overlaps == OverlapRule::Share};
    const ShellLayout layout = layShells(table, options.shellCount);
    const ShellCounts counts = countByShell(layout, table.status);
    // Rows 0 0 0 are no reflections: the plot has no place for them.
    const std::vector<ReportRow> rows = describeElimination(table);
    std::vector<ReportRow> sticks;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(sticks),
                 [](const ReportRow& row) { return row.status != RowStatus::ZeroIndices; });
    writeStickPlot(extra.plot.stream, settings, sticks, layout, counts);
    finishWriting(extra.plot);
  }
}

void commitRun(RunFiles& files, ExtraFiles& extra) {
  std::vector<OutputFile*> written{&files.famp, &files.fint, &files.intensity};
  for (OutputFile* file : {&extra.report, &extra.plot, &extra.cif}) {
    if (!file->temporaryName.empty()) {
      written.push_back(file);
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
  ExtraFiles extra;
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
  writeReportAndPlot(options, baseName, table, extra);
  writeCif(options, baseName, files, table, summary.scale, extra);
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

#include "driver/window_scan_run.hpp"

#include <fstream>
#include <optional>

#include "driver/console_events.hpp"
#include "driver/file_preparation.hpp"
#include "output/shell_table.hpp"
#include "processing/pipeline.hpp"
#include "processing/window_scan.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

// The window the scan marks as the run's own: the file's D, or a DELTA
// given in advance (a scan asks for none).
std::optional<float> ownWindow(const ReflectionTable& table, const RunOptions& options) {
  if (!usesWidthWindow(flavourOf(table))) {
    return options.window || !flavourOf(table).optionOnly ? std::optional<float>(table.fixedWindow) : std::nullopt;
  }
  return options.answers.delta;
}

}  // namespace

void runWindowScan(std::string_view nameGiven, const Flavour& flavour, const RunOptions& options, std::ostream& console,
                   std::ostream& diagnostics) {
  ReflectionTable table = emptyTable(flavour, options);
  std::ifstream file;
  const std::string entryName = entryFileName(nameGiven, flavour);
  openEntryFile(file, entryName);
  LineReader entry(file, unit::entry, entryName, LineReader::Reading::InBlocks);
  // The lines a run prints while reading and ordering (the ordering line,
  // the truncation and angle warnings) are not part of a scan; the warnings
  // about the input are. DELTA is not asked for.
  const float delta = options.answers.delta.value_or(0.0F);
  ConsoleEvents events(nullptr, diagnostics, [delta] { return delta; }, {widensCounts(table), options.strict, {}});
  readAndOrder(table, entry, events);
  const std::optional<float> own = ownWindow(table, options);
  const std::vector<float> windows =
      options.scanWindows.empty() ? defaultScanWindows(flavour, own) : options.scanWindows;
  const ShellLayout layout = layShells(table, options.shellCount);
  const ScanHeading heading{
      entryName, &flavour, table.rows, own, table.windowSource, sharesOverlaps(table), table.spaceGroup != nullptr};
  writeScanTable(console, heading, layout, scanWindows(table, layout, windows));
}

void writeRunShells(const ReflectionTable& table, int shellCount, std::ostream& console) {
  const ShellLayout layout = layShells(table, shellCount);
  // With a space group the shared rows count by their multiplicities.
  const std::vector<std::int32_t>* multiplicity = table.spaceGroup != nullptr ? &table.multiplicity : nullptr;
  writeShellStats(console, layout, countByShell(layout, table.status, multiplicity), flavourOf(table), runWindow(table),
                  table.windowSource, sharesOverlaps(table));
}

}  // namespace kestran

#include "driver/window_scan_run.hpp"

#include <fstream>
#include <optional>

#include "driver/file_preparation.hpp"
#include "output/shell_table.hpp"
#include "processing/ordering.hpp"
#include "processing/window_scan.hpp"
#include "reflections/entry_readers.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

// The lines a run prints while reading and ordering (the ordering line, the
// truncation and angle warnings) are not part of a scan: they go here.
class SilentConsole : public std::ostream {
 public:
  SilentConsole() : std::ostream(nullptr) {}
};

void readAndOrderSilently(ReflectionTable& table, std::string_view baseName) {
  std::ifstream file;
  const std::string entryName = buildName(baseName, entrySuffix(table.inputCode));
  openEntryFile(file, entryName);
  LineReader entry(file, unit::entry, entryName, LineReader::Reading::InBlocks);
  SilentConsole silent;
  readEntryFile(table, entry, silent);
  if (isOrdered(table.inputCode)) {
    orderReflections(table, silent);
  }
}

std::optional<float> ownWindow(const ReflectionTable& table, const RunOptions& options) {
  if (isFullprof(table.inputCode)) {
    return table.D;
  }
  return options.answers.delta;
}

}  // namespace

void runWindowScan(std::string_view baseName, int inputCode, const RunOptions& options, std::ostream& console) {
  ReflectionTable table;
  table.inputCode = inputCode;
  table.capacity = options.maxReflections;
  readAndOrderSilently(table, baseName);
  const std::optional<float> own = ownWindow(table, options);
  const std::vector<float> windows =
      options.scanWindows.empty() ? defaultScanWindows(inputCode, own) : options.scanWindows;
  const ShellLayout layout = layShells(table, options.shellCount);
  const ScanHeading heading{buildName(baseName, entrySuffix(inputCode)), inputCode, table.n, own};
  writeScanTable(console, heading, layout, scanWindows(table, layout, windows));
}

void writeRunShells(const ReflectionTable& table, int shellCount, std::ostream& console) {
  const ShellLayout layout = layShells(table, shellCount);
  writeShellStats(console, layout, countByShell(layout, table.STATUS), table.inputCode, runWindow(table));
}

}  // namespace kestran

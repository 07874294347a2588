#pragma once
// Everything a run may be given besides the console answers.

#include <optional>
#include <string>
#include <vector>

#include "driver/extra_outputs.hpp"
#include "processing/shells.hpp"
#include "reflections/reflection_table.hpp"

namespace kestran {

// Answers given in advance (on the command line); each one given is not
// asked for at the console. With none given the dialogue is the classic one.
struct GivenAnswers {
  std::optional<int> inputCode;
  std::optional<std::string> baseName;
  std::optional<float> delta;
  bool pause = true;
};

struct RunOptions {
  GivenAnswers answers;
  ExtraFileNames extraFiles = ExtraFileNames(extraOutputs().size());  // the file of each extra output
  std::optional<float> window;  // D in degrees 2theta instead of the entry file's (--window)
  bool quiet = false;           // a batch run prints no report, only diagnostics
  // Standard input is a terminal: an answer that is not a number is asked
  // again instead of stopping the run.
  bool consoleIsTerminal = false;
  bool logPlot = false;            // intensities of the plot on a log axis
  bool scan = false;               // a dry run: the window scan instead of the files
  std::vector<float> scanWindows;  // the windows of the scan; empty: the default series
  bool stats = false;              // the resolution shells of the run, after its last line
  int shellCount = defaultShellCount;
  int maxReflections = defaultCapacity;      // the table's capacity, 1 to maxCapacity
  bool strict = false;                       // a warning about the input stops the run
  bool sigmasFromFile = false;               // the entry file's sigmas, not one hundredth of the value
  bool shelxRecords = false;                 // the amplitude and intensity files in SHELX records for every code
  ResolutionLimit limit;                     // rows beyond it are not written
  OverlapRule overlaps = OverlapRule::Drop;  // close neighbours removed, or kept with their group's intensity
  std::string spaceGroup;                    // --space-group SYMBOL, checked; empty for none
  // A list described by its columns (--columns; empty otherwise), with the
  // cell and the wavelength given for it and whether it stays in file order.
  ColumnList columnList;
  std::optional<CellParameters> cell;  // a..gamma; its wavelength is `wavelength`
  std::optional<float> wavelength;
  bool fileOrder = false;
};

// The code (or a column list) and the base name come from the command line:
// the run prints a short report instead of the dialogue.
inline bool isBatchRun(const RunOptions& options) {
  return (options.answers.inputCode.has_value() || !options.columnList.empty()) && options.answers.baseName.has_value();
}

// Where the run's window comes from, and D when the command line gives it.
inline void setWindowSource(ReflectionTable& table, const Flavour& flavour, const RunOptions& options) {
  if (usesWidthWindow(flavour)) {
    table.windowSource = options.answers.delta ? WindowSource::CommandLine : WindowSource::Console;
  } else if (options.window) {
    table.windowSource = WindowSource::CommandLine;
    table.fixedWindow = *options.window;
  }
}

// The flavour of a run given --columns: the column list's row as the
// description and the options set it.
inline Flavour listFlavourOf(const RunOptions& options) {
  return describeListFlavour(options.columnList, options.wavelength.has_value(), options.fileOrder);
}

// The table a run of `flavour` starts from, with the run-wide facts the
// options give.
inline ReflectionTable emptyTable(const Flavour& flavour, const RunOptions& options) {
  ReflectionTable table;
  table.inputCode = flavour.code;
  table.capacity = options.maxReflections;
  table.limit = options.limit;
  table.sigmasFromFile = options.sigmasFromFile;
  table.overlaps = options.overlaps;
  setWindowSource(table, flavour, options);
  table.spaceGroupSymbol = options.spaceGroup;
  if (flavour.optionOnly) {
    table.listFlavour = flavour;
    table.columns = options.columnList;
    table.cell = options.cell.value_or(CellParameters{});
    table.cell.wavelength = options.wavelength.value_or(0.0F);
  }
  return table;
}

}  // namespace kestran

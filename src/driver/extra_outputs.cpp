#include "driver/extra_outputs.hpp"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "driver/file_preparation.hpp"
#include "driver/interrupt_cleanup.hpp"
#include "driver/run_options.hpp"
#include "output/elimination_report.hpp"
#include "output/reflection_cif.hpp"
#include "output/stick_plot.hpp"
#include "output/window_page.hpp"
#include "processing/overlaps.hpp"
#include "text/number_writing.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

void writePlot(std::ostream& out, const FinishedRun& run) {
  const ReflectionTable& table = run.table;
  const PlotSettings settings{.baseName = run.baseName,
                              .flavour = &flavourOf(table),
                              .window = runWindow(table),
                              .logScale = run.options.logPlot,
                              .sharesOverlaps = sharesOverlaps(table),
                              .windowSource = table.windowSource};
  const ShellLayout layout = layShells(table, run.options.shellCount);
  const ShellCounts counts = countByShell(layout, table.status);
  // Rows 0 0 0 are no reflections: the plot has no place for them.
  const std::vector<ReportRow> rows = describeElimination(table);
  std::vector<ReportRow> sticks;
  std::copy_if(rows.begin(), rows.end(), std::back_inserter(sticks),
               [](const ReportRow& row) { return row.status != RowStatus::ZeroIndices; });
  writeStickPlot(out, settings, sticks, layout, counts);
}

void writeCif(std::ostream& out, const FinishedRun& run) {
  const std::string intensityFile = buildName(run.baseName, fintSuffix);
  const CifHeading heading{run.baseName, run.entryName, intensityFile, "KESTRAN " KESTRAN_VERSION};
  writeReflectionCif(out, run.table, run.scale, heading);
}

constexpr int pageUnit = 27;

// The options that read the same rows again: the code, or the column list
// with what places its rows; and the space group, which weights the shares.
std::vector<std::string> pageInputWords(const RunOptions& options, const ReflectionTable& table) {
  const ColumnList& list = options.columnList;
  std::vector<std::string> words;
  if (list.empty()) {
    words = {"--code", std::to_string(flavourOf(table).code)};
  } else {
    words = {"--columns", list.description};
    if (options.cell) {
      const CellParameters& cell = *options.cell;
      words.insert(words.end(), {"--cell", shortestText(cell.a) + ',' + shortestText(cell.b) + ',' +
                                               shortestText(cell.c) + ',' + shortestText(cell.alpha) + ',' +
                                               shortestText(cell.beta) + ',' + shortestText(cell.gamma)});
    }
    if (options.wavelength) {
      words.insert(words.end(), {"--wavelength", shortestText(*options.wavelength)});
    }
    if (list.skipLines > 0) {
      words.insert(words.end(), {"--skip-lines", std::to_string(list.skipLines)});
    }
    if (options.fileOrder) {
      words.insert(words.end(), {"--order", "file"});
    }
  }
  if (!options.spaceGroup.empty()) {
    words.insert(words.end(), {"--space-group", options.spaceGroup});
  }
  return words;
}

void writePage(std::ostream& out, const FinishedRun& run) {
  const RunOptions& options = run.options;
  const PageSettings settings{.baseName = run.baseName,
                              .fileName = options.extraFiles[extraOutputIndex(*findExtraOutput("page"))],
                              .unitNumber = pageUnit,
                              .shellCount = options.shellCount,
                              .inputWords = pageInputWords(options, run.table),
                              // A column list is named in full; the other flavours by their base name.
                              .entryArgument = options.columnList.empty() ? run.baseName : run.entryName};
  writeWindowPage(out, run.table, settings);
}

constexpr ExtraOutput outputs[] = {
    {.option = "report",
     .help = "write a tab-separated elimination report",
     .isOwn = isOwnReport,
     .unitNumber = 24,
     .write = [](std::ostream& out, const FinishedRun& run) { writeEliminationReport(out, run.table); }},
    {.option = "plot",
     .help = "write an SVG stick diagram of the reflections",
     .isOwn = isOwnPlot,
     .unitNumber = 25,
     .write = writePlot},
    {.option = "cif",
     .help = "write a reflection CIF: every reflection read, its F^2 and sigma(F^2)\n"
             "on the scale of NAMEI.hkl and its status (o kept, x removed, h beyond);\n"
             "its sigma is always 2 F sigma(F) (see Sigmas below)",
     .isOwn = isOwnCif,
     .unitNumber = 26,
     .write = writeCif},
    {.option = "page",
     .help = "write a self-contained HTML page: the reflections along 2theta with a\n"
             "slider for the window and the rule, exact at every window",
     .isOwn = isOwnPage,
     .unitNumber = pageUnit,
     .write = writePage},
};

// Each file a run writes, a new one and a kept old one at once, has its
// places for the signal handler: the three reflection files and the extras.
static_assert(2 * (3 + std::size(outputs)) <= registeredPlaces);

// Each output has an option and a unit of its own, and no unit of the run's
// other files.
constexpr bool unitsAreTheirOwn() {
  constexpr int runUnits[] = {unit::console, unit::famp, unit::entry, unit::fint, unit::intensity};
  for (std::size_t i = 0; i < std::size(outputs); ++i) {
    for (const int taken : runUnits) {
      if (outputs[i].unitNumber == taken) {
        return false;
      }
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (outputs[i].unitNumber == outputs[j].unitNumber || outputs[i].option == outputs[j].option) {
        return false;
      }
    }
  }
  return true;
}
static_assert(unitsAreTheirOwn(), "each extra output needs a unit and an option of its own");

}  // namespace

std::span<const ExtraOutput> extraOutputs() { return outputs; }

const ExtraOutput* findExtraOutput(std::string_view option) {
  for (const ExtraOutput& output : outputs) {
    if (output.option == option) {
      return &output;
    }
  }
  return nullptr;
}

std::size_t extraOutputIndex(const ExtraOutput& output) { return static_cast<std::size_t>(&output - outputs); }

}  // namespace kestran

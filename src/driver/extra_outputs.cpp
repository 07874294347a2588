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
#include "processing/overlaps.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

// Each file a run writes, a new one and a kept old one at once, has its
// places for the signal handler: the three reflection files and the extras.
static_assert(2 * (3 + extraOutputCount) <= registeredPlaces);

constexpr bool unitsAreTheirOwn() {
  constexpr int runUnits[] = {unit::console, unit::famp, unit::entry, unit::fint, unit::intensity};
  for (std::size_t i = 0; i < extraOutputCount; ++i) {
    for (const int taken : runUnits) {
      if (extraOutputs[i].unitNumber == taken) {
        return false;
      }
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (extraOutputs[i].unitNumber == extraOutputs[j].unitNumber ||
          extraOutputs[i].option == extraOutputs[j].option) {
        return false;
      }
    }
  }
  return true;
}
static_assert(unitsAreTheirOwn(), "each extra output needs a unit and an option of its own");

}  // namespace

void writeReportFile(std::ostream& out, const FinishedRun& run) { writeEliminationReport(out, run.table); }

void writePlotFile(std::ostream& out, const FinishedRun& run) {
  const ReflectionTable& table = run.table;
  const PlotSettings settings{run.baseName, &flavourOf(table), runWindow(table), run.options.logPlot,
                              table.overlaps == OverlapRule::Share};
  const ShellLayout layout = layShells(table, run.options.shellCount);
  const ShellCounts counts = countByShell(layout, table.status);
  // Rows 0 0 0 are no reflections: the plot has no place for them.
  const std::vector<ReportRow> rows = describeElimination(table);
  std::vector<ReportRow> sticks;
  std::copy_if(rows.begin(), rows.end(), std::back_inserter(sticks),
               [](const ReportRow& row) { return row.status != RowStatus::ZeroIndices; });
  writeStickPlot(out, settings, sticks, layout, counts);
}

void writeCifFile(std::ostream& out, const FinishedRun& run) {
  const std::string intensityFile = buildName(run.baseName, fintSuffix);
  const CifHeading heading{run.baseName, run.entryName, intensityFile, "KESTRAN " KESTRAN_VERSION};
  writeReflectionCif(out, run.table, run.scale, heading);
}

const ExtraOutput* findExtraOutput(std::string_view option) {
  for (const ExtraOutput& output : extraOutputs) {
    if (output.option == option) {
      return &output;
    }
  }
  return nullptr;
}

}  // namespace kestran

#pragma once
// The files a run may write besides its three reflection files, one entry
// each in one table: the option that names the file, what it holds (for the
// usage), how kestran tells a file of its own from someone else's, the unit
// by which failures name it, and its writer. The options, the checks before
// the run, the refusal of names that are the run's own files, the run and
// the all-or-nothing step that puts the files in place all go over this
// table, so a new output is one entry and its writer.

#include <array>
#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

#include "driver/own_files.hpp"

namespace kestran {

struct RunOptions;
struct ReflectionTable;
struct OutputScale;

// What the writers of the extra files draw on, once the reflection files
// are written.
struct FinishedRun {
  const RunOptions& options;
  std::string_view baseName;
  std::string_view entryName;
  const ReflectionTable& table;
  const OutputScale& scale;  // the scale the reflection files were written on
};

struct ExtraOutput {
  std::string_view option;  // the option naming the file, without its dashes
  std::string_view help;    // what the file holds, as the usage says it
  OwnFileTest isOwn;        // a file that begins so may be replaced
  int unitNumber;           // the unit by which failures name the file
  void (*write)(std::ostream& out, const FinishedRun& run);
};

void writeReportFile(std::ostream& out, const FinishedRun& run);
void writePlotFile(std::ostream& out, const FinishedRun& run);
void writeCifFile(std::ostream& out, const FinishedRun& run);

inline constexpr ExtraOutput extraOutputs[] = {
    {.option = "report",
     .help = "write a tab-separated elimination report",
     .isOwn = isOwnReport,
     .unitNumber = 24,
     .write = writeReportFile},
    {.option = "plot",
     .help = "write an SVG stick diagram of the reflections",
     .isOwn = isOwnPlot,
     .unitNumber = 25,
     .write = writePlotFile},
    {.option = "cif",
     .help = "write a reflection CIF: every reflection read, its F^2 and sigma(F^2)\n"
             "on the scale of NAMEI.hkl and its status (o kept, x removed, h beyond)",
     .isOwn = isOwnCif,
     .unitNumber = 26,
     .write = writeCifFile},
};

inline constexpr std::size_t extraOutputCount = std::size(extraOutputs);

// The name of each extra file, in the table's order; empty when not asked for.
using ExtraFileNames = std::array<std::string, extraOutputCount>;

// The entry of an option ("report"); null when no extra output has it.
const ExtraOutput* findExtraOutput(std::string_view option);

}  // namespace kestran

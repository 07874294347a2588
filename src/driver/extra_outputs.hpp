#pragma once
// The files a run may write besides its three reflection files, one entry
// each in one table: the option that names the file, what it holds (for the
// usage), how kestran tells a file of its own from someone else's, the unit
// by which failures name it, and its writer. The options, the checks before
// the run, the refusal of names that are the run's own files, the run and
// the all-or-nothing step that puts the files in place all go over this
// table, so a new output is one entry (extra_outputs.cpp) and its writer.

#include <cstddef>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// Every extra output, in the order of the usage; the table is in
// extra_outputs.cpp.
std::span<const ExtraOutput> extraOutputs();

// The name of each extra file, in the table's order; empty when not asked for.
using ExtraFileNames = std::vector<std::string>;

// The entry of an option ("report"); null when no extra output has it.
const ExtraOutput* findExtraOutput(std::string_view option);

// Where an option's file stands in ExtraFileNames.
std::size_t extraOutputIndex(const ExtraOutput& output);

}  // namespace kestran

#pragma once
// The runs that report on resolution shells: the window scan, a dry run that
// reads and orders the entry file as a run does and touches no other file,
// and the shell table of a finished run.

#include <ostream>
#include <string_view>

#include "driver/run_options.hpp"
#include "reflections/reflection_table.hpp"

namespace kestran {

// Opens the entry file of the flavour alone, reads and orders it without a
// console line (the warnings about the input go to `diagnostics`), and
// prints the scan table of the windows asked for (or of the default series).
void runWindowScan(std::string_view baseName, const Flavour& flavour, const RunOptions& options, std::ostream& console,
                   std::ostream& diagnostics);

// The shells of a finished run with the window it used.
void writeRunShells(const ReflectionTable& table, int shellCount, std::ostream& console);

}  // namespace kestran

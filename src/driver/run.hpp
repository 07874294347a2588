#pragma once
// The whole run of the program: the dialogue, the files, the pipeline and
// its console lines, the optional report, plot and statistics, the final
// pause. The window scan takes its own road after the base name.

#include <istream>
#include <ostream>

#include "driver/run_options.hpp"

namespace kestran {

// Runs the program once; failures are thrown as RunError.
void runProgram(std::istream& consoleIn, std::ostream& console, const RunOptions& options = {});

}  // namespace kestran

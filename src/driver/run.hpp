#pragma once
// The whole run of the program: the dialogue, the files, the pipeline and
// its console lines, the extra files (extra_outputs.hpp) and statistics, the final
// pause. The window scan takes its own road after the base name.

#include <istream>
#include <ostream>

#include "driver/run_options.hpp"

namespace kestran {

// Runs the program once: the dialogue on `console`, the warnings about the
// input on `diagnostics`. Failures are thrown as RunError.
void runProgram(std::istream& consoleIn, std::ostream& console, std::ostream& diagnostics,
                const RunOptions& options = {});

}  // namespace kestran

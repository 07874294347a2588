#pragma once
// The command line: answers given in advance and the optional report and plot.
//   kestran [--code N] [--delta X] [--no-pause] [--report FILE] [--plot FILE] [BASENAME]
//   kestran --scan[=LIST] ...   (see usageText)

#include <stdexcept>
#include <string>

#include "driver/run_options.hpp"

namespace kestran {

// A command line that cannot be used; main prints the usage and exits with 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct CommandLine {
  RunOptions run;
  bool help = false;
  bool version = false;
};

CommandLine parseCommandLine(int argc, char* argv[]);

// Refuses the options the flavour cannot take: --delta with a FULLPROF code,
// whose window comes from the file; --d-min where the file gives no
// wavelength (SIRPOW); --sigma=file where it carries no sigmas (EXPO).
void checkFlavourOptions(const RunOptions& run, const Flavour& flavour);

std::string usageText();

}  // namespace kestran

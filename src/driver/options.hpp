#pragma once
// The command line: answers given in advance, the extra outputs and the
// settings of the run, all from one table of options (option_rules.hpp);
// usageText shows the forms it takes.

#include <stdexcept>
#include <string>
#include <vector>

#include "driver/run_options.hpp"

namespace kestran {

// A command line that cannot be used; main says what is wrong and where to
// read more, and exits with 2.
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

// The usage: the synopsis, then each option with what it does.
std::string usageText();

// The synopsis's forms, each on one line: "kestran [--code N] ... [BASENAME]",
// "kestran --scan[=LIST] ...", "kestran --columns LIST ... FILE",
// "kestran --help | --version".
std::vector<std::string> synopsisForms();

}  // namespace kestran

// kestran: turns a powder-diffraction reflection list into single-crystal
// reflection files, removing reflections too close to a neighbour.

#include <unistd.h>

#include <exception>
#include <iostream>
#include <new>

#include "driver/interrupt_cleanup.hpp"
#include "driver/options.hpp"
#include "driver/run.hpp"
#include "text/run_error.hpp"

namespace {

constexpr int usageStatus = 2;

// As GNU tools do: the fault on one line, where to read more on the next.
int usageFailure(const kestran::UsageError& error) {
  std::cout.flush();
  std::cerr << "kestran: " << error.what() << "\nTry 'kestran --help' for more information.\n";
  return usageStatus;
}

// Every failure ends the same way: the console so far, one line on standard
// error, status 1. The new files have been removed on the way out.
int runFailure(const std::string& report) {
  std::cout.flush();
  std::cerr << "kestran: " << report << '\n';
  return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  kestran::removeTemporariesOnSignals();
  try {
    kestran::CommandLine line = kestran::parseCommandLine(argc, argv);
    if (line.help) {
      std::cout << kestran::usageText();
      return 0;
    }
    if (line.version) {
      std::cout << "kestran " KESTRAN_VERSION "\n";
      return 0;
    }
    line.run.consoleIsTerminal = ::isatty(STDIN_FILENO) == 1;
    kestran::runProgram(std::cin, std::cout, std::cerr, line.run);
  } catch (const kestran::UsageError& error) {
    return usageFailure(error);
  } catch (const kestran::RunError& error) {
    return runFailure(error.report());
  } catch (const std::bad_alloc&) {
    return runFailure("out of memory");
  } catch (const std::exception& error) {
    return runFailure(std::string("internal error: ") + error.what());
  }
  return 0;
}

// kestran: turns a powder-diffraction reflection list into single-crystal
// reflection files, removing reflections too close to a neighbour.

#include <iostream>

#include "driver/dialogue.hpp"
#include "driver/options.hpp"
#include "text/run_error.hpp"

namespace {

constexpr int usageStatus = 2;

int usageFailure(const kestran::UsageError& error) {
  std::cout.flush();
  std::cerr << "kestran: " << error.what() << '\n' << kestran::usageText();
  return usageStatus;
}

}  // namespace

int main(int argc, char* argv[]) {
  try {
    const kestran::CommandLine line = kestran::parseCommandLine(argc, argv);
    if (line.help) {
      std::cout << kestran::usageText();
      return 0;
    }
    if (line.version) {
      std::cout << "kestran " KESTRAN_VERSION "\n";
      return 0;
    }
    kestran::runDialogue(std::cin, std::cout, line.run);
  } catch (const kestran::UsageError& error) {
    return usageFailure(error);
  } catch (const kestran::RunError& error) {
    std::cout.flush();
    std::cerr << "kestran: " << error.report() << '\n';
    return 1;
  }
  return 0;
}

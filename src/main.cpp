// kestran: turns a powder-diffraction reflection list into single-crystal
// reflection files, removing reflections too close to a neighbour.

#include <iostream>

#include "driver/dialogue.hpp"
#include "reflections/run_error.hpp"

int main() {
  try {
    kestran::runDialogue(std::cin, std::cout);
  } catch (const kestran::RunError& error) {
    std::cout.flush();
    std::cerr << "kestran: " << error.what() << '\n';
    return 1;
  }
  return 0;
}

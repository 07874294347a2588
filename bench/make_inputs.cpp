// Writes the 40000-reflection benchmark entry files of every flavour into the
// directory given: fullprof2.dat (code 1), fullprof4.dat (code 4),
// sirpow.hkl (code 2) and expo.hkl (code 3), with the FULLPROF window 0.02;
// and fullprof2-window0.dat, fullprof4-window0.dat with a window of 0, which
// keeps every reflection.

#include <cstdio>
#include <fstream>
#include <string>

#include "reflections/reflection_table.hpp"
#include "sample_entries.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
    return 2;
  }
  const std::string directory = argv[1];
  const struct {
    int code;
    const char* name;
    double window;
  } files[] = {{1, "fullprof2.dat", 0.02}, {4, "fullprof4.dat", 0.02},        {2, "sirpow.hkl", 0.02},
               {3, "expo.hkl", 0.02},      {1, "fullprof2-window0.dat", 0.0}, {4, "fullprof4-window0.dat", 0.0}};
  for (const auto& file : files) {
    std::ofstream out(directory + "/" + file.name, std::ios::binary);
    out << kestran::bench::sampleEntry(file.code, kestran::defaultCapacity, file.window);
    if (!out) {
      std::fprintf(stderr, "cannot write %s/%s\n", directory.c_str(), file.name);
      return 1;
    }
  }
  return 0;
}

// Writes benchmark entry files into the directory given.
//   kestran_make_inputs DIR
//     the 40000-reflection files of every flavour: fullprof2.dat (code 1),
//     fullprof4.dat (code 4), sirpow.hkl (code 2) and expo.hkl (code 3), with
//     the FULLPROF window 0.02; and fullprof2-window0.dat,
//     fullprof4-window0.dat with a window of 0, which keeps every reflection.
//   kestran_make_inputs DIR COUNT...
//     for each COUNT, the four flavours with COUNT reflections:
//     fullprof2-COUNT.dat, fullprof4-COUNT.dat, sirpow-COUNT.hkl,
//     expo-COUNT.hkl (window 0.02); above 45000 from a larger cell; and
//     staircase-COUNT.dat, a JFOU=2 file whose positions are the ordering's
//     costliest ties.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "reflections/reflection_table.hpp"
#include "sample_entries.hpp"

namespace {

bool writeEntry(const std::string& path, int code, int count, double window) {
  std::ofstream out(path, std::ios::binary);
  out << kestran::bench::sampleEntry(code, count, window);
  out.flush();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY [COUNT...]\n", argv[0]);
    return 2;
  }
  const std::string directory = argv[1];
  if (argc == 2) {
    const struct {
      int code;
      const char* name;
      double window;
    } files[] = {{1, "fullprof2.dat", 0.02}, {4, "fullprof4.dat", 0.02},        {2, "sirpow.hkl", 0.02},
                 {3, "expo.hkl", 0.02},      {1, "fullprof2-window0.dat", 0.0}, {4, "fullprof4-window0.dat", 0.0}};
    for (const auto& file : files) {
      if (!writeEntry(directory + "/" + file.name, file.code, kestran::defaultCapacity, file.window)) return 1;
    }
    return 0;
  }
  const struct {
    int code;
    const char* stem;
    const char* suffix;
  } flavours[] = {{1, "fullprof2", ".dat"}, {4, "fullprof4", ".dat"}, {2, "sirpow", ".hkl"}, {3, "expo", ".hkl"}};
  for (int i = 2; i < argc; ++i) {
    const long count = std::strtol(argv[i], nullptr, 10);
    if (count < 1 || count > kestran::maxCapacity) {
      std::fprintf(stderr, "count out of range: %s\n", argv[i]);
      return 2;
    }
    for (const auto& flavour : flavours) {
      const std::string path = directory + "/" + flavour.stem + "-" + argv[i] + flavour.suffix;
      if (!writeEntry(path, flavour.code, static_cast<int>(count), 0.02)) return 1;
    }
    const std::string path = directory + "/staircase-" + argv[i] + ".dat";
    std::ofstream out(path, std::ios::binary);
    out << kestran::bench::staircaseEntry(static_cast<int>(count));
    out.flush();
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}

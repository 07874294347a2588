// The whole processing of one entry file in memory, as a run makes it: read,
// order (not for SIRPOW), eliminate close neighbours, write the three files.
// Each iteration starts from a fresh table, as a run does.
// The usual windows (0.02 degrees, DELTA = 1) remove all but a few dozen of
// 40000 crowded reflections; a window of 0 keeps and writes every one.

#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <string>

#include "output/normalisation.hpp"
#include "processing/elimination.hpp"
#include "processing/ordering.hpp"
#include "reflections/entry_readers.hpp"
#include "reflections/reflection_table.hpp"
#include "sample_entries.hpp"
#include "text/line_reader.hpp"

namespace {

constexpr int codeSirpow = 2;
constexpr int codeExpo = 3;
void pipeline(benchmark::State& state, int inputCode, bool keepAll) {
  const int count = static_cast<int>(state.range(0));
  const float delta = keepAll ? 0.0F : 1.0F;  // the DELTA answered for SIRPOW and EXPO
  const std::string text = kestran::bench::sampleEntry(inputCode, count, keepAll ? 0.0 : 0.02);
  std::istringstream entryText(text);
  std::ostringstream console, famp, fint, intensity;
  int written = 0;
  for (auto _ : state) {
    entryText.clear();
    entryText.seekg(0);
    for (std::ostringstream* out : {&console, &famp, &fint, &intensity}) out->str({});

    auto table = std::make_unique<kestran::ReflectionTable>();
    table->inputCode = inputCode;
    kestran::LineReader entry(entryText, 21, "bench", kestran::LineReader::Reading::InBlocks);  // as a run reads
    if (inputCode == codeSirpow) table->DELTA = delta;
    if (kestran::readEntryFile(*table, entry, console) != count) {
      state.SkipWithError("the entry file did not read whole");
      return;
    }
    if (inputCode != codeSirpow) {
      kestran::orderReflections(*table, console);
      if (inputCode == codeExpo) table->DELTA = delta;
    }
    kestran::eliminateNeighbours(*table);
    kestran::writeOutputFiles(*table, console, famp, fint, intensity);
    benchmark::DoNotOptimize(intensity.tellp());
    written = kestran::countKept(table->STATUS);
  }
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["kept"] = written;
}

[[maybe_unused]] const bool registered = [] {
  const struct {
    int code;
    const char* name;
  } flavours[] = {{1, "fullprof2"}, {4, "fullprof4"}, {2, "sirpow"}, {3, "expo"}};
  for (const auto& flavour : flavours) {
    const std::string name = std::string("pipeline/") + flavour.name;
    benchmark::RegisterBenchmark(name.c_str(), pipeline, flavour.code, false)
        ->Arg(1000)
        ->Arg(10000)
        ->Arg(40000)
        ->Unit(benchmark::kMillisecond);
  }
  for (const auto& flavour : flavours) {
    const std::string name = std::string("pipeline/") + flavour.name + "-window0";
    benchmark::RegisterBenchmark(name.c_str(), pipeline, flavour.code, true)->Arg(40000)->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace

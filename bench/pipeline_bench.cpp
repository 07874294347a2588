// The whole processing of one entry file in memory, through the run's
// pipeline: read, order (not for SIRPOW), eliminate close neighbours, write
// the three files.
// Each iteration starts from a fresh table, as a run does.
// The usual windows (0.02 degrees, DELTA = 1) remove all but a few dozen of
// 40000 crowded reflections; a window of 0 keeps and writes every one.

#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <string>

#include "../tests/support/quiet_events.hpp"
#include "output/reflection_files.hpp"
#include "processing/elimination.hpp"
#include "processing/pipeline.hpp"
#include "reflections/reflection_table.hpp"
#include "sample_entries.hpp"
#include "text/line_reader.hpp"

namespace {

void pipeline(benchmark::State& state, int inputCode, bool keepAll) {
  const int count = static_cast<int>(state.range(0));
  const float delta = keepAll ? 0.0F : 1.0F;  // the DELTA answered for SIRPOW and EXPO
  const std::string text = kestran::bench::sampleEntry(inputCode, count, keepAll ? 0.0 : 0.02);
  std::istringstream entryText(text);
  std::ostringstream famp, fint, intensity;
  int written = 0;
  for (auto _ : state) {
    entryText.clear();
    entryText.seekg(0);
    for (std::ostringstream* out : {&famp, &fint, &intensity}) out->str({});

    auto table = std::make_unique<kestran::ReflectionTable>();
    table->inputCode = inputCode;
    kestran::LineReader entry(entryText, 21, "bench", kestran::LineReader::Reading::InBlocks);  // as a run reads
    kestran::QuietEvents events(delta);
    kestran::runPipeline(*table, entry, events, [&](const kestran::ReflectionTable& rows) {
      written = kestran::writeReflectionFiles(rows, {famp, fint, intensity}).written;
    });
    if (table->rows != count) {
      state.SkipWithError("the entry file did not read whole");
      return;
    }
    benchmark::DoNotOptimize(intensity.tellp());
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

// Reading and writing of single records: the fixed-column layouts and the
// free-form reader, over the reflection lines of the 40000-reflection entry
// files, in reflections per second.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "reflections/record_layouts.hpp"
#include "reflections/reflection_table.hpp"
#include "sample_entries.hpp"
#include "text/block_writer.hpp"
#include "text/free_form.hpp"
#include "text/line_reader.hpp"

namespace {

using kestran::Jfou4Values;
using kestran::ShelxValues;

// The reflection lines of an entry file, without its `headerLines` lines.
std::vector<std::string> reflectionLines(int inputCode, int headerLines) {
  std::istringstream in(kestran::bench::sampleEntry(inputCode, kestran::defaultCapacity));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  lines.erase(lines.begin(), lines.begin() + headerLines);
  return lines;
}

template <typename Record, typename Layout>
void readLayout(benchmark::State& state, const Layout& layout, int inputCode) {
  const std::vector<std::string> lines = reflectionLines(inputCode, 2);
  for (const std::string& line : lines) {
    Record record;
    if (!kestran::readRecord(line, layout, record)) {
      state.SkipWithError("a reflection line does not read");
      return;
    }
  }
  for (auto _ : state) {
    for (const std::string& line : lines) {
      Record record;
      benchmark::DoNotOptimize(kestran::readRecord(line, layout, record));
      benchmark::DoNotOptimize(record);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
}

// The records as the FULLPROF JFOU=2 reader would give them.
template <typename Record>
std::vector<Record> sampleRecords() {
  std::vector<Record> records;
  for (const std::string& line : reflectionLines(1, 2)) {
    ShelxValues coded;
    kestran::readRecord(line, kestran::shelxRecord, coded);
    if constexpr (std::is_same_v<Record, ShelxValues>) {
      records.push_back(coded);
    } else {
      records.push_back({coded.h, coded.k, coded.l, coded.value, coded.sigma, coded.value * coded.value});
    }
  }
  return records;
}

// Writes every record through a block writer, as the output files are
// written, to a string stream that is emptied before each pass.
template <typename Record, typename Layout>
void writeLayout(benchmark::State& state, const Layout& layout) {
  const std::vector<Record> records = sampleRecords<Record>();
  std::ostringstream out;
  kestran::BlockWriter block(out);
  for (auto _ : state) {
    out.str({});
    for (const Record& record : records) kestran::writeRecord(block, layout, record);
    block.flush();
    benchmark::DoNotOptimize(out.tellp());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(records.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(out.str().size()));
}

// One free-form read statement per reflection line, of `integers` integers
// then `reals` reals, as the EXPO (3 and 2) and SIRPOW (4 and 5) readers make.
void readFreeForm(benchmark::State& state, int inputCode, int integers, int reals) {
  const int headerLines = 2;
  const std::string text = kestran::bench::sampleEntry(inputCode, kestran::defaultCapacity);
  std::istringstream in(text);
  std::int64_t reflections = 0;
  for (auto _ : state) {
    in.clear();
    in.seekg(0);
    kestran::LineReader source(in, 21, "bench");
    std::string_view skipped;
    for (int i = 0; i < headerLines; ++i) source.next(skipped);
    std::int64_t count = 0;
    for (;;) {
      kestran::ListRead read(source);
      std::int32_t index = 0;
      float value = 0;
      bool complete = true;
      for (int i = 0; i < integers && complete; ++i) complete = read.integer(index);
      for (int i = 0; i < reals && complete; ++i) complete = read.real(value);
      read.finish();
      if (!complete) break;
      benchmark::DoNotOptimize(index);
      benchmark::DoNotOptimize(value);
      ++count;
    }
    reflections += count;
    if (count != kestran::defaultCapacity) {
      state.SkipWithError("the file did not read whole");
      return;
    }
  }
  state.SetItemsProcessed(reflections);
}

[[maybe_unused]] const bool registered = [] {
  using benchmark::RegisterBenchmark;
  using ShelxLayout = kestran::RecordLayout<ShelxValues>;
  using Jfou4Layout = kestran::RecordLayout<Jfou4Values>;
  RegisterBenchmark("records/read/shelx", readLayout<ShelxValues, ShelxLayout>, kestran::shelxRecord, 1);
  RegisterBenchmark("records/read/jfou4", readLayout<Jfou4Values, Jfou4Layout>, kestran::jfou4Record, 4);
  RegisterBenchmark("records/write/shelx", writeLayout<ShelxValues, ShelxLayout>, kestran::shelxRecord);
  RegisterBenchmark("records/write/jfou4", writeLayout<Jfou4Values, Jfou4Layout>, kestran::jfou4Record);
  RegisterBenchmark("records/write/wideShelx", writeLayout<ShelxValues, ShelxLayout>, kestran::wideShelxRecord);
  RegisterBenchmark("records/write/wideJfou4", writeLayout<Jfou4Values, Jfou4Layout>, kestran::wideJfou4Record);
  RegisterBenchmark("records/ListRead/expo", readFreeForm, 3, 3, 2);
  RegisterBenchmark("records/ListRead/sirpow", readFreeForm, 2, 4, 5);
  return true;
}();

}  // namespace

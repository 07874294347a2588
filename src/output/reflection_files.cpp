#include "output/reflection_files.hpp"

#include "output/written_values.hpp"
#include "reflections/record_layouts.hpp"
#include "text/block_writer.hpp"

namespace kestran {

namespace {

// The integer that ends each record of the Shelx layouts: 1 on every row,
// as in the classic files, whatever the entry file's code column held.
constexpr std::int32_t recordCode = 1;

struct Writers {
  BlockWriter amplitudes, intensities, wideIntensities;
};

void writeShelxRow(Writers& out, const ReflectionTable& table, int i, const WrittenValues& values) {
  const auto record = [&](float value, float sigma) {
    return ShelxValues{table.h[i], table.k[i], table.l[i], value, sigma, recordCode};
  };
  writeRecord(out.amplitudes, shelxRecord, record(values.amplitude, values.amplitudeSigma));
  writeRecord(out.intensities, shelxRecord, record(values.intensity, values.intensitySigma));
  writeRecord(out.wideIntensities, wideShelxRecord, record(values.wideIntensity, values.wideSigma));
}

void writeJfou4Row(Writers& out, const ReflectionTable& table, int i, const WrittenValues& values) {
  const auto record = [&](float value, float sigma) {
    return Jfou4Values{table.h[i], table.k[i], table.l[i], value, sigma, table.thirdValue[i]};
  };
  writeRecord(out.amplitudes, jfou4Record, record(values.amplitude, values.amplitudeSigma));
  writeRecord(out.intensities, jfou4Record, record(values.intensity, values.intensitySigma));
  writeRecord(out.wideIntensities, wideJfou4Record, record(values.wideIntensity, values.wideSigma));
}

// The Shelx layouts end the amplitude and intensity files with a 0 0 0 record.
void writeEndRecords(Writers& out) {
  writeRecord(out.amplitudes, shelxRecord, ShelxValues{});
  writeRecord(out.intensities, shelxRecord, ShelxValues{});
}

}  // namespace

WrittenSummary writeReflectionFiles(const ReflectionTable& table, const ReflectionStreams& files) {
  const OutputScale scale = outputScale(table);
  const bool shelx = flavourOf(table).layouts == OutputLayouts::Shelx;
  Writers out{BlockWriter(files.amplitudes), BlockWriter(files.intensities), BlockWriter(files.wideIntensities)};
  WrittenSummary summary;
  for (int i = 0; i < table.rows; ++i) {
    if (!isKept(table.status[i])) {
      continue;
    }
    const WrittenValues values = writtenValues(table.amplitude[i], table.sigma[i], scale);
    if (shelx) {
      writeShelxRow(out, table, i, values);
    } else {
      writeJfou4Row(out, table, i, values);
    }
    ++summary.written;
    summary.beyondRange += intensitiesAreFinite(values) ? 0 : 1;
  }
  if (shelx) {
    writeEndRecords(out);
  }
  out.amplitudes.flush();
  out.intensities.flush();
  out.wideIntensities.flush();
  return summary;
}

}  // namespace kestran

#include "output/reflection_files.hpp"

#include <tuple>

#include "output/written_values.hpp"
#include "reflections/record_layouts.hpp"
#include "text/block_writer.hpp"
#include "text/formatted.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

// The integer that ends each record of the Shelx layouts: 1 on every row,
// as in the classic files, whatever the entry file's code column held.
constexpr std::int32_t recordCode = 1;

struct Writers {
  BlockWriter amplitudes, intensities, wideIntensities;
};

template <typename Values>
Values recordOf(const ReflectionTable& table, int i, float value, float sigma);

template <>
ShelxValues recordOf<ShelxValues>(const ReflectionTable& table, int i, float value, float sigma) {
  return ShelxValues{table.h[i], table.k[i], table.l[i], value, sigma, recordCode};
}

template <>
Jfou4Values recordOf<Jfou4Values>(const ReflectionTable& table, int i, float value, float sigma) {
  return Jfou4Values{table.h[i], table.k[i], table.l[i], value, sigma, table.thirdValue[i]};
}

// The amplitude and intensity records: SHELX's (3I4,F8.2,F8.3,I4) or JFOU=4's.
template <typename Values>
void writeRows(Writers& out, const RecordLayout<Values>& layout, const ReflectionTable& table, int i,
               const WrittenValues& values) {
  writeRecord(out.amplitudes, layout, recordOf<Values>(table, i, values.amplitude, values.amplitudeSigma));
  writeRecord(out.intensities, layout, recordOf<Values>(table, i, values.intensity, values.intensitySigma));
}

// A record of --layout=shelx, each value apart from the field before it: a
// value that would fill its whole field or overflow it stops the run
// instead of running into its neighbour.
void writeApart(BlockWriter& out, const RecordLayout<ShelxValues>& layout, const ShelxValues& values, const char* file,
                int entryLine) {
  char* start = out.room(maxRecordLength);
  char* end = formatRecord(start, layout, values);
  const int valueColumn = 3 * layout.index.width;
  for (const auto& [column, field, value, name] :
       {std::tuple{valueColumn, layout.value, values.value, "value"},
        std::tuple{valueColumn + layout.value.width, layout.sigma, values.sigma, "sigma"}}) {
    if (start[column] != ' ') {
      throw RunError(
          formatted("value too wide for --layout=shelx: the %s %.2f of reflection %d %d %d (line %d of "
                    "the entry file) needs all %d columns of its F%d.%d field in %s and would run into "
                    "the field before; check that value in the entry file, or write without "
                    "--layout=shelx",
                    name, double{value}, values.h, values.k, values.l, entryLine, field.width, field.width,
                    field.decimals, file));
    }
  }
  out.commit(end);
}

void writeShelxLayoutRows(Writers& out, const ReflectionTable& table, int i, const WrittenValues& values) {
  writeApart(out.amplitudes, shelxRecord, recordOf<ShelxValues>(table, i, values.amplitude, values.amplitudeSigma),
             "the amplitude file", table.line[i]);
  writeApart(out.intensities, hklf4Record, recordOf<ShelxValues>(table, i, values.intensity, values.intensitySigma),
             "the intensity file", table.line[i]);
}

// The wide file keeps the flavour's own layout.
void writeWideRow(Writers& out, bool jfou4, const ReflectionTable& table, int i, const WrittenValues& values) {
  if (jfou4) {
    writeRecord(out.wideIntensities, wideJfou4Record,
                recordOf<Jfou4Values>(table, i, values.wideIntensity, values.wideSigma));
  } else {
    writeRecord(out.wideIntensities, wideShelxRecord,
                recordOf<ShelxValues>(table, i, values.wideIntensity, values.wideSigma));
  }
}

// The SHELX layouts end the amplitude and intensity files with a 0 0 0 record.
void writeEndRecords(Writers& out, bool hklf4) {
  writeRecord(out.amplitudes, shelxRecord, ShelxValues{});
  writeRecord(out.intensities, hklf4 ? hklf4Record : shelxRecord, ShelxValues{});
}

}  // namespace

WrittenSummary writeReflectionFiles(const ReflectionTable& table, const ReflectionStreams& files, bool shelxRecords) {
  WrittenSummary summary;
  summary.scale = outputScale(table, shelxRecords);
  const OutputScale& scale = summary.scale;
  const bool jfou4 = flavourOf(table).layouts == OutputLayouts::Jfou4;
  const bool shelx = !jfou4 || shelxRecords;
  Writers out{BlockWriter(files.amplitudes), BlockWriter(files.intensities), BlockWriter(files.wideIntensities)};
  for (int i = 0; i < table.rows; ++i) {
    if (!isKept(table.status[i])) {
      continue;
    }
    const WrittenValues values = writtenValues(writtenAmplitude(table, i), writtenSigma(table, i), scale);
    if (shelxRecords) {
      writeShelxLayoutRows(out, table, i, values);
    } else if (shelx) {
      writeRows(out, shelxRecord, table, i, values);
    } else {
      writeRows(out, jfou4Record, table, i, values);
    }
    writeWideRow(out, jfou4, table, i, values);
    ++summary.written;
    summary.beyondRange += intensitiesAreFinite(values) ? 0 : 1;
  }
  if (shelx) {
    writeEndRecords(out, shelxRecords);
  }
  out.amplitudes.flush();
  out.intensities.flush();
  out.wideIntensities.flush();
  return summary;
}

}  // namespace kestran

// Intensities beyond single precision: the squares and scaled values of
// absurdly large amplitudes or JFOU=4 standard deviations. They are written
// as they come out, and the writers count the rows that have them; ordinary
// values, however wide for their fields, are not counted.

#include "output/reflection_files.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "reflections/reflection_table.hpp"
#include "text/run_error.hpp"

namespace kestran {
namespace {

struct Row {
  float amplitude;
  float sigma;
};

struct RangeCase {
  const char* name;
  int inputCode;
  std::vector<Row> rows;
  int rowsBeyondRange;
};

const RangeCase cases[] = {
    {"negative_amplitude_whose_square_overflows", 1, {{-1.0e20F, 1.0F}, {100.0F, 1.0F}}, 1},
    {"two_of_them_expo", 3, {{-3.0e19F, 0.0F}, {50.0F, 0.0F}, {-2.0e38F, 0.0F}}, 2},
    {"negative_amplitude_whose_square_just_fits", 1, {{-1.8e19F, 1.0F}, {100.0F, 1.0F}}, 0},
    {"huge_positive_amplitude_is_capped_first", 1, {{3.0e38F, 1.0F}, {100.0F, 1.0F}}, 0},
    {"fullprof4_sigma_whose_square_overflows", 4, {{100.0F, 1.0e20F}, {100.0F, 10.0F}}, 1},
    {"fullprof4_sigma_scaled_beyond_range", 4, {{1.0e-3F, 1.0e18F}}, 1},
    {"fullprof4_sigma_too_wide_but_finite", 4, {{100.0F, 1.0e5F}}, 0},
    {"ordinary_values", 2, {{400.0F, 3.0F}, {20.0F, 1.0F}}, 0},
};

TEST(IntensityRange, RowsBeyondSinglePrecisionAreCounted) {
  for (const RangeCase& c : cases) {
    auto table = std::make_unique<ReflectionTable>();
    table->inputCode = c.inputCode;
    table->resizeRows(static_cast<int>(c.rows.size()));
    for (int i = 0; i < table->rows; ++i) {
      table->h[i] = i + 1;
      table->amplitude[i] = c.rows[static_cast<std::size_t>(i)].amplitude;
      table->sigma[i] = c.rows[static_cast<std::size_t>(i)].sigma;
      table->peakWidth[i] = 0.1F;
      table->thirdValue[i] = 0.1F;
    }
    std::ostringstream famp, fint, intensity;
    const WrittenSummary summary = writeReflectionFiles(*table, {famp, fint, intensity});

    EXPECT_EQ(summary.beyondRange, c.rowsBeyondRange) << c.name;
    EXPECT_EQ(summary.written, table->rows) << c.name;
    const std::string written = fint.str() + intensity.str();
    const bool nonFiniteWritten = written.find("NaN") != std::string::npos || written.find("Inf") != std::string::npos;
    EXPECT_EQ(nonFiniteWritten, c.rowsBeyondRange > 0) << c.name;
    EXPECT_EQ(famp.str().find("NaN"), std::string::npos) << c.name;
    EXPECT_EQ(famp.str().find("Inf"), std::string::npos) << c.name;
  }
}

// --layout=shelx: the intensities in HKLF 4's 3I4,2F8.2,I4, the amplitudes in
// HKLF 3's 3I4,F8.2,F8.3,I4, every value apart from the field before it. The
// strongest row's sigma(I) = 2 F sigma(F) on the 5000 scale is 100 x its
// sigma(F) here: 99.99 gives 9999.00, 100 gives 10000.00, which would fill
// its field and stops the run.
struct ApartCase {
  const char* name;
  int inputCode;
  bool sigmasFromFile;
  float sigma;
  bool written;
};

const ApartCase apartCases[] = {
    {"fullprof4_sigma_just_apart", 4, false, 99.99F, true},
    {"fullprof4_sigma_fills_the_field", 4, false, 100.0F, false},
    {"fullprof2_own_sigma_fills_the_field", 1, true, 100.0F, false},
    {"fullprof2_hundredth_whatever_the_file_says", 1, false, 1.0e6F, true},
    {"amplitude_sigma_fills_its_field", 4, false, 1000.0F, false},
    {"amplitude_sigma_just_apart", 2, true, 99.0F, true},
};

TEST(ShelxLayout, EveryValueStandsApartOrTheRunStops) {
  for (const ApartCase& c : apartCases) {
    auto table = std::make_unique<ReflectionTable>();
    table->inputCode = c.inputCode;
    table->sigmasFromFile = c.sigmasFromFile;
    table->resizeRows(2);
    table->h = {1, 2};
    table->amplitude = {100.0F, 10.0F};
    table->sigma = {c.sigma, 1.0F};
    std::ostringstream famp, fint, intensity;
    if (!c.written) {
      EXPECT_THROW(writeReflectionFiles(*table, {famp, fint, intensity}, true), RunError) << c.name;
      continue;
    }
    writeReflectionFiles(*table, {famp, fint, intensity}, true);
    for (const auto& [file, sigmaDecimals] : {std::pair{fint.str(), 2}, std::pair{famp.str(), 3}}) {
      std::istringstream lines(file);
      int records = 0;
      for (std::string line; std::getline(lines, line); ++records) {
        ASSERT_EQ(line.size(), 32U) << c.name << ": " << line;
        EXPECT_EQ(line[12], ' ') << c.name << ": " << line;
        EXPECT_EQ(line[20], ' ') << c.name << ": " << line;
        EXPECT_EQ(line[27 - sigmaDecimals], '.') << c.name << ": " << line;
      }
      EXPECT_EQ(records, 3) << c.name;  // two rows and the 0 0 0 end
    }
  }
}

}  // namespace
}  // namespace kestran

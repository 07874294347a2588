// Intensities beyond single precision: the squares and scaled values of
// absurdly large amplitudes or JFOU=4 standard deviations. They are written
// as they come out, and the writers count the rows that have them; ordinary
// values, however wide for their fields, are not counted.

#include "output/reflection_files.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "reflections/reflection_table.hpp"

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

}  // namespace
}  // namespace kestran

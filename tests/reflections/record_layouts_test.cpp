#include "reflections/record_layouts.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

#include "text/block_writer.hpp"

namespace kestran {
namespace {

TEST(LayoutA, ReadsTheFirstSixFields) {
  ShelxValues record;
  ASSERT_TRUE(
      readRecord("   1   0   0  123.45   1.234   1   12.3456   0.0000   3          99.999", shelxRecord, record));
  EXPECT_EQ(record.h, 1);
  EXPECT_EQ(record.k, 0);
  EXPECT_EQ(record.l, 0);
  EXPECT_EQ(record.value, 123.45F);
  EXPECT_EQ(record.sigma, 1.234F);
  EXPECT_EQ(record.flag, 1);
}

TEST(LayoutA, ShortLineReadsMissingFieldsAsZero) {
  ShelxValues record{9, 9, 9, 9, 9, 9};
  ASSERT_TRUE(readRecord("   2  -1   3  123.45", shelxRecord, record));
  EXPECT_EQ(record.l, 3);
  EXPECT_EQ(record.value, 123.45F);
  EXPECT_EQ(record.sigma, 0.0F);
  EXPECT_EQ(record.flag, 0);
}

TEST(LayoutA, RejectsLettersInAnyReadField) {
  ShelxValues record;
  EXPECT_FALSE(readRecord("   x   0   0  123.45   1.234   1", shelxRecord, record));
  EXPECT_FALSE(readRecord("   1   0   0  12a.45   1.234   1", shelxRecord, record));
  EXPECT_FALSE(readRecord("   1   0   0  123.45   1.234   Q", shelxRecord, record));
  // Fields the program does not read may hold anything.
  EXPECT_TRUE(readRecord("   1   0   0  123.45   1.234   1 garbage", shelxRecord, record));
}

TEST(LayoutB, ReadsThreeReals) {
  Jfou4Values record;
  ASSERT_TRUE(readRecord("  -3   2   1  250.5000    2.0000    0.1234", jfou4Record, record));
  EXPECT_EQ(record.h, -3);
  EXPECT_EQ(record.value, 250.5F);
  EXPECT_EQ(record.sigma, 2.0F);
  EXPECT_EQ(record.extra, 0.1234F);
}

TEST(LayoutB, AFieldOffTheQuickPathIsReadAlikeOrReported) {
  // The whole record is read through the quick readers until a field is not
  // of the usual text; the record is then read again field by field.
  const struct {
    const char* line;
    bool ok;
    Jfou4Values expected;
    ColumnRange badField;
    ColumnRange blanksInside;
  } cases[] = {
      {"  -3   2   1  250.5000    2.0000    0.1234", true, {-3, 2, 1, 250.5F, 2.0F, 0.1234F}, {0, 0}, {0, 0}},
      {"  -3   2   1    2505e2    2.0000    0.1234", true, {-3, 2, 1, 25.05F, 2.0F, 0.1234F}, {0, 0}, {0, 0}},
      {"  -3   2   1  250.5000    2.0000 1.234D-01", true, {-3, 2, 1, 250.5F, 2.0F, 0.1234F}, {0, 0}, {0, 0}},
      {"  -3   2   1  250.5000    2.0", true, {-3, 2, 1, 250.5F, 2.0F, 0.0F}, {0, 0}, {0, 0}},  // short line
      {"  -3   2   1  250.5000    2.0e0x    0.1234", false, {}, {23, 32}, {0, 0}},
      {"  -3   2 1-1  250.5000    2.0000    0.1234", false, {}, {9, 12}, {0, 0}},
      // Blanks inside a number are left out and told; before or after it they are not.
      {"  -3   2   1  25 .5000    2.0000    0.1234", true, {-3, 2, 1, 25.5F, 2.0F, 0.1234F}, {0, 0}, {13, 22}},
      {"  -3   2 1 1  250.5000    2.00      0.1234", true, {-3, 2, 11, 250.5F, 2.0F, 0.1234F}, {0, 0}, {9, 12}},
      {"  -3   2   1  250.5000    2.00      0.1234", true, {-3, 2, 1, 250.5F, 2.0F, 0.1234F}, {0, 0}, {0, 0}},
  };
  for (const auto& c : cases) {
    Jfou4Values record{9, 9, 9, 9.0F, 9.0F, 9.0F};
    RecordFaults faults;
    ASSERT_EQ(readRecord(c.line, jfou4Record, record, &faults), c.ok) << c.line;
    EXPECT_EQ(faults.notANumber.first, c.badField.first) << c.line;
    EXPECT_EQ(faults.notANumber.last, c.badField.last) << c.line;
    EXPECT_EQ(faults.blanksInside.first, c.blanksInside.first) << c.line;
    EXPECT_EQ(faults.blanksInside.last, c.blanksInside.last) << c.line;
    if (c.ok) {
      EXPECT_EQ(
          std::tie(record.h, record.k, record.l, record.value, record.sigma, record.extra),
          std::tie(c.expected.h, c.expected.k, c.expected.l, c.expected.value, c.expected.sigma, c.expected.extra))
          << c.line;
    }
  }
}

// The quick reader is chosen by the layout's fields: a copy of a layout
// stored anywhere, and a layout of other widths, take it as well, and read
// what the general reader reads.
TEST(LayoutQuickPath, ChosenByTheFieldsNotTheAddress) {
  const RecordLayout<ShelxValues> shelxCopy = shelxRecord;
  const RecordLayout<ShelxValues> narrower{{3, 0}, {9, 2}, {9, 3}, {3, 0}};
  const RecordLayout<Jfou4Values> jfou4Copy = jfou4Record;
  const struct {
    const RecordLayout<ShelxValues>& layout;
    const char* line;
  } shelxCases[] = {{shelxCopy, "  -3   2   1  250.50   2.000   1"}, {narrower, " -3  2  1   250.50    2.000  1"}};
  for (const auto& c : shelxCases) {
    ShelxValues quick, general;
    ASSERT_TRUE(quickRecordOf(c.layout, c.line, quick)) << c.line;
    ASSERT_TRUE(readRecordFields(c.line, c.layout, general, nullptr));
    EXPECT_EQ(std::tie(quick.h, quick.k, quick.l, quick.value, quick.sigma, quick.flag),
              std::tie(general.h, general.k, general.l, general.value, general.sigma, general.flag))
        << c.line;
    EXPECT_EQ(general.value, 250.5F) << c.line;
  }
  Jfou4Values quick, general;
  const char* line = "  -3   2   1  250.5000    2.0000    0.1234";
  ASSERT_TRUE(quickRecordOf(jfou4Copy, line, quick));
  ASSERT_TRUE(readRecordFields(line, jfou4Copy, general, nullptr));
  EXPECT_EQ(std::tie(quick.h, quick.value, quick.extra), std::tie(general.h, general.value, general.extra));
}

TEST(LayoutWrite, RecordsEndAfterTheirLastField) {
  std::ostringstream out;
  BlockWriter block(out);
  writeRecord(block, shelxRecord, {1, 0, 0, 5000.0F, 50.0F, 1});
  writeRecord(block, shelxRecord, {});
  writeRecord(block, wideShelxRecord, {1, 0, 0, 5000.0F, 50.0F, 1});
  writeRecord(block, jfou4Record, {-1, 2, -3, 12.5F, 123456.0F, 0.5F});
  writeRecord(block, wideJfou4Record, {1, 1, 1, 25000000.0F, 4.0F, 0.25F});
  block.flush();
  EXPECT_EQ(out.str(),
            "   1   0   0 5000.00  50.000   1\n"
            "   0   0   0    0.00   0.000   0\n"
            "   1   0   0     5000.00       50.00   1\n"
            "  -1   2  -3   12.5000**********    0.5000\n"
            "   1   1   1  25000000.000         4.000         0.250\n");
}

TEST(LayoutRoundTrip, WrittenRecordsReadBackUnchanged) {
  std::ostringstream out;
  const ShelxValues written{12, -7, 3, 1234.56F, 12.346F, 1};
  BlockWriter block(out);
  writeRecord(block, shelxRecord, written);
  block.flush();
  std::string line = out.str();
  line.pop_back();
  ShelxValues read;
  ASSERT_TRUE(readRecord(line, shelxRecord, read));
  EXPECT_EQ(read.h, written.h);
  EXPECT_EQ(read.k, written.k);
  EXPECT_EQ(read.value, written.value);
  EXPECT_EQ(read.sigma, written.sigma);
  EXPECT_EQ(read.flag, written.flag);
}

}  // namespace
}  // namespace kestran

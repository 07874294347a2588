#include "driver/own_files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <type_traits>
#include <vector>

#include "output/elimination_report.hpp"
#include "output/reflection_cif.hpp"
#include "output/stick_plot.hpp"
#include "output/window_page.hpp"
#include "reflections/record_layouts.hpp"
#include "text/cat.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

// Enough for the lines that are judged, however long the base name in a
// plot's title.
constexpr std::size_t bytesJudged = 8192;
constexpr std::size_t recordLinesJudged = 3;

// The report's heading before it gave d-spacings.
constexpr std::string_view earlierReportHeading =
    "h\tk\tl\ttwo_theta\tamplitude\twidth\twindow\tdistance_previous\tdistance_next\tstatus";

constexpr std::string_view xmlDeclaration = R"(<?xml version="1.0" encoding="UTF-8"?>)";
constexpr std::string_view earlierSvgStart = R"(<svg xmlns="http://www.w3.org/2000/svg" width="960" height=")";
constexpr std::string_view earlierBackground = R"(<rect width="100%" height="100%" fill="white"/>)";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Blanks, an optional minus, then only digits (`atLeastOne` of them at least).
bool isSignedDigits(std::string_view text, bool atLeastOne) {
  text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
  if (text.starts_with('-')) {
    text.remove_prefix(1);
  }
  for (const char c : text) {
    if (!isDigit(c)) {
      return false;
    }
  }
  return !atLeastOne || !text.empty();
}

// What the writers put in a field too narrow for its value, or for a value
// that is no number.
bool isStandIn(std::string_view field) {
  if (field.find_first_not_of('*') == std::string_view::npos) {
    return true;
  }
  field.remove_prefix(std::min(field.find_first_not_of(' '), field.size()));
  for (const std::string_view word : {"NaN", "Infinity", "-Infinity", "Inf", "-Inf"}) {
    if (field == word) {
      return true;
    }
  }
  return false;
}

// An Iw field, or an Fw.d field with its point where the layout puts it.
bool isWrittenField(std::string_view field, FieldFormat format) {
  if (isStandIn(field)) {
    return true;
  }
  if (format.decimals == 0) {
    return isSignedDigits(field, true);
  }
  const std::size_t point = field.size() - static_cast<std::size_t>(format.decimals) - 1;
  const std::string_view fraction = field.substr(point + 1);
  return field[point] == '.' && isSignedDigits(field.substr(0, point), false) &&
         fraction.find_first_not_of("0123456789") == std::string_view::npos;
}

// Walks a written record's fields: each must be one kestran writes in its
// format, and the line must end with the last.
class WrittenFields {
 public:
  explicit WrittenFields(std::string_view line) : line_(line) {}

  template <typename Value>
  WrittenFields& field(FieldFormat format, const Value& /*value*/) {
    const auto width = static_cast<std::size_t>(format.width);
    fits_ = fits_ && column_ + width <= line_.size() && isWrittenField(line_.substr(column_, width), format);
    column_ += width;
    return *this;
  }
  bool fitsWholeLine() const { return fits_ && column_ == line_.size(); }

 private:
  std::string_view line_;
  std::size_t column_ = 0;
  bool fits_ = true;
};

// The first lines of a file, CR before a line end left out. A last line cut
// by the end of what was read is left out unless it is the only one.
std::vector<std::string_view> linesOf(std::string_view text, bool wholeFile) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos && !wholeFile && !lines.empty()) {
      break;
    }
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    lines.push_back(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

std::string lineWord(std::size_t index) { return index == 0 ? "its first line " : cat("its line ", index + 1, " "); }

std::string reflectionDoubt(const std::vector<std::string_view>& lines) {
  std::size_t judged = 0;
  for (std::size_t i = 0; i < lines.size() && judged < recordLinesJudged; ++i) {
    if (lines[i].empty()) {
      continue;
    }
    ++judged;
    if (!isReflectionRecord(lines[i])) {
      return cat("it does not look like an output of kestran (", lineWord(i), quoted(lines[i]),
                 " is not a reflection record)");
    }
  }
  return "";
}

std::string unreadable(int error) {
  return cat("it cannot be read to tell whether kestran wrote it (", std::strerror(error), ")");
}

// Reads the first bytes of the regular file at `name` into `text`; returns
// the errno of a failure, 0 on success. `wholeFile` tells whether they are all.
int readStart(const std::string& name, std::string& text, bool& wholeFile) {
  const int descriptor = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) {
    return errno;
  }
  text.resize(bytesJudged);
  std::size_t got = 0;
  ssize_t piece = 0;
  while (got < text.size() && (piece = ::read(descriptor, text.data() + got, text.size() - got)) > 0) {
    got += static_cast<std::size_t>(piece);
  }
  const int error = piece < 0 ? errno : 0;
  ::close(descriptor);
  wholeFile = got < text.size();
  text.resize(got);
  return error;
}

// What `judge` says about the file start at `name`, or why it cannot be told.
template <typename Judge>
std::string judgeFileStart(const std::string& name, Judge judge) {
  struct stat status {};
  if (name.find('\0') != std::string::npos || ::stat(name.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
      status.st_size == 0) {
    return "";
  }
  std::string text;
  bool wholeFile = false;
  if (const int error = readStart(name, text, wholeFile); error != 0) {
    return unreadable(error);
  }
  return judge(FileStart{text, linesOf(text, wholeFile)});
}

}  // namespace

bool isReflectionRecord(std::string_view line) {
  return EveryLayout::any([line]<const auto & layout>() {
    using Values = typename std::remove_cvref_t<decltype(layout)>::Values;
    const Values unwritten{};
    return eachField(WrittenFields(line), layout, unwritten).fitsWholeLine();
  });
}

// The heading as written now (the multiplicity and group columns each there
// or not), as written before the window's source, or before d-spacings.
bool isOwnReport(const FileStart& start) {
  const std::vector<std::string_view>& lines = start.lines;
  if (lines.empty()) {
    return false;
  }
  std::string_view heading = lines[0];
  if (heading == earlierReportHeading) {
    return true;
  }
  if (!heading.starts_with(reportHeading)) {
    return false;
  }
  heading.remove_prefix(reportHeading.size());
  for (const std::string_view columns : {reportMultiplicityColumn, reportGroupColumns, reportWindowSourceColumn}) {
    if (heading.starts_with(columns)) {
      heading.remove_prefix(columns.size());
    }
  }
  return heading.empty();
}

// Earlier plots: the same opening lines, and the title counting the
// reflections kept and removed.
bool isOwnPlot(const FileStart& start) {
  const std::vector<std::string_view>& lines = start.lines;
  const std::string_view text = start.text;
  if (lines.size() < 2 || lines[0] != xmlDeclaration) {
    return false;
  }
  if (lines[1] == plotMark) {
    return true;
  }
  const std::size_t counts = text.find(" reflections, ");
  const std::size_t kept = text.find(" kept, ", counts);
  return lines.size() >= 3 && lines[1].starts_with(earlierSvgStart) && lines[2] == earlierBackground &&
         counts != std::string_view::npos && kept != std::string_view::npos &&
         text.find(" removed", kept) != std::string_view::npos;
}

bool isOwnCif(const FileStart& start) {
  const std::vector<std::string_view>& lines = start.lines;
  return lines.size() >= 2 && lines[0] == cifFirstLine && lines[1].starts_with(cifCommentStart) &&
         lines[1].substr(cifCommentStart.size()).starts_with("KESTRAN");
}

bool isOwnPage(const FileStart& start) {
  const std::vector<std::string_view>& lines = start.lines;
  return lines.size() >= 2 && lines[0] == pageFirstLine && lines[1] == pageMark;
}

std::string whyNotReplaceable(const std::string& name, OwnFileTest isOwn) {
  return judgeFileStart(name, [isOwn](const FileStart& start) -> std::string {
    return isOwn(start) ? "" : "the file exists and was not written by kestran";
  });
}

std::string whyNotReplaceableReflectionFile(const std::string& name) {
  return judgeFileStart(name, [](const FileStart& start) { return reflectionDoubt(start.lines); });
}

}  // namespace kestran

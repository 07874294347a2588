#pragma once
// The window page (--page): one self-contained HTML file that shows the
// run's reflections as sticks along 2theta, coloured kept, removed or shared,
// with a slider for the window (D, or DELTA), the rule (drop or share) as a
// switch, the resolution shells of --stats, the scan's curve of the kept
// fraction and the command line that gives the view. The page never redoes
// the elimination's arithmetic: kestran hands it each row's threshold (the
// smallest window, as the bits of a float, at which the row is close to a
// neighbour; see window_thresholds.hpp), and the page compares the window's
// bits with them. Its markup and script are kept in window_page.html and
// window_page.js next to this file and built into the program.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "reflections/reflection_table.hpp"

namespace kestran {

// The page's second line: it marks the file as kestran's, so that a later
// run may replace it.
inline constexpr std::string_view pageFirstLine = "<!DOCTYPE html>";
inline constexpr std::string_view pageMark = "<!-- written by kestran -->";

// The most rows a page shows (rows beyond the resolution limit and rows
// 0 0 0 are left out): about 6 MB of page.
inline constexpr int mostPageRows = 100000;

struct PageSettings {
  std::string_view baseName;
  std::string_view fileName;  // the page's, for a refusal
  int unitNumber = 0;
  int shellCount = 6;
  // The command line's words that choose the input (--code N, or a column
  // list with its cell), and the entry the command line ends with.
  std::vector<std::string> inputWords;
  std::string_view entryArgument;
};

// Writes the page of an eliminated table. Stops the run (RunError) when
// the table has more rows to show than mostPageRows, naming the options
// that cut the range.
void writeWindowPage(std::ostream& out, const ReflectionTable& table, const PageSettings& settings);

// The markup and the script, built into the program from the files next
// to this one. The markup holds the two places below where the data and
// the script go.
extern const std::string_view windowPageMarkup;
extern const std::string_view windowPageScript;
inline constexpr std::string_view pageDataPlace = "<!--KESTRAN-DATA-->";
inline constexpr std::string_view pageScriptPlace = "<!--KESTRAN-SCRIPT-->";

}  // namespace kestran

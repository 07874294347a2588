// The window page from the command line: refused when it would hold too
// many reflections (naming the options that cut the range) and replacing
// nothing then, replacing only its own earlier pages, and standing alone
// (nothing fetched, no text of the entry file able to end its script).
// Its behaviour in a browser is tested by window_page_browser.py.

#include "output/window_page.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../test_support.hpp"
#include "run_program.hpp"

namespace kestran::testing {
namespace {

// `rows` SIRPOW reflections 0.01 degrees apart from 5 degrees on.
std::string sirpowFile(int rows) {
  std::string text = "SIRPOW\nh k l m d 2theta fwhm I sigma\n";
  for (int row = 0; row < rows; ++row) {
    text += "1 " + std::to_string(row / 1000) + " " + std::to_string(row % 1000) + " 2 1.0 " +
            std::to_string(5.0 + row * 0.001) + " 0.05 100.0 1.0\n";
  }
  return text;
}

std::string expoFile(int rows) {
  std::string text = "EXPO\n40 41 42 90 90 90 1.5406\n";
  for (int row = 1; row <= rows; ++row) {
    text += std::to_string(row / 2500) + " " + std::to_string(row / 50 % 50) + " " + std::to_string(row % 50) +
            " 0.05 100\n";
  }
  return text;
}

struct PageRun {
  const char* name;
  int code;
  std::string entry;  // abc.hkl
  std::vector<std::string> options;
  std::string earlierPage;  // at page.html before the run; empty for none
  int status;
  std::string errorPiece;  // in standard error; empty when there is none
};

TEST(WindowPageRuns, RefusalsAndReplacements) {
  const int tooMany = mostPageRows + 1;
  const std::vector<std::string> capacity = {"--max-reflections", "200000"};
  auto with = [&](std::vector<std::string> more) {
    more.insert(more.begin(), capacity.begin(), capacity.end());
    return more;
  };
  const PageRun runs[] = {
      {"too many rows, SIRPOW", 2, sirpowFile(tooMany), capacity, "", 1,
       "too many reflections for a page, unit 27, file page.html: 100001 reflections to show, at most 100000; cut "
       "the range with --two-theta-max X\n"},
      {"too many rows, EXPO names --d-min too", 3, expoFile(tooMany), capacity, "", 1,
       "at most 100000; cut the range with --two-theta-max X or --d-min X\n"},
      {"rows beyond the limit are left out", 2, sirpowFile(tooMany), with({"--two-theta-max", "104"}), "", 0, ""},
      {"an earlier page is replaced",
       2,
       sirpowFile(5),
       {},
       std::string(pageFirstLine) + "\n" + std::string(pageMark) + "\n<html></html>\n",
       0,
       ""},
      {"someone else's page is not",
       2,
       sirpowFile(5),
       {},
       "<!DOCTYPE html>\n<html></html>\n",
       2,
       "--page page.html: the file exists and was not written by kestran"},
      {"a scan writes no page", 2, sirpowFile(5), {"--scan"}, "", 2, "--page cannot go with it"},
  };
  for (const PageRun& run : runs) {
    TempDir dir;
    writeFile(dir.file("abc.hkl"), run.entry);
    if (!run.earlierPage.empty()) writeFile(dir.file("page.html"), run.earlierPage);
    std::vector<std::string> arguments = {"--code", std::to_string(run.code), "--delta", "1", "--no-pause"};
    arguments.insert(arguments.end(), run.options.begin(), run.options.end());
    arguments.insert(arguments.end(), {"--page", "page.html", "abc"});
    const ProcessResult result = runKestran(dir.path().string(), "", arguments);
    EXPECT_EQ(result.status, run.status) << run.name << "\n" << result.errors;
    if (!run.errorPiece.empty()) {
      EXPECT_NE(result.errors.find(run.errorPiece), std::string::npos) << run.name << "\n" << result.errors;
    }
    const std::string page = readFile(dir.file("page.html"));
    if (run.status == 0) {
      EXPECT_TRUE(page.starts_with(std::string(pageFirstLine) + "\n" + std::string(pageMark) + "\n")) << run.name;
      EXPECT_NE(page.find("\"read\":"), std::string::npos) << run.name;
    } else {
      EXPECT_EQ(page, run.earlierPage) << run.name;
      EXPECT_FALSE(std::filesystem::exists(dir.file("abcF.hkl"))) << run.name;
    }
  }
}

// Nothing of the entry file's name can end the data's script early, and
// the page names no other file or address to fetch.
TEST(WindowPageRuns, StandsAlone) {
  TempDir dir;
  const std::string base = "a</script><b>&";  // script><b>&.hkl in the folder a<
  std::filesystem::create_directory(dir.file("a<"));
  writeFile(dir.file(base + ".hkl"), sirpowFile(40));
  const ProcessResult result =
      runKestran(dir.path().string(), "", {"--code", "2", "--delta", "1", "--no-pause", "--page", "p.html", base});
  ASSERT_EQ(result.status, 0) << result.errors;
  const std::string page = readFile(dir.file("p.html"));
  std::size_t closings = 0;
  for (std::size_t at = page.find("</script"); at != std::string::npos; at = page.find("</script", at + 1)) {
    ++closings;
  }
  EXPECT_EQ(closings, 2U);  // the data's and the script's
  EXPECT_NE(page.find(R"("name":"a\u003c/script\u003e\u003cb\u003e\u0026")"), std::string::npos);
  for (const char* fetching : {"http:", "https:", "src=", "href=", "@import", "url(", "fetch(", "XMLHttpRequest"}) {
    EXPECT_EQ(page.find(fetching), std::string::npos) << fetching;
  }
}

// The page's command line chooses the same input again: the code, or the
// column list with what places its rows, and the space group.
TEST(WindowPageRuns, CommandLineNamesTheInput) {
  struct Case {
    std::vector<std::string> arguments;
    std::string input;
  };
  const Case cases[] = {
      {{"--code", "2", "--delta", "1", "abc.hkl"}, R"("input":["--code","2"],"entry":"abc")"},
      {{"--columns", "h,k,l,F", "--cell", "5,6,7,90,100.5,90", "--wavelength", "1.5406", "--order", "file",
        "--space-group", "P 21/c", "--window", "0.01", "list.txt"},
       R"("input":["--columns","h,k,l,F","--cell","5,6,7,90,100.5,90","--wavelength","1.5406","--order","file",)"
       R"("--space-group","P 21/c"],"entry":"list.txt")"},
  };
  for (const Case& run : cases) {
    TempDir dir;
    writeFile(dir.file("abc.hkl"), sirpowFile(5));
    writeFile(dir.file("list.txt"), "1 0 0 10\n0 1 0 20\n0 0 1 30\n");
    std::vector<std::string> arguments = run.arguments;
    const std::string entry = arguments.back();
    arguments.back() = "--page";
    arguments.insert(arguments.end(), {"page.html", entry == "abc.hkl" ? "abc" : entry});
    const ProcessResult result = runKestran(dir.path().string(), "", arguments);
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_NE(readFile(dir.file("page.html")).find(run.input), std::string::npos) << run.input;
  }
}

}  // namespace
}  // namespace kestran::testing

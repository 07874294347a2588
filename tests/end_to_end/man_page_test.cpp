// The manual page: groff renders it without a warning, and every option the
// program's --help names has an entry of its own in OPTIONS, its name the
// tag at the start of a line. Without groff the test is skipped, except
// under CI (CI=true), where it fails.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "run_program.hpp"

namespace kestran::testing {
namespace {

const std::string manPage = (std::filesystem::path(KESTRAN_SOURCE_DIR) / "docs" / "kestran.1").string();

// Every option name --help mentions: "--code", "--sigma", "--scan" ...
std::set<std::string> optionsOfHelp() {
  const ProcessResult help = runKestran(".", "", {"--help"});
  std::set<std::string> names;
  const std::regex option("--[a-z][a-z-]*[a-z]");
  for (auto it = std::sregex_iterator(help.console.begin(), help.console.end(), option); it != std::sregex_iterator();
       ++it) {
    names.insert(it->str());
  }
  return names;
}

// The tags of the rendered OPTIONS section: lines that begin, at the
// section's indent, with an option name.
std::set<std::string> taggedOptions(const std::string& page) {
  std::set<std::string> tags;
  std::istringstream lines(page.substr(page.find("\nOPTIONS\n"), page.find("\nFILES\n") - page.find("\nOPTIONS\n")));
  const std::regex tag("^       (--[a-z][a-z-]*[a-z])([ =\\[].*)?$");
  std::smatch match;
  for (std::string line; std::getline(lines, line);) {
    if (std::regex_match(line, match, tag)) {
      tags.insert(match[1]);
    }
  }
  return tags;
}

TEST(ManPage, RendersCleanWithAnEntryForEveryOption) {
  if (runShell("command -v groff").status != 0) {
    const char* ci = std::getenv("CI");
    if (ci != nullptr && std::string(ci) == "true") {
      FAIL() << "groff is needed under CI";
    }
    GTEST_SKIP() << "groff missing";
  }
  const ShellOutput warnings = runShell("groff -man -ww -z '" + manPage + "'");
  EXPECT_EQ(warnings.status, 0);
  EXPECT_EQ(warnings.text, "");
  const ShellOutput page = runShell("groff -man -Tutf8 -P-cbou '" + manPage + "'");
  ASSERT_EQ(page.status, 0) << page.text;
  ASSERT_NE(page.text.find("\nOPTIONS\n"), std::string::npos);
  const std::set<std::string> options = optionsOfHelp();
  ASSERT_GE(options.size(), 20U);
  const std::set<std::string> tags = taggedOptions(page.text);
  for (const std::string& option : options) {
    EXPECT_TRUE(tags.count(option)) << option << " has no entry of its own in OPTIONS";
  }
}

}  // namespace
}  // namespace kestran::testing

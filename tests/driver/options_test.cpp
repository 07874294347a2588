#include "driver/options.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "driver/option_rules.hpp"
#include "text/cat.hpp"

namespace kestran {
namespace {

CommandLine parse(std::vector<std::string> words) {
  words.insert(words.begin(), "kestran");
  std::vector<char*> argv;
  for (auto& word : words) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);
  return parseCommandLine(static_cast<int>(words.size()), argv.data());
}

TEST(CommandLine, NoArgumentsGiveTheClassicDialogue) {
  const CommandLine line = parse({});
  EXPECT_FALSE(line.run.answers.inputCode);
  EXPECT_FALSE(line.run.answers.baseName);
  EXPECT_FALSE(line.run.answers.delta);
  EXPECT_TRUE(line.run.answers.pause);
  EXPECT_EQ(line.run.extraFiles, ExtraFileNames(extraOutputs().size()));
  EXPECT_FALSE(line.help);
}

TEST(CommandLine, EveryAnswerCanBeGiven) {
  const CommandLine line =
      parse({"--code", "3", "--delta=1.5", "--no-pause", "--report", "r.tsv", "--plot", "p.svg", "sample"});
  EXPECT_EQ(line.run.answers.inputCode, 3);
  EXPECT_EQ(line.run.answers.delta, 1.5F);
  EXPECT_FALSE(line.run.answers.pause);
  EXPECT_EQ(line.run.answers.baseName, "sample");
  EXPECT_EQ(line.run.extraFiles[extraOutputIndex(*findExtraOutput("report"))], "r.tsv");
  EXPECT_EQ(line.run.extraFiles[extraOutputIndex(*findExtraOutput("plot"))], "p.svg");
  EXPECT_TRUE(parse({"--help"}).help);
  EXPECT_TRUE(parse({"--version"}).version);
}

TEST(CommandLine, UnusableLinesAreRefused) {
  const std::vector<std::vector<std::string>> refused = {
      {"--code", "5"},
      {"--code", "0"},
      {"--code", "two"},
      {"--code", "1.0"},
      {"--delta", "wide"},
      {"--bogus"},
      {"--code"},
      {"a", "b"},
      {"--code", "1", "--delta", "0.5"},
      {"--code", "4", "--delta", "0.5"},
      {"--max-reflections", "0"},
      {"--max-reflections", "-5"},
      {"--max-reflections", "10000001"},
      {"--max-reflections", "1e6"},
      {"--max-reflections", "many"},
      {"--max-reflections"},
  };
  for (const auto& words : refused) {
    EXPECT_THROW(parse(words), UsageError) << words[0];
  }
  EXPECT_NO_THROW(parse({"--code", "2", "--delta", "0.5"}));
}

TEST(CommandLine, MaxReflectionsSetsTheCapacity) {
  EXPECT_EQ(parse({}).run.maxReflections, 40000);
  EXPECT_EQ(parse({"--max-reflections", "1"}).run.maxReflections, 1);
  EXPECT_EQ(parse({"--max-reflections=10000000"}).run.maxReflections, 10000000);
  EXPECT_EQ(parse({"--max-reflections", "123456", "x"}).run.maxReflections, 123456);
}

std::string textOf(const std::filesystem::path& file) {
  std::ifstream in(file);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The words of a form, one blank between them.
std::string plain(const std::string& form) {
  std::istringstream words(form);
  std::string word, text;
  while (words >> word) {
    text += (text.empty() ? "" : " ") + word;
  }
  return text;
}

// The synopsis as the manual shows it: the indented lines from the first
// that begins "kestran [", a form on each line that begins with "kestran".
std::vector<std::string> markdownSynopsis(const std::string& text) {
  std::vector<std::string> forms;
  std::istringstream lines(text.substr(std::min(text.find("\n    kestran ["), text.size())));
  std::string line;
  std::getline(lines, line);  // the line end before it
  while (std::getline(lines, line) && line.starts_with("    ")) {
    if (plain(line).starts_with("kestran ")) {
      forms.emplace_back();
    }
    forms.back() += " " + line;
  }
  for (std::string& form : forms) {
    form = plain(form);
  }
  return forms;
}

// The man page's SYNOPSIS: each request line a word (.B and .I keep the
// blanks between their arguments, the alternating fonts of .RB, .IR and
// the like join them), plain lines as they are, .br between the forms.
std::vector<std::string> manSynopsis(const std::string& text) {
  const std::size_t start = text.find(".SH SYNOPSIS\n");
  std::istringstream lines(text.substr(start, text.find("\n.SH ", start + 1) - start));
  std::vector<std::string> forms(1);
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    std::string word;
    if (line == ".br") {
      forms.emplace_back();
      continue;
    }
    if (line.starts_with(".")) {
      const bool keepsBlanks = line.starts_with(".B ") || line.starts_with(".I ");
      std::istringstream arguments(line.substr(line.find(' ') + 1));
      for (std::string argument; arguments >> argument;) {
        word += (keepsBlanks && !word.empty() ? " " : "") + argument;
      }
    } else {
      word = line;
    }
    for (std::size_t dash; (dash = word.find("\\-")) != std::string::npos;) {
      word.erase(dash, 1);
    }
    forms.back() += " " + word;
  }
  for (std::string& form : forms) {
    form = plain(form);
  }
  return forms;
}

// The manual and the man page show the synopsis the usage makes from the
// table of options.
TEST(CommandLine, DocumentedSynopsesMatchTheTable) {
  const std::filesystem::path root = KESTRAN_SOURCE_DIR;
  std::vector<std::string> expected;
  for (const std::string& form : synopsisForms()) {
    expected.push_back(plain(form));
  }
  ASSERT_EQ(expected.size(), 3U);
  int documents = 0;
  for (const char* manual : {"README.md", "docs/guide.md"}) {
    const std::string text = textOf(root / manual);
    if (text.find("\n    kestran [") != std::string::npos) {
      EXPECT_EQ(markdownSynopsis(text), expected) << manual;
      ++documents;
    }
  }
  EXPECT_GE(documents, 1) << "no manual shows the synopsis";
  EXPECT_EQ(manSynopsis(textOf(root / "docs/kestran.1")), expected);
  const std::string usage = usageText();
  for (const OptionRule& rule : optionRules()) {
    EXPECT_NE(usage.find(cat("--", rule.name)), std::string::npos) << rule.name;
  }
}

}  // namespace
}  // namespace kestran

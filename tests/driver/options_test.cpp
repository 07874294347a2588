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
  ASSERT_EQ(expected.size(), 4U);
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

// A column list's options: what each line is refused for (the message names
// what to add or drop), or accepted (empty).
TEST(CommandLine, ColumnListOptionsAreCheckedTogether) {
  struct Case {
    std::vector<std::string> words;
    const char* refusal;
  };
  const Case cases[] = {
      {{"--columns", "h,k,l,tt,fwhm,I,sigI", "x.txt"}, ""},
      {{"--columns", "h k l fwhm F", "--cell", "5,6,7,90,100,90", "--wavelength", "1.54", "x"}, ""},
      {{"--columns", "h,k,l,d,F", "--wavelength", "1", "--window", "0.1", "--order", "file", "x"}, ""},
      {{"--columns", "h,k,l,tt,F", "--scan", "x"}, ""},
      {{"--columns", "h,k,l,tt,F", "x"}, "--window D"},
      {{"--columns", "h,k,l,F", "--window", "0.1", "x"}, "no position"},
      {{"--columns", "h,k,l,d,F", "--window", "0.1", "x"}, "needs --wavelength"},
      {{"--columns", "h,k,l,F", "--cell", "5,5,5,90,90,90", "--window", "0.1", "x"}, "needs --wavelength"},
      {{"--columns", "h,k,tt,F", "x"}, "lack l"},
      {{"--columns", "h,k,l,tt", "x"}, "lack the value"},
      {{"--columns", "h,k,l,tt,F2,I", "x"}, "more than one of F, F2 and I"},
      {{"--columns", "h,k,l,tt,fwhm,F,sigF,sigI", "x"}, "more than one of sigF"},
      {{"--columns", "h,k,l,tt,tt,F", "x"}, "named twice"},
      {{"--columns", "h,k,l,2theta,F", "x"}, "unknown column '2theta'"},
      {{"--columns", "h,k,l,tt,fwhm,F", "--window", "0.1", "x"}, "use --delta"},
      {{"--columns", "h,k,l,tt,F", "--delta", "1", "x"}, "--window D"},
      {{"--columns", "h,k,l,tt,fwhm,F", "--sigma=file", "x"}, "names no sigF"},
      {{"--columns", "h,k,l,tt,F", "--window", "1", "--d-min", "1", "x"}, "--wavelength"},
      {{"--columns", "h,k,l,tt,F", "--code", "3", "x"}, "--code"},
      {{"--columns", "h,k,l,fwhm,F", "--cell", "5,5,5,90,90", "--wavelength", "1", "x"}, "six numbers"},
      {{"--columns", "h,k,l,fwhm,F", "--cell", "5,5,5,10,10,170", "--wavelength", "1", "x"}, "no cell"},
      {{"--columns", "h,k,l,tt,F", "--window", "-1", "x"}, "0 or more"},
      {{"--columns", "h,k,l,tt,F", "--window", "1", "--skip-lines", "-1", "x"}, "0 or more"},
      {{"--columns", "h,k,l,tt,F", "--window", "1", "--order", "random", "x"}, "angle or file"},
      {{"--cell", "5,5,5,90,90,90", "--code", "3", "x"}, "give --columns"},
      {{"--skip-lines", "2", "x"}, "give --columns"},
      {{"--code", "3", "--window", "0.1", "x"}, "use --delta"},
      {{"--code", "1", "--window", "0.1", "x"}, ""},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& word : c.words) line += word + " ";
    if (*c.refusal == '\0') {
      EXPECT_NO_THROW(parse(c.words)) << line;
      continue;
    }
    try {
      parse(c.words);
      ADD_FAILURE() << "accepted: " << line;
    } catch (const UsageError& error) {
      EXPECT_NE(std::string(error.what()).find(c.refusal), std::string::npos) << line << ": " << error.what();
    }
  }
}

}  // namespace
}  // namespace kestran

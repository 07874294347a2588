#include "driver/options.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
  EXPECT_EQ(line.run.extraFiles, ExtraFileNames{});
  EXPECT_FALSE(line.help);
}

TEST(CommandLine, EveryAnswerCanBeGiven) {
  const CommandLine line =
      parse({"--code", "3", "--delta=1.5", "--no-pause", "--report", "r.tsv", "--plot", "p.svg", "sample"});
  EXPECT_EQ(line.run.answers.inputCode, 3);
  EXPECT_EQ(line.run.answers.delta, 1.5F);
  EXPECT_FALSE(line.run.answers.pause);
  EXPECT_EQ(line.run.answers.baseName, "sample");
  EXPECT_EQ(line.run.extraFiles[findExtraOutput("report") - extraOutputs], "r.tsv");
  EXPECT_EQ(line.run.extraFiles[findExtraOutput("plot") - extraOutputs], "p.svg");
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

}  // namespace
}  // namespace kestran

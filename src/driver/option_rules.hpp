#pragma once
// The one table of the command-line options: the parser, the usage's
// synopsis and its list of options are all made from it.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "driver/options.hpp"

namespace kestran {

enum class Takes : std::uint8_t { Nothing, Value, OptionalValue };

// Where the usage's synopsis shows an option: in the form of a run and in
// the form of a scan, in the run's alone, as the head of the scan's form, as
// the head of a column list's form or in that form alone, or apart (--help
// and --version, which have a form of their own).
enum class InSynopsis : std::uint8_t { BothForms, RunForm, ScanHead, ListHead, ListForm, Apart };

struct OptionRule {
  const char* name;  // without its dashes
  Takes takes = Takes::Value;
  std::string_view value = {};  // as shown after the name: " N", "=file", "[=LIST]"
  InSynopsis synopsis = InSynopsis::BothForms;
  // What the option sets; null for the options of the extra outputs, which
  // set the file of `extraOutput`.
  void (*apply)(CommandLine& line, const char* value) = nullptr;
  std::size_t extraOutput = 0;
  std::string help = {};  // what it does; a line end starts the next line of the usage
};

// Every option, in the usage's order.
std::span<const OptionRule> optionRules();

}  // namespace kestran

// The usage, made from the table of options: the synopsis's forms, wrapped
// to the terminal's width, then one entry per option.

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "driver/option_rules.hpp"
#include "driver/options.hpp"
#include "text/cat.hpp"

namespace kestran {

namespace {

// "code 4" as a sentence begins it.
std::string capitalised(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

constexpr std::size_t usageWidth = 100;
constexpr std::string_view usageStart = "usage: ";
constexpr std::size_t helpColumn = 17;

std::string synopsisWord(const OptionRule& rule) { return cat("[--", rule.name, rule.value, "]"); }

// The form of a run, or the form of a scan.
std::string synopsisForm(bool scan) {
  std::string form = "kestran";
  for (const OptionRule& rule : optionRules()) {
    if (rule.synopsis == InSynopsis::ScanHead && scan) {
      form = cat(form, " --", rule.name, rule.value);
    }
  }
  for (const OptionRule& rule : optionRules()) {
    if (rule.synopsis == InSynopsis::BothForms || (rule.synopsis == InSynopsis::RunForm && !scan)) {
      form = cat(form, " ", synopsisWord(rule));
    }
  }
  return form + " [BASENAME]";
}

// The form of a column list: its head, its own options, then any option of
// a run or a scan (--code aside) and the list's file.
std::string listForm() {
  std::string form = "kestran";
  for (const OptionRule& rule : optionRules()) {
    if (rule.synopsis == InSynopsis::ListHead) {
      form = cat(form, " --", rule.name, rule.value);
    }
  }
  for (const OptionRule& rule : optionRules()) {
    if (rule.synopsis == InSynopsis::ListForm) {
      form = cat(form, " ", synopsisWord(rule));
    }
  }
  return form + " [OPTION]... FILE";
}

// The form of the options shown apart: "kestran --help | --version".
std::string apartForm() {
  std::vector<std::string> names;
  for (const OptionRule& rule : optionRules()) {
    if (rule.synopsis == InSynopsis::Apart) {
      names.push_back(cat("--", rule.name));
    }
  }
  std::string form = "kestran";
  for (std::size_t i = 0; i < names.size(); ++i) {
    form = cat(form, i == 0 ? " " : " | ", names[i]);
  }
  return form;
}

// A form after `lead`, its words wrapped to the usage's width under the
// form's second word.
std::string wrappedForm(std::string_view lead, std::string_view form) {
  const std::size_t indent = lead.size() + form.find(' ') + 1;
  std::string text(lead);
  std::size_t lineStart = 0;
  std::size_t start = 0;
  while (start < form.size()) {
    const std::size_t end = std::min(form.find(" [", start + 1), form.size());
    const std::string_view word = form.substr(start, end - start);  // with its blank before it
    if (start > 0 && text.size() - lineStart + word.size() > usageWidth) {
      lineStart = text.size() + 1;
      text = cat(text, "\n", std::string(indent - 1, ' '));
    }
    text += word;
    start = end;
  }
  return text + '\n';
}

// The usage's entry of one option: its name and value, then what it does
// from column 18, on the next line when the name is too long.
std::string optionLines(const OptionRule& rule) {
  std::string lines = cat("  --", rule.name, rule.value);
  const std::string indent(helpColumn, ' ');
  if (lines.size() < helpColumn) {
    lines.append(helpColumn - lines.size(), ' ');
  } else {
    lines = cat(lines, "\n", indent);
  }
  for (const char c : rule.help) {
    lines += c;
    if (c == '\n') {
      lines += indent;
    }
  }
  return lines + '\n';
}

}  // namespace

std::vector<std::string> synopsisForms() { return {synopsisForm(false), synopsisForm(true), listForm(), apartForm()}; }

std::string usageText() {
  std::string text;
  for (const std::string& form : synopsisForms()) {
    text += wrappedForm(text.empty() ? usageStart : std::string(usageStart.size(), ' '), form);
  }
  for (const OptionRule& rule : optionRules()) {
    if (!rule.help.empty()) {
      text += optionLines(rule);
    }
  }
  return text +
         "  BASENAME       entry file name without extension\n"
         "  FILE           a column list's file name, in full\n"
         "  OPTION         with --columns, any option of a run or a scan but --code\n"
         "Sigmas: NAMEF.hkl holds sigma(F) = F/100, NAMEI.hkl and NAME.int the\n"
         "classic sigma(I) = I/100, which is half the propagated 2 F sigma(F) = I/50\n"
         "that the CIF gives; with --sigma=file all hold the entry file's sigma(F)\n"
         "and 2 F sigma(F). " +
         capitalised(namedCodes([](const Flavour& flavour) { return flavour.writesOwnSigmas; })) +
         ": its own sigma(F), and SIGF^2 in the intensity\n"
         "files (2 F sigma(F) with --layout=shelx).\n"
         "Answers not given are asked for at the console. With --code and BASENAME\n"
         "the run asks nothing more (but DELTA for " +
         namedCodes(usesWidthWindow) +
         " without --delta)\n"
         "and prints a short report instead of the dialogue.\n";
}

}  // namespace kestran

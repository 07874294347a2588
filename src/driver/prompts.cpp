#include "driver/prompts.hpp"

#include <cctype>
#include <cstdint>
#include <string>

#include "text/cat.hpp"
#include "text/formatted.hpp"
#include "text/free_form.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

// The classic prompt, kept as it was: its codes are not made from the table
// of flavours.
void showCodePrompt(std::ostream& console) { console << "       Give code 1,2,3 or 4 :  " << std::flush; }

void showDeltaPrompt(std::ostream& console) {
  console << "\n"
             "\n"
             "  Give DELTA in DELTA*FWHM for eliminating reflections\n"
             "   separated by less than DELTA*FWHM :    DELTA ? "
          << std::flush;
}

// What a prompt asks for: named where the input ends before it, described
// where the answer is not a number.
struct AnswerName {
  std::string_view name;
  std::string_view expected;
};

// The answer to a prompt that wants a number. At a terminal an answer that
// is not a number gets a hint and the prompt again; from a pipe or a file it
// stops the run, as does the end of the input anywhere.
template <typename Number, typename ShowPrompt>
Number askNumber(LineReader& consoleIn, std::ostream& console, bool askAgain, ShowPrompt showPrompt,
                 AnswerName answer) {
  for (;;) {
    showPrompt(console);
    Number value{};
    std::string refused;
    switch (tryReadOne(consoleIn, value, refused)) {
      case AnswerRead::Read:
        return value;
      case AnswerRead::EndOfInput:
        consoleIn.failAt(report::endOfFile, consoleIn.lineNumber() + 1,
                         ": the input ends before " + std::string(answer.name));
      case AnswerRead::NotANumber:
        if (!askAgain) {
          consoleIn.failOnLine(report::listSyntaxError,
                               ": " + quoted(refused) + ": expected " + std::string(answer.expected));
        }
        console << "  not a number: " << quoted(refused) << " — try again\n";
        break;
    }
  }
}

}  // namespace

void showMenu(std::ostream& console) {
  console << "\n\n";
  for (const Flavour& flavour : flavoursInMenuOrder()) {
    console << flavour.menuLine << '\n';
  }
}

int askInputCode(LineReader& consoleIn, std::ostream& console, const RunOptions& options) {
  if (options.answers.inputCode) {
    return *options.answers.inputCode;
  }
  const std::string expected = cat("the input code, a whole number ", lowestCode(), " to ", highestCode());
  return askNumber<std::int32_t>(consoleIn, console, options.consoleIsTerminal, showCodePrompt, {"the code", expected});
}

const Flavour& checkedFlavour(int inputCode) {
  const Flavour* flavour = findFlavour(inputCode);
  if (flavour == nullptr) {
    throw RunError(cat("invalid input code ", inputCode, ": give ", codeList(anyFlavour, " or ")));
  }
  return *flavour;
}

void showChosenData(std::ostream& console, const Flavour& flavour, std::string_view columns) {
  console << '\n' << flavour.chosenLine;
  if (flavour.optionOnly) {
    console << ' ' << columns;
  }
  console << '\n';
}

std::string askBaseName(LineReader& consoleIn, std::ostream& console, const GivenAnswers& given,
                        const Flavour& flavour) {
  if (given.baseName) {
    return measureBaseName(*given.baseName);
  }
  console << (flavour.optionOnly ? "  entry file (with its extension) ??" : "  entry file (no extension) ??")
          << std::flush;
  std::string_view answer;
  if (!consoleIn.next(answer)) {
    consoleIn.failAt(report::endOfFile, consoleIn.lineNumber() + 1, ": the input ends before the base name");
  }
  return measureBaseName(answer);
}

std::string measureBaseName(std::string_view answer) {
  const std::size_t end = answer.find_last_not_of(' ');
  return std::string(answer.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The answer's first value is digits, a comma and digits (a sign before
// them at most).
bool startsWithDecimalComma(std::string_view answer) {
  std::size_t i = answer.find_first_not_of(" \t");
  if (i != std::string_view::npos && (answer[i] == '+' || answer[i] == '-')) {
    ++i;
  }
  const std::size_t digits = i;
  while (i < answer.size() && isDigit(answer[i])) {
    ++i;
  }
  return i != digits && i + 1 < answer.size() && answer[i] == ',' && isDigit(answer[i + 1]);
}

// Why a DELTA answer that is a number cannot be used, or nothing: a decimal
// comma (1,5 reads as 1, the 5 dropped) or a value below 0 (a window below 0
// removes nothing). A comma that ends the answer (3,) is a separator.
std::string refusedDelta(float delta, std::string_view answer) {
  if (startsWithDecimalComma(answer)) {
    std::string pointed(answer.substr(answer.find_first_not_of(" \t")));
    pointed = pointed.substr(0, pointed.find_first_of(" \t"));
    pointed[pointed.find(',')] = '.';
    return cat("DELTA ", quoted(answer), " holds a decimal comma: it reads as ", formatted("%g", double{delta}),
               " and the digits after the comma are dropped; expected a decimal point: type ", pointed);
  }
  if (delta < 0) {
    return cat("DELTA ", quoted(answer),
               " is below 0: a window below 0 removes no reflection; expected a factor of the peak width, 0 or more");
  }
  return {};
}

}  // namespace

float askDelta(LineReader& consoleIn, std::ostream& console, const RunOptions& options) {
  if (options.answers.delta) {
    return *options.answers.delta;
  }
  for (;;) {
    const float delta = askNumber<float>(consoleIn, console, options.consoleIsTerminal, showDeltaPrompt,
                                         {"DELTA", "DELTA, a number (the factor of the peak width)"});
    const std::string refused = refusedDelta(delta, consoleIn.lastLine());
    if (refused.empty()) {
      return delta;
    }
    if (!options.consoleIsTerminal) {
      throw inputError(consoleIn.fileName(), consoleIn.lineNumber(), refused);
    }
    console << cat("  ", refused, " — try again\n");
  }
}

void finalPause(LineReader& consoleIn, std::ostream& console, const GivenAnswers& given) {
  if (!given.pause) {
    return;
  }
  console << "\n  Type any number for ending " << std::flush;
  std::string_view ignored;
  (void)consoleIn.next(ignored);
}

}  // namespace kestran

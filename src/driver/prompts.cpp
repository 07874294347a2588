#include "driver/prompts.hpp"

#include <cstdint>
#include <string>

#include "driver/console_events.hpp"
#include "text/cat.hpp"
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

void showChosenData(std::ostream& console, const Flavour& flavour) { console << '\n' << flavour.chosenLine << '\n'; }

std::string askBaseName(LineReader& consoleIn, std::ostream& console, const GivenAnswers& given) {
  if (given.baseName) {
    return measureBaseName(*given.baseName);
  }
  console << "  entry file (no extension) ??" << std::flush;
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

float askDelta(LineReader& consoleIn, std::ostream& console, std::ostream& diagnostics, const RunOptions& options) {
  if (options.answers.delta) {
    return *options.answers.delta;
  }
  for (;;) {
    const float delta = askNumber<float>(consoleIn, console, options.consoleIsTerminal, showDeltaPrompt,
                                         {"DELTA", "DELTA, a number (the factor of the peak width)"});
    if (!(delta < 0)) {
      return delta;
    }
    warnAboutInput(diagnostics, options.strict, consoleIn.fileName(), consoleIn.lineNumber(),
                   "DELTA " + quoted(consoleIn.lastLine()) +
                       " is below 0: no reflection is removed; expected a factor of the peak width, 0 or more");
    if (!options.consoleIsTerminal) {
      return delta;
    }
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

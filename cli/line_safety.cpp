#include "line_safety.h"

#include "common/codepage.h"
#include "settings/value_checks.h"

std::string LineBreakProblem(const std::string& text) {
  for (const char c : text) {
    if (c == '\r' || c == '\n' || c == '\0')
      return "contains a line break (CR, LF) or NUL, which would end the command line sent to the logger";
  }
  return std::string();
}

std::string CodePageProblem(const std::string& text) {
  std::string ansi;
  size_t at = 0;
  if (codepage::Utf8ToAnsiExact(text, &ansi, &at)) return std::string();
  return "contains a character the logger's code page cannot hold (at byte " + std::to_string(at) +
         "); it would reach the logger as another character";
}

namespace {

std::string SendableProblem(const std::string& text) {
  std::string problem = LineBreakProblem(text);
  return problem.empty() ? CodePageProblem(text) : problem;
}

std::string AccessPointProblem(const std::string& text) {
  std::string problem = SendableProblem(text);
  if (problem.empty() && !value_checks::AccessPointTextFromUtf8(text))
    problem = "may hold only half-width letters and digits and the symbols ! \" # $ % & ' * + - . / = ? @ ^ _ { | } ~";
  return problem;
}

}  // namespace

CLI::Validator SendableText() { return CLI::Validator(SendableProblem, "", "SendableText"); }

CLI::Validator AccessPointText() { return CLI::Validator(AccessPointProblem, "", "AccessPointText"); }

#include "line_safety.h"

std::string LineBreakProblem(const std::string& text) {
  for (const char c : text) {
    if (c == '\r' || c == '\n' || c == '\0')
      return "contains a line break (CR, LF) or NUL, which would end the command line sent to the logger";
  }
  return std::string();
}

CLI::Validator SendableText() { return CLI::Validator(LineBreakProblem, "", "SendableText"); }

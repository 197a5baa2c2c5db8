#pragma once
// Texts given on the command line become parts of the command lines sent to
// the logger. A CR, LF or NUL in one would end the command line early and
// let the rest reach the logger as a command of its own, so such a value is
// refused before anything is sent. This is the one place of that check;
// every option whose text is sent carries it.
#include <CLI/CLI.hpp>
#include <string>

// Empty when the text may go into a command line, else the reason.
std::string LineBreakProblem(const std::string& text);

// Empty when every character of the (UTF-8) text has a form in the logger's
// code page, else the reason: such a character would reach the logger as
// something else.
std::string CodePageProblem(const std::string& text);

// Both checks as a validator of an option's value.
CLI::Validator SendableText();

// Access point name, user id and password: sendable, and only what the
// access point page's edit accepts.
CLI::Validator AccessPointText();

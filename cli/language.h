#pragma once
// The language of the messages: Japanese (the built-in texts) by default,
// English from the catalogue that is installed beside the executable.
#include <string>

// The folder of the running executable ("" when it cannot be found).
std::string ExecutableDirectory();

// The language of the environment's message locale: the first of LC_ALL,
// LC_MESSAGES and LANG that is set and not empty decides, "ja" for a value
// starting with "ja", "en" for any other; "ja" when none is set.
std::string LanguageFromEnvironment();

// "ja" keeps the built-in texts; "en" loads the English catalogue. False
// (after a warning on standard error) when the catalogue cannot be read; the
// messages then stay Japanese.
bool SelectLanguage(const std::string& lang);

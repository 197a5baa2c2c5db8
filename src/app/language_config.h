#pragma once
// The user-interface language: "TessaHX.ini" beside the executable (section
// "TessaHX", key "Language", default 0) selects the English catalogue
// "TessaHXResE.txt", also beside the executable, when the low eight bits of
// the value equal 1. The program only reads the ini file.
#include <QString>

namespace language {

inline constexpr const char* kIniFileName = "TessaHX.ini";
inline constexpr const char* kEnglishCatalogueName = "TessaHXResE.txt";

// The "Language" value of the ini file at `iniPath`; 0 when the file or the
// key is missing. Like the platform's ini reader, the leading integer of the
// value counts ("1 ; English" reads 1, text that is no number reads 0).
int ReadIniLanguage(const QString& iniPath);

// True when the value selects English (low eight bits equal 1).
bool SelectsEnglish(int languageValue);

enum class Choice { kFromIni, kJapanese, kEnglish };

// Applies the language for the executable folder `moduleDir` (ending in a
// separator): loads the English catalogue when chosen (by `choice`, or by the
// ini file with kFromIni), else keeps the built-in Japanese texts. Returns
// true when the English catalogue is in use afterwards; a catalogue that
// cannot be read leaves the Japanese texts, without a message.
bool Apply(const QString& moduleDir, Choice choice);

}  // namespace language

#pragma once
// What `info` reports about the connected logger, in a fixed order: one JSON
// object (numbers as numbers, switches as booleans, every text converted
// from the logger's code page to UTF-8) whose keys also name the lines of
// the plain form "key: value".
#include <nlohmann/json.hpp>
#include <string>

class CDeviceSession;

// The access point password is masked, as the window masks it, unless
// `showPassword`: a saved report then does not carry it.
constexpr const char* kMaskedPassword = "********";
nlohmann::ordered_json InfoObject(const CDeviceSession& session, bool showPassword = false);

// One "key: value" line per field, each ended by LF.
std::string InfoLines(const nlohmann::ordered_json& info);

// "YYYY-MM-DD hh:mm:ss".
std::string DateTimeText(int year, int month, int day, int hour, int minute, int second);

#pragma once
// The files the commands write. Every file is written as a whole: the bytes
// go to a temporary file that replaces the target only when complete, so a
// failure never leaves a half-written file in place of an existing one.
// The target "-" is standard output.
#include <ctime>
#include <string>

constexpr const char* kStandardOutput = "-";

// The local time now.
std::tm LocalNow();

// The saved readout's default name: prefix + "%Y%m%d_%H%M%S" of the time +
// "." + extension, e.g. TXL_ALL_20240131_235959.txt.
std::string TimestampedName(const std::string& prefix, const std::tm& time, const std::string& extension);

// Writes the bytes to the target. False on failure, with the reason in
// *error when given.
bool WriteOutput(const std::string& target, const std::string& bytes, std::string* error);

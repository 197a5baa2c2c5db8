#pragma once
// Parsers of what the logger sends: the identity line after "WAKE", the
// "RD SYS" and "MAIL DSP" listings, durations, and comma-separated values.
// Malformed input never fails a parse: a field whose value has too few parts
// keeps its old value and a number that cannot be read becomes 0.
#include <string>
#include <vector>

#include "protocol/device_record.h"

// Seconds of a duration text such as "D01H02M03S04".
int ParseDuration(const char* text);
// The logger's duration form "D%02dH%02dM%02dS%02d" of a number of seconds.
std::string FormatDuration(int seconds);

// Splits a listing line into its key (text before the first blank, leading
// blanks skipped) and value (everything after that one blank).
void SplitKeyValue(const std::string& line, std::string* key, std::string* value);

// One "RD SYS" line into the record.
void ParseSysInfoLine(const std::string& line, CVT7SysInfo* info);
// One "MAIL DSP" line into the record.
void ParseMailInfoLine(const std::string& line, CVT7MailInfo* info);

// The identity line "name<sep>Ver[version]". When "Ver[" is missing nothing
// changes. Name and version are cut to 19 characters.
void ParseIdentityLine(const char* line, int length, std::string* deviceName, std::string* version);

// Splits at every "," and removes CR and LF from each field. A trailing comma
// adds no empty last field; an empty text gives no field.
int SplitKeepingEmptyFields(const std::string& text, std::vector<std::string>* fields);

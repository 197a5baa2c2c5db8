#pragma once
// Texts of the system page and the measurement page, made from the session's
// current record (UTF-8).
#include <string>

// The product information line: "IMEI:<imei>/SN:<serial>", or "SN:<serial>"
// without an IMEI. False (text untouched) when the serial number is empty:
// the page then keeps what it showed.
bool ProductInfoText(const std::string& imei, const std::string& serial, std::string* text);

// "first - last", or empty when both record IDs are 0.
std::string MemoryRangeText(int firstId, int lastId);

// The cut-off voltage in volts with one decimal (3600 mV: "3.6").
std::string CutoffVoltsText(int millivolts);

// The two lines of the judgement criteria, "<label>:<metres %.3f>[m], ON "
// or "..., OFF" (ON carries a trailing blank), joined by CR LF.
std::string JudgementText(const std::string& upperLabel, double upper, int upperEnabled, const std::string& lowerLabel,
                          double lower, int lowerEnabled);

#pragma once
// Connecting, identifying and refreshing, and the guard of every operation
// that sends or shows values the session keeps "as the logger has them": it
// runs only when those listings were read from this logger in this
// connection.
#include <string>

#include "operations/operation.h"

class CDeviceSession;

namespace ops {

// Opens the port, wakes and identifies the logger and reads "RD SYS" and
// "MAIL DSP". Fails (port cannot open, no answer) only when the logger
// cannot be talked to; a listing that could not be read is recorded in the
// session and named by RequireListings() when an operation needs it.
Result Connect(CDeviceSession& session, const std::string& path);

// Identification, "RD SYS" and "MAIL DSP", as the pages' full refresh.
// Succeeds when the logger answered the wake-up; an abort asked for between
// the steps ends it (kAborted) before the next one.
Result Refresh(CDeviceSession& session, const Context& context = Context());

// Succeeds when every listing of `listings` (bits of listing_read) was read
// in this connection; otherwise kNotRead with the message that names the
// first missing listing and what to do.
Result RequireListings(const CDeviceSession& session, int listings);

// The command name of a listing bit ("RD SYS", "MAIL DSP").
const char* ListingName(int listing);

}  // namespace ops

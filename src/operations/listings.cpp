#include "operations/listings.h"

#include <cstdio>

#include "common/string_table.h"
#include "link/port_open_error.h"
#include "operations/operation_strings.h"
#include "session/device_session.h"

namespace ops {

std::string JoinMessages(const std::string& first, const std::string& second) {
  if (first.empty()) return second;
  if (second.empty()) return first;
  return first + "\r\n" + second;
}

std::string FormatText(uint32_t id, long a, long b) {
  char text[512];
  std::snprintf(text, sizeof text, strings::Text(id).c_str(), a, b);
  return text;
}

std::string FormatCount(uint32_t oneId, uint32_t manyId, long n) { return FormatText(n == 1 ? oneId : manyId, n); }

const char* ListingName(int listing) { return listing == listing_read::kMail ? "MAIL DSP" : "RD SYS"; }

Result RequireListings(const CDeviceSession& session, int listings) {
  Result result;
  for (int bit : {listing_read::kSystem, listing_read::kMail}) {
    if ((listings & bit) == 0 || session.HasRead(bit)) continue;
    char text[512];
    std::snprintf(text, sizeof text, strings::Text(strings::id::kListingNotRead).c_str(), ListingName(bit));
    result.outcome = Outcome::kNotRead;
    result.message = text;
    return result;
  }
  result.outcome = Outcome::kSucceeded;
  return result;
}

Result Connect(CDeviceSession& session, const std::string& path) {
  Result result;
  result.steps.push_back("open");
  if (session.Open(path) != 0) {
    result.message =
        strings::Text(strings::id::kPortCannotOpen) + "\r\n" + DescribePortOpenError(session.LastOpenError(), path);
    return result;
  }
  result.steps.push_back("HELLO");
  if (session.Identify() != 1) {
    result.message = session.LineLost() ? session.LineLostMessage() : strings::Text(strings::id::kNoResponse);
    session.Close();
    return result;
  }
  result.steps.push_back("RD SYS");
  session.RefreshSystemInfo();
  result.steps.push_back("MAIL DSP");
  session.ReadMailSettings();
  if (session.LineLost()) {
    result.message = session.LineLostMessage();
    session.Close();
    return result;
  }
  session.connectionState = 1;
  result.outcome = Outcome::kSucceeded;
  return result;
}

Result Refresh(CDeviceSession& session, const Context& context) {
  Result result;
  result.steps.push_back("HELLO");
  const bool answered = session.Identify() == 1;
  if (context.AbortRequested()) {
    result.outcome = Outcome::kAborted;
    return result;
  }
  if (!answered) {
    result.message = session.LineLost() ? session.LineLostMessage() : strings::Text(strings::id::kNoDeviceResponse);
    return result;
  }
  result.steps.push_back("RD SYS");
  session.RefreshSystemInfo();
  if (context.AbortRequested()) {
    result.outcome = Outcome::kAborted;
    return result;
  }
  result.steps.push_back("MAIL DSP");
  session.ReadMailSettings();
  if (session.LineLost()) {
    result.message = session.LineLostMessage();
    return result;
  }
  result.outcome = Outcome::kSucceeded;
  return result;
}

}  // namespace ops

#include "operations/device_commands.h"

#include "common/string_table.h"
#include "operations/listings.h"
#include "operations/settings_run.h"
#include "session/device_session.h"
#include "settings/setting_item_list.h"
#include "settings/wizard_flags.h"

namespace ops {

namespace {

Result FromCode(const CDeviceSession& session, int code, const char* step, uint32_t failureText = 0) {
  Result result;
  result.steps.push_back(step);
  if (code == session_rc::kOk) {
    result.outcome = Outcome::kSucceeded;
    result.message = strings::Text(strings::id::kSuccess);
  } else {
    // The pages with a failure text of their own show only that, unless the
    // logger is not there at all.
    const bool noLine = code == session_rc::kNotConnected || code == session_rc::kLineLost;
    result.message = noLine || failureText == 0 ? session.MessageOf(code) : strings::Text(failureText);
  }
  return result;
}

}  // namespace

Result SendTestTransmission(CDeviceSession& session) {
  Result needed = RequireListings(session, listing_read::kSystem);
  if (!needed.Succeeded()) return needed;
  if (session.Current().sys.measuring != 0) {
    Result refused;
    refused.message = strings::Text(strings::id::kStopMeasurementFirst);
    return refused;
  }
  return FromCode(session, session.SendTestTransmission(), "MAIL START");
}

Result SyncClock(CDeviceSession& session) {
  Result result = FromCode(session, session.SyncNetworkTime(), "MAIL TIME", strings::id::kErrorFailedShort);
  if (result.Succeeded()) {
    const Result refreshed = Refresh(session);
    result.steps.insert(result.steps.end(), refreshed.steps.begin(), refreshed.steps.end());
  }
  return result;
}

Result StopMeasurement(CDeviceSession& session) { return FromCode(session, session.StopMeasurement(), "ST STP"); }

Result ClearMemory(CDeviceSession& session) { return FromCode(session, session.ClearMemory(), "ST CLR"); }

Result ResetDevice(CDeviceSession& session) { return RunPageWork(session, kItemInitReset, wizard::kOnlyPage); }

Result RestartModule(CDeviceSession& session) {
  return FromCode(session, session.RestartModule(), "restart module", strings::id::kErrorFailedShort);
}

}  // namespace ops

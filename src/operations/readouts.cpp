#include "operations/readouts.h"

#include <climits>

#include "common/string_table.h"
#include "operations/operation_strings.h"
#include "protocol/listing_parsers.h"
#include "session/device_session.h"

namespace ops {

namespace {

constexpr int kErrorLogTries = 3;
constexpr size_t kCurrentValueFields = 4;

template <typename R>
R FailedWith(const CDeviceSession& session, int sessionCode) {
  R r;
  r.outcome = Outcome::kFailed;
  r.message = session.MessageOf(sessionCode);
  return r;
}

template <typename R>
R NoValue() {
  R r;
  r.outcome = Outcome::kNoValue;
  r.message = strings::Text(strings::id::kNoValueRead);
  return r;
}

// A lost line and a closed port are reported as such; every other failure
// with the general text.
int FailureCode(const CDeviceSession& session, int code) {
  if (session.LineLost()) return session_rc::kLineLost;
  return !session.IsOpen() || code == session_rc::kNotConnected ? session_rc::kNotConnected : session_rc::kFailed;
}

}  // namespace

TextResult ReadErrorLog(CDeviceSession& session) {
  if (!session.IsOpen()) return FailedWith<TextResult>(session, FailureCode(session, session_rc::kNotConnected));
  for (int i = 0; i < kErrorLogTries; ++i) {
    std::string text;
    if (session.Protocol().ReadErrorLog(session.PortPtr(), &text) == rc::kOk) {
      TextResult result;
      result.outcome = Outcome::kSucceeded;
      result.steps.assign(static_cast<size_t>(i) + 1, "RD ERR");
      result.text = std::move(text);
      return result;
    }
  }
  auto failed = FailedWith<TextResult>(session, FailureCode(session, session_rc::kFailed));
  failed.steps.assign(kErrorLogTries, "RD ERR");
  return failed;
}

CurrentValuesResult ReadCurrentValues(CDeviceSession& session) {
  std::string reply;
  const int r = session.ReadCurrentValues(&reply);
  if (r != session_rc::kOk) return FailedWith<CurrentValuesResult>(session, FailureCode(session, r));
  std::vector<std::string> fields;
  if (static_cast<size_t>(SplitKeepingEmptyFields(reply, &fields)) < kCurrentValueFields)
    return NoValue<CurrentValuesResult>();
  CurrentValuesResult result;
  result.outcome = Outcome::kSucceeded;
  result.steps.push_back("RD REL");
  fields.resize(kCurrentValueFields);
  result.fields = std::move(fields);
  return result;
}

AntennaResult ReadAntenna(CDeviceSession& session) {
  // The session leaves the level untouched when the logger reported none.
  constexpr int kUntouched = INT_MIN;
  int level = kUntouched;
  const int r = session.ReadAntenna(&level);
  if (r != session_rc::kOk) return FailedWith<AntennaResult>(session, r);
  if (level == kUntouched) return NoValue<AntennaResult>();
  AntennaResult result;
  result.outcome = Outcome::kSucceeded;
  result.steps.push_back("RD ANT");
  result.signalDbm = level;
  return result;
}

ImeiResult ReadImei(CDeviceSession& session) {
  std::string imei;
  const int r = session.ReadImei(&imei);
  if (r != session_rc::kOk) return FailedWith<ImeiResult>(session, FailureCode(session, r));
  if (imei.empty()) return NoValue<ImeiResult>();
  ImeiResult result;
  result.outcome = Outcome::kSucceeded;
  result.steps.push_back("MAIL IMEI");
  result.imei = std::move(imei);
  return result;
}

}  // namespace ops

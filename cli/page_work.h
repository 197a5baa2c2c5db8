#pragma once
// The work of each setting page, run when its Next (or action) button is
// pressed: it sends the working record's values and leaves the session's
// error or result message as the page leaves it. Each returns 1 on success
// and 0 on failure, like the pages' work.
#include <optional>
#include <string>

class CDeviceSession;

// Initialisation page: "ST RES", result message "成功".
int ResetPageWork(CDeviceSession& session);
// Battery cut-off page: "ST BAT" with the working value.
int BatteryPageWork(CDeviceSession& session);
// Access point page: a preset (kCarrierIij, kCarrierSoracom) or the working
// record's four fields; refused fields are named in the error message.
int AccessPointPageWork(CDeviceSession& session, int carrier);
// Judgement criteria page: the limits and their switches where they changed.
int JudgementPageWork(CDeviceSession& session);
// Measurement schedule page: the schedule, then the start; failed commands
// are named in the error message.
int MeasurementPageWork(CDeviceSession& session);
// IMEI check page: "MAIL IMEI"; the digits go to *imei.
int ImeiPageWork(CDeviceSession& session, std::string* imei);
// Antenna check page: "RD ANT". *signalDbm gets the reading, or nothing
// when the logger reported none. Fails only with an error message set.
int AntennaPageWork(CDeviceSession& session, std::optional<int>* signalDbm);
// Test transmission page: "MAIL START" and its listing.
int TestMailPageWork(CDeviceSession& session);

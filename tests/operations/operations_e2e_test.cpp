// Each device operation once against the virtual logger, and the guard that
// keeps values the logger did not report in this connection from being sent.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "../e2e/logger_fixture.h"
#include "common/string_table.h"
#include "operations/device_commands.h"
#include "operations/listings.h"
#include "operations/operation_strings.h"
#include "operations/readouts.h"
#include "operations/settings_run.h"
#include "settings/setting_item_list.h"

namespace {

using ops::Outcome;

class OperationsTest : public LoggerTest {
 protected:
  void ConnectOp() {
    const ops::Result r = ops::Connect(session, logger->PortPath());
    ASSERT_TRUE(r.Succeeded()) << r.message;
  }
  // The logger measuring on its own schedule, and the lines sent so far forgotten.
  void StartMeasuring() {
    ConnectOp();
    const ops::WizardResult r = ops::RunSettingItem(session, kItemMeasurement, {});
    ASSERT_TRUE(r.Succeeded()) << r.message;
    ASSERT_TRUE(logger->State().measuring);
    logger->ClearReceived();
  }
  std::vector<std::string> SentSettings() {
    std::vector<std::string> out;
    for (const std::string& l : Received())
      if (l.rfind("ST ", 0) == 0 || l.rfind("ALM ", 0) == 0 || l.rfind("MAIL A", 0) == 0 ||
          l.rfind("MAIL INI", 0) == 0 || l.rfind("MAIL START", 0) == 0)
        out.push_back(l);
    return out;
  }
};

TEST_F(OperationsTest, ConnectRecordsTheListingsRead) {
  ConnectOp();
  EXPECT_TRUE(session.HasRead(listing_read::kSystem | listing_read::kMail));
  session.Close();
  EXPECT_EQ(session.ListingsRead(), 0);
}

// "RD SYS" or "MAIL DSP" not read at connect: nothing that relies on them is
// sent or written, and the message names the listing.
TEST_F(OperationsTest, ListingNotReadSendsNothing) {
  struct Case {
    const char* refused;
    int item;
  };
  for (const Case c : {Case{"RD SYS", kItemBatteryAlert}, Case{"RD SYS", kItemJudgement},
                       Case{"RD SYS", kItemMeasurement}, Case{"MAIL DSP", kItemAccessPoint}}) {
    SCOPED_TRACE(c.refused);
    logger->RefuseCommands(c.refused, 3);
    ConnectOp();
    logger->ClearReceived();
    const ops::WizardResult r = ops::RunSettingItem(session, c.item, {});
    EXPECT_EQ(r.outcome, Outcome::kNotRead);
    EXPECT_NE(r.message.find(c.refused), std::string::npos) << r.message;
    EXPECT_TRUE(SentSettings().empty());
    std::tm now{};
    EXPECT_EQ(ops::ExportSettings(session, {}, now).outcome, Outcome::kNotRead);
  }
  // Refreshing reads the listing again, and the operation runs.
  ASSERT_TRUE(ops::Refresh(session).Succeeded());
  EXPECT_TRUE(session.HasRead(listing_read::kSystem | listing_read::kMail));
}

TEST_F(OperationsTest, TestTransmissionNeedsAStoppedLoggerKnownToBeStopped) {
  logger->RefuseCommands("RD SYS", 3);
  ConnectOp();
  EXPECT_EQ(ops::SendTestTransmission(session).outcome, Outcome::kNotRead);
  StartMeasuring();
  EXPECT_FALSE(ops::SendTestTransmission(session).Succeeded());
  EXPECT_TRUE(SentSettings().empty());
  ASSERT_TRUE(ops::StopMeasurement(session).Succeeded());
  EXPECT_FALSE(logger->State().measuring);
  EXPECT_TRUE(ops::SendTestTransmission(session).Succeeded());
  EXPECT_EQ(ReceivedStarting("MAIL START").size(), 1u);
}

TEST_F(OperationsTest, ReadoutsOfOneReply) {
  logger->SetErrorLog({"E01 first", "E02 second"});
  logger->SetAntennaLevel(-71);
  ConnectOp();
  const ops::TextResult log = ops::ReadErrorLog(session);
  EXPECT_TRUE(log.Succeeded());
  EXPECT_EQ(log.text, "E01 first\r\nE02 second\r\n");
  const ops::CurrentValuesResult current = ops::ReadCurrentValues(session);
  EXPECT_TRUE(current.Succeeded()) << current.message;
  EXPECT_EQ(current.fields.size(), 4u);
  const ops::AntennaResult antenna = ops::ReadAntenna(session);
  ASSERT_TRUE(antenna.signalDbm.has_value());
  EXPECT_EQ(*antenna.signalDbm, -71);
  const ops::ImeiResult imei = ops::ReadImei(session);
  EXPECT_TRUE(imei.Succeeded());
  EXPECT_EQ(imei.imei, logger->State().mail.imei);
}

// Replies with nothing readable in them are no value, not an empty success.
TEST_F(OperationsTest, NothingReadableIsNoValue) {
  logger->SetAntennaLevel(std::nullopt);
  ConnectOp();
  EXPECT_EQ(ops::ReadAntenna(session).outcome, Outcome::kNoValue);
  logger->SetLowerCase(true);  // "imei ...": no IMEI line
  const ops::ImeiResult imei = ops::ReadImei(session);
  EXPECT_EQ(imei.outcome, Outcome::kNoValue);
  EXPECT_FALSE(imei.message.empty());
  logger->RefuseCommands("RD REL", -1);
  EXPECT_EQ(ops::ReadCurrentValues(session).outcome, Outcome::kFailed);
}

TEST_F(OperationsTest, StateChangingCommands) {
  logger->PresetMemory(20);
  StartMeasuring();
  EXPECT_TRUE(ops::SyncClock(session).Succeeded());
  EXPECT_EQ(ReceivedStarting("MAIL TIME").size(), 1u);
  EXPECT_TRUE(ops::ClearMemory(session).Succeeded());
  EXPECT_EQ(logger->State().record_count, 0u);
  EXPECT_EQ(session.Current().sys.lastId, 0);
  EXPECT_TRUE(ops::ResetDevice(session).Succeeded());
  EXPECT_EQ(logger->State().resets, 1);
  EXPECT_TRUE(ops::RestartModule(session).Succeeded());
  logger->RefuseCommands("ST STP", -1);
  EXPECT_FALSE(ops::StopMeasurement(session).Succeeded());
}

// A setting sent while the logger measures: stop, the value, then the
// appended schedule page starts measurement again on the logger's schedule.
TEST_F(OperationsTest, SettingOnAMeasuringLoggerStopsAndRestarts) {
  StartMeasuring();
  const int sampling = logger->State().sampling_seconds;
  ops::PageEdits edits;
  edits.battery = [](std::string& volts) { volts = "3.4"; };
  const ops::WizardResult r = ops::RunSettingItem(session, kItemBatteryAlert, edits);
  EXPECT_TRUE(r.Succeeded()) << r.message;
  const std::vector<std::string> sent = SentSettings();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(sent[0], "ST STP");
  EXPECT_EQ(sent[1], "ST BAT 3400");
  EXPECT_EQ(sent.back().rfind("ST STM", 0), 0u);
  EXPECT_TRUE(logger->State().measuring);
  EXPECT_EQ(logger->State().sampling_seconds, sampling);
}

constexpr const char* kFile =
    "[ZEB_TXLI]\r\nDATE,2024-01-31 10:00:00\r\nIMEI,1\r\n"
    "//6\r\nBATTERY_ALART,3600\r\n"
    "//21\r\nALM_AD,0,1.500,-1.500,1,0\r\n"
    "//22\r\nMES_ENABLE,1\r\nMES_START_TIME,2030-01-01 00:00:00\r\nMES_INTERVAL_TIME,3600\r\n";

// An apply that fails after stopping measurement restarts it with the
// schedule the logger had and says so.
TEST_F(OperationsTest, FailedApplyRestartsMeasurement) {
  StartMeasuring();
  logger->RefuseCommands("ST BAT", -1);
  ops::ApplyRequest request;
  request.fileText = kFile;
  request.items = {kItemBatteryAlert};
  const ops::WizardResult r = ops::ApplySettings(session, request);
  EXPECT_EQ(r.outcome, Outcome::kFailed);
  EXPECT_TRUE(r.measurementRestarted);
  EXPECT_TRUE(logger->State().measuring);
  EXPECT_EQ(ReceivedStarting("ST BAT").size(), 3u);
  EXPECT_NE(r.message.find(strings::Text(strings::id::kMeasurementRestarted)), std::string::npos) << r.message;
}

// The value check runs over every chosen item before anything is sent.
TEST_F(OperationsTest, ValueCheckRefusesBeforeAnythingIsSent) {
  StartMeasuring();
  ops::ApplyRequest request;
  request.fileText = kFile;
  std::vector<int> checked;
  request.check = [&](DeviceRecord& record, const std::vector<int>& items) {
    checked = items;
    return record.sys.batteryAlert == 3600 ? std::string("battery out of range") : std::string();
  };
  const ops::WizardResult r = ops::ApplySettings(session, request);
  EXPECT_EQ(r.message, "battery out of range");
  EXPECT_EQ(checked, (std::vector<int>{kItemBatteryAlert, kItemJudgement, kItemMeasurement}));
  EXPECT_TRUE(SentSettings().empty());
}

// An item left out never takes its values from the file.
TEST_F(OperationsTest, UnchosenItemsKeepTheLoggersValues) {
  ConnectOp();
  const DeviceRecord logger_values = session.Current();
  const ops::ApplyPlan plan = ops::PlanApply(session, kFile, {kItemBatteryAlert});
  EXPECT_EQ(plan.items, std::vector<int>{kItemBatteryAlert});
  EXPECT_EQ(plan.record.sys.batteryAlert, 3600);
  EXPECT_EQ(plan.record.sys.upperThreshold, logger_values.sys.upperThreshold);
  EXPECT_EQ(plan.record.sys.sampling, logger_values.sys.sampling);
  EXPECT_EQ(plan.record.sys.startTime, logger_values.sys.startTime);
}

}  // namespace

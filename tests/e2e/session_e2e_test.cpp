// The device session's command sequences against the virtual logger.
#include <algorithm>
#include <cstdio>
#include <thread>

#include "common/string_table.h"
#include "firmware/firmware_image.h"
#include "logger_fixture.h"
#include "protocol/listing_parsers.h"

namespace {

using std::chrono::seconds;

class SessionTest : public LoggerTest {
 protected:
  void SetUp() override {
    LoggerTest::SetUp();
    Connect();
    session.Working() = session.Current();
    logger->ClearReceived();
  }
};

TEST_F(SessionTest, UnchangedScheduleSendsOnlyTheSamplingLines) {
  uint16_t flags = 0xFFFF;
  ASSERT_EQ(session.ApplyMeasurementSettings(&flags), 0);
  EXPECT_EQ(flags, 0);
  const auto smp = "ST SMP " + FormatDuration(session.Working().sys.sampling);
  const auto smp2 = "ST SMP2 " + FormatDuration(session.Working().sys.eventSampling);
  EXPECT_EQ(Received(), (std::vector<std::string>{smp, smp2, "RD SYS"}));
}

TEST_F(SessionTest, RefusedStepsSetTheirBitsAndPreventTheStart) {
  auto& w = session.Working().sys;
  w.interval = session.Current().sys.interval + 1;
  w.eventInterval = session.Current().sys.eventInterval + 1;
  w.measuring = 1;
  logger->RefuseCommands("ST SMP ", -1);
  logger->RefuseCommands("ST ITV2", 2);  // the third try succeeds
  uint16_t flags = 0;
  EXPECT_EQ(session.ApplyMeasurementSettings(&flags), session_rc::kFailed);
  EXPECT_EQ(flags, apply_flags::kSampling);
  EXPECT_EQ(ReceivedStarting("ST SMP ").size(), 3u);
  EXPECT_EQ(ReceivedStarting("ST ITV ").size(), 1u);
  EXPECT_EQ(ReceivedStarting("ST ITV2").size(), 3u);
  EXPECT_TRUE(ReceivedStarting("ST STM").empty());
  EXPECT_EQ(Received().back(), "RD SYS");
}

TEST_F(SessionTest, StartTimeMovesOntoTheSamplingGrid) {
  auto& w = session.Working().sys;
  w.sampling = 600;
  w.measuring = 1;
  int64_t now = 0;
  ASSERT_EQ(session.GetDeviceClock(&now), 1);
  const int64_t requested = now - 600 - 17;  // ten minutes and a bit in the past
  w.startTime = CSdlTime::FromTime(requested);
  uint16_t flags = 0;
  ASSERT_EQ(session.ApplyMeasurementSettings(&flags), 0);
  const int64_t start = w.startTime.ToTime();
  EXPECT_EQ((start - requested) % 600, 0);
  EXPECT_GE(start, now + 60);
  EXPECT_LT(start, now + 60 + 600 + 5);
  char line[64];
  std::snprintf(line, sizeof line, "ST STM %02d/%02d/%02d %02d:%02d", w.startTime.year % 100, w.startTime.month,
                w.startTime.day, w.startTime.hour, w.startTime.minute);
  EXPECT_EQ(ReceivedStarting("ST STM"), (std::vector<std::string>{line}));
  EXPECT_TRUE(logger->State().measuring);
  EXPECT_EQ(session.Current().sys.measuring, 1);
}

TEST_F(SessionTest, StartRefusedOnEveryTryGivesOnlyTheStartBit) {
  auto& w = session.Working().sys;
  w.measuring = 1;
  w.startTime = CSdlTime::FromTime(timing::NowSeconds() + 3600);
  logger->RefuseCommands("ST STM", -1);
  uint16_t flags = 0;
  EXPECT_EQ(session.ApplyMeasurementSettings(&flags), -1);
  EXPECT_EQ(flags, apply_flags::kStart);
  EXPECT_EQ(ReceivedStarting("ST STM").size(), 3u);
}

TEST_F(SessionTest, ThresholdsSendOnlyWhatChanged) {
  auto& w = session.Working().sys;
  w.upperThreshold = session.Current().sys.upperThreshold + 0.00004;  // beyond the fourth decimal
  uint16_t flags = 0;
  ASSERT_EQ(session.ApplyThresholds(&flags), 0);
  EXPECT_TRUE(ReceivedStarting("ST ALM").empty());

  w.upperThreshold = 1.25;
  w.lowerThreshold = -0.5;
  w.upperEnabled = 1;
  w.lowerEnabled = 0;
  logger->ClearReceived();
  ASSERT_EQ(session.ApplyThresholds(&flags), 0);
  const auto lines = ReceivedStarting("ST ALM");
  ASSERT_EQ(lines.size(), session.Current().sys.lowerEnabled == 0 ? 1u : 2u);
  EXPECT_EQ(lines[0], "ST ALM AN 1.2500 -0.5000 ");
  EXPECT_EQ(lines.back(), lines.size() == 2 ? "ST ALM AN ON OFF" : lines[0]);
  session.RefreshSystemInfo();
  EXPECT_DOUBLE_EQ(session.Current().sys.upperThreshold, 1.25);
  EXPECT_EQ(session.Current().sys.lowerEnabled, 0);
}

TEST_F(SessionTest, StopMeasurementEndsAtARefusal) {
  logger->RefuseCommands("ST STP", 1);
  EXPECT_EQ(session.StopMeasurement(), -1);
  EXPECT_EQ(ReceivedStarting("ST STP").size(), 1u);
  logger->ClearReceived();
  EXPECT_EQ(session.StopMeasurement(), 0);
  EXPECT_EQ(Received(), (std::vector<std::string>{"ST STP", "RD SYS"}));
}

TEST_F(SessionTest, AccessPointLines) {
  uint16_t flags = 0;
  EXPECT_EQ(session.SetAccessPoint(&flags, 0), 0);
  EXPECT_EQ(session.SetAccessPoint(&flags, 1), 0);
  EXPECT_EQ(ReceivedStarting("MAIL"), (std::vector<std::string>{"MAIL INI IIJ", "MAIL INI MDAP"}));

  logger->ClearReceived();
  auto& m = session.Working().mail;
  m.apn = "example.jp";
  m.apnUser = "";
  m.apnPassword = " ";
  m.apnAuth = "";
  EXPECT_EQ(session.SetAccessPoint(&flags, 2), 0);
  EXPECT_EQ(Received(),
            (std::vector<std::string>{"MAIL APN example.jp", "MAIL APU ", "MAIL APP ", "MAIL APA", "MAIL INI"}));

  logger->ClearReceived();
  logger->RefuseCommands("MAIL APN", -1);
  flags = 0;
  EXPECT_EQ(session.SetAccessPoint(&flags, 2), -1);
  EXPECT_EQ(flags, apply_flags::kApn);
  EXPECT_TRUE(ReceivedStarting("MAIL INI").empty());
  EXPECT_EQ(ReceivedStarting("MAIL APU").size(), 1u);
}

TEST_F(SessionTest, MailSettingsKeptWhenRefused) {
  ASSERT_FALSE(session.Current().mail.imei.empty());
  const auto before = session.Current().mail.apn;
  logger->RefuseCommands("MAIL DSP", 3);
  session.Current().mail.apn = "kept";
  EXPECT_EQ(session.ReadMailSettings(), 1);
  EXPECT_EQ(session.Current().mail.apn, "kept");
  EXPECT_EQ(ReceivedStarting("MAIL DSP").size(), 3u);
}

TEST_F(SessionTest, ImeiAntennaAndCurrentValues) {
  std::string imei;
  ASSERT_EQ(session.ReadImei(&imei), 0);
  EXPECT_EQ(imei, logger->State().mail.imei);

  int level = -99;
  logger->SetAntennaLevel(18);
  ASSERT_EQ(session.ReadAntenna(&level), 0);
  EXPECT_EQ(level, 18);
  level = -99;
  logger->SetAntennaLevel(std::nullopt);
  ASSERT_EQ(session.ReadAntenna(&level), 0);
  EXPECT_EQ(level, -99);  // no reading

  std::string values;
  ASSERT_EQ(session.ReadCurrentValues(&values), 0);
  std::vector<std::string> fields;
  EXPECT_EQ(SplitKeepingEmptyFields(values, &fields), 4);
  logger->RefuseCommands("RD REL", -1);
  EXPECT_EQ(session.ReadCurrentValues(&values), -1);
  EXPECT_EQ(ReceivedStarting("RD REL").size(), 4u);
}

TEST_F(SessionTest, ClearThatFailsOnEveryTryIsAFailure) {
  logger->PresetMemory(20);
  logger->RefuseCommands("ST CLR", -1);
  EXPECT_EQ(session.ClearMemory(), -1);
  EXPECT_EQ(ReceivedStarting("ST CLR").size(), 3u);
  logger->RefuseCommands("ST CLR", 0);
  EXPECT_EQ(session.ClearMemory(), 0);
  EXPECT_EQ(logger->State().record_count, 0u);
}

TEST_F(SessionTest, ClosedPortGivesNotConnected) {
  session.Close();
  uint16_t flags = 0;
  int level = 0;
  std::string text;
  EXPECT_EQ(session.ApplyMeasurementSettings(&flags), -3);
  EXPECT_EQ(session.ApplyThresholds(&flags), -3);
  EXPECT_EQ(session.StopMeasurement(), -3);
  EXPECT_EQ(session.SetAccessPoint(&flags, 0), -3);
  EXPECT_EQ(session.ReadAntenna(&level), -3);
  EXPECT_EQ(session.ReadCurrentValues(&text), -3);
  EXPECT_EQ(session.RestartModule(), -3);
  EXPECT_EQ(session.UpdateFirmware(firmware_image::SplitLines(":00\r\n"), 0, 0), -3);
  int64_t t;
  EXPECT_EQ(session.Open(logger->PortPath()), 0);
  EXPECT_EQ(session.GetDeviceClock(&t), 0);  // no reference right after an open
}

TEST_F(SessionTest, ErrorMessages) {
  session.SetErrorMessage(-3);
  EXPECT_EQ(session.ErrorMessage(), strings::Text(2505));
  session.SetErrorMessage(-1, "Err SMP");
  EXPECT_EQ(session.ErrorMessage(), strings::Text(2507) + "\r\nErr SMP");
  session.SetErrorMessage(0, "x");
  EXPECT_EQ(session.ErrorMessage(), strings::Text(2507) + "\r\nErr SMP");
  session.SetErrorMessage(-42);
  EXPECT_EQ(session.ErrorMessage(), strings::Text(2507));
  session.ClearMessages();
  EXPECT_TRUE(session.ErrorMessage().empty());
}

// ---- module restart: the '#' filter is off exactly while it runs

TEST_F(SessionTest, ModuleRestartSucceedsAndRestoresTheFilter) {
  EXPECT_EQ(session.RestartModule(), 0);
  EXPECT_EQ(port()->LineBuffer()->Filter(), 1);
  const auto lines = Received();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "at$ver"), lines.end());
  EXPECT_EQ(ReceivedStarting("dbg mtcoff").size(), 1u);
}

TEST_F(SessionTest, ModuleThatNeverSleepsFailsBothPasses) {
  logger->SetModuleNeverSleeps(true);
  EXPECT_EQ(session.RestartModule(), -1);
  EXPECT_EQ(port()->LineBuffer()->Filter(), 1);
  EXPECT_EQ(ReceivedStarting("dbg mtcoff").size(), 2u);
}

TEST_F(SessionTest, ModuleErrorIsNotRetriedAndRefusalsRestoreTheFilter) {
  logger->SetModuleError("mon");
  session.RestartModule();
  EXPECT_EQ(ReceivedStarting("mon").size(), 1u);  // one per pass, never retried
  logger->ClearReceived();
  logger->RefuseCommands("dbg mtcon", 1);
  EXPECT_EQ(session.RestartModule(), -6);
  EXPECT_EQ(port()->LineBuffer()->Filter(), 1);
  logger->RefuseCommands("INSPECT ON", -1);
  EXPECT_EQ(session.RestartModule(), -6);
  EXPECT_EQ(port()->LineBuffer()->Filter(), 1);
  logger->SilenceCommands("HELLO", -1);
  EXPECT_EQ(session.RestartModule(), -2);
}

// ---- firmware procedure

std::string Image(const char* eol) {
  std::string text;
  for (int i = 0; i < 6; ++i) text += ":10000000" + std::string(32, char('0' + i)) + "FF" + eol;
  return text;
}

TEST_F(SessionTest, FirmwareTransferSendsEveryLineWhateverTheLineEnds) {
  for (const char* eol : {"\r\n", "\n", "\r", "\r\n\r\n"}) {
    logger->ClearReceived();
    ASSERT_EQ(session.UpdateFirmware(firmware_image::SplitLines(Image(eol)), 0, 1), 0) << eol;
    const auto fw = logger->State().firmware_lines;
    ASSERT_GE(fw.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(fw.end() - 6, fw.end()), firmware_image::SplitLines(Image("\n")));
    EXPECT_TRUE(ReceivedStarting("ST STP").empty());  // not measuring
    EXPECT_EQ(ReceivedStarting("SYSINIT").size(), 1u);
    EXPECT_EQ(Received().back(), "ST RES");
    for (const auto& l : Received()) EXPECT_FALSE(l.empty());
  }
}

TEST_F(SessionTest, FirmwareStepResults) {
  logger->SetWeepMode(vlogger::WeepMode::kRefuse);
  EXPECT_EQ(session.UpdateFirmware(firmware_image::SplitLines(Image("\r\n")), 0, 0), -7);
  EXPECT_EQ(ReceivedStarting("WEEP").size(), 3u);
  EXPECT_EQ(Received().back(), "ST RES");            // the closing steps still run
  EXPECT_TRUE(ReceivedStarting("SYSINIT").empty());  // not forced

  logger->SetWeepMode(vlogger::WeepMode::kSucceed);
  logger->RefuseCommands("INSPECT ON", 3);
  EXPECT_EQ(session.UpdateFirmware(firmware_image::SplitLines(Image("\r\n")), 0, 0), -6);
  logger->RefuseCommands(":1000000000", 5);  // the first line goes through at its sixth try
  logger->ClearReceived();
  EXPECT_EQ(session.UpdateFirmware(firmware_image::SplitLines(Image("\r\n")), 0, 0), 0);
  EXPECT_EQ(ReceivedStarting(":1000000000").size(), 6u);
  logger->RefuseCommands("ST STP", 1);
  EXPECT_EQ(session.UpdateFirmware(firmware_image::SplitLines(Image("\r\n")), 1, 0), -6);
  logger->SilenceCommands("HELLO", -1);
  EXPECT_EQ(session.UpdateFirmware(firmware_image::SplitLines(Image("\r\n")), 0, 0), -2);
}

// ---- readout

TEST_F(SessionTest, HundredThousandRecordsArriveCompleteAndInOrder) {
  logger->PresetMemory(100000);
  ASSERT_EQ(proto().ReadAllStart(port(), -1, 0), rc::kOk);
  std::string text, all;
  all.reserve(4 << 20);
  int r, n = 0, last = 0;
  bool ordered = true;
  while ((r = proto().ReadRecordLine(port(), &text)) == rc::kDataLine) {
    const int id = std::atoi(text.c_str());
    if (n > 0 && id != (last + 1) % 100000) ordered = false;
    last = id;
    ++n;
    all += text;
  }
  EXPECT_EQ(r, rc::kEndLine);
  EXPECT_EQ(n, 100000);
  EXPECT_TRUE(ordered);
}

TEST_F(SessionTest, EscapeAbortEndsTheReadoutWithWhatArrived) {
  logger->PresetMemory(5000);
  logger->SetPaced(true);  // slow enough to abort in the middle
  ASSERT_EQ(proto().ReadAllStart(port(), 1, 5000), rc::kOk);
  EXPECT_EQ(Received().back(), "RD ALL 1 5000");
  std::string text;
  int n = 0, r;
  while ((r = proto().ReadRecordLine(port(), &text)) == rc::kDataLine) {
    if (++n == 20) {
      port()->Capture(&kAbortByte, 1, TrafficDirection::kSent);
      ASSERT_EQ(port()->Write(&kAbortByte, 1, 0), 1);
    }
  }
  EXPECT_EQ(r, rc::kEndLine);
  EXPECT_GE(n, 20);
  EXPECT_LT(n, 5000);
}

// While one thread's operation holds the session, a second one is refused
// and the first keeps the session; once it ends the session is free again.
TEST_F(SessionTest, SecondOperationIsRefusedWhileOneRuns) {
  logger->SilenceCommands("ST STP", 1);  // keeps the first stop waiting for its reply
  std::thread worker([this] {
    CDeviceSession::OperationGuard guard(session);
    ASSERT_TRUE(guard.Acquired());
    session.StopMeasurement();
  });
  ASSERT_TRUE(logger->WaitForReceived(
      [](const std::vector<std::string>& lines) { return std::count(lines.begin(), lines.end(), "ST STP") >= 1; },
      std::chrono::seconds(10)));
  {
    CDeviceSession::OperationGuard second(session);
    EXPECT_FALSE(second.Acquired());
    EXPECT_TRUE(session.OperationRunning());
  }
  worker.join();
  EXPECT_FALSE(session.OperationRunning());
  CDeviceSession::OperationGuard after(session);
  EXPECT_TRUE(after.Acquired());
}

}  // namespace

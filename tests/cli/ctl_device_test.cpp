// info, the readouts and the failure exits against a virtual logger of this
// process, a readout cut short by a signal, and output that cannot be
// written.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "command_line.h"
#include "ctl_fixture.h"

namespace {

using Lines = std::vector<std::string>;

class CtlDeviceTest : public CtlTest {
 protected:
  void SetUp() override {
    CtlTest::SetUp();
    vlogger::Options options;
    options.preset_records = 300;
    StartLogger(options);
  }
};

// "key: value" lines into a map.
std::map<std::string, std::string> KeyLines(const std::string& text) {
  std::map<std::string, std::string> values;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const size_t colon = line.find(": ");
    if (colon != std::string::npos) values[line.substr(0, colon)] = line.substr(colon + 2);
  }
  return values;
}

// The record IDs at the start of each CR LF line; fails on a line without CR LF.
std::vector<int> RecordIds(const std::string& text) {
  std::vector<int> ids;
  size_t pos = 0;
  for (size_t end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
    const std::string line = text.substr(pos, end - pos);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    ids.push_back(std::atoi(line.c_str()));
  }
  EXPECT_EQ(pos, text.size()) << "the text does not end with CR LF";
  return ids;
}

std::vector<int> Range(int first, int last) {
  std::vector<int> ids;
  for (int id = first; id <= last; ++id) ids.push_back(id);
  return ids;
}

TEST_F(CtlDeviceTest, InfoAsKeyLinesAndAsJson) {
  const auto state = logger->State();
  ChildResult r = CtlOnLogger({"info"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = KeyLines(r.out);
  EXPECT_EQ(lines.at("device"), "Quorvane-HX7");
  EXPECT_EQ(lines.at("version"), "1.07");
  EXPECT_EQ(lines.at("first_id"), std::to_string(state.first_id));
  EXPECT_EQ(lines.at("last_id"), std::to_string(state.last_id));
  EXPECT_EQ(lines.at("measuring"), "false");
  EXPECT_EQ(lines.at("battery_cutoff_mv"), std::to_string(state.battery_cutoff_mv));
  EXPECT_EQ(lines.at("apn"), state.mail.apn);

  r = CtlOnLogger({"info", "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const nlohmann::ordered_json j = nlohmann::ordered_json::parse(r.out);
  enum Kind { kText, kInteger, kNumber, kSwitch };
  const std::vector<std::pair<const char*, Kind>> fields = {{"device", kText},
                                                            {"version", kText},
                                                            {"serial", kText},
                                                            {"imei", kText},
                                                            {"first_id", kInteger},
                                                            {"last_id", kInteger},
                                                            {"clock", kText},
                                                            {"clock_offset_s", kInteger},
                                                            {"measuring", kSwitch},
                                                            {"start", kText},
                                                            {"next", kText},
                                                            {"sampling_s", kInteger},
                                                            {"event_sampling_s", kInteger},
                                                            {"interval", kInteger},
                                                            {"event_interval", kInteger},
                                                            {"upper_m", kNumber},
                                                            {"lower_m", kNumber},
                                                            {"upper_on", kSwitch},
                                                            {"lower_on", kSwitch},
                                                            {"battery_cutoff_mv", kInteger},
                                                            {"apn", kText},
                                                            {"apn_user", kText},
                                                            {"apn_password", kText},
                                                            {"apn_auth", kText},
                                                            {"host", kText},
                                                            {"port", kText},
                                                            {"post", kText},
                                                            {"mydial", kText}};
  auto is = [](const nlohmann::ordered_json& v, Kind kind) {
    switch (kind) {
      case kText: return v.is_string();
      case kInteger: return v.is_number_integer();
      case kNumber: return v.is_number();
      case kSwitch: return v.is_boolean();
    }
    return false;
  };
  ASSERT_EQ(j.size(), fields.size());
  size_t i = 0;
  for (const auto& [key, value] : j.items()) {
    EXPECT_EQ(key, fields[i].first);
    EXPECT_TRUE(is(value, fields[i].second)) << key << " " << value.dump();
    ++i;
  }
  for (const char* key : {"clock", "start", "next"})
    EXPECT_TRUE(HasShape(j[key].get<std::string>(), "9999-99-99 99:99:99")) << key;
  EXPECT_EQ(j["last_id"], state.last_id);
  EXPECT_DOUBLE_EQ(j["upper_m"].get<double>(), state.upper_threshold);
  EXPECT_EQ(j["port"], state.mail.port);
}

TEST_F(CtlDeviceTest, ReadDataSavesTheWholeMemoryUnderTheViewersName) {
  const ChildResult r = CtlOnLogger({"read-data"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Lines files = Files();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_TRUE(HasShape(files[0], "TXL_ALL_99999999_999999.txt")) << files[0];
  EXPECT_EQ(r.out, files[0] + "\n");
  EXPECT_EQ(RecordIds(ReadFile(Path(files[0]))), Range(1, 300));
  EXPECT_EQ(LinesFromToolStarting({"RD ALL"}), Lines{"RD ALL 1 300"});
}

TEST_F(CtlDeviceTest, ReadDataRangeEndsAtTheLastId) {
  const ChildResult r = CtlOnLogger({"read-data", "--last", "50", "--count", "10", "-o", "part.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(RecordIds(ReadFile(Path("part.txt"))), Range(41, 50));
  EXPECT_EQ(LinesFromToolStarting({"RD ALL"}), Lines{"RD ALL 41 10"});
}

TEST_F(CtlDeviceTest, FullMemoryReadsOnlyTheRecordsAskedFor) {
  // First ID 1, last ID 0: all 100,000 records.
  logger->PresetMemory(100000, 1);
  const ChildResult r = CtlOnLogger({"read-data", "--count", "10", "-o", "last.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(LinesFromToolStarting({"RD ALL"}), Lines{"RD ALL 99991 10"});
  std::vector<int> ids = Range(99991, 99999);
  ids.push_back(0);
  EXPECT_EQ(RecordIds(ReadFile(Path("last.txt"))), ids);
}

TEST_F(CtlDeviceTest, ReadErrorsSavesEachLineWithCrLf) {
  logger->SetErrorLog({"26/01/02 10:11:12,E03,LOW BATTERY", "26/01/05 21:45:09,E07,SENSOR TIMEOUT"});
  ChildResult r = CtlOnLogger({"read-errors"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Lines files = Files();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_TRUE(HasShape(files[0], "TXL_ERR_99999999_999999.txt")) << files[0];
  EXPECT_EQ(ReadFile(Path(files[0])), "26/01/02 10:11:12,E03,LOW BATTERY\r\n26/01/05 21:45:09,E07,SENSOR TIMEOUT\r\n");

  logger->SetErrorLog({});
  r = CtlOnLogger({"read-errors", "-o", "empty.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadFile(Path("empty.txt")), "");
  EXPECT_EQ(Files().size(), 2u);
}

// A command whose logger refuses the commands with a prefix.
struct RefusalCase {
  std::vector<std::string> args;
  std::string refused;
  std::string before;  // standard error: before, the text of the id, after
  uint32_t id;
  std::string after = "";
};

class CtlRefusalTest : public CtlDeviceTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(CtlRefusalTest, EndsWithStatus1AndTheMessage) {
  const RefusalCase& c = GetParam();
  logger->RefuseCommands(c.refused, -1);
  const ChildResult r = CtlOnLogger(c.args);
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_EQ(r.err, c.before + TerminalText(c.id) + c.after + "\n");
  EXPECT_TRUE(Files().empty());
}

constexpr uint32_t kFailed = strings::id::kFailed;

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, CtlRefusalTest,
    ::testing::Values(
        RefusalCase{{"info"}, "HELLO", "", strings::id::kNoResponse},
        RefusalCase{{"set-battery", "3.3"}, "ST BAT", "バッテリ警告: ", kFailed},
        RefusalCase{{"set-thresholds", "--upper", "1"}, "ST ALM", "判定基準: ", kFailed},
        RefusalCase{{"start", "--tx", "5"}, "ST ITV ", "測定設定: ", kFailed, "\nErr ITV"},
        RefusalCase{{"set-apn", "--name", "n", "--user", "u", "--password", "p"},
                    "MAIL AP",
                    "アクセスポイント: ",
                    kFailed,
                    "\nError: ( -APN-APU-APP-APA )"},
        RefusalCase{
            {"set-apn", "--preset", "iij"}, "MAIL INI", "アクセスポイント: ", strings::id::kModuleSettingFailed},
        RefusalCase{{"stop"}, "ST STP", "", kFailed}, RefusalCase{{"clear", "--yes", "--force"}, "ST CLR", "", kFailed},
        RefusalCase{{"reset", "--yes", "--force"}, "ST RES", "", kFailed},
        RefusalCase{{"sync-time"}, "MAIL TIME", "", strings::id::kErrorFailedShort},
        RefusalCase{{"restart-module", "--yes"}, "INSPECT ON", "", strings::id::kErrorFailedShort},
        RefusalCase{{"antenna"}, "RD ANT", "", kFailed}, RefusalCase{{"imei"}, "MAIL IMEI", "", kFailed},
        RefusalCase{{"test-mail"}, "MAIL START", "", kFailed}, RefusalCase{{"current"}, "RD REL", "", kFailed},
        RefusalCase{{"read-errors", "-o", "e.txt"}, "RD ERR", "", kFailed},
        RefusalCase{{"read-data", "-o", "d.txt"}, "RD ALL", "", kFailed}));

TEST_F(CtlDeviceTest, RefusedAccessPointFieldsAreNamedAndNotApplied) {
  logger->RefuseCommands("MAIL APN", -1);
  logger->RefuseCommands("MAIL APP", -1);
  const ChildResult r = CtlOnLogger({"set-apn", "--name", "n", "--password", "p"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "アクセスポイント: " + Text(kFailed) + "\nError: ( -APN-APP )\n");
  EXPECT_TRUE(LinesFromToolStarting({"MAIL INI"}).empty());
}

TEST_F(CtlDeviceTest, SilentLoggerGivesNoResponse) {
  logger->SilenceCommands("", -1);
  const ChildResult r = CtlOnLogger({"info"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, Text(strings::id::kNoResponse) + "\n");
}

// Each port that cannot be opened says why, below the usual message.
TEST_F(CtlDeviceTest, PortThatCannotBeOpenedTellsWhy) {
  WriteFile(Path("passwd"), "root:x:0:0::/root:/bin/sh\n");
  CDeviceSession holder;  // another process holds the logger's port
  ASSERT_EQ(holder.Open(logger->PortPath()), 0);
  struct Case {
    std::string path;
    std::string reason;
    uint32_t hint;
  };
  const Case cases[] = {
      {Path("no-such-tty"), "No such file or directory", strings::id::kPortHintNoSuchDevice},
      {Path("passwd"), "Inappropriate ioctl for device", strings::id::kPortHintNotSerial},
      {logger->PortPath(), "Device or resource busy", strings::id::kPortHintInUse},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const ChildResult r = Ctl({"--port", c.path, "info"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              Text(strings::id::kPortCannotOpen) + "\n(" + c.path + ": " + c.reason + ")\n" + Text(c.hint) + "\n");
  }
  holder.Close();
  EXPECT_EQ(CtlOnLogger({"info"}).exitCode, 0);  // free again
}

TEST_F(CtlDeviceTest, NotASettingsFileIsRefusedBeforeAnythingIsSent) {
  WriteFile(Path("bad.txi"), "[zeb_txli]\r\nBATTERY_ALART,3000\r\n");
  const ChildResult r = CtlOnLogger({"apply", "bad.txi"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, Text(strings::id::kNotValidFile) + "\n(bad.txi)\n");
  EXPECT_EQ(BytesFromTool(), "");
}

TEST_F(CtlDeviceTest, TestMailWhileMeasuringAsksToStopFirst) {
  ASSERT_EQ(CtlOnLogger({"start", "--at", "2030-01-02 03:04"}).exitCode, 0);
  logger->ClearReceived();
  const ChildResult r = CtlOnLogger({"test-mail"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, Text(strings::id::kStopMeasurementFirst) + "\n");
  EXPECT_TRUE(LinesFromToolStarting({"MAIL START"}).empty());
}

TEST_F(CtlDeviceTest, EnglishMessages) {
  logger->RefuseCommands("ST STP", -1);
  const ChildResult r = CtlOnLogger({"--lang", "en", "stop"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Error! The operation failed.\n");
}

// Ctrl+C, SIGTERM and SIGHUP (the terminal closed) send the abort byte; the
// logger ends the listing, the records that arrived are saved, and the exit
// status says that the readout is incomplete.
TEST_F(CtlTest, InterruptedReadoutKeepsWhatArrived) {
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(sig));
    vlogger::Options options;
    options.preset_records = 1000;
    options.paced = true;  // 9600 baud: the whole memory would take about 40 s
    StartLogger(options);
    ChildProcess child;
    Launch(child, OnLogger({"read-data", "-o", "data.txt"}));
    ASSERT_TRUE(logger->WaitForReceived(
        [](const Lines& lines) { return std::find(lines.begin(), lines.end(), "RD ALL 1 1000") != lines.end(); },
        std::chrono::seconds(20)));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (logger->BytesSent() < 2000 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));  // waiting for some records on the line
    child.Signal(sig);
    const ChildResult r = child.Finish();
    EXPECT_EQ(r.exitCode, exit_status::kIncomplete) << r.err;
    EXPECT_EQ(r.err, Text(strings::id::kAborted) + "\n");
    EXPECT_NE(logger->ReceivedBytes().find('\x1b'), std::string::npos);
    const std::vector<int> ids = RecordIds(ReadFile(Path("data.txt")));
    ASSERT_FALSE(ids.empty());
    EXPECT_LT(ids.size(), 1000u);
    EXPECT_EQ(ids, Range(1, static_cast<int>(ids.size())));
    logger->Stop();
  }
}

// The tool killed in the middle of a readout while the logger keeps
// streaming (it would for about an hour at 9600 baud): the next run stops the
// listing with the abort byte and connects.
TEST_F(CtlTest, ConnectAfterAKilledReadoutStopsTheListing) {
  vlogger::Options options;
  options.preset_records = 20000;  // more than arrives before the kill
  StartLogger(options);
  logger->SetEndlessListing(true);
  ChildProcess child;
  Launch(child, OnLogger({"read-data", "-o", "data.txt"}));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (logger->BytesSent() < 200000 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // well into the listing
  child.Signal(SIGKILL);
  child.Finish();
  ASSERT_EQ(logger->ReceivedBytes().find('\x1b'), std::string::npos);

  // Speed-dependent: "still talking" is told from a 100 ms pause (scaled); at
  // the usual test scale a busy machine makes such a pause in the stream, at
  // 0.2 a loaded one still does (the same as BoundedWaitTest).
  ChildProcess info;
  ASSERT_TRUE(info.Start(QHX_CTL_PATH, OnLogger({"info"}), dir_.string(),
                         {"QHX_TIME_SCALE=" + std::to_string(std::max(Scale(), 0.5))}));
  const ChildResult r = info.Finish();
  EXPECT_EQ(r.exitCode, exit_status::kOk) << r.err;
  EXPECT_NE(logger->ReceivedBytes().find('\x1b'), std::string::npos);
  EXPECT_NE(r.out.find("Quorvane-HX7"), std::string::npos) << r.out;
}

// Output that cannot be written is a failure, whatever the logger said.
TEST_F(CtlTest, StandardOutputThatCannotBeWrittenFails) {
  ChildProcess child;
  ASSERT_TRUE(child.Start("/bin/sh", {"-c", "exec \"$0\" \"$@\" >/dev/full", QHX_CTL_PATH, "--simulate", "info"},
                          dir_.string(), {"QHX_TIME_SCALE=" + std::to_string(Scale())}));
  const ChildResult r = child.Finish();
  EXPECT_EQ(r.exitCode, exit_status::kFailed);
  EXPECT_NE(r.err.find(std::strerror(ENOSPC)), std::string::npos) << r.err;
}

// A readout saved through a dangling link lands where the link points.
TEST_F(CtlTest, ReadoutThroughADanglingLinkCreatesItsTarget) {
  ASSERT_EQ(symlink("kept.txt", Path("link.txt").c_str()), 0);
  const ChildResult r = Ctl({"--simulate", "--sim-records", "20", "read-data", "-o", "link.txt"});
  EXPECT_EQ(r.exitCode, exit_status::kOk) << r.err;
  EXPECT_EQ(RecordIds(ReadFile(Path("kept.txt"))), Range(1, 20));
  EXPECT_TRUE(std::filesystem::is_symlink(Path("link.txt")));
}

}  // namespace

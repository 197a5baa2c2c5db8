#pragma once
// A virtual logger on a pseudo-terminal and a device session connected to it,
// with the protocol's time-outs shortened through the time seam.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/timing.h"
#include "log/traffic_capture.h"
#include "session/device_session.h"
#include "virtual_logger.h"

class LoggerTest : public ::testing::Test {
 protected:
  // Protocol time-outs run at this fraction; QHX_TEST_TIME_SCALE overrides it
  // (slower sanitizer builds use a larger value).
  static double Scale() {
    const char* env = std::getenv("QHX_TEST_TIME_SCALE");
    return env != nullptr ? std::atof(env) : 0.05;
  }

  void SetUp() override {
    timing::SetTimeScale(Scale());
    ASSERT_EQ(log.Ring().Allocate(), 1);
    session.SetTrafficSink(&log);
    logger = std::make_unique<vlogger::VirtualLogger>(options);
    ASSERT_TRUE(logger->Start()) << logger->LastError();
    ASSERT_EQ(session.Open(logger->PortPath()), 0);
  }

  void TearDown() override {
    session.Close();
    logger->Stop();
    timing::SetTimeScale(1.0);
  }

  CRSPort* port() { return session.PortPtr(); }
  CComCtrlVTrelix7& proto() { return session.Protocol(); }
  std::vector<std::string> Received() { return logger->ReceivedLines(); }
  // The received lines that start with prefix, in order.
  std::vector<std::string> ReceivedStarting(const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& l : logger->ReceivedLines())
      if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
    return out;
  }
  // Connect check as the main frame runs it.
  void Connect() {
    ASSERT_EQ(session.Identify(), 1);
    session.RefreshSystemInfo();
    session.ReadMailSettings();
  }

  vlogger::Options options;
  CMLog log;
  std::unique_ptr<vlogger::VirtualLogger> logger;
  CDeviceSession session;
};

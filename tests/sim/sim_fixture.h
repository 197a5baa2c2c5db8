#pragma once
// A started virtual logger and one raw client on its line.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pty_client.h"
#include "sim/virtual_logger.h"

namespace simtest {

using Lines = std::vector<std::string>;

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(logger_.Start()) << logger_.LastError();
    client_ = std::make_unique<PtyClient>(logger_.PortPath());
    ASSERT_TRUE(client_->IsOpen());
  }

  PtyClient& client() { return *client_; }

  // Key -> value of a "RD SYS" / "MAIL DSP" listing (value after the first blank).
  static std::map<std::string, std::string> Keyed(const Lines& lines) {
    std::map<std::string, std::string> keyed;
    for (const auto& line : lines) {
      const size_t blank = line.find(' ');
      keyed[line.substr(0, blank)] = blank == std::string::npos ? "" : line.substr(blank + 1);
    }
    return keyed;
  }

  // "ID,yy/mm/dd hh:mm:ss,battery,level": '#' stands for a digit.
  static bool IsRecordLine(const std::string& line) {
    const std::string head = "#####,##/##/## ##:##:##,#.###,";
    if (line.size() < head.size() + 6) return false;
    for (size_t i = 0; i < head.size(); ++i) {
      const bool digit = std::isdigit(static_cast<unsigned char>(line[i])) != 0;
      if (head[i] == '#' ? !digit : line[i] != head[i]) return false;
    }
    std::string level = line.substr(head.size());
    if (level[0] == '-') level.erase(0, 1);
    const size_t point = level.find('.');
    if (point == std::string::npos || point == 0 || level.size() - point != 5) return false;
    level.erase(point, 1);
    return level.find_first_not_of("0123456789") == std::string::npos;
  }

  vlogger::VirtualLogger logger_;
  std::unique_ptr<PtyClient> client_;
};

}  // namespace simtest

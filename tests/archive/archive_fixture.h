#pragma once
// A fresh folder for each test's archive file, and record lines to fill it.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/readout_writer.h"
#include "archive/record_line.h"

class ArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/qhx_archive_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
    path = dir + "/archive.sqlite";
  }
  void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

  // "IIIII,yy/mm/dd hh:mm:ss,V.VVV,level" (battery given in millivolts) for ID id, `minute` minutes after
  // 2026-01-03 00:00.
  static std::string Line(int id, int minute, int mv = 3612, const char* level = "1.2345") {
    const std::string iso = archive::IsoTime(archive::CalendarSeconds(2026, 1, 3, 0, 0, 0) + int64_t{minute} * 60);
    char text[64];
    std::snprintf(text, sizeof text, "%05d,%s/%s/%s %s,%d.%03d,%s", id, iso.substr(2, 2).c_str(),
                  iso.substr(5, 2).c_str(), iso.substr(8, 2).c_str(), iso.substr(11).c_str(), mv / 1000, mv % 1000,
                  level);
    return text;
  }
  static std::vector<std::string> Lines(int firstId, int count, int firstMinute) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(Line((firstId + i) % 100000, firstMinute + i * 10));
    return out;
  }

  // One whole readout through the writer; returns the records it added.
  int64_t Readout(archive::Archive& a, const std::vector<std::string>& lines, const std::string& serial = "S100") {
    archive::ReadoutWriter w(a);
    EXPECT_TRUE(w.BeginReadout({serial, "HX7", "1.07", ""}, {0, 0}, 1000).ok());
    EXPECT_TRUE(w.AddRecordLines(lines).ok());
    EXPECT_TRUE(w.EndReadout(static_cast<int64_t>(lines.size()), true, 1001).ok());
    return w.Added();
  }

  // A single integer from a query on a connection of its own.
  int64_t Query(const std::string& sql) {
    sqlite3* db = nullptr;
    int64_t v = -1;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
      sqlite3_stmt* st = nullptr;
      if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        v = sqlite3_column_int64(st, 0);
      sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return v;
  }

  static std::string ReadFile(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::string dir;
  std::string path;
};

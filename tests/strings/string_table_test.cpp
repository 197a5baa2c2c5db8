#include "common/string_table.h"

#include <gtest/gtest.h>

#include "../support/temp_path.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

class TempCatalogue {
 public:
  explicit TempCatalogue(const std::string& content) {
    path_ = UniqueTempPath("qhx_cat_").string();
    std::ofstream(path_, std::ios::binary) << content;
  }
  ~TempCatalogue() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class StringTable : public ::testing::Test {
 protected:
  void TearDown() override { strings::ClearCatalogue(); }
};

TEST_F(StringTable, BuiltInTextsAreExactUtf8) {
  EXPECT_STREQ(strings::BuiltIn(strings::id::kFailed), "エラー！ 失敗しました");
  // Two ASCII blanks after the exclamation mark.
  EXPECT_STREQ(strings::BuiltIn(strings::id::kModuleTypeMismatch), "エラー！  機器が異なります");
  EXPECT_STREQ(strings::BuiltIn(strings::id::kImeiUnavailable),
               "IMEIを取得できません。\r\nSIMカードを確認してください。");
  EXPECT_STREQ(strings::BuiltIn(strings::id::kDialogFontFace), "ＭＳ ゴシック");
  EXPECT_STREQ(strings::BuiltIn(strings::id::kAppTitle), "Tessalo-HX Control Software");
  EXPECT_STREQ(strings::BuiltIn(strings::id::kSettingItemName0 + 22), "測定設定");
  EXPECT_EQ(strings::BuiltIn(2508), nullptr);
  EXPECT_EQ(strings::BuiltIn(0), nullptr);
}

TEST_F(StringTable, BuiltInIdsAreUniqueAndNotEmpty) {
  const auto ids = strings::BuiltInIds();
  EXPECT_EQ(std::set<uint32_t>(ids.begin(), ids.end()).size(), ids.size());
  for (uint32_t id : ids) {
    ASSERT_NE(strings::BuiltIn(id), nullptr) << id;
    EXPECT_STRNE(strings::BuiltIn(id), "") << id;
  }
}

TEST_F(StringTable, WithoutCatalogueTextIsJapaneseThenFallback) {
  EXPECT_FALSE(strings::CatalogueLoaded());
  EXPECT_EQ(strings::Text(strings::id::kSuccess), "成功");
  EXPECT_EQ(strings::Text(strings::id::kSuccess, "Success"), "成功");
  EXPECT_EQ(strings::Text(99999), "");
  EXPECT_EQ(strings::Text(99999, "Err!"), "Err!");
  EXPECT_EQ(strings::Text(99999, nullptr), "");
}

TEST_F(StringTable, ShippedCatalogueCoversEveryBuiltInId) {
  ASSERT_TRUE(strings::LoadCatalogue(QHX_CATALOGUE));
  // CatalogueHas is false also for an entry dropped because its printf
  // conversions differ from the Japanese text.
  for (uint32_t id : strings::BuiltInIds()) {
    EXPECT_TRUE(strings::CatalogueHas(id)) << "no English text for " << id;
    EXPECT_NE(strings::Text(id), "") << id;
  }
  EXPECT_EQ(strings::Text(strings::id::kFailed), "Error! The operation failed.");
  EXPECT_EQ(strings::Text(strings::id::kConfirmModuleRestart),
            "The communication module will be restarted.\r\nDo you want to continue?");
}

TEST_F(StringTable, CatalogueReplacesTextsIdById) {
  TempCatalogue cat(
      "# comment\n"
      "\n"
      "2507\tError! Failed.\n"
      "60000\tOnly in the catalogue\n");
  ASSERT_TRUE(strings::LoadCatalogue(cat.path()));
  EXPECT_TRUE(strings::CatalogueLoaded());
  EXPECT_EQ(strings::Text(2507), "Error! Failed.");
  EXPECT_EQ(strings::Text(2507, "Err!"), "Error! Failed.");
  EXPECT_EQ(strings::Text(2510), "成功");  // not in the catalogue: Japanese
  EXPECT_EQ(strings::Text(60000), "Only in the catalogue");
  EXPECT_EQ(strings::Text(60001, "fallback"), "fallback");
  EXPECT_STREQ(strings::BuiltIn(2507), "エラー！ 失敗しました");

  strings::ClearCatalogue();
  EXPECT_FALSE(strings::CatalogueLoaded());
  EXPECT_EQ(strings::Text(2507), "エラー！ 失敗しました");
  EXPECT_EQ(strings::Text(60000), "");
}

TEST_F(StringTable, CatalogueLinesAndEscapes) {
  struct Case {
    const char* name;
    std::string line;
    uint32_t id;
    bool present;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"CR LF escape", "2513\tErase?\\r\\nContinue?", 2513, true, "Erase?\r\nContinue?"},
      {"tab and backslash", "100\ta\\tb\\\\n", 100, true, "a\tb\\n"},
      {"unknown escape kept", "101\tC:\\temp\\x", 101, true, "C:\temp\\x"},
      {"trailing backslash kept", "102\tend\\", 102, true, "end\\"},
      {"CR LF line end of the file", "103\tWindows line\r", 103, true, "Windows line"},
      {"empty text is a text", "104\t", 104, true, ""},
      {"blanks kept", "105\t  two  ", 105, true, "  two  "},
      {"no tab", "106 no tab", 106, false, ""},
      {"id not a number", "1O7\tletter O", 107, false, ""},
      {"id too large", "4294967296\toverflow", 0, false, ""},
      {"blank before id", " 108\tblank", 108, false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempCatalogue cat(c.line + "\n");
    ASSERT_TRUE(strings::LoadCatalogue(cat.path()));
    EXPECT_EQ(strings::CatalogueHas(c.id), c.present);
    if (c.present) {
      EXPECT_EQ(strings::Text(c.id), c.text);
    }
  }
}

TEST_F(StringTable, ByteOrderMarkAndDuplicateIds) {
  TempCatalogue cat(
      "\xEF\xBB\xBF"
      "2510\tFirst\n2510\tSecond\n");
  ASSERT_TRUE(strings::LoadCatalogue(cat.path()));
  EXPECT_EQ(strings::Text(2510), "Second");
}

TEST_F(StringTable, EntryWithOtherPrintfConversionsIsNotUsed) {
  // The readout range text is formatted with three longs.
  TempCatalogue cat(
      "3502\tRecords: %s (ID: %ld - ID: %ld)\n"
      "2507\tError 100%% failed: %d\n"
      "2510\tDone (%-5ld%%)\n");
  ASSERT_TRUE(strings::LoadCatalogue(cat.path()));
  EXPECT_EQ(strings::Text(3502), "データ数: %ld   (ID: %ld - ID: %ld)");
  EXPECT_EQ(strings::Text(2507), "エラー！ 失敗しました");
  EXPECT_EQ(strings::Text(2510), "成功");

  TempCatalogue good("3502\tRecords: %5ld (ID: %ld - %ld) 100%%\n");
  ASSERT_TRUE(strings::LoadCatalogue(good.path()));
  EXPECT_EQ(strings::Text(3502), "Records: %5ld (ID: %ld - %ld) 100%%");
}

TEST_F(StringTable, FailedLoadKeepsThePreviousCatalogue) {
  TempCatalogue cat("2507\tEnglish\n");
  ASSERT_TRUE(strings::LoadCatalogue(cat.path()));
  EXPECT_FALSE(strings::LoadCatalogue("/nonexistent/TessaHXResE.txt"));
  EXPECT_FALSE(strings::LoadCatalogue(std::filesystem::temp_directory_path().string()));
  EXPECT_TRUE(strings::CatalogueLoaded());
  EXPECT_EQ(strings::Text(2507), "English");
}

TEST_F(StringTable, ReadsWhileTheCatalogueChanges) {
  TempCatalogue cat("2507\tEnglish\n");
  std::atomic<bool> stop{false};
  std::vector<std::thread> readers;
  for (int i = 0; i < 3; ++i) {
    readers.emplace_back([&] {
      while (!stop.load()) {
        const std::string t = strings::Text(2507);
        ASSERT_TRUE(t == "English" || t == "エラー！ 失敗しました") << t;
      }
    });
  }
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(strings::LoadCatalogue(cat.path()));
    strings::ClearCatalogue();
  }
  stop = true;
  for (auto& t : readers) t.join();
}

}  // namespace

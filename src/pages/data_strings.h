#pragma once
// Ids of the texts of the recorded-data page, the readout range dialog and the
// data viewer in the string table.
#include <cstdint>

namespace strings::id {
// Recorded-data page
constexpr uint32_t kReadDataButton = 6000;      // "データ読み込み"
constexpr uint32_t kReadErrorLogButton = 6001;  // "エラーログ読込"
constexpr uint32_t kClearDataButton = 6002;     // "データのクリア"
constexpr uint32_t kClearDataNote = 6003;       // the two notes on clearing
constexpr uint32_t kReadNewDataButton = 9014;   // "新しいデータ読み込み"

// Readout range dialog
constexpr uint32_t kReadoutRangeTitle = 6010;   // "回収データ指定"
constexpr uint32_t kReadoutLastIdLabel = 6011;  // "最終ID"
constexpr uint32_t kReadoutCountLabel = 6012;   // "個数"
constexpr uint32_t kCancelButton = 6013;        // "キャンセル"

// Data viewer
constexpr uint32_t kViewerTitle = 6020;       // "取得データ"
constexpr uint32_t kViewerSave = 6021;        // "保存"
constexpr uint32_t kViewerClose = 6022;       // "閉じる"
constexpr uint32_t kViewerIncomplete = 6023;  // title mark of a readout that broke off
}  // namespace strings::id

#pragma once
// Ids of the texts of the level chart and the archive window in the string
// table (9100-9199).
#include <cstdint>

namespace strings::id {
// Level chart
constexpr uint32_t kChartLevelSeries = 9100;     // "水位 (m)"
constexpr uint32_t kChartBatterySeries = 9101;   // "電池電圧 (V)"
constexpr uint32_t kChartUpperLimit = 9102;      // "上限"
constexpr uint32_t kChartLowerLimit = 9103;      // "下限"
constexpr uint32_t kChartLimitOn = 9104;         // "有効"
constexpr uint32_t kChartLimitOff = 9105;        // "無効"
constexpr uint32_t kChartResetZoom = 9106;       // "全体表示"
constexpr uint32_t kChartSaveImage = 9107;       // "グラフ保存"
constexpr uint32_t kChartTimeAxis = 9108;        // "ロガー時刻"
constexpr uint32_t kChartLevelCaption = 9110;    // "水位"
constexpr uint32_t kChartBatteryCaption = 9111;  // "電池"

// Archive window
constexpr uint32_t kArchiveWindowTitle = 9120;   // "データ保存ファイル"
constexpr uint32_t kArchiveMenuItem = 9121;      // "データ保存ファイル(&A)..."
constexpr uint32_t kArchiveSerialColumn = 9122;  // "シリアル番号"
constexpr uint32_t kArchiveCountColumn = 9123;   // "データ数"
constexpr uint32_t kArchiveFirstColumn = 9124;   // "最初のデータ"
constexpr uint32_t kArchiveLastColumn = 9125;    // "最後のデータ"
constexpr uint32_t kArchiveVisitColumn = 9126;   // "最終接続"
constexpr uint32_t kArchiveDriftColumn = 9127;   // "時計のずれ (秒/日)"
constexpr uint32_t kArchiveFromLabel = 9128;     // "開始"
constexpr uint32_t kArchiveToLabel = 9129;       // "終了"
constexpr uint32_t kArchivePlotButton = 9130;    // "表示"
constexpr uint32_t kArchiveExportCsv = 9131;     // "CSV出力"
constexpr uint32_t kArchiveExportJsonl = 9132;   // "JSON Lines出力"
constexpr uint32_t kArchiveIdColumn = 9133;      // "ID"
constexpr uint32_t kArchiveTimeColumn = 9134;    // "ロガー時刻"
constexpr uint32_t kArchiveChartTab = 9135;      // "グラフ"
constexpr uint32_t kArchiveTableTab = 9136;      // "表"
constexpr uint32_t kArchiveCloseButton = 9137;   // "閉じる"
constexpr uint32_t kArchiveNameColumn = 9138;    // "名前"
constexpr uint32_t kArchiveExported = 9139;      // "%ld 件を出力しました。"
}  // namespace strings::id

#pragma once
// The recorded-data page ("データ収録"): reads the stored records (after
// asking for the range) or the error log out of the logger and shows them in
// the data viewer, and clears the logger's memory.
#include <cstdint>
#include <string>

#include "operations/record_readout.h"
#include "pages/device_page.h"
#ifdef QHX_HAVE_ARCHIVE
#include "operations/unread_check.h"
#endif

class QPushButton;

class CDlgMainRecodeData : public CDevicePage {
  Q_OBJECT
 public:
  // What DoWork does.
  enum WorkKind : uint8_t {
    kReadRecords = 0,
    kReadErrorLog = 1,
    kClearMemory = 2,
    kRefreshSystemInfo = 3,  // the quick refresh when no main frame runs it
    kReadNewRecords = 4,     // the records after the newest archived one
    kCheckUnread = 5,        // before a clear: held records the archive lacks
  };

  explicit CDlgMainRecodeData(CDeviceHost& host, QWidget* parent = nullptr);
  // Joins a running worker before the members its work uses are destroyed.
  ~CDlgMainRecodeData() override;

  // Enables the two read buttons exactly while the port is open.
  void Refresh() override;

  // On the worker thread: the work of the current work kind. 1 success, 0 failure.
  int DoWork() override;
  // Runs the current work kind behind the progress dialog (abortable for a
  // record readout) and shows the session's error or result message.
  int RunWork();

  // The range of the last record readout and the text read last.
  int32_t FirstId() const { return firstId_; }
  int32_t Count() const { return count_; }
  const std::string& Text() const { return text_; }
  // True when the text is what a record readout got before it broke off.
  bool TextIncomplete() const { return textIncomplete_; }

 public slots:
  void OnReadData();
  void OnReadNewData();
  void OnReadErrorLog();
  void OnClearData();

 private:
  int ReadRecords();
  // The readout's outcome into the page's state and the session's messages.
  int TakeReadout(const ops::ReadoutResult& r);
  void ShowRecords(int result);
  int ReadErrorLog();
  int ClearMemory();
  // The question before a clear: the usual one, preceded by what would be
  // lost when the logger holds records the archive lacks or that could not
  // be checked. Empty when the page was hidden while checking.
  QString ClearQuestion();
  void QuickRefresh();
  void SetMainFrameEnabled(bool enabled);
  void ShowViewer(int kind, bool incomplete);

  int32_t firstId_ = 0;
  int32_t count_ = 0;
  uint8_t workKind_ = kReadRecords;
  std::string text_;
  bool textIncomplete_ = false;
#ifdef QHX_HAVE_ARCHIVE
  ops::UnreadCheck unreadCheck_;
#endif

  QPushButton* readData_;
  QPushButton* readNewData_;
  QPushButton* readErrorLog_;
  QPushButton* clearData_;
};

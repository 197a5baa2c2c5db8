#pragma once
// The windows' host in the widget tests: a session, an archive access and the
// dialog fonts of its own, and no main window. A page's request for a device
// operation or a refresh of all pages is recorded, not run, since that is the
// main window's work.
#include <QFont>

#include <memory>
#include <string>
#include <vector>

#include "common/string_table.h"
#include "work/device_host.h"

class TestDeviceHost : public CDeviceHost {
 public:
  // Point sizes of the two fonts; they differ, so that a test can tell them.
  static constexpr int kDialogPointSize = 9;
  static constexpr int kMeasurePagePointSize = 8;

  CDeviceSession& Session() override { return session_; }
#ifdef QHX_HAVE_ARCHIVE
  ops::ArchiveAccess& Archive() override { return *archive_; }
  // An empty path: no archive.
  void SetArchivePath(const std::string& path) {
    archive_ = path.empty() ? std::make_unique<ops::ArchiveAccess>() : std::make_unique<ops::ArchiveAccess>(path);
  }
#endif
  QFont DialogFont() const override { return Font(kDialogPointSize); }
  QFont MeasurePageFont() const override { return Font(kMeasurePagePointSize); }
  QWidget* Frame() override { return nullptr; }
  void RunDeviceOperation(QWidget*, int item, int flags) override { requested.push_back({item, flags}); }
  void RefreshPages() override { ++refreshes; }

  struct Request {
    int item;
    int flags;
  };
  std::vector<Request> requested;
  int refreshes = 0;

 private:
  static QFont Font(int pointSize) {
    QFont f(QString::fromStdString(strings::Text(strings::id::kDialogFontFace)));
    f.setPointSize(pointSize);
    return f;
  }

  CDeviceSession session_;
#ifdef QHX_HAVE_ARCHIVE
  std::unique_ptr<ops::ArchiveAccess> archive_ = std::make_unique<ops::ArchiveAccess>();
#endif
};

// The one host of a test program, made on first use.
inline TestDeviceHost& Host() {
  static TestDeviceHost host;
  return host;
}

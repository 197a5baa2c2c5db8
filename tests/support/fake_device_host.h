#pragma once
// A device host for windows tested on their own: a session of its own (the
// test opens it where it needs a logger), no archive unless a path is set, the default font for
// dialogs and a point smaller for the measurement page, and no frame to run
// operations or refresh pages in.
#include <QFont>

#include <memory>
#include <string>

#include "session/device_session.h"
#include "work/device_host.h"

class FakeDeviceHost : public CDeviceHost {
 public:
  CDeviceSession& Session() override { return session_; }
#ifdef QHX_HAVE_ARCHIVE
  ops::ArchiveAccess& Archive() override { return *archive_; }
  // Readouts are archived at `path` from now on (empty: not archived).
  void SetArchivePath(const std::string& path) { archive_ = std::make_unique<ops::ArchiveAccess>(path); }
#endif
  QFont DialogFont() const override { return QFont(); }
  QFont MeasurePageFont() const override {
    QFont font;
    if (font.pointSize() > 1) font.setPointSize(font.pointSize() - 1);
    return font;
  }
  QWidget* Frame() override { return nullptr; }
  void RunDeviceOperation(QWidget*, int, int) override { ++operationsAsked; }
  void RefreshPages() override { ++refreshesAsked; }

  int operationsAsked = 0;
  int refreshesAsked = 0;

 private:
  CDeviceSession session_;
#ifdef QHX_HAVE_ARCHIVE
  std::unique_ptr<ops::ArchiveAccess> archive_ = std::make_unique<ops::ArchiveAccess>();
#endif
};

// One host for the whole test program, as the program has one application.
inline FakeDeviceHost& TestHost() {
  static FakeDeviceHost host;
  return host;
}

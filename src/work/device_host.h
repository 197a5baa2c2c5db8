#pragma once
// What the application gives every window that works with the logger: the
// device session, the readout archive, the dialog fonts and the frame's
// refresh and wizard entry. The application implements it; the page host
// passes it to the pages, and pages pass it on to the wizard pages and
// dialogs they open, so that no window reaches for the application itself.
#include <QFont>

#include "session/device_session.h"
#ifdef QHX_HAVE_ARCHIVE
#include "operations/archive_access.h"
#endif

class QWidget;

class CDeviceHost {
 public:
  virtual CDeviceSession& Session() = 0;
#ifdef QHX_HAVE_ARCHIVE
  virtual ops::ArchiveAccess& Archive() = 0;
#endif
  virtual QFont DialogFont() const = 0;
  virtual QFont MeasurePageFont() const = 0;

  // The main window (parent of what a page shows over the whole frame), or
  // none before it exists.
  virtual QWidget* Frame() = 0;
  // item -1: full refresh; -2: quick refresh; >= 0: the single-item setting
  // wizard for that item with the wizard flags. Ends with a refresh of all
  // pages. Nothing without a frame.
  virtual void RunDeviceOperation(QWidget* page, int item, int flags) = 0;
  // Refreshes every page from the session.
  virtual void RefreshPages() = 0;

 protected:
  ~CDeviceHost() = default;
};

#include "app/main_frame.h"

#include "app/vtrelix7_comm_app.h"

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) { theApp().MainFrame = this; }
CMainFrame::~CMainFrame() {
  if (theApp().MainFrame == this) theApp().MainFrame = nullptr;
}
void CMainFrame::RunDeviceOperation(QWidget*, int, int) {}
void CMainFrame::RefreshPages() {}
bool CMainFrame::EnsureConnected() { return theApp().Session().IsOpen(); }

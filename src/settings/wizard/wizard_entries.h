#pragma once
// The wizard as the main frame starts it for one setting item (the device
// pages' setting buttons): copy the current record into the working record,
// select exactly that item and run the wizard over it.
class QWidget;
class CDeviceHost;

// CVTCSettingWork::RunWizard's result (1, 0 or -1).
int RunSingleItemWizard(CDeviceHost& host, QWidget* owner, int item, int flags);

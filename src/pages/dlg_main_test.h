#pragma once
// The test page of the page host (placeholder until the page is built).
#include "pages/device_page.h"

class CDlgMainTest : public CDevicePage {
  Q_OBJECT
 public:
  explicit CDlgMainTest(QWidget* parent = nullptr);
  void Refresh() override;
};

#pragma once
// The measurement and transmission page of the page host (placeholder until the page is built).
#include "pages/device_page.h"

class CDlgMainMeasSetting : public CDevicePage {
  Q_OBJECT
 public:
  explicit CDlgMainMeasSetting(QWidget* parent = nullptr);
  void Refresh() override;
};

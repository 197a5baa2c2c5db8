#pragma once
// The recorded-data page of the page host (placeholder until the page is built).
#include "pages/device_page.h"

class CDlgMainRecodeData : public CDevicePage {
  Q_OBJECT
 public:
  explicit CDlgMainRecodeData(QWidget* parent = nullptr);
  void Refresh() override;
};

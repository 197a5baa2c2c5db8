#pragma once
// The communication settings page of the page host (placeholder until the page is built).
#include "pages/device_page.h"

class CDlgNetsSim : public CDevicePage {
  Q_OBJECT
 public:
  explicit CDlgNetsSim(QWidget* parent = nullptr);
  void Refresh() override;
};

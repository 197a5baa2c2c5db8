#pragma once
// The system page of the page host (placeholder until the page is built).
#include "pages/device_page.h"

class CDlgMainSystem : public CDevicePage {
  Q_OBJECT
 public:
  explicit CDlgMainSystem(QWidget* parent = nullptr);
  void Refresh() override;
};

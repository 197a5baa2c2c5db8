#include "log/log_scroll_axis.h"

#include <algorithm>

int LogScrollAxis::LastPosition() const {
  if (page_ <= 0) return maximum_;
  return std::max(0, maximum_ - page_ + 1);
}

int LogScrollAxis::Clamp(int position) const { return std::clamp(position, 0, LastPosition()); }

void LogScrollAxis::SetRange(int maximum, int page) {
  if (maximum_ != 0 && maximum == maximum_ && page == page_) return;
  if (maximum_ != 0 && maximum == maximum_ + 1 && position_ != 0) ++position_;
  maximum_ = std::max(0, maximum);
  page_ = std::max(0, page);
  if (position_ >= maximum_) position_ = 0;
  position_ = Clamp(position_);
}

bool LogScrollAxis::MoveTo(int position) {
  const int clamped = Clamp(position);
  if (clamped == position_) return false;
  position_ = clamped;
  return true;
}

#include "settings/wizerd_list.h"

#include <exception>
#include <new>

#include "settings/wizard_flags.h"

int CWizerdList::Add(CWizerdWorkCore* page, int flags, int item) {
  try {
    steps_.emplace_back(page, flags, item);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return 1;
}

int CWizerdList::PositionFlags(int p, int n) {
  if (n == 1) return wizard::kOnlyPage;
  if (p == 0) return wizard::kFirstPage;
  if (p == n - 1) return wizard::kLastPage;
  return 0;
}

int CWizerdList::Run(QWidget* owner) {
  status_ = kNotStopped;
  int p = 0;
  int direction = +1;
  const int n = Count();
  while (status_ == kNotStopped && p >= 0 && p < n) {
    const CWizerdWorkOne& step = steps_[p];
    const int flags = (step.flags & ~wizard::kPositionMask) | PositionFlags(p, n);
    int result = wizard::kResultClosed;
    try {
      result = step.page->RunPage(owner, flags);
    } catch (...) {
      status_ = kPageFailed;
      break;
    }
    switch (result) {
      case wizard::kResultBack:
        direction = -1;
        p -= 1;
        break;
      case wizard::kResultSkip: p += direction; break;
      case wizard::kResultCancel: status_ = kCancelled; break;
      case wizard::kResultClosed: status_ = kPageClosed; break;
      default:  // Next, and any other value
        direction = +1;
        p += 1;
        break;
    }
  }
  if (status_ != kNotStopped) return -1;
  return p < 0 ? 0 : 1;
}

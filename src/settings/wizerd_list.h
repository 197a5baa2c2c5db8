#pragma once
// The setting wizard's run: a sequence of pages, each shown modally in turn,
// moved through with Back and Next. The list knows its pages only through
// CWizerdWorkCore.
#include <vector>

class QWidget;

// How the wizard list drives a page.
class CWizerdWorkCore {
 public:
  virtual ~CWizerdWorkCore() = default;
  // Shows the page modally over the owner and returns its page result
  // (wizard::kResultNext, ...).
  virtual int RunPage(QWidget* owner, int flags) = 0;
};

// One step of a run. The page is not owned.
class CWizerdWorkOne {
 public:
  CWizerdWorkOne(CWizerdWorkCore* page, int flags, int item) : page(page), flags(flags), item(item) {}
  virtual ~CWizerdWorkOne() = default;

  CWizerdWorkCore* page;
  int flags;
  int item;  // setting item index; -1 for the antenna check and test transmission pages
};

class CWizerdList {
 public:
  // Why a run stopped early.
  enum Status {
    kNotStopped = 0,
    kPageClosed = 1,  // a page closed with wizard::kResultClosed
    kPageFailed = 2,  // a page threw an exception
    kCancelled = 3,
  };

  virtual ~CWizerdList() = default;

  // 1, or 0 when the step could not be stored.
  int Add(CWizerdWorkCore* page, int flags, int item);
  // Shows the pages in order. 1 when the last page was left with Next, 0 when
  // Back left the first page, -1 when a page was cancelled, closed or failed.
  int Run(QWidget* owner);

  int Count() const { return static_cast<int>(steps_.size()); }
  const CWizerdWorkOne& Step(int index) const { return steps_[index]; }
  int GetStatus() const { return status_; }

  // The position flags of step p in a run of n steps.
  static int PositionFlags(int p, int n);

 private:
  std::vector<CWizerdWorkOne> steps_;
  int status_ = kNotStopped;
};

#pragma once
// Base of every setting wizard page: a modal dialog of the template size with
// the header band across the top and the Back ("戻る"), Next ("次へ") and
// Cancel ("キャンセル") buttons at the bottom right. The page's work runs on
// the work runner; before it, measurement is stopped when the wizard asks for
// it, and after it the session identifies the logger again and re-reads its
// records.
//
// A page class builds its controls in its constructor (positions in dialog
// units, DuRect), fills them in InitPage() each time it is shown, overrides
// RunPage() (DoModalPage with its template id, then PageResult()) and DoWork(),
// and usually OnNext().
//
// Control object names are "ctl" followed by the template's control id
// ("ctl600" is Next, "ctl1300" a red note), so that tests can find them.
#include <QDialog>
#include <QString>

#include <cstdint>

#include "controls/du_layout.h"
#include "settings/wizerd_list.h"
#include "work/device_host.h"
#include "work/working_thread.h"

class QLabel;
class QPushButton;

class CInputBaseDlg : public QDialog, public CWizerdWorkCore {
  Q_OBJECT

 public:
  // Template size of the pages, in dialog units.
  static constexpr int kPageWidthDu = 386;
  static constexpr int kPageHeightDu = 279;
  // Control ids of the template.
  static constexpr int kIdHeaderBand = 602;
  static constexpr int kIdBack = 601;
  static constexpr int kIdNext = 600;
  static constexpr int kIdCancel = 2;
  static constexpr int kIdNote = 1300;

  explicit CInputBaseDlg(CDeviceHost& host, QWidget* parent = nullptr, int widthDu = kPageWidthDu,
                         int heightDu = kPageHeightDu);
  ~CInputBaseDlg() override;

  // Destroys and frees the page.
  virtual void Delete();
  // Runs BeforeWork, DoWork and AfterWork behind the progress dialog (not
  // abortable), then shows the session's error message in a warning box, or
  // else its result message under "Normal termination". Returns DoWork's result.
  virtual int RunWork(const QString& caption = QString());
  // One modal showing: stores the flags, starts with page result -1, runs the
  // page's initialisation and the dialog over the owner. Returns the dialog's
  // end code (QDialog::Accepted or QDialog::Rejected).
  virtual int DoModalPage(QWidget* owner, int flags, int templateId);

  int WizardFlags() const { return flags_; }
  int PageResult() const { return page_result_; }
  int TemplateId() const { return template_id_; }

  QLabel* HeaderBand() const { return header_; }
  QPushButton* BackButton() const { return back_; }
  QPushButton* NextButton() const { return next_; }
  QPushButton* CancelButton() const { return cancel_; }

  // The object name of a template control id ("ctl" + id).
  static QString ControlName(int id);

 protected:
  // Joins a running worker; each page calls it from its own destructor, while
  // the page's work functions and members are whole.
  void JoinWork() { runner_.StopAndJoin(); }
  // The common initialisation, run first by every page's own: buttons as in
  // the template, then by position: the only page hides Back and labels Next
  // "OK", the last page labels Next "OK", the first page disables Back.
  virtual void InitPage();
  // Buttons. Next closes with page result 0 (value pages store their values
  // and run their work first), Back with 1, Cancel with 2.
  virtual void OnNext();
  virtual void OnBack();
  virtual void OnCancel();
  // Leaves the showing with the page result.
  void EndPage(int pageResult);
  void SetWizardFlags(int flags) { flags_ = flags; }
  // What the application gives the page.
  CDeviceHost& Host() const { return host_; }

  // The runner's steps, on the worker thread: BeforeWork, the page's DoWork,
  // AfterWork.
  void BeforeWork();
  virtual int DoWork() { return 0; }
  void AfterWork();

  // Layout in dialog units of the page's font.
  QRect DuRect(int x, int y, int width, int height) const;
  QSize DuSize(int width, int height) const;
  // Places a control made by the page (a child of the page) and names it
  // after its id when the id is not 0. A control whose text needs more room
  // widens, and the controls beyond it and the page move along (CDuLayout).
  template <class W>
  W* Place(W* widget, int x, int y, int width, int height, int id = 0) {
    widget->setParent(this);
    widget->setGeometry(DuRect(x, y, width, height));
    layout_.Add(widget, QRect(x, y, width, height));
    if (id != 0) widget->setObjectName(ControlName(id));
    return widget;
  }
  // A static text; a note (red) when red is set.
  QLabel* AddStatic(const QString& text, int x, int y, int width, int height, int id = 0, bool red = false);
  void SetHeaderText(const QString& text);
  // Tells the user that the value of the field with this label (a string
  // id) cannot be sent: "Invalid value: <label>". A page that calls it
  // stores and sends nothing.
  void RefuseField(uint32_t labelId);

  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;
  // Places the controls for the current font and texts and sizes the page.
  void ApplyLayout();

 private:
  CDeviceHost& host_;
  CDuLayout layout_;
  QSize templateUnits_;
  QLabel* header_;
  QPushButton* back_;
  QPushButton* next_;
  QPushButton* cancel_;
  int flags_ = 0;
  int page_result_ = -1;
  int template_id_ = 0;
  // Last: its worker is joined before the members above go.
  CVTCWorkingThread runner_{[this] { return DoWork(); }, [this] { BeforeWork(); }, [this] { AfterWork(); }};
};

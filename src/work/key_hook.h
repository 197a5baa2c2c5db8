#pragma once
// Keyboard filter of the UI thread: an application-wide event filter that a
// window installs while it is active. The procedure decides per key event
// whether it is swallowed (returns true) or passed on.
#include <QObject>

#include <functional>

class QKeyEvent;

class CTKeyHook : public QObject {
  Q_OBJECT
 public:
  using Procedure = std::function<bool(QKeyEvent*)>;

  CTKeyHook() = default;
  ~CTKeyHook() override;

  // Returns 0 when a hook is already installed, else installs it and returns 1.
  int Install(Procedure procedure);
  // Returns 1 when no hook is installed or it was removed.
  int Uninstall();
  bool Installed() const { return installed_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Procedure procedure_;
  bool installed_ = false;
};

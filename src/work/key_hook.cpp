#include "work/key_hook.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>

CTKeyHook::~CTKeyHook() { Uninstall(); }

int CTKeyHook::Install(Procedure procedure) {
  if (installed_) return 0;
  procedure_ = std::move(procedure);
  QCoreApplication::instance()->installEventFilter(this);
  installed_ = true;
  return 1;
}

int CTKeyHook::Uninstall() {
  if (installed_ && QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeEventFilter(this);
  installed_ = false;
  return 1;
}

bool CTKeyHook::eventFilter(QObject* watched, QEvent* event) {
  if (installed_ && procedure_ &&
      (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease ||
       event->type() == QEvent::ShortcutOverride)) {
    if (procedure_(static_cast<QKeyEvent*>(event))) return true;
  }
  return QObject::eventFilter(watched, event);
}

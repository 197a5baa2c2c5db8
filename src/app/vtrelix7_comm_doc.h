#pragma once
// The document of the main window. All device data lives in the device
// session, so the document holds nothing and is never saved or loaded; it
// exists so that the main window has the document it is built around.
#include <QObject>

class CVTrelix7CommDoc : public QObject {
 public:
  explicit CVTrelix7CommDoc(QObject* parent = nullptr) : QObject(parent) {
    setObjectName(QStringLiteral("CVTrelix7CommDoc"));
  }
};

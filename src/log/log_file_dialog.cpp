#include "log/log_file_dialog.h"

#include <QDateTime>

#include "controls/file_dialogs.h"
#include "controls/ui_text.h"
#include "log/log_strings.h"

QString AskLogFilePath(QWidget* owner) {
  filedlg::Request request;
  request.owner = owner;
  request.save = true;
  request.proposedName =
      QDateTime::currentDateTime().toString(QStringLiteral("'TXL_'yyyyMMdd_HHmmss")) + QStringLiteral(".log");
  request.filter = ui_text::Text(strings::id::kLogFileFilter);
  request.defaultSuffix = QStringLiteral("log");
  return filedlg::Ask(request);
}

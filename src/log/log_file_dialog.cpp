#include "log/log_file_dialog.h"

#include <QDateTime>

#include "app/file_dialogs.h"
#include "app/shell_strings.h"
#include "app/shell_text.h"

QString AskLogFilePath(QWidget* owner) {
  filedlg::Request request;
  request.owner = owner;
  request.save = true;
  request.proposedName =
      QDateTime::currentDateTime().toString(QStringLiteral("'TXL_'yyyyMMdd_HHmmss")) + QStringLiteral(".log");
  request.filter = ShellText(strings::id::kLogFileFilter);
  request.defaultSuffix = QStringLiteral("log");
  return filedlg::Ask(request);
}

#include "app/file_dialogs.h"

#include <QFileDialog>

namespace filedlg {
namespace {
Interceptor g_interceptor;
}

void SetInterceptor(Interceptor interceptor) { g_interceptor = std::move(interceptor); }

QString Ask(const Request& request) {
  if (g_interceptor) return g_interceptor(request);
  QFileDialog dialog(request.owner, request.title);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!request.filter.isEmpty()) dialog.setNameFilter(request.filter);
  if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
  if (!request.proposedName.isEmpty()) dialog.selectFile(request.proposedName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

}  // namespace filedlg

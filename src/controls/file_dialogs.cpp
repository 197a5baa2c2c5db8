#include "controls/file_dialogs.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QListView>
#include <QMimeDatabase>
#include <QSplitter>
#include <QTreeView>

#include <algorithm>

namespace filedlg {
namespace {
Interceptor g_interceptor;

// Icons and type names from what a directory listing tells (kind and name
// extension) only. The default provider guesses a file's type from its first
// bytes, and reading a named pipe, a device or some files of /proc blocks
// until something is written there -- the whole program would hang.
class ListingOnlyIconProvider : public QFileIconProvider {
 public:
  using QFileIconProvider::icon;
  QIcon icon(const QFileInfo& info) const override {
    if (info.isRoot()) return icon(QAbstractFileIconProvider::Drive);
    if (info.isDir()) return icon(QAbstractFileIconProvider::Folder);
    return icon(QAbstractFileIconProvider::File);
  }
  QString type(const QFileInfo& info) const override {
    return QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension).comment();
  }
};

// The listing's columns as wide as their contents (the list scrolls rather
// than cutting a name or a date), the places beside it as wide as their
// names, and the dialog large enough for a usual folder.
void ShowWholeTexts(QFileDialog* dialog) {
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  const QFontMetrics metrics(dialog->font());
  if (auto* tree = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
    tree->header()->setStretchLastSection(false);
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  }
  auto* sidebar = dialog->findChild<QListView*>(QStringLiteral("sidebar"));
  auto* splitter = dialog->findChild<QSplitter*>(QStringLiteral("splitter"));
  int places = 0;
  if (sidebar != nullptr && sidebar->model() != nullptr) {
    for (int row = 0; row < sidebar->model()->rowCount(); ++row)
      places = std::max(places, metrics.horizontalAdvance(sidebar->model()->index(row, 0).data().toString()));
    places += sidebar->iconSize().width() + 4 * metrics.averageCharWidth();
  }
  const QSize size(metrics.averageCharWidth() * 110 + places, metrics.height() * 30);
  dialog->resize(size.expandedTo(dialog->sizeHint()));
  if (splitter != nullptr && places > 0) splitter->setSizes({places, size.width() - places});
}

}  // namespace

void SetInterceptor(Interceptor interceptor) { g_interceptor = std::move(interceptor); }

std::unique_ptr<QFileDialog> MakeDialog(const Request& request) {
  auto dialog = std::make_unique<QFileDialog>(request.owner, request.title);
  // Stateless, and it must outlive every dialog's model (whose gatherer
  // thread may still use it while the dialog goes): one for the program.
  static ListingOnlyIconProvider icons;
  dialog->setIconProvider(&icons);
  dialog->setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!request.filter.isEmpty()) dialog->setNameFilter(request.filter);
  if (!request.defaultSuffix.isEmpty()) dialog->setDefaultSuffix(request.defaultSuffix);
  if (!request.proposedName.isEmpty()) dialog->selectFile(request.proposedName);
  ShowWholeTexts(dialog.get());
  return dialog;
}

QString Ask(const Request& request) {
  if (g_interceptor) return g_interceptor(request);
  const std::unique_ptr<QFileDialog> dialog = MakeDialog(request);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return QString();
  return dialog->selectedFiles().first();
}

}  // namespace filedlg

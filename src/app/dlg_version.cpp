#include "app/dlg_version.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/shell_strings.h"
#include "app/shell_text.h"
#include "app/vtrelix7_comm_app.h"

CDlgVersion::CDlgVersion(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("CDlgVersion"));
  setWindowTitle(ShellText(strings::id::kVersionBoxTitle));
  setFont(theApp().DialogFont());

  auto* icon = new QLabel(this);
  icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
  auto* product = new QLabel(ShellText(strings::id::kVersionBoxProduct), this);
  version_ = new QLabel(theApp().VersionText, this);
  version_->setObjectName(QString::number(kIdVersion));
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(ShellText(strings::id::kOkButton), QDialogButtonBox::AcceptRole);
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
  layout->addWidget(product, 0, 1);
  layout->addWidget(version_, 1, 1);
  layout->addWidget(buttons, 0, 2, 2, 1, Qt::AlignTop);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

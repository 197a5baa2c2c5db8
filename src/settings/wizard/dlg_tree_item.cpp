#include "settings/wizard/dlg_tree_item.h"

#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>

#include "common/string_table.h"
#include "controls/dialog_units.h"
#include "controls/ui_text.h"
#include "settings/wizard_strings.h"
#include "work/device_host.h"

namespace {

using ui_text::Text;

bool IsChecked(const QTreeWidgetItem* item) { return item->checkState(0) == Qt::Checked; }

// The check state an item had when the tree last looked at it, so that only
// changes of the check mark are handled (not of the text).
constexpr int kLastCheckRole = Qt::UserRole + 1;

}  // namespace

CDlgTreeItem::CDlgTreeItem(CDeviceHost& host, QWidget* owner) : QDialog(owner) {
  setFont(host.DialogFont());
  const QFont f = font();
  auto du = [&f](int x, int y, int w, int h) {
    const QSize o = DialogUnitsToPixels(f, x, y);
    return QRect(QPoint(o.width(), o.height()), DialogUnitsToPixels(f, w, h));
  };
  setFixedSize(DialogUnitsToPixels(f, 178, 282));
  setWindowTitle(Text(strings::id::kTreeTitle));

  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("ctl1001"));
  tree_->setGeometry(du(7, 4, 160, 249));
  tree_->setHeaderHidden(true);
  tree_->setColumnCount(1);

  ok_ = new QPushButton(Text(strings::id::kOkButton), this);
  ok_->setObjectName(QStringLiteral("ctl1"));
  ok_->setGeometry(du(61, 261, 50, 14));
  ok_->setDefault(true);
  cancel_ = new QPushButton(Text(strings::id::kWizardCancel), this);
  cancel_->setObjectName(QStringLiteral("ctl2"));
  cancel_->setGeometry(du(116, 261, 50, 14));

  connect(ok_, &QPushButton::clicked, this, &CDlgTreeItem::OnOk);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) { OnItemChanged(item); });
}

void CDlgTreeItem::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) Initialise();
  QDialog::showEvent(event);
}

void CDlgTreeItem::SetChecked(QTreeWidgetItem* item, bool checked) {
  const Qt::CheckState state = checked ? Qt::Checked : Qt::Unchecked;
  item->setCheckState(0, state);
  item->setData(0, kLastCheckRole, static_cast<int>(state));
}

void CDlgTreeItem::Initialise() {
  busy_ = true;
  if (!caption_.isEmpty()) setWindowTitle(caption_);
  for (int i = 0; i < kSettingItemCount; ++i) {
    const uint16_t id = SettingItem(i).nameStringId;
    item_names_[i] = id != 0 ? Text(id) : QString();
  }

  tree_->clear();
  QTreeWidgetItem* heading = nullptr;
  int headingGroup = -1;
  for (int i = 0; i < kSettingItemCount; ++i) {
    if (items_.entries[i].available == 0) continue;
    const int group = SettingItem(i).group;
    if (heading == nullptr || group != headingGroup) {
      if (heading != nullptr) heading->setExpanded(true);
      heading = new QTreeWidgetItem(tree_, QStringList{Text(SettingGroupHeadingStringId(group))});
      headingGroup = group;
      if (check_boxes_) SetChecked(heading, false);
    }
    auto* child = new QTreeWidgetItem(heading, QStringList{item_names_[i]});
    if (check_boxes_) SetChecked(child, items_.entries[i].selected != 0);
  }
  if (heading != nullptr) heading->setExpanded(true);

  // A heading starts checked when all its items are, as checking them one by
  // one would leave it.
  if (check_boxes_) {
    for (int h = 0; h < tree_->topLevelItemCount(); ++h) {
      QTreeWidgetItem* top = tree_->topLevelItem(h);
      bool all = top->childCount() > 0;
      for (int c = 0; c < top->childCount(); ++c) all = all && IsChecked(top->child(c));
      SetChecked(top, all);
    }
  }
  busy_ = false;
}

void CDlgTreeItem::SetDescendants(QTreeWidgetItem* item, bool checked) {
  for (int c = 0; c < item->childCount(); ++c) {
    SetChecked(item->child(c), checked);
    SetDescendants(item->child(c), checked);
  }
}

void CDlgTreeItem::OnItemChanged(QTreeWidgetItem* item) {
  if (busy_ || !check_boxes_) return;
  const QVariant last = item->data(0, kLastCheckRole);
  const Qt::CheckState state = item->checkState(0);
  if (last.isValid() && last.toInt() == static_cast<int>(state)) return;
  busy_ = true;
  item->setData(0, kLastCheckRole, static_cast<int>(state));
  if (state != Qt::Checked) {
    for (QTreeWidgetItem* up = item->parent(); up != nullptr; up = up->parent()) SetChecked(up, false);
    SetDescendants(item, false);
  } else {
    SetDescendants(item, true);
    if (QTreeWidgetItem* parent = item->parent()) {
      bool all = true;
      for (int c = 0; c < parent->childCount(); ++c) all = all && IsChecked(parent->child(c));
      if (all) SetChecked(parent, true);
    }
  }
  busy_ = false;
}

void CDlgTreeItem::OnOk() {
  bool marked[kSettingItemCount] = {};
  for (int h = 0; h < tree_->topLevelItemCount(); ++h) {
    QTreeWidgetItem* heading = tree_->topLevelItem(h);
    for (int c = 0; c < heading->childCount(); ++c) {
      QTreeWidgetItem* child = heading->child(c);
      if (!IsChecked(child)) continue;
      for (int i = 0; i < kSettingItemCount; ++i) {
        if (item_names_[i] == child->text(0)) {
          marked[i] = true;
          break;
        }
      }
    }
  }
  for (int i = 0; i < kSettingItemCount; ++i) items_.entries[i].selected = marked[i] ? 1 : 0;
  accept();
}

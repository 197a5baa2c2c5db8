#pragma once
// The settings item tree: a modal dialog in which the user ticks the setting
// items that an export, an import or a group wizard should cover. It shows
// the available entries of a setting item list as group headings over item
// names, each with a check box, and on OK hands the list back with the
// selected flags taken from the check marks of the items.
#include <QDialog>
#include <QString>

#include "settings/setting_item_list.h"

class QPushButton;
class QShowEvent;
class QTreeWidget;
class QTreeWidgetItem;

class CDeviceHost;

class CDlgTreeItem : public QDialog {
  Q_OBJECT

 public:
  explicit CDlgTreeItem(CDeviceHost& host, QWidget* owner = nullptr);

  // Window title instead of "設定" when not empty.
  void SetCaption(const QString& caption) { caption_ = caption; }
  void SetItemList(const CSettingItemList& list) { items_ = list; }
  const CSettingItemList& ItemList() const { return items_; }
  // With check boxes (the default) every heading and item has one.
  void SetCheckBoxes(bool on) { check_boxes_ = on; }

  QTreeWidget* Tree() const { return tree_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Fills the tree from the list (each time the dialog is shown).
  void Initialise();
  void OnItemChanged(QTreeWidgetItem* item);
  void OnOk();
  void SetChecked(QTreeWidgetItem* item, bool checked);
  void SetDescendants(QTreeWidgetItem* item, bool checked);

  CSettingItemList items_;
  QString item_names_[kSettingItemCount];
  QString caption_;
  bool check_boxes_ = true;
  bool busy_ = false;
  QTreeWidget* tree_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

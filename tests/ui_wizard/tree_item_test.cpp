// The settings item tree: headings and items from the list, the check-mark
// propagation rules, the OK walk by item name, and the group wizard entry
// that runs the wizard over what the user left ticked.
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "../support/fake_device_host.h"
#include "common/string_table.h"
#include "settings/pages/input_base_dlg.h"
#include "settings/setting_work.h"
#include "settings/wizard/dlg_tree_item.h"
#include "settings/wizard_item_lists.h"
#include "wizard_test_support.h"

namespace {

QString Text(uint32_t id) { return QString::fromStdString(strings::Text(id)); }

QTreeWidgetItem* Heading(CDlgTreeItem& dlg, int index) { return dlg.Tree()->topLevelItem(index); }

bool Checked(QTreeWidgetItem* item) { return item->checkState(0) == Qt::Checked; }

// Heading texts with their item texts, as the tree shows them.
QStringList Outline(CDlgTreeItem& dlg) {
  QStringList out;
  for (int h = 0; h < dlg.Tree()->topLevelItemCount(); ++h) {
    QTreeWidgetItem* heading = Heading(dlg, h);
    QStringList children;
    for (int c = 0; c < heading->childCount(); ++c) children << heading->child(c)->text(0);
    out << heading->text(0) + ": " + children.join(", ");
  }
  return out;
}

}  // namespace

class TreeItemTest : public QObject {
  Q_OBJECT

 private slots:
  void settingsFileItemsUnderThreeHeadings() {
    CSettingItemList list;
    list.Init(0, true);
    CDlgTreeItem dlg(TestHost());
    dlg.SetItemList(list);
    dlg.show();
    const QStringList expected{
        Text(2000) + ": " + Text(3006),
        Text(2002) + ": " + Text(3011),
        Text(2003) + ": " + Text(3021) + ", " + Text(3022),
    };
    QCOMPARE(Outline(dlg), expected);
    QCOMPARE(Text(2000), QStringLiteral("初期設定"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("設定"));
    for (int h = 0; h < 3; ++h) {
      QVERIFY(Heading(dlg, h)->isExpanded());
      QVERIFY(Checked(Heading(dlg, h)));
    }
  }

  void captionAndSingleGroup() {
    CDlgTreeItem dlg(TestHost());
    dlg.SetCaption(Text(strings::id::kChooseImportItems));
    dlg.SetItemList(GroupWizardList(0, 4));
    dlg.show();
    QCOMPARE(dlg.windowTitle(), QStringLiteral("読込み設定項目選択"));
    QCOMPARE(Outline(dlg), QStringList{Text(2003) + ": " + Text(3021) + ", " + Text(3022)});
  }

  void unselectedItemsStartUnchecked() {
    CSettingItemList list;
    list.Init(0, false);
    list.entries[1].selected = 0;
    CDlgTreeItem dlg(TestHost());
    dlg.SetItemList(list);
    dlg.show();
    QTreeWidgetItem* initial = Heading(dlg, 0);
    QCOMPARE(initial->childCount(), 3);  // 初期化, 日時設定, バッテリ警告
    QVERIFY(Checked(initial->child(0)));
    QVERIFY(!Checked(initial->child(1)));
    QVERIFY(!Checked(initial));
    QVERIFY(Checked(Heading(dlg, 1)));
  }

  void propagation() {
    CSettingItemList list;
    list.Init(0, false);
    CDlgTreeItem dlg(TestHost());
    dlg.SetItemList(list);
    dlg.show();
    QTreeWidgetItem* heading = Heading(dlg, 1);  // 接続設定: アクセスポイント, アンテナ状態確認, テスト送信
    QCOMPARE(heading->childCount(), 3);
    QVERIFY(Checked(heading));

    // Unchecking one item under a fully checked heading unchecks the heading.
    heading->child(1)->setCheckState(0, Qt::Unchecked);
    QVERIFY(!Checked(heading));
    QVERIFY(Checked(heading->child(0)));
    QVERIFY(Checked(heading->child(2)));

    // Checking the last unchecked item checks the heading again.
    heading->child(1)->setCheckState(0, Qt::Checked);
    QVERIFY(Checked(heading));

    // Unchecking the heading unchecks its items; checking it checks them all.
    heading->setCheckState(0, Qt::Unchecked);
    for (int c = 0; c < 3; ++c) QVERIFY(!Checked(heading->child(c)));
    heading->child(0)->setCheckState(0, Qt::Checked);
    QVERIFY(!Checked(heading));  // two are still unchecked
    heading->setCheckState(0, Qt::Checked);
    for (int c = 0; c < 3; ++c) QVERIFY(Checked(heading->child(c)));

    // Other headings are never touched.
    QVERIFY(Checked(Heading(dlg, 0)));
    QVERIFY(Checked(Heading(dlg, 2)));
  }

  void okTakesTheCheckedItemsByName() {
    CSettingItemList list;
    list.Init(0, false);
    CDlgTreeItem dlg(TestHost());
    dlg.SetItemList(list);
    dlg.show();
    // Uncheck everything but 日時設定 and 判定基準.
    for (int h = 0; h < dlg.Tree()->topLevelItemCount(); ++h) Heading(dlg, h)->setCheckState(0, Qt::Unchecked);
    Heading(dlg, 0)->child(1)->setCheckState(0, Qt::Checked);
    Heading(dlg, 2)->child(0)->setCheckState(0, Qt::Checked);
    dlg.OkButton()->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    const CSettingItemList& out = dlg.ItemList();
    for (int i = 0; i < kSettingItemCount; ++i) {
      QCOMPARE(out.entries[i].selected, (i == 1 || i == 21) ? 1 : 0);
      QCOMPARE(out.entries[i].available, list.entries[i].available);
    }
  }

  void okWithNothingCheckedClearsEverySelection() {
    CSettingItemList list;
    list.Init(0, true);
    list.entries[3].selected = 1;  // not available, selected: cleared as well
    CDlgTreeItem dlg(TestHost());
    dlg.SetItemList(list);
    dlg.show();
    for (int h = 0; h < dlg.Tree()->topLevelItemCount(); ++h) Heading(dlg, h)->setCheckState(0, Qt::Unchecked);
    dlg.OkButton()->click();
    for (int i = 0; i < kSettingItemCount; ++i) QCOMPARE(dlg.ItemList().entries[i].selected, 0);
  }

  void cancelKeepsTheList() {
    CSettingItemList list;
    list.Init(0, true);
    CDlgTreeItem dlg(TestHost());
    dlg.SetItemList(list);
    dlg.show();
    Heading(dlg, 0)->setCheckState(0, Qt::Unchecked);
    dlg.CancelButton()->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(dlg.ItemList().entries[6].selected, 1);
  }

  void groupWizardRunsOverTheTickedItems() {
    // Cancel in the tree: -1 and no page.
    bool sawPage = false;
    QTimer::singleShot(0, [] {
      auto* tree = qobject_cast<CDlgTreeItem*>(QApplication::activeModalWidget());
      if (tree) tree->CancelButton()->click();
    });
    QCOMPARE(CVTCSettingWork::ChooseItemsAndRunWizard(TestHost(), nullptr, GroupWizardList(0, 4)), -1);

    // OK with only 測定設定 ticked: the measurement page alone, as the only page.
    wiztest::ConnectedLogger logger;
    QVERIFY(logger.Ready());
    QString title;
    QString nextText;
    bool backVisible = true;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* tree = qobject_cast<CDlgTreeItem*>(modal)) {
        tree->Tree()->topLevelItem(0)->child(0)->setCheckState(0, Qt::Unchecked);
        tree->OkButton()->click();
      } else if (auto* page = qobject_cast<CInputBaseDlg*>(modal)) {
        sawPage = true;
        title = page->windowTitle();
        nextText = page->NextButton()->text();
        backVisible = page->BackButton()->isVisibleTo(page);
        page->CancelButton()->click();
      }
    });
    poll.start(5);
    QCOMPARE(CVTCSettingWork::ChooseItemsAndRunWizard(TestHost(), nullptr, GroupWizardList(0, 4)), -1);
    poll.stop();
    QVERIFY(sawPage);
    QCOMPARE(title, QStringLiteral("測定設定"));
    QCOMPARE(nextText, QStringLiteral("OK"));
    QVERIFY(!backVisible);

    // "RD SYS" refused at connect: the schedule the page would start from is
    // not the logger's, so no page shows and the message names the listing.
    logger.Logger().RefuseCommands("RD SYS", -1);
    CDeviceSession& session = TestHost().Session();
    QVERIFY(session.Open(logger.Logger().PortPath()) == 0 && session.Identify() == 1);
    session.RefreshSystemInfo();
    session.ReadMailSettings();
    wiztest::MessageBoxes boxes;
    sawPage = false;
    poll.start(5);
    QCOMPARE(CVTCSettingWork::ChooseItemsAndRunWizard(TestHost(), nullptr, GroupWizardList(0, 4)), -1);
    poll.stop();
    QVERIFY(!sawPage);
    QCOMPARE(boxes.shown.size(), size_t(1));
    QVERIFY(boxes.shown[0].text.contains(QStringLiteral("RD SYS")));
    QCOMPARE(boxes.shown[0].icon, msgbox::Icon::kWarning);
    QVERIFY(logger.Starting("ST ").empty());
  }
};

QTEST_MAIN(TreeItemTest)
#include "tree_item_test.moc"

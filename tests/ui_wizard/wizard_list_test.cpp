// The wizard list's navigation over pages that answer from a script.
#include <QtTest>

#include <stdexcept>
#include <vector>

#include "settings/wizard_flags.h"
#include "settings/wizerd_list.h"

namespace {

// A page that returns the next result of a shared script and records the
// flags it was shown with.
struct Shown {
  int page;
  int flags;
};

class ScriptedPage : public CWizerdWorkCore {
 public:
  ScriptedPage(int id, std::vector<int>* script, std::vector<Shown>* shown) : id_(id), script_(script), shown_(shown) {}
  int RunPage(QWidget*, int flags) override {
    shown_->push_back({id_, flags});
    if (script_->empty()) return wizard::kResultCancel;
    const int r = script_->front();
    script_->erase(script_->begin());
    if (r == 99) throw std::runtime_error("page failed");
    return r;
  }

 private:
  int id_;
  std::vector<int>* script_;
  std::vector<Shown>* shown_;
};

}  // namespace

class WizardListTest : public QObject {
  Q_OBJECT

 private slots:
  void navigation_data() {
    QTest::addColumn<int>("pages");
    QTest::addColumn<QVector<int>>("script");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("status");
    QTest::addColumn<QVector<int>>("order");

    QTest::newRow("next through all") << 3 << QVector<int>{0, 0, 0} << 1 << 0 << QVector<int>{0, 1, 2};
    QTest::newRow("back and forth") << 3 << QVector<int>{0, 1, 0, 0, 0} << 1 << 0 << QVector<int>{0, 1, 0, 1, 2};
    QTest::newRow("back past the first page") << 2 << QVector<int>{0, 1, 1} << 0 << 0 << QVector<int>{0, 1, 0};
    QTest::newRow("cancel") << 3 << QVector<int>{0, 2} << -1 << 3 << QVector<int>{0, 1};
    QTest::newRow("closed otherwise") << 3 << QVector<int>{-1} << -1 << 1 << QVector<int>{0};
    QTest::newRow("exception") << 3 << QVector<int>{0, 99} << -1 << 2 << QVector<int>{0, 1};
    QTest::newRow("unknown result counts as next") << 2 << QVector<int>{7, 0} << 1 << 0 << QVector<int>{0, 1};
    QTest::newRow("skip going forward") << 3 << QVector<int>{0, 3, 0} << 1 << 0 << QVector<int>{0, 1, 2};
    // Back from page 2 reaches page 1, which asks to be skipped: page 0.
    QTest::newRow("skip going back") << 3 << QVector<int>{0, 0, 1, 3, 0, 0, 0} << 1 << 0
                                     << QVector<int>{0, 1, 2, 1, 0, 1, 2};
    QTest::newRow("skip off the end") << 2 << QVector<int>{0, 3} << 1 << 0 << QVector<int>{0, 1};
  }

  void navigation() {
    QFETCH(int, pages);
    QFETCH(QVector<int>, script);
    QFETCH(int, result);
    QFETCH(int, status);
    QFETCH(QVector<int>, order);

    std::vector<int> remaining(script.begin(), script.end());
    std::vector<Shown> shown;
    std::vector<ScriptedPage> objects;
    objects.reserve(pages);
    for (int i = 0; i < pages; ++i) objects.emplace_back(i, &remaining, &shown);
    CWizerdList list;
    for (int i = 0; i < pages; ++i) QCOMPARE(list.Add(&objects[i], 0, i), 1);

    QCOMPARE(list.Run(nullptr), result);
    QCOMPARE(list.GetStatus(), status);
    QVector<int> seen;
    for (const Shown& s : shown) seen.push_back(s.page);
    QCOMPARE(seen, order);
  }

  void positionFlagsReplaceTheLowByte() {
    std::vector<int> script{0, 0, 0, 0};
    std::vector<Shown> shown;
    ScriptedPage a(0, &script, &shown), b(1, &script, &shown), c(2, &script, &shown), d(3, &script, &shown);
    CWizerdList list;
    // The caller's low byte is replaced; the upper flags are kept.
    list.Add(&a, 0x2000 | 0x7F, 6);
    list.Add(&b, 0x7F, 11);
    list.Add(&c, 0x1000, 21);
    list.Add(&d, 0, 22);
    QCOMPARE(list.Run(nullptr), 1);
    QCOMPARE(int(shown.size()), 4);
    QCOMPARE(shown[0].flags, 0x2000 | wizard::kFirstPage);
    QCOMPARE(shown[1].flags, 0);
    QCOMPARE(shown[2].flags, 0x1000);
    QCOMPARE(shown[3].flags, wizard::kLastPage);

    std::vector<int> one{0};
    ScriptedPage only(0, &one, &shown);
    CWizerdList single;
    single.Add(&only, 0, 22);
    QCOMPARE(single.Run(nullptr), 1);
    QCOMPARE(shown.back().flags, wizard::kOnlyPage);
  }

  void emptyListEndsAtOnce() {
    CWizerdList list;
    QCOMPARE(list.Run(nullptr), 1);  // nothing to show; the wizard entry reports -1 for this itself
    QCOMPARE(list.Count(), 0);
  }
};

QTEST_GUILESS_MAIN(WizardListTest)
#include "wizard_list_test.moc"

// Controls placed in dialog units widen for their texts and push what lies
// beyond them, keeping columns aligned; where the texts fit, the dialog-unit
// layout stays exactly as it is.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "controls/dialog_units.h"
#include "controls/du_layout.h"

namespace {

QRect Pixels(const QWidget& parent, const QRect& units) {
  const QSize origin = DialogUnitsToPixels(parent.font(), units.x(), units.y());
  return QRect(QPoint(origin.width(), origin.height()),
               DialogUnitsToPixels(parent.font(), units.width(), units.height()));
}

int TextWidth(const QWidget* w, const QString& text) { return w->fontMetrics().horizontalAdvance(text); }

}  // namespace

class DuLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void textsThatFitKeepTheDialogUnitLayout() {
    QWidget page;
    CDuLayout layout;
    auto* label = new QLabel(QStringLiteral("ID"), &page);
    auto* field = new QLineEdit(&page);
    auto* button = new QPushButton(QStringLiteral("OK"), &page);
    layout.Add(label, QRect(8, 10, 60, 12));
    layout.Add(field, QRect(70, 10, 40, 12));
    layout.Add(button, QRect(120, 40, 50, 14));
    const QSize size = layout.Apply(&page, QSize(180, 60));
    QCOMPARE(label->geometry(), Pixels(page, QRect(8, 10, 60, 12)));
    QCOMPARE(field->geometry(), Pixels(page, QRect(70, 10, 40, 12)));
    QCOMPARE(button->geometry(), Pixels(page, QRect(120, 40, 50, 14)));
    QCOMPARE(size, DialogUnitsToPixels(page.font(), 180, 60));
  }

  void aLongLabelWidensAndItsColumnMovesInEveryRow() {
    QWidget page;
    CDuLayout layout;
    const QString longText = QStringLiteral("Normal measurement interval of the logger");
    auto* shortLabel = new QLabel(QStringLiteral("Clock"), &page);
    auto* longLabel = new QLabel(longText, &page);
    auto* field1 = new QLineEdit(&page);
    auto* field2 = new QLineEdit(&page);
    auto* unit = new QLabel(QStringLiteral("min"), &page);
    auto* box = new QGroupBox(QStringLiteral("Schedule"), &page);  // holds both rows
    layout.Add(box, QRect(2, 2, 120, 40));
    layout.Add(shortLabel, QRect(8, 10, 30, 12));
    layout.Add(field1, QRect(40, 10, 30, 12));
    layout.Add(longLabel, QRect(8, 26, 30, 12));
    layout.Add(field2, QRect(40, 26, 30, 12));
    layout.Add(unit, QRect(72, 26, 20, 12));
    const QSize size = layout.Apply(&page, QSize(130, 50));

    QVERIFY(longLabel->contentsRect().width() >= TextWidth(longLabel, longText));
    // The fields stay one column, after the label, with their gap kept.
    QCOMPARE(field1->x(), field2->x());
    QVERIFY(field2->x() > longLabel->geometry().right());
    QCOMPARE(field1->width(), Pixels(page, QRect(40, 10, 30, 12)).width());
    QCOMPARE(unit->x() - field2->geometry().right(),
             Pixels(page, QRect(72, 0, 1, 1)).x() - Pixels(page, QRect(40, 0, 30, 1)).right());
    // The box grows around its controls, the page around the box.
    QVERIFY(box->geometry().right() > unit->geometry().right());
    QCOMPARE(box->x(), Pixels(page, QRect(2, 2, 1, 1)).x());
    QVERIFY(size.width() > box->geometry().right());
    // Vertically nothing moved.
    QCOMPARE(longLabel->y(), Pixels(page, QRect(8, 26, 30, 12)).y());
  }

  void aWrappedTextGrowsDownAndPushesTheRowsBelow() {
    QWidget page;
    CDuLayout layout;
    auto* note = new QLabel(QStringLiteral("word ").repeated(40), &page);
    note->setWordWrap(true);
    auto* below = new QPushButton(QStringLiteral("Next"), &page);
    auto* beside = new QPushButton(QStringLiteral("Back"), &page);
    layout.Add(note, QRect(8, 8, 60, 20));
    layout.Add(beside, QRect(80, 8, 40, 14));
    layout.Add(below, QRect(8, 40, 40, 14));
    const QSize size = layout.Apply(&page, QSize(130, 60));
    QCOMPARE(note->width(), Pixels(page, QRect(8, 8, 60, 20)).width());
    QVERIFY(note->height() >= note->heightForWidth(note->width()));
    QVERIFY(below->y() > note->geometry().bottom());
    QCOMPARE(beside->y(), Pixels(page, QRect(80, 8, 40, 14)).y());
    QVERIFY(size.height() > below->geometry().bottom());
  }

  void aHiddenControlPushesNothing() {
    QWidget page;
    CDuLayout layout;
    auto* hidden = new QLabel(QStringLiteral("A very long text that would not fit at all"), &page);
    hidden->hide();
    auto* field = new QLineEdit(&page);
    layout.Add(hidden, QRect(8, 8, 20, 12));
    layout.Add(field, QRect(30, 8, 30, 12));
    layout.Apply(&page, QSize(70, 30));
    QCOMPARE(field->geometry(), Pixels(page, QRect(30, 8, 30, 12)));
  }
};

QTEST_MAIN(DuLayoutTest)
#include "du_layout_test.moc"

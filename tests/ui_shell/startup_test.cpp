// Start-up configuration: the screen-height font classes, the language switch
// through TessaHX.ini, the dialog font face, and the pictures of the main view.
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/font_classes.h"
#include "app/font_faces.h"
#include "app/language_config.h"
#include "app/main_frame.h"
#include "app/shell_strings.h"
#include "app/vtrelix7_comm_app.h"
#include "app/vtrelix7_comm_view.h"
#include "common/string_table.h"

namespace {

// A folder standing in for the executable's: the English catalogue beside
// an optional TessaHX.ini with the given content.
class ModuleFolder {
 public:
  ModuleFolder(const QByteArray& ini, bool withCatalogue = true) {
    if (withCatalogue) QFile::copy(QStringLiteral(QHX_CATALOGUE), Path() + QStringLiteral("TessaHXResE.txt"));
    if (!ini.isNull()) {
      QFile file(Path() + QStringLiteral("TessaHX.ini"));
      if (file.open(QIODevice::WriteOnly)) file.write(ini);
    }
  }
  QString Path() const { return dir_.path() + QLatin1Char('/'); }

 private:
  QTemporaryDir dir_;
};

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { strings::ClearCatalogue(); }
  void cleanupTestCase() { theApp().ExitInstance(); }

  void screenHeightClasses_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("heightClass");
    QTest::newRow("499") << 499 << 0;
    QTest::newRow("500") << 500 << 1;
    QTest::newRow("699") << 699 << 1;
    QTest::newRow("700") << 700 << 2;
    QTest::newRow("799") << 799 << 2;
    QTest::newRow("800") << 800 << 3;
    QTest::newRow("1049") << 1049 << 3;
    QTest::newRow("1050") << 1050 << 4;
  }

  void screenHeightClasses() {
    QFETCH(int, height);
    QFETCH(int, heightClass);
    QCOMPARE(ScreenHeightClass(height), heightClass);
  }

  void dialogPointSizesPerClass() {
    // Base minus dialog reduction with the built-in table: 9, 10, 12, 13, 16.
    const int expected[] = {9, 10, 12, 13, 16};
    for (int c = 0; c < 5; ++c) {
      const DialogFontSizes sizes = FontSizesForClass(c);
      QCOMPARE(sizes.baseSize - sizes.dialogReduction, expected[c]);
      QCOMPARE(sizes.baseSize - sizes.measurePageReduction, expected[c]);
    }
  }

  void highDpiScreenUsesItsLogicalHeight() {
    QCOMPARE(LogicalScreenHeight(1080, 120), 864);
    QCOMPARE(ScreenHeightClass(LogicalScreenHeight(1080, 120)), 3);
    const DialogFontSizes sizes = FontSizesForClass(3);
    QCOMPARE(sizes.baseSize, 16);
    QCOMPARE(sizes.baseSize - sizes.dialogReduction, 13);
    // Without a screen 96 dpi is assumed.
    QCOMPARE(LogicalScreenHeight(768, 0), 768);
  }

  void languageFromTheIniFile_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("english");
    QTest::newRow("Language 1") << QByteArray("[TessaHX]\r\nLanguage=1\r\n") << true;
    QTest::newRow("Language 257: low eight bits") << QByteArray("[TessaHX]\r\nLanguage=257\r\n") << true;
    QTest::newRow("Language 2") << QByteArray("[TessaHX]\r\nLanguage=2\r\n") << false;
    QTest::newRow("Language 0") << QByteArray("[TessaHX]\nLanguage=0\n") << false;
    QTest::newRow("key missing") << QByteArray("[TessaHX]\nOther=1\n") << false;
    QTest::newRow("other section") << QByteArray("[Other]\nLanguage=1\n") << false;
    QTest::newRow("no ini file") << QByteArray() << false;
  }

  void languageFromTheIniFile() {
    QFETCH(QByteArray, ini);
    QFETCH(bool, english);
    ModuleFolder folder(ini);
    theApp().LoadConfiguration(folder.Path(), language::Choice::kFromIni);
    QCOMPARE(theApp().ModuleDir, folder.Path());
    QCOMPARE(strings::CatalogueLoaded(), english);
    QCOMPARE(QString::fromStdString(strings::Text(strings::id::kMenuConnect)),
             english ? QStringLiteral("Connect") : QStringLiteral("接続"));
    // Ids only the built-in table has would still read in Japanese.
    QVERIFY(!strings::Text(strings::id::kPortCannotOpen).empty());
  }

  void missingCatalogueKeepsJapanese() {
    ModuleFolder folder("[TessaHX]\nLanguage=1\n", false);
    theApp().LoadConfiguration(folder.Path(), language::Choice::kFromIni);
    QVERIFY(!strings::CatalogueLoaded());
    QCOMPARE(QString::fromStdString(strings::Text(strings::id::kMenuConnect)), QStringLiteral("接続"));
  }

  void commandLineChoiceOverridesTheIni() {
    ModuleFolder folder("[TessaHX]\nLanguage=1\n");
    QVERIFY(!language::Apply(folder.Path(), language::Choice::kJapanese));
    QVERIFY(!strings::CatalogueLoaded());
    ModuleFolder japaneseIni("[TessaHX]\nLanguage=2\n");
    QVERIFY(language::Apply(japaneseIni.Path(), language::Choice::kEnglish));
    QVERIFY(strings::CatalogueLoaded());
  }

  void englishCatalogueReachesTheMenuAndPictures() {
    ModuleFolder folder("[TessaHX]\nLanguage=1\n");
    theApp().LoadConfiguration(folder.Path(), language::Choice::kFromIni);
    CMainFrame frame;
    const QList<QAction*> menus = frame.menuBar()->actions();
    QCOMPARE(menus.size(), 3);
    QCOMPARE(menus[0]->text(), QStringLiteral("&Communication"));
    QCOMPARE(frame.Action(CMainFrame::kCmdLogRecording)->text(), QStringLiteral("Log recording"));
    QCOMPARE(frame.windowTitle(), QStringLiteral("Quorvane-HX Lite Control Software [Ver. 1.07]"));
    // The English pair of pictures differs from the Japanese one.
    const QImage englishBanner = frame.View()->Banner();
    strings::ClearCatalogue();
    frame.View()->LoadPictures();
    QVERIFY(!englishBanner.isNull());
    QVERIFY(englishBanner != frame.View()->Banner());
  }

  void dialogFontIsAJapaneseGothic() {
    InstallFontSubstitutions();
    const QFont font = theApp().DialogFont();
    QCOMPARE(font.family(), QStringLiteral("ＭＳ ゴシック"));
    const QString resolved = QFontInfo(font).family();
    QVERIFY2(resolved.contains(QStringLiteral("Gothic"), Qt::CaseInsensitive) ||
                 resolved.contains(QStringLiteral("ゴシック")),
             qPrintable(resolved));
    QVERIFY(QFontMetrics(font).inFont(QChar(0x63A5)));  // 接
  }

  void englishDialogFontIsAProportionalSansSerif() {
    ModuleFolder folder("[TessaHX]\nLanguage=1\n");
    theApp().LoadConfiguration(folder.Path(), language::Choice::kFromIni);
    InstallFontSubstitutions();
    const QFont font = theApp().DialogFont();
    const QFontInfo info(font);
    QVERIFY2(!info.fixedPitch(), qPrintable(info.family()));
    QVERIFY2(!info.family().contains(QStringLiteral("Gothic"), Qt::CaseInsensitive), qPrintable(info.family()));
    // Proportional: an "i" takes far less room than an "M".
    const QFontMetrics metrics(font);
    QVERIFY(metrics.horizontalAdvance(QLatin1Char('i')) * 2 < metrics.horizontalAdvance(QLatin1Char('M')));
    // The Japanese texts keep the Gothic font.
    strings::ClearCatalogue();
    QVERIFY(QFontInfo(theApp().DialogFont()).family() != info.family());
  }

  void qtsOwnTextsFollowTheLanguage_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("cancel");
    QTest::newRow("Japanese") << QByteArray("[TessaHX]\nLanguage=0\n") << QStringLiteral("キャンセル");
    QTest::newRow("English") << QByteArray("[TessaHX]\nLanguage=1\n") << QStringLiteral("Cancel");
  }

  void qtsOwnTextsFollowTheLanguage() {
    QFETCH(QByteArray, ini);
    QFETCH(QString, cancel);
    ModuleFolder folder(ini);
    theApp().LoadConfiguration(folder.Path(), language::Choice::kFromIni);
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Cancel)->text().remove(QLatin1Char('&')).section(QLatin1Char('('), 0, 0), cancel);
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QCOMPARE(dialog.labelText(QFileDialog::Reject).remove(QLatin1Char('&')).section(QLatin1Char('('), 0, 0), cancel);
  }

  void viewPicturesAndTheirPlaces() {
    CVTrelix7CommView view(nullptr);
    QCOMPARE(view.Banner().size(), QSize(480, 112));
    QCOMPARE(view.Logo().size(), QSize(142, 65));
    // Banner at the bottom right, logo at the top right.
    QCOMPARE(CVTrelix7CommView::BannerPosition(QSize(688, 400), QSize(480, 112)), QPoint(208, 288));
    QCOMPARE(CVTrelix7CommView::LogoPosition(QSize(688, 400), QSize(142, 65)), QPoint(546, 0));
    // A narrow client area puts the banner at the left edge.
    QCOMPARE(CVTrelix7CommView::BannerPosition(QSize(300, 400), QSize(480, 112)), QPoint(0, 288));

    view.resize(688, 400);
    const QImage shot = view.grab().toImage();
    QCOMPARE(shot.pixelColor(5, 5), QColor(Qt::black));
    QCOMPARE(shot.copy(208, 288, 480, 112).convertToFormat(QImage::Format_RGB32),
             view.Banner().convertToFormat(QImage::Format_RGB32));
    QCOMPARE(shot.copy(546, 0, 142, 65).convertToFormat(QImage::Format_RGB32),
             view.Logo().convertToFormat(QImage::Format_RGB32));
  }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"

// Walks through every window, page, wizard page and dialog of the program
// (the screenshot tour, against the simulated logger) and fails when one of
// them cuts a text. The language comes from QHX_FIT_LANG ("ja" or "en"), the
// scale from QT_SCALE_FACTOR (ctest runs all four combinations).
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "app/screenshot_tour.h"
#include "app/simulated_logger.h"
#include "app/vtrelix7_comm_app.h"
#include "common/string_table.h"
#include "sim/virtual_logger.h"
#include "text_fit_check.h"

class FitTest : public QObject {
  Q_OBJECT

 private slots:
  // The check itself: what it must find, and what it must leave alone.
  void checkFindsCutTextsOnly() {
    QWidget window;
    const QString text = QStringLiteral("Normal measurement interval");
    const int textWidth = window.fontMetrics().horizontalAdvance(text);
    auto* cutLabel = new QLabel(text, &window);
    cutLabel->setObjectName(QStringLiteral("cutLabel"));
    cutLabel->setGeometry(0, 0, textWidth / 2, 30);
    auto* wholeLabel = new QLabel(text, &window);
    wholeLabel->setGeometry(0, 40, textWidth + 4, 30);
    auto* cutButton = new QPushButton(text, &window);
    cutButton->setObjectName(QStringLiteral("cutButton"));
    cutButton->setGeometry(0, 80, textWidth, 30);  // the frame takes some room
    auto* wrapped = new QLabel(text, &window);
    wrapped->setObjectName(QStringLiteral("wrapped"));
    wrapped->setWordWrap(true);
    wrapped->setGeometry(0, 120, textWidth / 2, window.fontMetrics().height());  // one line of two
    auto* hidden = new QLabel(text, &window);
    hidden->setGeometry(0, 160, 4, 30);
    hidden->hide();
    window.resize(textWidth * 2, 200);
    window.show();
    const QStringList cut = CutTexts(&window);
    QCOMPARE(cut.size(), 3);
    QVERIFY(cut[0].contains(QStringLiteral("cutLabel")) || cut[1].contains(QStringLiteral("cutLabel")));
    QVERIFY(cut.join(QLatin1Char('\n')).contains(QStringLiteral("cutButton")));
    QVERIFY(cut.join(QLatin1Char('\n')).contains(QStringLiteral("wrapped")));
  }

  void everyTextShowsWhole() {
    QString error;
    std::unique_ptr<vlogger::VirtualLogger> logger = StartSimulatedLogger(SimulatedLoggerOptions(), &error);
    QVERIFY2(logger != nullptr, qPrintable(error));
    CVTrelix7CommApp::Options options;
    const bool english = qgetenv("QHX_FIT_LANG") == "en";
    options.language = english ? language::Choice::kEnglish : language::Choice::kJapanese;
    options.simulatedPort = QString::fromStdString(logger->PortPath());
    options.connectAtStart = false;
    QVERIFY(theApp().InitInstance(options));
    // The English catalogue lies beside the test; without it the texts would be Japanese.
    QCOMPARE(strings::CatalogueLoaded(), english);

    QStringList cut;
    int windows = 0;
    ScreenshotTour tour(QString(), [&](QWidget* window, const QString& name) {
      ++windows;
      for (const QString& c : CutTexts(window)) cut << name + QStringLiteral(": ") + c;
    });
    tour.Run();
    theApp().ExitInstance();
    logger.reset();

    QCOMPARE(tour.Failures(), 0);
    QVERIFY(windows >= 20);
    QVERIFY2(cut.isEmpty(), qPrintable(QStringLiteral("\n") + cut.join(QLatin1Char('\n'))));
  }
};

QTEST_MAIN(FitTest)
#include "fit_test.moc"

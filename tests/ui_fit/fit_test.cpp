// Walks through every window, page, wizard page and dialog of the program
// (the screenshot tour, against the simulated logger) and fails when one of
// them cuts a text. The language comes from QHX_FIT_LANG ("ja" or "en"), the
// scale from QT_SCALE_FACTOR (ctest runs all four combinations).
#include <QTest>

#include <memory>

#include "app/screenshot_tour.h"
#include "app/simulated_logger.h"
#include "app/vtrelix7_comm_app.h"
#include "sim/virtual_logger.h"
#include "text_fit_check.h"

class FitTest : public QObject {
  Q_OBJECT

 private slots:
  void everyTextShowsWhole() {
    QString error;
    std::unique_ptr<vlogger::VirtualLogger> logger = StartSimulatedLogger(&error);
    QVERIFY2(logger != nullptr, qPrintable(error));
    CVTrelix7CommApp::Options options;
    options.language = qgetenv("QHX_FIT_LANG") == "en" ? language::Choice::kEnglish : language::Choice::kJapanese;
    options.simulatedPort = QString::fromStdString(logger->PortPath());
    options.connectAtStart = false;
    QVERIFY(theApp().InitInstance(options));

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

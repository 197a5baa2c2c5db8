// The program's file dialog lists a folder without ever reading from the
// files in it: reading a named pipe, a device or some files of /proc blocks
// until something is written there, and the whole program would hang.
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "controls/file_dialogs.h"

class FileDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void aFolderWithANamedPipeListsWithoutReadingIt() {
    QTemporaryDir dir;
    const QByteArray pipe = QFile::encodeName(dir.filePath(QStringLiteral("pipe")));
    QCOMPARE(mkfifo(pipe.constData(), 0600), 0);
    // A file whose first bytes say PDF: only a dialog that reads it can tell.
    for (const char* name : {"no_extension", "data.txt"}) {
      QFile file(dir.filePath(QString::fromLatin1(name)));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n");
    }

    // Should the dialog read the pipe after all, a writer comes after a while
    // and ends the read, so that the test fails instead of hanging.
    std::atomic<bool> done{false};
    std::atomic<bool> rescued{false};
    struct Join {
      std::atomic<bool>& done;
      std::thread thread;
      ~Join() {
        done.store(true);
        thread.join();
      }
    } watchdog{done, std::thread([&] {
                 const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
                 while (!done.load()) {
                   std::this_thread::sleep_for(std::chrono::milliseconds(10));
                   if (std::chrono::steady_clock::now() < deadline) continue;
                   const int fd = open(pipe.constData(), O_WRONLY | O_NONBLOCK);
                   if (fd < 0) continue;  // no reader waits (yet)
                   rescued.store(true);
                   close(fd);
                 }
               })};

    filedlg::Request request;
    request.filter = QStringLiteral("Log file(*.log);;All files(*)");
    std::unique_ptr<QFileDialog> dialog = filedlg::MakeDialog(request);
    dialog->setDirectory(dir.path());
    dialog->setNameFilter(QStringLiteral("*"));
    // The dialog leaves out system files by default; here the pipe is listed.
    dialog->setFilter(dialog->filter() | QDir::System);
    dialog->setViewMode(QFileDialog::Detail);
    dialog->show();
    auto* model = dialog->findChild<QFileSystemModel*>();
    QVERIFY(model != nullptr);
    const QModelIndex folder = model->index(dir.path());
    QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(folder), 3, 10000);
    QMap<QString, QString> types;
    for (int row = 0; row < 3; ++row) {
      const QModelIndex name = model->index(row, 0, folder);
      types[name.data().toString()] = model->data(model->index(row, 2, folder)).toString();
      (void)model->data(name, Qt::DecorationRole);
    }
    QVERIFY2(!rescued.load(), "the dialog read from the named pipe");
    QCOMPARE(types.size(), 3);
    for (const QString& type : types) QVERIFY(!type.isEmpty());
    QVERIFY2(!types[QStringLiteral("no_extension")].contains(QStringLiteral("PDF")),
             qPrintable(types[QStringLiteral("no_extension")]));
    QVERIFY(types[QStringLiteral("data.txt")].contains(QStringLiteral("text"), Qt::CaseInsensitive));
  }
};

QTEST_MAIN(FileDialogTest)
#include "file_dialog_test.moc"

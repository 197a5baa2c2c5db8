// The program's file dialog lists a folder with a named pipe in it without
// ever reading from it: a read would block the UI thread until something is
// written into the pipe.
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/file_dialogs.h"

class FileDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void aFolderWithANamedPipeListsWithoutReadingIt() {
    QTemporaryDir dir;
    const QByteArray pipe = QFile::encodeName(dir.filePath(QStringLiteral("pipe")));
    QCOMPARE(mkfifo(pipe.constData(), 0600), 0);
    for (const char* name : {"no_extension", "data.txt"}) {
      QFile file(dir.filePath(QString::fromLatin1(name)));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("RD SYS\r\n");
    }

    // Should the dialog read the pipe after all, a writer comes after a while
    // and ends the read, so that the test fails instead of hanging.
    std::atomic<bool> done{false};
    std::atomic<bool> rescued{false};
    std::thread watchdog([&] {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      while (!done.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (std::chrono::steady_clock::now() < deadline) continue;
        const int fd = open(pipe.constData(), O_WRONLY | O_NONBLOCK);
        if (fd < 0) continue;  // no reader waits (yet)
        rescued.store(true);
        close(fd);
      }
    });

    filedlg::Request request;
    request.filter = QStringLiteral("Log file(*.log);;All files(*)");
    std::unique_ptr<QFileDialog> dialog = filedlg::MakeDialog(request);
    dialog->setDirectory(dir.path());
    dialog->setNameFilter(QStringLiteral("*"));
    dialog->setViewMode(QFileDialog::Detail);
    dialog->show();
    auto* model = dialog->findChild<QFileSystemModel*>();
    QVERIFY(model != nullptr);
    const QModelIndex folder = model->index(dir.path());
    QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(folder), 3, 10000);
    QStringList types;
    for (int row = 0; row < 3; ++row) {
      types << model->data(model->index(row, 2, folder)).toString();
      (void)model->data(model->index(row, 0, folder), Qt::DecorationRole);
    }

    done.store(true);
    watchdog.join();
    QVERIFY2(!rescued.load(), "the dialog read from the named pipe");
    for (const QString& type : types) QVERIFY(!type.isEmpty());
  }
};

QTEST_MAIN(FileDialogTest)
#include "file_dialog_test.moc"

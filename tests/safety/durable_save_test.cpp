#include "exchange/Exchange.h"
#include "platform/excel/Application.h"
#include "platform/excel/model/Cells.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Worksheet.h"
#include "platform/resutil/ResFile.h"
#include "platform/vbproject/VbpFile.h"
#include "platform/win32core/Registry.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QFileInfo>
#include <QMutex>
#include <QTemporaryDir>
#include <QtTest>

#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

// What the writers ask of the kernel, seen by standing in for the C library's
// sync and rename calls: this program's own definitions come first for every
// library it loads.
using namespace win32;

namespace {

struct Call {
    enum Kind { SyncFile, SyncFolder, Rename } kind;
    QString path;   // the synced file or folder, or the renamed file's new name
    QString from;   // the renamed file's old name
};

QMutex g_mutex;
QList<Call> g_calls;
bool g_recording = false;

QString pathOfDescriptor(int fd)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096];
    const ssize_t size = ::readlink(link, target, sizeof target - 1);
    return size > 0 ? QString::fromLocal8Bit(target, size) : QString();
}

void recordSync(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return;
    QMutexLocker lock(&g_mutex);
    if (g_recording)
        g_calls.append({S_ISDIR(info.st_mode) ? Call::SyncFolder : Call::SyncFile, pathOfDescriptor(fd), {}});
}

QString absolute(int dirFd, const char *path)
{
    const QString name = QString::fromLocal8Bit(path);
    if (name.startsWith(QLatin1Char('/')) || dirFd == AT_FDCWD)
        return QFileInfo(name).absoluteFilePath();
    return pathOfDescriptor(dirFd) + QLatin1Char('/') + name;
}

void recordRename(int fromFd, const char *from, int toFd, const char *to)
{
    QMutexLocker lock(&g_mutex);
    if (g_recording)
        g_calls.append({Call::Rename, absolute(toFd, to), absolute(fromFd, from)});
}

template<class F>
F next(const char *name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {
int fsync(int fd)
{
    recordSync(fd);
    static const auto real = next<int (*)(int)>("fsync");
    return real(fd);
}
int fdatasync(int fd)
{
    recordSync(fd);
    static const auto real = next<int (*)(int)>("fdatasync");
    return real(fd);
}
int rename(const char *from, const char *to)
{
    recordRename(AT_FDCWD, from, AT_FDCWD, to);
    static const auto real = next<int (*)(const char *, const char *)>("rename");
    return real(from, to);
}
int renameat(int fromFd, const char *from, int toFd, const char *to)
{
    recordRename(fromFd, from, toFd, to);
    static const auto real = next<int (*)(int, const char *, int, const char *)>("renameat");
    return real(fromFd, from, toFd, to);
}
int renameat2(int fromFd, const char *from, int toFd, const char *to, unsigned flags)
{
    recordRename(fromFd, from, toFd, to);
    static const auto real = next<int (*)(int, const char *, int, const char *, unsigned)>("renameat2");
    return real(fromFd, from, toFd, to, flags);
}
}

// Every save of a user's file syncs the new file before it is renamed into
// place, and the folder after, so a power cut leaves the old file or the new.
class DurableSaveTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return QFileInfo(m_dir.filePath(name)).absoluteFilePath(); }

    void start()
    {
        QMutexLocker lock(&g_mutex);
        g_calls.clear();
        g_recording = true;
    }
    QList<Call> stop()
    {
        QMutexLocker lock(&g_mutex);
        g_recording = false;
        return g_calls;
    }

    static QString describe(const QList<Call> &calls)
    {
        QStringList lines;
        for (const Call &call : calls)
            lines << (call.kind == Call::Rename ? QStringLiteral("rename %1 -> %2").arg(call.from, call.path)
                                                : QStringLiteral("sync %1").arg(call.path));
        return lines.join(QLatin1Char('\n'));
    }

    // The calls of one save of file: synced, renamed to file, folder synced.
    void checkDurable(const QList<Call> &calls, const QString &file)
    {
        const QString folder = QFileInfo(file).absolutePath();
        qsizetype renamed = -1;
        for (qsizetype i = 0; i < calls.size(); ++i)
            if (calls[i].kind == Call::Rename && calls[i].path == file)
                renamed = i;
        QVERIFY2(renamed >= 0, qPrintable(QStringLiteral("%1 was not renamed into place:\n%2").arg(file, describe(calls))));
        const QString temporary = calls[renamed].from;
        QCOMPARE(QFileInfo(temporary).absolutePath(), folder);
        bool fileSynced = false;
        for (qsizetype i = 0; i < renamed; ++i)
            fileSynced |= calls[i].kind == Call::SyncFile && calls[i].path == temporary;
        QVERIFY2(fileSynced, qPrintable(QStringLiteral("not synced before the rename:\n%1").arg(describe(calls))));
        bool folderSynced = false;
        for (qsizetype i = renamed + 1; i < calls.size(); ++i)
            folderSynced |= calls[i].kind == Call::SyncFolder && calls[i].path == folder;
        QVERIFY2(folderSynced, qPrintable(QStringLiteral("folder not synced after the rename:\n%1").arg(describe(calls))));
    }

private slots:
    void resourceFiles()
    {
        const QString file = path(QStringLiteral("A.res"));
        resutil::ResFile res;
        res.setFileName(file);
        start();
        QVERIFY(res.Create().ok());
        checkDurable(stop(), file);
        res.Strings().Add(2057, 1, QStringLiteral("One"));
        start();
        QVERIFY(res.Save(0).ok());
        checkDurable(stop(), file);
    }

    void workbooks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow(".xlsx") << "B.xlsx";
        QTest::newRow(".xls") << "B.xls";
    }
    void workbooks()
    {
        QFETCH(QString, name);
        const QString file = path(name);
        auto app = excel::Application::Create();
        QVERIFY2(app, qPrintable(app.errorString()));
        auto book = app.value()->Workbooks().Add(excel::xlWBATWorksheet);
        QVERIFY(book);
        start();
        QVERIFY(book.value()->SaveAs(file).ok());
        checkDurable(stop(), file);
        // An existing workbook, updated in place.
        auto opened = app.value()->Workbooks().Open(file);
        QVERIFY2(opened, qPrintable(opened.errorString()));
        QVERIFY(opened.value()->ActiveSheet()->Cells().Set(1, 1, excel::Value(QStringLiteral("x"))).ok());
        start();
        QVERIFY(opened.value()->Save().ok());
        checkDurable(stop(), file);
    }

    void projectFiles()
    {
        const QString file = path(QStringLiteral("P.vbp"));
        writeFile(file, "Type=Exe\r\nName=\"P\"\r\n");
        auto project = vbide::VbpFile::read(file);
        QVERIFY2(project, qPrintable(project.errorString()));
        QVERIFY(project.value()->setName(QStringLiteral("Q")).ok());
        start();
        QVERIFY(project.value()->save().ok());
        checkDurable(stop(), file);
    }

    void settingsFile()
    {
        HKEY key = 0;
        start();
        QCOMPARE(win32::RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Corvane\\Quillmark"), 0, QString(),
                                       REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                 ERROR_SUCCESS);
        checkDurable(stop(), QFileInfo(m_env.registryFile()).absoluteFilePath());
        win32::RegCloseKey(key);
    }

    void exchangeFiles_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"T.ods", "T.csv", "T.rc", "T.xlf", "T.po"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void exchangeFiles()
    {
        QFETCH(QString, name);
        const QString file = path(name);
        resutil::ResStrings strings;
        strings.Add(2057, 1, QStringLiteral("One"));
        strings.Add(1031, 1, QStringLiteral("Eins"));
        exchange::Options options;
        auto format = exchange::resolveFormat(file, QString());
        QVERIFY(format);
        options.format = format.value();
        options.targetLocale = 1031;
        struct Quiet : TransferFeedback {
            void setProgressCaption(const QString &) override {}
            void setProgressMaximum(int) override {}
            void setProgressMinimum(int) override {}
            void setProgressValue(int) override {}
            void showMessage(const QString &) override {}
        } feedback;
        start();
        const qm::Status exported = exchange::exportFile(
            strings, file, options, [](qint32 id) { return QString::number(id); }, feedback);
        QVERIFY2(exported.ok(), qPrintable(exported.errorString()));
        checkDurable(stop(), file);
    }
};

QTEST_GUILESS_MAIN(DurableSaveTest)
#include "durable_save_test.moc"

#include "addin/Connect.h"
#include "editor/clsProject.h"
#include "editor/docResourceEditor.h"
#include "platform/vbide/AddIn.h"
#include "platform/vbide/Addins.h"
#include "platform/vbide/HostWindow.h"
#include "platform/vbide/InprocServer.h"
#include "platform/vbide/VBE.h"
#include "platform/vbproject/VbpFile.h"
#include "platform/win32core/Registry.h"
#include "platform/win32core/RegistryStore.h"
#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "support/Globals.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/testlib/TestEnvironment.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/mount.h>
#include <unistd.h>

#include <cstring>

extern "C" int DllRegisterServer(void);
extern "C" int DllUnregisterServer(void);

using namespace editortest;
using namespace win32;

// Every writer on a small file system that fills up in the middle of a save:
// the message is the system's own reason with the file named once, the old
// file keeps every byte, and no temporary file is left. A folder that takes no
// new files is named as the problem. Needs root to mount the file system; CI
// runs as root.
class FullDiskTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;
    QTemporaryDir m_mountPoint;
    QTemporaryDir m_outside;
    bool m_mounted = false;
    std::unique_ptr<User> m_user;

    QString disk(const QString &name) const { return QDir(m_mountPoint.path()).filePath(name); }
    QString outside(const QString &name) const { return m_outside.filePath(name); }

    struct Run {
        int exitCode = -1;
        QString err;
    };
    static Run quillmark(const QStringList &args, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QM_BINARY_DIR "/bin/quillmark"), args);
        [&] { QVERIFY2(process.waitForFinished(-1), "quillmark did not finish"); }();
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
    }

    // Letters that do not compress, so a workbook of them stays as large.
    static QString noise(int length, quint32 seed)
    {
        QRandomGenerator random(seed);
        QString text(length, Qt::Uninitialized);
        for (QChar &c : text)
            c = QChar(u'a' + char16_t(random.bounded(26)));
        return text;
    }
    // About 60,000 letters, more than the disk has left even compressed.
    static QList<Entry> bigStrings()
    {
        QList<Entry> entries;
        for (int id = 1; id <= 12; ++id)
            entries.append({2057, id, noise(5000, quint32(id))});
        return entries;
    }

    // Fills the file system and then frees a little, so the next save stops part way.
    void fillDisk()
    {
        QFile filler(disk(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray chunk(64 * 1024, 'f');
        while (filler.write(chunk) == chunk.size()) {
        }
        QVERIFY(filler.size() > 16 * 1024);
        QVERIFY(filler.resize(filler.size() - 16 * 1024));
    }
    void emptyDisk()
    {
        QDir dir(m_mountPoint.path());
        for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot))
            QVERIFY(dir.remove(name));
    }
    QStringList filesOnDisk() const
    {
        QStringList names = QDir(m_mountPoint.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        names.removeAll(QStringLiteral("filler"));
        names.sort();
        return names;
    }

    // What every failed save must show.
    void checkFailure(const QString &message, const QString &file, const QString &reason)
    {
        QVERIFY2(message.contains(reason), qPrintable(message));
        const QString name = QFileInfo(file).fileName();
        QVERIFY2(message.count(name) == 1, qPrintable(QStringLiteral("%1 not named once in: %2").arg(name, message)));
        QVERIFY2(!message.contains(QLatin1String("Unknown error")), qPrintable(message));
    }

private slots:
    void initTestCase()
    {
        if (::geteuid() != 0)
            QSKIP("The full-disk checks mount a small tmpfs and need root; skipped (CI runs them as root).");
        if (::mount("tmpfs", QFile::encodeName(m_mountPoint.path()).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    "size=512k,mode=0755") != 0)
            QSKIP(qPrintable(QStringLiteral("A tmpfs cannot be mounted here (%1); the full-disk checks are skipped.")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno)))));
        m_mounted = true;
        QCOMPARE(DllRegisterServer(), vbide::S_OK);
    }
    void cleanupTestCase()
    {
        if (!m_mounted)
            return;
        QCOMPARE(DllUnregisterServer(), vbide::S_OK);
        QCOMPARE(::umount2(QFile::encodeName(m_mountPoint.path()).constData(), MNT_DETACH), 0);
    }
    void init()
    {
        emptyDisk();
        m_user = std::make_unique<User>();
    }
    void cleanup()
    {
        emptyDisk();
        m_user.reset();
    }

    void commandLineWritersSayTheDiskIsFull_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("target");   // the file the save fails to write
        QTest::addColumn<bool>("existing");    // whether the target is there before
        QTest::newRow("set") << "set" << "Strings.res" << true;
        QTest::newRow("set -o") << "set -o" << "Out.res" << false;
        QTest::newRow("import") << "import" << "Strings.res" << true;
        QTest::newRow("export new .xlsx") << "export" << "Book.xlsx" << false;
        QTest::newRow("export new .xls") << "export" << "Book.xls" << false;
        QTest::newRow("export existing .xlsx") << "export" << "Book.xlsx" << true;
        QTest::newRow("export existing .xls") << "export" << "Book.xls" << true;
        for (const char *name : {"Table.ods", "Table.csv", "Table.tsv", "Strings.rc"})
            QTest::newRow(qPrintable(QStringLiteral("export %1").arg(QLatin1String(name))))
                << "export" << name << false;
        QTest::newRow("export .xlf") << "export --target 1031" << "Strings.xlf" << false;
        QTest::newRow("export .po") << "export --target 1031" << "Strings.po" << false;
    }
    void commandLineWritersSayTheDiskIsFull()
    {
        QFETCH(QString, command);
        QFETCH(QString, target);
        QFETCH(bool, existing);
        const QString targetPath = disk(target);
        // The strings to write live outside the small disk; what is on it is small.
        const QString bigRes = outside(QStringLiteral("Big.res"));
        QList<Entry> big = bigStrings();
        big.append({1031, 1, QStringLiteral("Eins")});
        writeRes(bigRes, big);
        const QString bigBook = outside(QStringLiteral("Big.xlsx"));
        QCOMPARE(quillmark({QStringLiteral("export"), bigRes, bigBook}).exitCode, 0);
        if (existing && target.endsWith(QLatin1String(".res")))
            writeRes(targetPath, {{2057, 1, QStringLiteral("One")}});
        if (existing && !target.endsWith(QLatin1String(".res"))) {
            const QString small = outside(QStringLiteral("Small.res"));
            writeRes(small, {{2057, 1, QStringLiteral("One")}});
            QCOMPARE(quillmark({QStringLiteral("export"), small, targetPath}).exitCode, 0);
        }
        const QByteArray before = readFile(targetPath);
        const QStringList filesBefore = filesOnDisk();

        QStringList args = command.split(QLatin1Char(' '));
        const QString verb = args.takeFirst();
        if (verb == QLatin1String("set")) {
            const QString res = disk(QStringLiteral("Strings.res"));
            if (!existing)
                writeRes(res, {{2057, 1, QStringLiteral("One")}});
            args = QStringList{QStringLiteral("set"), res, QStringLiteral("2057"), QStringLiteral("2"),
                               noise(30000, 99)} + args;
            if (!existing)
                args << targetPath;
        } else if (verb == QLatin1String("import")) {
            args = QStringList{QStringLiteral("import"), bigBook, targetPath, QStringLiteral("--sheet"), QStringLiteral("Big")} + args;
        } else {
            args = QStringList{QStringLiteral("export"), bigRes, targetPath} + args;
        }
        const QByteArray source = existing ? QByteArray() : readFile(disk(QStringLiteral("Strings.res")));
        fillDisk();
        const Run run = quillmark(args);
        QCOMPARE(run.exitCode, 1);
        checkFailure(run.err, targetPath, QStringLiteral("No space left on device"));
        QCOMPARE(readFile(targetPath), before);
        QCOMPARE(QFileInfo::exists(targetPath), existing);
        if (!existing && verb == QLatin1String("set"))
            QCOMPARE(readFile(disk(QStringLiteral("Strings.res"))), source);
        QCOMPARE(filesOnDisk(), verb == QLatin1String("set") && !existing ? QStringList{QStringLiteral("Strings.res")}
                                                                          : filesBefore);
    }

    // A large new workbook keeps part of itself in a temporary file while it
    // is made (an .xlsx its sheet's compressed part, an .xls its shared
    // strings' characters): a full temporary folder stops the export with
    // the reason, and leaves neither the workbook nor a temporary file.
    void aFullTemporaryFolderIsTold_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow(".xlsx") << "Huge.xlsx" << "its temporary file cannot be written: No space left on device";
        QTest::newRow(".xls") << "Huge.xls" << "the shared strings cannot be kept in a temporary file (No space left on device)";
    }
    void aFullTemporaryFolderIsTold()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        const QString res = outside(QStringLiteral("Huge.res"));
        QList<Entry> entries;
        for (int id = 1; id <= 80; ++id)
            entries.append({2057, id, noise(30000, quint32(id))});
        writeRes(res, entries);
        const QString book = outside(name);
        QFile::remove(book);
        fillDisk();
        const QStringList filesBefore = filesOnDisk();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), m_mountPoint.path());
        const Run run = quillmark({QStringLiteral("export"), res, book}, environment);
        QCOMPARE(run.exitCode, 1);
        checkFailure(run.err, book, reason);
        QVERIFY(!QFileInfo::exists(book));
        QCOMPARE(filesOnDisk(), filesBefore);
        QCOMPARE(QDir(m_outside.path()).entryList({QLatin1Char('*') + name + QLatin1Char('*')}, QDir::Files | QDir::Hidden), QStringList());
    }

    void editorSaveSaysTheDiskIsFull()
    {
        skipLanguageDialog();
        const QString res = disk(QStringLiteral("A.res"));
        writeRes(res, bigStrings());
        writeProject(m_mountPoint.path(), QStringLiteral("Alpha"), QStringLiteral("A.res"));
        const QByteArray before = readFile(res);
        auto host = std::make_unique<vbide::HostWindow>();
        host->show();
        host->vbe()->Addins()->Update();
        vbide::AddIn *addIn = host->vbe()->Addins()->Item(QString::fromLatin1(Connect::ProgID));
        QVERIFY(addIn->setConnect(true).ok());
        QVERIFY(host->openProject(disk(QStringLiteral("Alpha.vbp"))));
        docResourceEditor &editor = *EditorInstance;
        editor.cboProjects()->setCurrentIndex(0);
        editor.cboProjects_Click();
        editor.SftTree_ItemClick(0, 1, win32::SftTree::AreaCellText, win32::SftTree::LeftButton, 0);
        editor.SftTree()->cellEditor()->setText(noise(3000, 7));
        QTest::keyClick(editor.SftTree()->cellEditor(), Qt::Key_Return);
        fillDisk();
        m_user->answerMsgBox(win32::vbOK);
        editor.SaveResFile();
        // An expected failure: a plain message, no program error report.
        QCOMPARE(m_user->messageBoxes.size(), 1);
        const QString told = m_user->messageBoxes[0].prompt;
        QVERIFY2(told.startsWith(QStringLiteral("The resource file could not be saved.")), qPrintable(told));
        checkFailure(told, res, QStringLiteral("No space left on device"));
        QCOMPARE(readFile(res), before);
        QVERIFY(editor.CurrentProject()->ResourceFile()->Changed());
        emptyDisk();
        m_user->answerMsgBox(win32::vbNo);
        QVERIFY(addIn->setConnect(false).ok());
        host.reset();
        m_user->verifyNothingUnexpected();
    }

    void projectFileSaveSaysTheDiskIsFull()
    {
        const QString vbp = disk(QStringLiteral("P.vbp"));
        QByteArray text = "Type=Exe\r\nName=\"P\"\r\n";
        for (int i = 0; i < 600; ++i)
            text += "Comment" + QByteArray::number(i) + "=\"" + noise(60, quint32(i)).toLatin1() + "\"\r\n";
        writeFile(vbp, text);
        auto project = vbide::VbpFile::read(vbp);
        QVERIFY2(project, qPrintable(project.errorString()));
        QVERIFY(project.value()->setName(QStringLiteral("Renamed")).ok());
        fillDisk();
        const qm::Status saved = project.value()->save();
        QVERIFY(!saved.ok());
        checkFailure(saved.errorString(), vbp, QStringLiteral("No space left on device"));
        QCOMPARE(readFile(vbp), text);
        QCOMPARE(filesOnDisk(), QStringList{QStringLiteral("P.vbp")});
    }

    void settingsSaySoAndKeepTheFile()
    {
        const QString file = disk(QStringLiteral("registry.reg"));
        qputenv("QM_REGISTRY_FILE", QFile::encodeName(file));
        HKEY key = 0;
        QCOMPARE(win32::RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Corvane\\Quillmark"), 0, QString(),
                                       REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                 ERROR_SUCCESS);
        for (int i = 0; i < 40; ++i) {
            const QByteArray data = noise(500, quint32(i)).toUtf8();
            QCOMPARE(win32::RegSetValueEx(key, QStringLiteral("V%1").arg(i), 0, REG_BINARY,
                                          reinterpret_cast<const BYTE *>(data.constData()), DWORD(data.size())),
                     ERROR_SUCCESS);
        }
        const QByteArray before = readFile(file);
        fillDisk();
        const QByteArray data(4000, 'x');
        QCOMPARE(win32::RegSetValueEx(key, QStringLiteral("More"), 0, REG_BINARY,
                                      reinterpret_cast<const BYTE *>(data.constData()), DWORD(data.size())),
                 ERROR_CANTWRITE);
        checkFailure(win32::RegistryStore::lastProblem(), file, QStringLiteral("No space left on device"));
        QCOMPARE(readFile(file), before);
        QCOMPARE(win32::RegCloseKey(key), ERROR_SUCCESS);
        qputenv("QM_REGISTRY_FILE", QFile::encodeName(m_env.registryFile()));
        // The lock file stays by design: removing it would let two writers lock different files.
        QCOMPARE(filesOnDisk(), (QStringList{QStringLiteral("registry.reg"), QStringLiteral("registry.reg.lock")}));
    }

    // A folder that takes no new files: a read-only mount, as even root cannot write there.
    void aFolderThatCannotBeWrittenIsNamed()
    {
        const QString res = disk(QStringLiteral("R.res"));
        writeRes(res, {{2057, 1, QStringLiteral("One")}});
        const QString book = disk(QStringLiteral("R.xlsx"));
        QCOMPARE(quillmark({QStringLiteral("export"), res, book}).exitCode, 0);
        const QByteArray resBefore = readFile(res);
        const QByteArray bookBefore = readFile(book);
        const QByteArray folder = QFile::encodeName(m_mountPoint.path());
        QCOMPARE(::mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
        const Run set = quillmark({QStringLiteral("set"), res, QStringLiteral("2057"), QStringLiteral("1"),
                                   QStringLiteral("Uno")});
        const Run exported = quillmark({QStringLiteral("export"), res, book});
        QCOMPARE(::mount(nullptr, folder.constData(), nullptr, MS_REMOUNT, "size=512k,mode=0755"), 0);
        QCOMPARE(set.exitCode, 1);
        QCOMPARE(exported.exitCode, 1);
        const QString shownFolder = QDir::toNativeSeparators(m_mountPoint.path());
        for (const auto &[run, file] : {std::pair{set, res}, std::pair{exported, book}}) {
            checkFailure(run.err, file, QStringLiteral("Read-only file system"));
            QVERIFY2(run.err.contains(QStringLiteral("the folder %1").arg(shownFolder)), qPrintable(run.err));
        }
        QCOMPARE(readFile(res), resBefore);
        QCOMPARE(readFile(book), bookBefore);
    }
};

QTEST_MAIN(FullDiskTest)
#include "full_disk_test.moc"

#include "platform/common/AtomicFile.h"
#include "platform/resutil/ResFile.h"
#include "tests/testlib/PeerPrograms.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QTemporaryDir>
#include <QtTest>

#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

// Every file created while recording, with the permissions it had the moment
// it appeared: this program's own open() comes first for every library.
namespace {

struct Created {
    QString path;
    mode_t mode;
};

QMutex g_mutex;
QList<Created> g_created;
bool g_recording = false;

void recordCreation(const char *path, int flags, mode_t mode)
{
    if (!(flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE)
        return;
    QMutexLocker lock(&g_mutex);
    if (!g_recording)
        return;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    g_created.append({QString::fromLocal8Bit(path), mode & ~mask & 07777});
}

template<class F>
F next(const char *name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {
int open(const char *path, int flags, ...)
{
    mode_t mode = 0;
    if (flags & O_CREAT) {
        va_list arguments;
        va_start(arguments, flags);
        mode = mode_t(va_arg(arguments, int));
        va_end(arguments);
    }
    recordCreation(path, flags, mode);
    static const auto real = next<int (*)(const char *, int, ...)>("open");
    return real(path, flags, mode);
}
int open64(const char *path, int flags, ...)
{
    mode_t mode = 0;
    if (flags & O_CREAT) {
        va_list arguments;
        va_start(arguments, flags);
        mode = mode_t(va_arg(arguments, int));
        va_end(arguments);
    }
    recordCreation(path, flags, mode);
    static const auto real = next<int (*)(const char *, int, ...)>("open64");
    return real(path, flags, mode);
}
}

// A save replaces the file's bytes and nothing else: owner, group,
// permissions, ACLs and extended attributes, symbolic and hard links, and the
// name, however long, are what they were.
class SaveIdentityTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return QDir(m_dir.path()).filePath(name); }

    static bool saveRes(const QString &file, const QString &text)
    {
        resutil::ResFile res;
        res.setFileName(file);
        if (!res.Load().ok())
            return false;
        if (resutil::ResString *entry = res.Strings().Find(2057, 7))
            entry->setText(text);
        else
            res.Strings().Add(2057, 7, text);
        const qm::Status saved = res.Save(0);
        if (!saved.ok())
            qWarning("%s", qPrintable(saved.errorString()));
        return saved.ok();
    }
    static QString textIn(const QString &file)
    {
        resutil::ResFile res;
        res.setFileName(file);
        if (!res.Load().ok())
            return QStringLiteral("(unreadable)");
        const resutil::ResString *found = res.Strings().Find(2057, 7);
        return found ? found->Text() : QString();
    }
    QString newResFile(const QString &name)
    {
        const QString file = path(name);
        resutil::ResFile res;
        res.setFileName(file);
        [&] { QVERIFY(res.Create().ok()); }();
        return file;
    }
    static struct stat statOf(const QString &file)
    {
        struct stat info {};
        ::lstat(QFile::encodeName(file).constData(), &info);
        return info;
    }
    static QString acl(const QString &file)
    {
        const auto got = peers::run(QStringLiteral("getfacl"), {QStringLiteral("--omit-header"), QStringLiteral("--absolute-names"), file});
        return got.exitCode == 0 ? QString::fromUtf8(got.out) : QStringLiteral("getfacl failed: ") + QString::fromUtf8(got.err);
    }
    QStringList leftovers() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(QStringLiteral(".tmp"));
    }

private slots:
    void init() { QVERIFY(leftovers().isEmpty()); }
    void cleanup() { QVERIFY2(leftovers().isEmpty(), qPrintable(leftovers().join(QLatin1Char(' ')))); }

    // Another user's file, with its group, mode, an ACL and an attribute. The
    // new bytes are never readable by more than the file allows, not even
    // while the temporary file is being set up.
    void ownerGroupModeAclAndAttributes()
    {
        if (::geteuid() != 0)
            QSKIP("giving a file to another user takes root; CI runs as root");
        if (peers::program("setfacl").isEmpty())
            QSKIP("setfacl (Debian package acl) is not installed");
        const QString file = newResFile(QStringLiteral("Owned.res"));
        const QByteArray name = QFile::encodeName(file);
        QCOMPARE(::chown(name.constData(), 1234, 2345), 0);
        QCOMPARE(::chmod(name.constData(), 0640), 0);
        QCOMPARE(peers::run(QStringLiteral("setfacl"), {QStringLiteral("-m"), QStringLiteral("u:4321:r"), file}).exitCode, 0);
        QCOMPARE(::setxattr(name.constData(), "user.origin", "translators", 11, 0), 0);
        const QString aclBefore = acl(file);
        QVERIFY2(aclBefore.contains(QLatin1String("user:4321:r--")), qPrintable(aclBefore));
        const mode_t modeBefore = statOf(file).st_mode;

        const mode_t savedMask = ::umask(0); // the old way, a new file readable by all for a moment
        {
            QMutexLocker lock(&g_mutex);
            g_created.clear();
            g_recording = true;
        }
        const bool saved = saveRes(file, QStringLiteral("Secret"));
        QList<Created> created;
        {
            QMutexLocker lock(&g_mutex);
            g_recording = false;
            created = g_created;
        }
        ::umask(savedMask);
        QVERIFY(saved);

        QCOMPARE(textIn(file), QStringLiteral("Secret"));
        const struct stat after = statOf(file);
        QCOMPARE(after.st_uid, uid_t(1234));
        QCOMPARE(after.st_gid, gid_t(2345));
        QCOMPARE(after.st_mode, modeBefore);
        QCOMPARE(acl(file), aclBefore);
        char value[32] = {};
        QCOMPARE(::getxattr(name.constData(), "user.origin", value, sizeof value), ssize_t(11));
        QCOMPARE(QByteArray(value), QByteArray("translators"));
        QVERIFY(!created.isEmpty());
        for (const Created &c : created)
            QVERIFY2((c.mode & 0177) == 0, qPrintable(QStringLiteral("%1 created with mode %2").arg(c.path).arg(c.mode, 0, 8)));
    }

    // A save through a symbolic link writes the file it names; a file with a
    // second name keeps it, and both names show the new text.
    void linksStayLinks()
    {
        const QString target = newResFile(QStringLiteral("Target.res"));
        const QString link = path(QStringLiteral("Link.res"));
        QVERIFY(QFile::link(target, link));
        QVERIFY(saveRes(link, QStringLiteral("Through the link")));
        QVERIFY(S_ISLNK(statOf(link).st_mode));
        QCOMPARE(textIn(target), QStringLiteral("Through the link"));

        const QString second = path(QStringLiteral("Second.res"));
        QCOMPARE(::link(QFile::encodeName(target).constData(), QFile::encodeName(second).constData()), 0);
        const ino_t inode = statOf(target).st_ino;
        QVERIFY(saveRes(target, QStringLiteral("Both names")));
        QCOMPARE(statOf(target).st_ino, inode);
        QCOMPARE(statOf(second).st_ino, inode);
        QCOMPARE(statOf(target).st_nlink, nlink_t(2));
        QCOMPARE(textIn(second), QStringLiteral("Both names"));
        // Shorter content after longer: the old tail is gone.
        qm::AtomicFile file(second);
        QVERIFY(file.open().ok());
        QVERIFY(file.writesInPlace());
        QVERIFY(file.write("tiny").ok());
        QVERIFY(file.commit().ok());
        QCOMPARE(readFile(target), QByteArray("tiny"));
    }

    // Saving another user's file that the saver may write but not give away
    // (a shared folder): the bytes go into the file itself, which stays theirs.
    void ownerThatCannotBeGiven()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to set up a file of another user");
        QTemporaryDir shared;
        QCOMPARE(::chmod(QFile::encodeName(shared.path()).constData(), 0777), 0);
        const QString file = QDir(shared.path()).filePath(QStringLiteral("Theirs.txt"));
        writeFile(file, "old bytes");
        const QByteArray name = QFile::encodeName(file);
        QCOMPARE(::chown(name.constData(), 1234, 1234), 0);
        QCOMPARE(::chmod(name.constData(), 0666), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            // As nobody: the file can be written but not handed to its owner.
            if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
                ::_exit(3);
            qm::AtomicFile out(file);
            if (!out.open().ok() || !out.writesInPlace())
                ::_exit(4);
            ::_exit(out.write("new bytes").ok() && out.commit().ok() ? 0 : 5);
        }
        int status = -1;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(readFile(file), QByteArray("new bytes"));
        QCOMPARE(statOf(file).st_uid, uid_t(1234));
        QCOMPARE(QDir(shared.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Theirs.txt")});
    }

    // A name as long as the file system allows still has room beside it for
    // the temporary file, in ASCII and in letters of several bytes.
    void longestNames_data()
    {
        QTest::addColumn<QString>("name");
        for (int bytes : {242, 250, 255})
            QTest::addRow("%d ASCII bytes", bytes) << QString(bytes - 4, QLatin1Char('n')) + QStringLiteral(".res");
        // 251 bytes of a two-byte letter, then .res: 255 bytes.
        QTest::addRow("letters of two bytes") << QString(125, QChar(0xFC)) + QStringLiteral("x.res");
        QTest::addRow("letters of four bytes") << QString::fromUcs4(std::u32string(62, U'\U0001F600').c_str()) + QStringLiteral("abc.res");
    }
    void longestNames()
    {
        QFETCH(QString, name);
        QVERIFY(QFile::encodeName(name).size() <= 255);
        const QString file = newResFile(name);
        QVERIFY(QFileInfo::exists(file));
        QVERIFY(saveRes(file, QStringLiteral("Long")));
        QCOMPARE(textIn(file), QStringLiteral("Long"));
        QVERIFY(QFile::remove(file));
    }
};

QTEST_GUILESS_MAIN(SaveIdentityTest)
#include "save_identity_test.moc"

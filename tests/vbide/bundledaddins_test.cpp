#include "platform/vbide/BundledAddIns.h"
#include "platform/vbide/ComRegistration.h"
#include "platform/vbide/HostRegistry.h"
#include "platform/vbide/InprocServer.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"
#include "tests/vbide/testaddin/TestAddIn.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vbide;
using namespace win32;

namespace {

const QString BuiltLibrary = QStringLiteral(QM_TEST_ADDIN_LIBRARY);
const QString AddInKey = QLatin1String(AddinsRegistryKey) + QLatin1Char('\\') + QLatin1String(testaddin::ConnectProgId);

QString registeredLibrary()
{
    qm::Result<QString> clsid = clsidFromProgId(QLatin1String(testaddin::ConnectProgId));
    if (!clsid)
        return QString();
    qm::Result<QString> path = inprocServerPath(*clsid);
    return path ? *path : QString();
}

} // namespace

class BundledAddInsTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartRegistersTheInstalledAddIn()
    {
        TestEnvironment env;
        QTemporaryDir folder;
        const QString installed = folder.filePath(QStringLiteral("libQuillTest.so"));
        QVERIFY(QFile::copy(BuiltLibrary, installed));
        // A file that is no library is reported, and the add-in beside it still registers.
        writeFile(folder.filePath(QStringLiteral("libbroken.so")), "not an ELF file");

        QStringList failures = registerBundledAddIns(QDir(folder.path()).canonicalPath());
        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures[0].contains(QStringLiteral("libbroken.so")), qPrintable(failures[0]));
        QCOMPARE(registeredLibrary(), QFileInfo(installed).canonicalFilePath());
        QCOMPARE(reg::readString(HKEY_CURRENT_USER, AddInKey, QStringLiteral("FriendlyName")).value(),
                 QStringLiteral("Quill Test Add-In"));

        // The user's choice of when it loads survives the next start.
        QVERIFY(reg::writeDword(HKEY_CURRENT_USER, AddInKey, QStringLiteral("LoadBehavior"), LoadBehaviorStartup));
        QFile::remove(folder.filePath(QStringLiteral("libbroken.so")));
        failures = registerBundledAddIns(QDir(folder.path()).canonicalPath());
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
        QCOMPARE(reg::readDword(HKEY_CURRENT_USER, AddInKey, QStringLiteral("LoadBehavior")).value(), quint32(LoadBehaviorStartup));
    }

    void aBuildTreeHasNoAddInFolder()
    {
        TestEnvironment env;
        QCOMPARE(bundledAddInFolder(QStringLiteral("../lib/no-such-arch/quillmark")), QString());
        QVERIFY(registerBundledAddIns(QString()).isEmpty());
        QCOMPARE(registeredLibrary(), QString());
        QVERIFY(!bundledAddInFolder(QStringLiteral(".")).isEmpty());
    }
};

QTEST_MAIN(BundledAddInsTest)
#include "bundledaddins_test.moc"

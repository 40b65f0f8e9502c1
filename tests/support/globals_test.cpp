#include "support/Globals.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

class GlobalsTest : public QObject {
    Q_OBJECT
private slots:
    void versionText_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("text");
        QTest::newRow("1.2.34") << 1 << 2 << 34 << "Version 1.02.0034";
        QTest::newRow("zeros") << 0 << 0 << 0 << "Version 0.00.0000";
        QTest::newRow("wide") << 12 << 345 << 67890 << "Version 12.345.67890";
        QTest::newRow("two digits") << 2 << 10 << 1000 << "Version 2.10.1000";
    }

    void versionText()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, text);
        QCOMPARE(FormatVersionText(major, minor, revision), text);
    }

    void libraryVersion()
    {
        QCOMPARE(LibraryVersionText(), FormatVersionText(QM_VERSION_MAJOR, QM_VERSION_MINOR, QM_VERSION_PATCH));
    }

    void helpFileBesideLibrary()
    {
        const QString folder = LibraryFolder();
        QVERIFY(QFileInfo::exists(folder + QDir::separator() + QStringLiteral("libQuillmark.so")));
        QCOMPARE(LibraryHelpFilePath(), folder + QDir::separator() + QStringLiteral("Quillmark.chm"));
    }
};

QTEST_GUILESS_MAIN(GlobalsTest)
#include "globals_test.moc"

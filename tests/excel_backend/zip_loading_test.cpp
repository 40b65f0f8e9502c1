#include "platform/excel/Application.h"
#include "platform/excel/io/LibZip.h"
#include "platform/excel/io/ZipArchive.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Workbooks.h"
#include "support/LibraryMessages.h"
#include "tests/testlib/MappedLibraries.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QtTest>

using namespace excel;

// libzip is loaded by the first archive read or update, never for writing a
// new one: the slots run in order, the first before anything is read.
class ZipLoadingTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    std::unique_ptr<Application> m_app = Application::Create().value();

    QString path(const QString &name) const { return QDir(m_env.path()).filePath(name); }
    qm::Status writeNewBook(const QString &file)
    {
        auto book = m_app->Workbooks().Add(xlWBATWorksheet);
        if (!book)
            return book.error();
        if (auto set = book.value()->ActiveSheet()->Cells().Set(1, 1, QStringLiteral("Hello")); !set)
            return set;
        return book.value()->SaveAs(file);
    }

private slots:
    void writingANewBookLoadsNoZipLibrary()
    {
        QVERIFY(!testlib::mappedLibraries(QStringLiteral("libc.so")).isEmpty()); // the maps are read
        QCOMPARE(testlib::mappedLibraries(QStringLiteral("libzip.so")), QStringList());
        const auto saved = writeNewBook(path(QStringLiteral("new.xlsx")));
        QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
        auto inMemory = backend::ZipWriter::create();
        QVERIFY(inMemory->put(QStringLiteral("a.xml"), QByteArray("<a/>")).ok());
        QVERIFY(!inMemory->finish().value().isEmpty());
        QVERIFY(readFile(path(QStringLiteral("new.xlsx"))).startsWith("PK\x03\x04"));
        QCOMPARE(testlib::mappedLibraries(QStringLiteral("libzip.so")), QStringList());
        QCOMPARE(testlib::mappedLibraries(QStringLiteral("libcrypto.so")), QStringList());
    }

    // Reading says which library could not be loaded and why, in German too;
    // writing a new book does not need it.
    void aZipLibraryThatCannotBeLoadedIsNamed()
    {
        const char *real = backend::LibZip::fileName;
        backend::LibZip::fileName = "libqm-no-such-zip.so.4";
        auto opened = m_app->Workbooks().Open(path(QStringLiteral("new.xlsx")));
        auto updated = backend::ZipWriter::update(readFile(path(QStringLiteral("new.xlsx"))));
        const auto written = writeNewBook(path(QStringLiteral("still.xlsx")));
        backend::LibZip::fileName = real;

        QVERIFY(!opened.ok());
        const QString message = opened.errorString();
        QVERIFY2(message.contains(QStringLiteral("the zip library libqm-no-such-zip.so.4 cannot be loaded: "))
                     && message.contains(QStringLiteral("cannot open shared object file")),
                 qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("new.xlsx")), qPrintable(message));
        const QString german = LibraryMessages::German(message);
        QVERIFY2(german.contains(QStringLiteral("die Zip-Bibliothek libqm-no-such-zip.so.4 kann nicht geladen werden")),
                 qPrintable(german));
        QVERIFY(!updated.ok());
        QVERIFY2(updated.errorString().contains(QStringLiteral("libqm-no-such-zip.so.4")), qPrintable(updated.errorString()));
        QVERIFY2(written.ok(), qPrintable(written.errorString()));
        QCOMPARE(testlib::mappedLibraries(QStringLiteral("libzip.so")), QStringList());
    }

    // A failure is not kept: once the library can be loaded, reading works.
    void readingLoadsItOnce()
    {
        for (const QString &name : {QStringLiteral("new.xlsx"), QStringLiteral("still.xlsx")}) {
            auto opened = m_app->Workbooks().Open(path(name));
            QVERIFY2(opened.ok(), qPrintable(opened.errorString()));
            QCOMPARE(opened.value()->ActiveSheet()->Cells().Value(1, 1).text(), QStringLiteral("Hello"));
        }
        QCOMPARE(testlib::mappedLibraries(QStringLiteral("libzip.so")).size(), 1);
    }
};

QTEST_GUILESS_MAIN(ZipLoadingTest)
#include "zip_loading_test.moc"

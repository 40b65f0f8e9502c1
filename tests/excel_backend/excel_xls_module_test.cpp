#include "platform/excel/Application.h"
#include "platform/excel/XlsModuleLoader.h"
#include "platform/excel/model/Constants.h"
#include "support/LibraryMessages.h"

#include "tests/testlib/MappedLibraries.h"
#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

using namespace excel;

// The .xls back end is a module loaded with the first .xls file: until then
// the process maps neither it nor libgsf. A module that cannot be loaded makes
// every .xls operation fail with its file's name and the loader's reason,
// while .xlsx files go on working. The slots run in order: the module loads
// only in the last one.
class ExcelXlsModuleTest : public QObject {
    Q_OBJECT

private:
    TestEnvironment m_env;
    QTemporaryDir m_dir;
    std::unique_ptr<Application> m_app;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    static bool maps(const QString &prefix)
    {
        return !testlib::mappedLibraries(prefix).isEmpty();
    }

    // An .xlsx book written and read back in this process.
    void xlsxWorks(const QString &name)
    {
        Workbook *made = m_app->Workbooks().Add(xlWBATWorksheet).value();
        QVERIFY(made->ActiveSheet()->Cells().Set(1, 1, QStringLiteral("Grüße")).ok());
        const qm::Status saved = made->SaveAs(path(name));
        QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
        auto read = m_app->Workbooks().Open(path(name));
        QVERIFY2(read.ok(), qPrintable(read.errorString()));
        QCOMPARE(read.value()->ActiveSheet()->Cells().Text(1, 1), QStringLiteral("Grüße"));
    }

    // Saving a new .xls book and opening an .xls file both fail, naming the
    // module's file and `reason`; nothing is written.
    void xlsFails(const QString &module, const QString &reason)
    {
        const QString book = path(QStringLiteral("new.xls"));
        Workbook *made = m_app->Workbooks().Add(xlWBATWorksheet).value();
        QVERIFY(made->ActiveSheet()->Cells().Set(1, 1, QStringLiteral("x")).ok());
        const qm::Status saved = made->SaveAs(book);
        QVERIFY(!saved.ok());
        const QString message = saved.errorString();
        QVERIFY2(message.startsWith(book + QStringLiteral(": the .xls back end ") + module + QStringLiteral(" cannot be loaded (")),
                 qPrintable(message));
        QVERIFY2(message.contains(reason), qPrintable(message));
        QVERIFY2(!message.contains(QStringLiteral("(") + module), qPrintable(message)); // the name once
        QVERIFY(!QFile::exists(book));

        // An existing .xls file: its container is never looked at.
        const QString existing = path(QStringLiteral("existing.xls"));
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArrayLiteral("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + QByteArray(504, '\0'));
        file.close();
        auto opened = m_app->Workbooks().Open(existing);
        QVERIFY(!opened.ok());
        QVERIFY2(opened.errorString().startsWith(existing + QStringLiteral(": the .xls back end ") + module),
                 qPrintable(opened.errorString()));
        QVERIFY2(opened.errorString().contains(reason), qPrintable(opened.errorString()));

        // The German message keeps the book's and the module's names.
        const QString german = LibraryMessages::German(message);
        QVERIFY2(german.startsWith(book + QStringLiteral(": das .xls-Modul ") + module + QStringLiteral(" kann nicht geladen werden (")),
                 qPrintable(german));
    }

private slots:
    void initTestCase()
    {
        auto app = Application::Create();
        QVERIFY2(app.ok(), qPrintable(app.errorString()));
        m_app = std::move(app).value();
    }

    void anXlsxBookLoadsNoXlsBackEnd()
    {
        QVERIFY2(maps(QStringLiteral("libqm_excel.so")), "the maps were not read");
        xlsxWorks(QStringLiteral("first.xlsx"));
        QVERIFY2(!maps(QStringLiteral("libqm_excel_xls")), qPrintable(testlib::mappedLibraries().join(u' ')));
        QVERIFY2(!maps(QStringLiteral("libgsf")), qPrintable(testlib::mappedLibraries().join(u' ')));
    }

    void aMissingModuleIsNamedAndXlsxGoesOn()
    {
        QTemporaryDir empty;
        backend::setXlsModuleFolder(empty.path());
        const QString module = empty.filePath(QStringLiteral("libqm_excel_xls.so"));
        xlsFails(module, QStringLiteral("No such file or directory"));
        xlsxWorks(QStringLiteral("second.xlsx"));
        // Asked again, the loader tries again and says the same.
        xlsFails(module, QStringLiteral("No such file or directory"));
        QVERIFY(!maps(QStringLiteral("libgsf")));
    }

    void aModuleThatIsNoneIsRefused()
    {
        QTemporaryDir folder;
        backend::setXlsModuleFolder(folder.path());
        const QString module = folder.filePath(QStringLiteral("libqm_excel_xls.so"));
        QFile broken(module);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray(4096, 'x'));
        broken.close();
        xlsFails(module, QStringLiteral("invalid ELF header"));

        // A library without the module's entry point (one of another build) is refused too.
        QVERIFY(QFile::remove(module));
        const QString other = QStringLiteral("/usr/lib/x86_64-linux-gnu/libz.so.1");
        if (!QFile::exists(other))
            QSKIP("no libz.so.1 to stand for a module of another build");
        QVERIFY(QFile::copy(other, module));
        xlsFails(module, QStringLiteral("undefined symbol: qm_excel_xls_module_v1"));
        xlsxWorks(QStringLiteral("third.xlsx"));
        QVERIFY(!maps(QStringLiteral("libgsf")));
    }

    void theModuleBesideTheLibraryServesXls()
    {
        backend::setXlsModuleFolder(QString());
        const QString book = path(QStringLiteral("book.xls"));
        Workbook *made = m_app->Workbooks().Add(xlWBATWorksheet).value();
        QVERIFY(made->ActiveSheet()->Cells().Set(1, 1, QStringLiteral("Grüße")).ok());
        const qm::Status saved = made->SaveAs(book);
        QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
        QVERIFY(maps(QStringLiteral("libqm_excel_xls.so")));
        QVERIFY(maps(QStringLiteral("libgsf")));
        auto read = m_app->Workbooks().Open(book);
        QVERIFY2(read.ok(), qPrintable(read.errorString()));
        QCOMPARE(read.value()->ActiveSheet()->Cells().Text(1, 1), QStringLiteral("Grüße"));
        // Loaded once, it stays: another folder no longer matters.
        backend::setXlsModuleFolder(m_dir.path());
        QVERIFY(read.value()->ActiveSheet()->Cells().Set(1, 2, QStringLiteral("again")).ok());
        const qm::Status updated = read.value()->Save();
        QVERIFY2(updated.ok(), qPrintable(updated.errorString()));
        backend::setXlsModuleFolder(QString());
    }
};

QTEST_GUILESS_MAIN(ExcelXlsModuleTest)
#include "excel_xls_module_test.moc"

#include "platform/excel/Application.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/model/FormatBackEnds.h"

#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

using namespace excel;

// The model reaches files only through the back ends the application installs
// for each format: before it has started, no workbook is read or written;
// afterwards each format goes through its own back end, the first save of a
// new book and the update of one read from a file alike.
class ExcelBackEndsTest : public QObject {
    Q_OBJECT

private:
    TestEnvironment m_env;
    QTemporaryDir m_dir;

    static QByteArray start(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.read(4) : QByteArray();
    }

private slots:
    // Runs first: this process has no application yet.
    void nothingIsInstalledBeforeTheApplicationStarts()
    {
        for (const auto &[format, name] : {std::pair{FileFormat::Xlsx, ".xlsx"}, std::pair{FileFormat::Xls, ".xls"}}) {
            auto backEnd = backend::backEndOf(format);
            QVERIFY(!backEnd.ok());
            QVERIFY2(backEnd.errorString().contains(QLatin1String(name)), qPrintable(backEnd.errorString()));
        }
        // A switched-off back end installs nothing either.
        qputenv("QM_EXCEL_UNAVAILABLE", "1");
        QVERIFY(!Application::Create().ok());
        qunsetenv("QM_EXCEL_UNAVAILABLE");
        QVERIFY(!backend::backEndOf(FileFormat::Xlsx).ok());
    }

    void eachFormatGoesThroughItsOwnBackEnd()
    {
        auto app = Application::Create();
        QVERIFY2(app.ok(), qPrintable(app.errorString()));
        const backend::FormatBackEnd *xlsx = backend::backEndOf(FileFormat::Xlsx).value();
        const backend::FormatBackEnd *xls = backend::backEndOf(FileFormat::Xls).value();
        QVERIFY(xlsx != xls);
        QVERIFY(xlsx->read && xlsx->write && xlsx->relink && xlsx->writeNew);
        QVERIFY(xls->read && xls->write && xls->relink && xls->writeNew);

        const QList<std::pair<QString, QByteArray>> files{{QStringLiteral("book.xlsx"), QByteArrayLiteral("PK\x03\x04")},
                                                          {QStringLiteral("book.xls"), QByteArrayLiteral("\xD0\xCF\x11\xE0")}};
        for (const auto &[name, magic] : files) {
            const QString file = m_dir.filePath(name);
            Workbook *made = app.value()->Workbooks().Add(xlWBATWorksheet).value();
            QVERIFY(made->ActiveSheet()->Cells().Set(1, 1, QStringLiteral("first")).ok());
            QVERIFY(made->SaveAs(file).ok());
            QCOMPARE(start(file), magic);

            Workbook *read = app.value()->Workbooks().Open(file).value();
            QCOMPARE(read->ActiveSheet()->Cells().Text(1, 1), QStringLiteral("first"));
            // An update, then a second one over the bytes the first left.
            QVERIFY(read->ActiveSheet()->Cells().Set(1, 2, QStringLiteral("second")).ok());
            QVERIFY(read->Save().ok());
            QVERIFY(read->ActiveSheet()->Cells().Set(1, 3, QStringLiteral("third")).ok());
            QVERIFY(read->Save().ok());
            QCOMPARE(start(file), magic);

            Workbook *back = app.value()->Workbooks().Open(file).value();
            QCOMPARE(back->ActiveSheet()->Cells().Text(1, 1), QStringLiteral("first"));
            QCOMPARE(back->ActiveSheet()->Cells().Text(1, 2), QStringLiteral("second"));
            QCOMPARE(back->ActiveSheet()->Cells().Text(1, 3), QStringLiteral("third"));
        }
    }
};

QTEST_GUILESS_MAIN(ExcelBackEndsTest)
#include "excel_backends_test.moc"

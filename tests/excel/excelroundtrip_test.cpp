#include "TransferTestSupport.h"

#include "transfer/ExcelExport.h"
#include "platform/excel/model/Constants.h"
#include "platform/resutil/ResFile.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

// .res -> workbook -> .res gives every (locale, ID, text) back, in both formats.
class RoundTripTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    static QList<Entry> sorted(QList<Entry> entries)
    {
        std::sort(entries.begin(), entries.end());
        return entries;
    }

    static QList<Entry> withoutEmptyTexts(QList<Entry> entries)
    {
        entries.removeIf([](const Entry &e) { return std::get<2>(e).isEmpty(); });
        return entries;
    }

    static QList<Entry> sampleTexts()
    {
        const QString longest(excel::MaxTextLength, QChar(0x4E2D)); // a full cell of CJK
        QString mixed;
        for (int i = 0; mixed.size() < excel::MaxTextLength - 16; ++i)
            mixed += QStringLiteral("row %1 \u00e9\u05d0\u0e01\r\n").arg(i);
        return {
            {2057, 1, "Plain English"},
            {2057, 2, "=SUM(A1)"},
            {2057, 3, "'quoted"},
            {2057, 4, "''"},
            {2057, 5, "007"},
            {2057, 6, "1/2"},
            {2057, 7, "1e5"},
            {2057, 8, "TRUE"},
            {2057, 9, "Line one\r\nLine two\nLine three\rend"},
            {2057, 10, "  padded  "},
            {2057, 11, "tab\there"},
            {2057, 12, "_x0041_ looks escaped"},
            {2057, 13, QStringLiteral("bell\u0001 and\u001f more")},
            {2057, 14, "-1"},
            {2057, 15, "#N/A"},
            {2057, 16, "3.14159265358979"},
            {2057, 17, longest},
            {2057, 18, mixed.left(excel::MaxTextLength)},
            {2057, 65535, "last ID"},
            {2057, 0, "ID zero"},
            {1031, 1, QStringLiteral("Gr\u00fc\u00dfe aus M\u00fcnchen")},
            {1032, 1, QStringLiteral("\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1")},
            {1049, 1, QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442")},
            {1025, 1, QStringLiteral("\u0645\u0631\u062d\u0628\u0627 \u0628\u0627\u0644\u0639\u0627\u0644\u0645")},
            {1037, 1, QStringLiteral("\u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd")},
            {1041, 1, QStringLiteral("\u3053\u3093\u306b\u3061\u306f\u4e16\u754c")},
            {2052, 1, QStringLiteral("\u4f60\u597d\uff0c\u4e16\u754c")},
            {1042, 1, QStringLiteral("\uc548\ub155\ud558\uc138\uc694")},
            {1054, 1, QStringLiteral("\u0e2a\u0e27\u0e31\u0e2a\u0e14\u0e35\u0e04\u0e23\u0e31\u0e1a")},
            {1081, 1, QStringLiteral("\u0928\u092e\u0938\u094d\u0924\u0947 \u0926\u0941\u0928\u093f\u092f\u093e")},
            {1066, 1, QStringLiteral("Xin ch\u00e0o th\u1ebf gi\u1edbi")},
            {1033, 1, QStringLiteral("emoji \U0001F600 and combining e\u0301")},
            {1033, 2, "=1+1"},
        };
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        LgvStringModule::setCurrentUILanguage(2057);
    }

    void resToWorkbookToRes_data()
    {
        QTest::addColumn<QString>("bookName");
        QTest::newRow("xlsx") << "strings.xlsx";
        QTest::newRow("xls") << "strings.xls";
    }
    void resToWorkbookToRes()
    {
        QFETCH(QString, bookName);
        const QString resPath = m_dir.filePath(QStringLiteral("in-") + bookName + QStringLiteral(".res"));
        const QString bookPath = m_dir.filePath(bookName);
        const QList<Entry> original = sampleTexts();
        {
            resutil::ResFile file;
            file.setFileName(resPath);
            QVERIFY(file.Create().ok());
            fill(file.Strings(), original);
            const qm::Status saved = file.Save(0);
            QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
        }

        resutil::ResFile source;
        source.setFileName(resPath);
        QVERIFY(source.Load().ok());
        QCOMPARE(sorted(entriesOf(source.Strings())), sorted(original));
        {
            auto app = startExcel();
            ExcelTransfer::ExportTarget target(app->Workbooks());
            target.fileName = bookPath;
            target.sheetName = QStringLiteral("Project1");
            RecordingFeedback feedback;
            const qm::Status exported = ExcelTransfer::exportStrings(target, source.Strings(), testLanguageName, feedback);
            QVERIFY2(exported.ok(), qPrintable(exported.errorString() + " / " + target.details().left(80)));
        }

        auto app = startExcel();
        auto book = app->Workbooks().Open(bookPath);
        QVERIFY2(book.ok(), qPrintable(book.errorString()));
        resutil::ResFile back;
        back.setFileName(resPath);
        QVERIFY(back.Load().ok());
        RecordingFeedback feedback;
        const qm::Status imported = ExcelTransfer::importStrings(*book.value(), QStringLiteral("Project1"),
                                                                 back.Strings(), feedback);
        QVERIFY2(imported.ok(), qPrintable(imported.errorString()));
        QVERIFY(feedback.messages.isEmpty());

        // Every text comes back; cells the export left empty come back as empty texts.
        const QList<Entry> importedEntries = entriesOf(back.Strings());
        QCOMPARE(sorted(withoutEmptyTexts(importedEntries)), sorted(original));
        QSet<qint32> ids, locales;
        for (const Entry &e : original) {
            ids.insert(std::get<1>(e));
            locales.insert(std::get<0>(e));
        }
        QCOMPARE(importedEntries.size(), qsizetype(ids.size() * locales.size()));
        QCOMPARE(feedback.progressMaximum, int(ids.size() * locales.size()));

        // And through the .res file once more: the same strings as at the start.
        QVERIFY(back.Save(0).ok());
        resutil::ResFile reread;
        reread.setFileName(resPath);
        QVERIFY(reread.Load().ok());
        QCOMPARE(sorted(entriesOf(reread.Strings())), sorted(original));
    }

    // The full .xls row range: 65,534 IDs.
    void xlsFullRowRange()
    {
        resutil::ResStrings strings;
        for (int id = 0; id < excel::XlsMaxRows - 2; ++id)
            strings.Add(1031, id, QString::number(id));
        const QString bookPath = m_dir.filePath(QStringLiteral("rows.xls"));
        {
            auto app = startExcel();
            ExcelTransfer::ExportTarget target(app->Workbooks());
            target.fileName = bookPath;
            target.sheetName = QStringLiteral("All");
            RecordingFeedback feedback;
            QVERIFY(ExcelTransfer::exportStrings(target, strings, testLanguageName, feedback).ok());
        }
        auto app = startExcel();
        auto book = app->Workbooks().Open(bookPath);
        QVERIFY(book.ok());
        resutil::ResStrings back;
        RecordingFeedback feedback;
        QVERIFY(ExcelTransfer::importStrings(*book.value(), QStringLiteral("All"), back, feedback).ok());
        QCOMPARE(entriesOf(back), entriesOf(strings));
    }
};

QTEST_MAIN(RoundTripTest)
#include "excelroundtrip_test.moc"

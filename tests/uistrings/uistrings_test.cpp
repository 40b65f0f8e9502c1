#include "platform/runtime/LocaleInfo.h"
#include "platform/runtime/ResourceReader.h"
#include "platform/win32/ScriptedInteraction.h"
#include "support/ErrorTrap.h"
#include "support/Globals.h"
#include "support/modUtilLanguage.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/uistrings/UIStringTable.h"
#include "uistrings/LgvStringModule.h"

#include <QDialog>
#include <QLabel>
#include <QtTest>

using namespace LgvStringModule;

class UIStringsTest : public QObject {
    Q_OBJECT
    TestEnvironment m_env;

private slots:
    void init()
    {
        ::LocaleInfo = std::make_shared<LgvRuntime::LocaleInfo>();
        SetUILanguage(2057, QString());
    }
    void cleanup() { ::LocaleInfo.reset(); }

    void everyIdInBothLanguages_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("german");
        for (const UIStringRow &row : kUIStringTable)
            QTest::addRow("%d", row.id) << row.id << QString::fromUtf8(row.english)
                                        << (row.german ? QString::fromUtf8(row.german) : QString());
    }

    void everyIdInBothLanguages()
    {
        QFETCH(int, id);
        QFETCH(QString, english);
        QFETCH(QString, german);
        SetUILanguage(2057, QStringLiteral("English (United Kingdom)"));
        QCOMPARE(lgv_string(id), english);
        SetUILanguage(1031, QStringLiteral("German (Germany)"));
        QCOMPARE(lgv_string(id), german);
    }

    void tableIsComplete()
    {
        QCOMPARE(std::size(kUIStringTable), size_t(179));
        // An ID the add-in never uses has no text.
        SetUILanguage(2057, QString());
        QCOMPARE(lgv_string(1), QString());
    }

    void initOpensTablesOnce()
    {
        InitUIStrings();
        const int opened = StringReader().OpenCount();
        QVERIFY(opened >= 1);
        InitUIStrings();
        InitUIStrings();
        QCOMPARE(StringReader().OpenCount(), opened);
        // The project object opens them again on purpose.
        ReopenUIStrings();
        QCOMPARE(StringReader().OpenCount(), opened + 1);
        QCOMPARE(lgv_string(523), QStringLiteral("Continue"));
    }

    void setUILanguageFallsBack_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("expected");
        QTest::newRow("German, any name") << 1031 << "Klingon" << 1031;
        QTest::newRow("English (UK)") << 2057 << "" << 2057;
        QTest::newRow("English (US)") << 1033 << "English (United States)" << 2057;
        QTest::newRow("zero") << 0 << "German (Germany)" << 2057;
        QTest::newRow("negative") << -1 << "" << 2057;
        QTest::newRow("French") << 1036 << "" << 2057;
    }

    void setUILanguageFallsBack()
    {
        QFETCH(int, id);
        QFETCH(QString, name);
        QFETCH(int, expected);
        SetUILanguage(1031, QString());
        SetUILanguage(id, name);
        QCOMPARE(CurrentUILanguage(), expected);
        QCOMPARE(lgv_string(523), expected == 1031 ? QStringLiteral("Weiter") : QStringLiteral("Continue"));
    }

    void languagesAndNames()
    {
        QCOMPARE(GetUILanguages(), (QList<int>{2057, 1031}));
        QCOMPARE(GetUILanguageName(2057), QStringLiteral("English (United Kingdom)"));
        QCOMPARE(GetUILanguageName(1031), QStringLiteral("German (Germany)"));
        QCOMPARE(GetUILanguageName(1033), QStringLiteral("Invalid Language Index"));
        QCOMPARE(GetUILanguageName(0), QStringLiteral("Invalid Language Index"));
        QCOMPARE(GetNativeLanguageName(2057), QStringLiteral("English (United Kingdom)"));
        QCOMPARE(GetNativeLanguageName(1031), QStringLiteral("Deutsch (Deutschland)"));
    }

    void languageNameInUILanguage()
    {
        win32::ScriptedInteraction user;
        SetUILanguage(1031, QString());
        QCOMPARE(GetLanguageNameFromLocaleID(2057), QString::fromUtf8("Englisch (Vereinigtes Königreich)"));
        SetUILanguage(2057, QString());
        QCOMPARE(GetLanguageNameFromLocaleID(1031), QStringLiteral("German (Germany)"));
        QVERIFY(user.unexpected.isEmpty());

        // An unknown locale is reported under the function's name and gives the empty text.
        QString reported;
        user.answerDialog([&](QDialog &dialog) {
            reported = dialog.findChild<QLabel *>(QStringLiteral("lblFunction"))->text() + u'|'
                     + dialog.findChild<QLabel *>(QStringLiteral("lblDescription"))->text();
            return int(QDialog::Accepted);
        });
        QCOMPARE(GetLanguageNameFromLocaleID(0x7777), QString());
        QCOMPARE(reported, QStringLiteral("GetLanguageNameFromLocaleID|Locale ID 30583 is not a known locale"));
    }

    void nativeNameWithoutLocaleInfoReachesCallersTrap()
    {
        ::LocaleInfo.reset();
        win32::ScriptedInteraction user;
        QString reported;
        user.answerDialog([&](QDialog &dialog) {
            reported = dialog.findChild<QLabel *>(QStringLiteral("lblFunction"))->text();
            return int(QDialog::Accepted);
        });
        QString name = QStringLiteral("unchanged");
        QVERIFY(!qm::trap("Caller", [&] { name = GetNativeLanguageName(1031); }));
        QCOMPARE(name, QStringLiteral("unchanged"));
        QCOMPARE(reported, QStringLiteral("Caller"));
    }

    void substitute_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("expected");
        QTest::newRow("in order") << "Line=%0, Column=%1" << QStringList{"3", "2"} << "Line=3, Column=2";
        QTest::newRow("reversed") << "Column=%1, Line=%0" << QStringList{"3", "2"} << "Column=2, Line=3";
        QTest::newRow("no placeholder") << "100% sure" << QStringList{"x"} << "100% sure";
        QTest::newRow("too few values") << "%0 and %1 and %2" << QStringList{"a"} << "a and %1 and %2";
        QTest::newRow("no values") << "%0" << QStringList{} << "%0";
        QTest::newRow("repeated") << "%0-%0" << QStringList{"x"} << "x-x";
        QTest::newRow("%1 matches %10") << "%10" << QStringList{"a", "b"} << "b0";
        QTest::newRow("%10 with eleven values") << "%10" << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "ten"}
                                                << "ten";
        // Values go in as they are: a file name holding "%1" is not substituted again.
        QTest::newRow("value holds later placeholder") << "%0" << QStringList{"%1", "z"} << "%1";
        QTest::newRow("file name with percent") << "%0: cannot be read (looked for %1)"
                                                << QStringList{"C:\\a%1b%0.res", "D:\\x"}
                                                << "C:\\a%1b%0.res: cannot be read (looked for D:\\x)";
        QTest::newRow("value holds earlier placeholder") << "%1" << QStringList{"a", "%0"} << "%0";
        QTest::newRow("case and umlauts") << QString::fromUtf8("Zeile %0 für %1")
                                          << QStringList{"7", QString::fromUtf8("Über")}
                                          << QString::fromUtf8("Zeile 7 für Über");
    }

    void substitute()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, values);
        QFETCH(QString, expected);
        QCOMPARE(SubstituteParameters(text, values), expected);
    }

    void substituteVariadic()
    {
        QCOMPARE(SubstituteParameters(QStringLiteral("Line=%0, Column=%1"), 3, 2), QStringLiteral("Line=3, Column=2"));
        QCOMPARE(SubstituteParameters(QStringLiteral("%0 %1 %2"), "a", QStringLiteral("b"), 2.5), QStringLiteral("a b 2.5"));
    }
};

QTEST_MAIN(UIStringsTest)
#include "uistrings_test.moc"

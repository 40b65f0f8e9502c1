#include "checks/EndPunctuation.h"
#include "checks/StringTableChecks.h"
#include "platform/resutil/ResStrings.h"

#include <QtTest>

namespace {

// "" when the pair passes, else what a user reads.
QString found(const QString &source, qint32 sourceLocale, const QString &translation, qint32 targetLocale)
{
    const std::optional<checks::Problem> problem = checks::checkPunctuation(source, sourceLocale, translation, targetLocale);
    return problem ? checks::describe(*problem) : QString();
}

} // namespace

class EndPunctuationTest : public QObject {
    Q_OBJECT
private slots:
    void pairs_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("sourceLocale");
        QTest::addColumn<QString>("translation");
        QTest::addColumn<int>("targetLocale");
        QTest::addColumn<QString>("expected");
        const QString none;
        QTest::newRow("both end in a full stop") << "Saved." << 2057 << "Gespeichert." << 1031 << none;
        QTest::newRow("full stop lost") << "Saved." << 2057 << "Gespeichert" << 1031
                                        << "ends in no punctuation, the source ends in \".\"";
        QTest::newRow("added where the source has none") << "Name" << 2057 << "Name:" << 1031
                                                         << "ends in \":\", the source in no punctuation";
        QTest::newRow("another mark is still a mark") << "Continue?" << 2057 << "Weiter!" << 1031 << none;
        QTest::newRow("ellipsis as three dots") << "Open..." << 2057 << "Öffnen …" << 1031 << none;
        QTest::newRow("ellipsis lost") << "Save As…" << 2057 << "Speichern unter" << 1031
                                       << "ends in no punctuation, the source ends in \"…\"";
        QTest::newRow("quotes and brackets are looked through") << "Delete \"%1\"?" << 2057 << "„%1“ löschen?" << 1031 << none;
        QTest::newRow("trailing spaces are looked through") << "Name: " << 2057 << "Name:  " << 1031 << none;
        QTest::newRow("Greek question mark") << "Delete?" << 2057 << "Διαγραφή;" << 1032 << none;
        QTest::newRow("Greek question mark as U+037E") << "Delete?" << 2057 << "Διαγραφή\u037E" << 1032 << none;
        QTest::newRow("a semicolon ends nothing in German") << "Delete?" << 2057 << "Löschen;" << 1031
                                                            << "ends in no punctuation, the source ends in \"?\"";
        QTest::newRow("Greek source, English target") << "Διαγραφή;" << 1032 << "Delete" << 2057
                                                      << "ends in no punctuation, the source ends in \";\"";
        QTest::newRow("Arabic question mark") << "Delete?" << 2057 << "حذف؟" << 1025 << none;
        QTest::newRow("Arabic question mark in German") << "Delete?" << 2057 << "Löschen؟" << 1031
                                                        << "ends in no punctuation, the source ends in \"?\"";
        QTest::newRow("Japanese full stop") << "Saved." << 2057 << "保存しました。" << 1041 << none;
        QTest::newRow("Chinese full-width question") << "Delete?" << 2057 << "删除？" << 2052 << none;
        QTest::newRow("Chinese full-width colon") << "Name:" << 2057 << "名称：" << 2052 << none;
        QTest::newRow("Japanese without a mark") << "Saved." << 2057 << "保存しました" << 1041
                                                 << "ends in no punctuation, the source ends in \".\"";
        QTest::newRow("Japanese full stop where English has none") << "Saved" << 2057 << "保存しました。" << 1041
                                                                   << "ends in \"。\", the source in no punctuation";
        QTest::newRow("Hindi danda") << "Saved." << 2057 << "सहेजा गया।" << 1081 << none;
        QTest::newRow("Thai writes no full stop") << "Saved." << 2057 << "บันทึกแล้ว" << 1054 << none;
        QTest::newRow("Thai keeps a question mark") << "Delete?" << 2057 << "ลบ" << 1054
                                                    << "ends in no punctuation, the source ends in \"?\"";
        QTest::newRow("Spanish pair") << "Delete?" << 2057 << "¿Eliminar?" << 3082 << none;
        QTest::newRow("Spanish pair after a colon") << "File: delete?" << 2057 << "Archivo: ¿eliminar?" << 3082 << none;
        QTest::newRow("Spanish without the opening mark") << "Delete?" << 2057 << "Eliminar?" << 3082
                                                          << "no opening ¿ for the closing ?";
        QTest::newRow("Spanish exclamation without the opening mark") << "Done!" << 2057 << "Hecho!" << 1034
                                                                      << "no opening ¡ for the closing !";
        QTest::newRow("Mexican Spanish too") << "Delete?" << 2057 << "Eliminar?" << 2058 << "no opening ¿ for the closing ?";
        QTest::newRow("an empty translation is the empty rule's") << "Saved." << 2057 << "" << 1031 << none;
    }
    void pairs()
    {
        QFETCH(QString, source);
        QFETCH(int, sourceLocale);
        QFETCH(QString, translation);
        QFETCH(int, targetLocale);
        QFETCH(QString, expected);
        QCOMPARE(found(source, sourceLocale, translation, targetLocale), expected);
    }

    // In the table checks after the string's other rules; not for the generated pseudo-locales.
    void inTheTableChecks()
    {
        resutil::ResStrings strings;
        strings.Add(2057, 1, QStringLiteral("Open %1."));
        strings.Add(1031, 1, QStringLiteral("Öffnen"));
        strings.Add(1032, 1, QStringLiteral("Άνοιγμα %1;"));
        strings.Add(0x0501, 1, QStringLiteral("[Ŏƥēñ %1. !!!]"));
        QStringList lines;
        for (const checks::StringProblem &p : checks::checkStrings(strings, 2057))
            lines << QStringLiteral("%1 %2 %3").arg(p.localeId).arg(p.id).arg(QString::fromLatin1(checks::ruleKey(p.problem.rule)));
        QCOMPARE(lines, (QStringList{"1031 1 placeholder", "1031 1 punctuation"}));
    }
};

QTEST_GUILESS_MAIN(EndPunctuationTest)
#include "endpunctuation_test.moc"

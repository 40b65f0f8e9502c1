#include "checks/ConsistencyChecks.h"
#include "checks/StringTableChecks.h"
#include "platform/resutil/ResStrings.h"

#include <QtTest>

namespace {

QStringList lines(const std::vector<checks::StringProblem> &problems)
{
    QStringList out;
    for (const auto &p : problems)
        out << QStringLiteral("%1 %2 %3: %4")
                   .arg(QString::number(p.localeId), QString::number(p.id), QString::fromLatin1(checks::ruleKey(p.problem.rule)),
                        checks::describe(p.problem));
    return out;
}

} // namespace

class ConsistencyTest : public QObject {
    Q_OBJECT

private slots:
    void sameSourceTranslatedOtherwise()
    {
        resutil::ResStrings strings;
        for (int id : {1, 2, 3, 4})
            strings.Add(2057, id, QStringLiteral("Open"));
        strings.Add(1031, 1, QStringLiteral("Aufmachen"));
        strings.Add(1031, 2, QStringLiteral("Öffnen"));
        strings.Add(1031, 3, QStringLiteral("Öffnen"));
        // ID 4 has no German: that is the empty rule's, not this one's.
        strings.Add(1036, 1, QStringLiteral("Ouvrir"));
        strings.Add(1036, 2, QStringLiteral("Ouvrir"));
        QCOMPARE(lines(checks::checkConsistency(strings, 2057)),
                 QStringList{"1031 1 inconsistent: translated otherwise than string 2, which has the same source text"});
        // The translation most of them have stands.
        strings.Find(1031, 3)->setText(QStringLiteral("Aufmachen"));
        strings.Add(1031, 4, QStringLiteral("Los"));
        QCOMPARE(lines(checks::checkConsistency(strings, 2057)),
                 (QStringList{"1031 2 inconsistent: translated otherwise than string 1, which has the same source text",
                              "1031 4 inconsistent: translated otherwise than string 1, which has the same source text"}));
    }

    void otherSourcesTranslatedTheSame()
    {
        resutil::ResStrings strings;
        strings.Add(2057, 5, QStringLiteral("Close"));
        strings.Add(2057, 6, QStringLiteral("Shut"));
        strings.Add(2057, 7, QStringLiteral("close "));  // the same but for case and a space
        strings.Add(2057, 8, QStringLiteral("Exit"));
        for (int id : {5, 6, 7})
            strings.Add(1031, id, QStringLiteral("Schließen"));
        strings.Add(1031, 8, QStringLiteral("Beenden"));
        strings.Add(1031, 9, QStringLiteral("Schließen")); // no source text
        QCOMPARE(lines(checks::checkConsistency(strings, 2057)),
                 QStringList{"1031 6 inconsistent: translated the same as string 5, whose source text differs"});
        // The source language itself is never checked against itself.
        QVERIFY(checks::checkConsistency(strings, 0).empty());
    }

    // The file's check lists them with the other rules, per locale and ID.
    void inTheFilesCheck()
    {
        resutil::ResStrings strings;
        strings.Add(2057, 1, QStringLiteral("Open %1"));
        strings.Add(2057, 2, QStringLiteral("Open %1"));
        strings.Add(1031, 1, QStringLiteral("Öffnen"));
        strings.Add(1031, 2, QStringLiteral("%1 öffnen"));
        QCOMPARE(lines(checks::checkStrings(strings, 2057)),
                 (QStringList{"1031 1 placeholder: %1 is missing",
                              "1031 2 inconsistent: translated otherwise than string 1, which has the same source text"}));
    }
};

QTEST_GUILESS_MAIN(ConsistencyTest)
#include "consistency_test.moc"

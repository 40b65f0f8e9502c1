#include "checks/ReferenceChecks.h"
#include "platform/resutil/ResResource.h"
#include "platform/resutil/ResStrings.h"
#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

#include <memory>

namespace {

coderefs::CodeReferences referencesOf(const QString &code)
{
    coderefs::MemberCode member;
    member.member.name = QStringLiteral("modA");
    member.member.writtenPath = QStringLiteral("modA.bas");
    member.text = code;
    return coderefs::findReferences({member});
}

resutil::ResResource resource(resutil::ResName type, resutil::ResName name)
{
    resutil::ResResource r;
    r.type = std::move(type);
    r.name = std::move(name);
    return r;
}

// "RULE LOCALE ID: text" per problem.
QStringList found(const resutil::ResStrings &strings, const QList<resutil::ResResource> &others,
                  const coderefs::CodeReferences &references, bool unused)
{
    QStringList lines;
    for (const checks::ReferenceProblem &p : checks::checkReferences(strings, others, 2057, references, unused))
        lines << QStringLiteral("%1 %2 %3: %4")
                     .arg(QString::fromLatin1(checks::referenceRuleKey(p.rule)), QString::number(p.localeId),
                          p.id >= 0 ? QString::number(p.id) : p.name, checks::describe(p, references));
    return lines;
}

} // namespace

class ReferenceChecksTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }

    void strings()
    {
        resutil::ResStrings strings;
        strings.Add(2057, 1, QStringLiteral("Both"));
        strings.Add(1031, 1, QStringLiteral("Beide"));
        strings.Add(1031, 2, QStringLiteral("Nur Deutsch"));
        strings.Add(2057, 3, QString()); // an empty text is no text
        strings.Add(2057, 4, QStringLiteral("Unused"));
        strings.Add(2057, 6, QStringLiteral("Only asked for by a variable"));
        const coderefs::CodeReferences references = referencesOf(QStringLiteral(
            "a = LoadResString(1)\nb = LoadResString(2)\nc = LoadResString(3)\nd = LoadResString(5)\n"
            "e = LoadResString(5) & LoadResString(5)\nf = LoadResString(n)\n"));
        QCOMPARE(found(strings, {}, references, false),
                 (QStringList{"missing-id 2057 2: used in modA.bas line 2, but the source language 2057 lacks it",
                              "missing-id 0 3: used in modA.bas line 3, but no language of the file has it",
                              "missing-id 0 5: used in modA.bas line 4 and 2 more places, but no language of the file has it"}));
        // Unused is asked for; an unresolved call uses no ID.
        QCOMPARE(found(strings, {}, references, true).filter(QStringLiteral("unused")),
                 (QStringList{"unused 0 4: no code of the project uses this string",
                              "unused 0 6: no code of the project uses this string"}));
    }

    // LoadResData and LoadResPicture ask for resources of their own type, not for strings.
    void otherResources()
    {
        resutil::ResStrings strings;
        strings.Add(2057, 5, QStringLiteral("A string, not the bitmap"));
        const QList<resutil::ResResource> others{
            resource(resutil::ResName::fromOrdinal(2), resutil::ResName::fromOrdinal(7)),
            resource(resutil::ResName::fromString(QStringLiteral("PNG")), resutil::ResName::fromString(QStringLiteral("LOGO"))),
            resource(resutil::ResName::fromOrdinal(10), resutil::ResName::fromOrdinal(9)),
        };
        const coderefs::CodeReferences references = referencesOf(QStringLiteral(
            "Set a = LoadResPicture(7, vbResBitmap)\nSet b = LoadResPicture(5, vbResBitmap)\nSet c = LoadResPicture(7, vbResIcon)\n"
            "d = LoadResData(\"Logo\", \"png\")\ne = LoadResData(9, 10)\nf = LoadResData(9, \"CUSTOM\")\n"
            "g = LoadResData(\"SPLASH\", 10)\nh = LoadResData(\"SPLASH\", 10)\ni = LoadResData(9, kind)\n"));
        QCOMPARE(found(strings, others, references, false),
                 (QStringList{"missing-id 0 5: used in modA.bas line 2, but the file has no bitmap 5",
                              "missing-id 0 7: used in modA.bas line 3, but the file has no icon 7",
                              "missing-id 0 9: used in modA.bas line 6, but the file has no CUSTOM resource 9",
                              "missing-id 0 SPLASH: used in modA.bas line 7 and 1 more place, but the file has no resource of type 10 SPLASH"}));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(ReferenceChecksTest)
#include "referencechecks_test.moc"

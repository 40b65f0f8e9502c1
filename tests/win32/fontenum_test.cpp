#include "platform/win32/FontEnum.h"
#include "tests/testlib/TestEnvironment.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QtTest>

using namespace win32;

namespace {

const FontFamilyInfo *findFamily(const QList<FontFamilyInfo> &families, const QString &name)
{
    for (const FontFamilyInfo &family : families)
        if (family.faceName == name)
            return &family;
    return nullptr;
}

} // namespace

// Runs against the families scripts/install-deps.sh installs (Noto, DejaVu).
class FontEnumTest : public QObject {
    Q_OBJECT
    TestEnvironment m_env;

private slots:
    void charSetsFollowTheFontsCoverage_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("own");
        QTest::addColumn<QList<int>>("covers");
        QTest::addColumn<QList<int>>("lacks");
        QTest::newRow("DejaVu Sans") << "DejaVu Sans" << int(ANSI_CHARSET)
                                     << QList<int>{GREEK_CHARSET, RUSSIAN_CHARSET, EASTEUROPE_CHARSET, TURKISH_CHARSET,
                                                   BALTIC_CHARSET}
                                     << QList<int>{SHIFTJIS_CHARSET, THAI_CHARSET};
        QTest::newRow("Noto Sans CJK JP") << "Noto Sans CJK JP" << int(SHIFTJIS_CHARSET)
                                          << QList<int>{ANSI_CHARSET, HANGEUL_CHARSET} << QList<int>{THAI_CHARSET};
        QTest::newRow("Noto Sans CJK KR") << "Noto Sans CJK KR" << int(HANGEUL_CHARSET) << QList<int>{SHIFTJIS_CHARSET}
                                          << QList<int>{};
        QTest::newRow("Noto Sans Thai") << "Noto Sans Thai" << int(THAI_CHARSET) << QList<int>{}
                                        << QList<int>{SHIFTJIS_CHARSET, ARABIC_CHARSET};
        QTest::newRow("Noto Sans Hebrew") << "Noto Sans Hebrew" << int(HEBREW_CHARSET) << QList<int>{}
                                          << QList<int>{ARABIC_CHARSET};
        QTest::newRow("Noto Naskh Arabic") << "Noto Naskh Arabic" << int(ARABIC_CHARSET) << QList<int>{}
                                           << QList<int>{HEBREW_CHARSET};
    }
    void charSetsFollowTheFontsCoverage()
    {
        QFETCH(QString, family);
        QFETCH(int, own);
        QFETCH(QList<int>, covers);
        QFETCH(QList<int>, lacks);
        const QList<FontFamilyInfo> families = installedFontFamilies();
        const FontFamilyInfo *info = findFamily(families, family);
        if (!info)
            QSKIP(qPrintable(family + QStringLiteral(" is not installed (scripts/install-deps.sh)")));
        QCOMPARE(int(info->charSets.first()), own);
        for (int charSet : covers)
            QVERIFY2(info->charSets.contains(BYTE(charSet)), qPrintable(QString::number(charSet)));
        for (int charSet : lacks)
            QVERIFY2(!info->charSets.contains(BYTE(charSet)), qPrintable(QString::number(charSet)));
    }

    void enumerationCallsBackOncePerFamily()
    {
        const QList<FontFamilyInfo> families = installedFontFamilies();
        QVERIFY(!families.isEmpty());
        QStringList faces;
        QCOMPARE(EnumFontFamilies(QString(), [&](const LOGFONT &font, int type) {
                     faces.append(font.lfFaceName);
                     return type == TRUETYPE_FONTTYPE ? 1 : 0;
                 }),
                 1);
        QCOMPARE(faces.size(), families.size());
        QCOMPARE(faces.removeDuplicates(), 0);

        int calls = 0;
        QCOMPARE(EnumFontFamilies(QString(), [&](const LOGFONT &, int) { return ++calls < 2 ? 1 : 0; }), 0);
        QCOMPARE(calls, 2);

        QList<int> sets;
        EnumFontFamilies(families.first().faceName, [&](const LOGFONT &font, int) {
            sets.append(font.lfCharSet);
            return 1;
        });
        QCOMPARE(sets.size(), families.first().charSets.size());
        QCOMPARE(EnumFontFamilies(QStringLiteral("No Such Font Family"), [](const LOGFONT &, int) { return 1; }), 0);
    }

    // Qt names a family several foundries make "C059 [urw]", "C059 [UKWN]"; Windows knows it as "C059".
    void familiesAreListedOnceUnderTheirPlainNames()
    {
        QCOMPARE(plainFamilyName(QStringLiteral("C059 [urw]")), QStringLiteral("C059"));
        QCOMPARE(plainFamilyName(QStringLiteral("Noto Sans CJK JP")), QStringLiteral("Noto Sans CJK JP"));
        QCOMPARE(plainFamilyName(QStringLiteral("[Odd] Name")), QStringLiteral("[Odd] Name"));

        QStringList faces;
        for (const FontFamilyInfo &family : installedFontFamilies())
            faces.append(family.faceName.toCaseFolded());
        QStringList withFoundry;
        for (const QString &family : QFontDatabase::families()) {
            if (QFontDatabase::isPrivateFamily(family))
                continue;
            const QString plain = plainFamilyName(family);
            QCOMPARE(faces.count(plain.toCaseFolded()), 1);
            if (plain != family)
                withFoundry.append(family);
        }
        QCOMPARE(faces.removeDuplicates(), 0);
        if (withFoundry.isEmpty())
            QSKIP("no installed family comes from several foundries");
        const QString plain = plainFamilyName(withFoundry.first());
        QCOMPARE(drawingFamily(withFoundry.first()), plain);
        QVERIFY(EnumFontFamilies(plain, [](const LOGFONT &font, int) { return font.lfFaceName.isEmpty() ? 0 : 1; }) == 1);
    }

    void windowsFacesDrawWithAnInstalledFamily()
    {
        if (!findFamily(installedFontFamilies(), QStringLiteral("Noto Sans CJK JP")))
            QSKIP("Noto CJK is not installed");
        installWindowsFontSubstitutes();
        QCOMPARE(drawingFamily(QStringLiteral("MS GOTHIC")), QStringLiteral("Noto Sans CJK JP"));
        QCOMPARE(QFontInfo(QFont(QStringLiteral("MS GOTHIC"))).family(), QStringLiteral("Noto Sans CJK JP"));
        QCOMPARE(drawingFamily(QStringLiteral("DejaVu Sans")), QStringLiteral("DejaVu Sans"));
        QVERIFY(!drawingFamily(QStringLiteral("Mangal")).isEmpty());
    }
};

QTEST_MAIN(FontEnumTest)
#include "fontenum_test.moc"

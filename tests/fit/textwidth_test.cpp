#include "fit/TextWidth.h"
#include "fit/WidthFactorSetting.h"
#include "platform/resutil/ResStrings.h"
#include "platform/win32core/Registry.h"
#include "tests/testlib/TestEnvironment.h"

#include <QFontDatabase>
#include <QtTest>

#include <cmath>

namespace {

// fonts-dejavu-core and fonts-noto-cjk, from scripts/install-deps.sh.
const QString kNarrowLatin = QStringLiteral("DejaVu Sans Condensed");
const QString kWideCjk = QStringLiteral("Noto Sans CJK JP");

QFont font(const QString &family)
{
    QFont f(family);
    f.setPixelSize(13);
    return f;
}

QString found(const QString &source, const QFont &sourceFont, const QString &translation, const QFont &translationFont,
              double factor = fit::kDefaultFactor)
{
    const std::optional<checks::Problem> problem =
        fit::checkWidth(source, QFontMetricsF(sourceFont), translation, QFontMetricsF(translationFont), factor);
    return problem ? checks::describe(*problem) : QString();
}

int pixels(const QFont &f, const QString &text) { return int(std::ceil(QFontMetricsF(f).horizontalAdvance(text) - 1e-6)); }

} // namespace

class TextWidthTest : public QObject {
    Q_OBJECT
    TestEnvironment environment;

private slots:
    void initTestCase()
    {
        for (const QString &family : {kNarrowLatin, kWideCjk})
            if (!QFontDatabase::families().contains(family))
                QFAIL(qPrintable(family + QStringLiteral(" is not installed (see scripts/install-deps.sh)")));
    }

    void twoFonts()
    {
        const QFont latin = font(kNarrowLatin);
        const QFont cjk = font(kWideCjk);
        // The same text in the same font fits; twice as long does not.
        QCOMPARE(found("Open file", latin, "Open file", latin), QString());
        QCOMPARE(found("Open", latin, "OpenOpen", latin),
                 QStringLiteral("%1 pixels wide, the source %2").arg(pixels(latin, "OpenOpen")).arg(pixels(latin, "Open")));
        QCOMPARE(found("Open", latin, "OpenOpen", latin, 2.5), QString());
        // Five wide characters against two narrow ones.
        QCOMPARE(found("OK", latin, "キャンセル", cjk),
                 QStringLiteral("%1 pixels wide, the source %2").arg(pixels(cjk, "キャンセル")).arg(pixels(latin, "OK")));
        QVERIFY(pixels(cjk, "キャンセル") > 3 * pixels(latin, "OK"));
        // Japanese as wide as the English it translates fits.
        QCOMPARE(found("Cancel operation", latin, "キャンセル", cjk), QString());
        // The narrow Latin font draws the same text narrower than the CJK font's Latin letters.
        QVERIFY(pixels(latin, "Datei öffnen") < pixels(cjk, "Datei öffnen"));
    }

    void linesAndAccessKeys()
    {
        const QFont latin = font(kNarrowLatin);
        // Each line against its own: the widest lines being equal does not hide a long first line.
        QCOMPARE(found("Short\nA much longer second line", latin, "Short\nA much longer second line", latin), QString());
        QCOMPARE(found("Short\nA much longer second line", latin, "A much longer first line\r\nShort", latin),
                 QStringLiteral("line 1 is %1 pixels wide, the source's %2")
                     .arg(pixels(latin, "A much longer first line"))
                     .arg(pixels(latin, "Short")));
        // A line the source lacks is measured against the source's widest.
        QCOMPARE(found("Wide enough line\nx", latin, "Wide enough line\nx\nWide enough line", latin), QString());
        QCOMPARE(found("Wide\nx", latin, "Wide\nx\nWide Wide Wide", latin),
                 QStringLiteral("line 3 is %1 pixels wide, the source's %2").arg(pixels(latin, "Wide Wide Wide")).arg(pixels(latin, "Wide")));
        // The & of an access key is not drawn; && draws one &.
        QCOMPARE(fit::drawnText(u"&Save && E&xit"), QStringLiteral("Save & Exit"));
        QCOMPARE(found("WWW", latin, "&W&W&W", latin, 1.0), QString());
        QVERIFY(!found("WWW", latin, "&&W&&W&&W", latin, 1.0).isEmpty());
        // Nothing to measure against.
        QCOMPARE(found("", latin, "Text", latin), QString());
        QCOMPARE(found("\n", latin, "Text\nText", latin), QString());
    }

    void table()
    {
        resutil::ResStrings strings;
        strings.Add(2057, 1, QStringLiteral("OK"));
        strings.Add(2057, 2, QStringLiteral("Cancel operation"));
        strings.Add(1041, 1, QStringLiteral("キャンセル"));
        strings.Add(1041, 2, QStringLiteral("キャンセル"));
        strings.Add(1049, 2, QStringLiteral("Отменить эту операцию немедленно и навсегда"));
        strings.Add(1049, 3, QStringLiteral("Only in Russian, nothing to measure against"));
        QList<qint32> asked;
        const fit::FontForLocale fontFor = [&](qint32 locale) {
            asked.append(locale);
            return font(locale == 1041 ? kWideCjk : kNarrowLatin);
        };
        QStringList lines;
        for (const checks::StringProblem &p : fit::checkWidths(strings, 2057, fontFor))
            lines << QStringLiteral("%1 %2 %3").arg(p.localeId).arg(p.id).arg(QString::fromLatin1(checks::ruleKey(p.problem.rule)));
        QCOMPARE(lines, (QStringList{"1041 1 width", "1049 2 width"}));
        std::sort(asked.begin(), asked.end());
        QCOMPARE(asked, (QList<qint32>{1041, 1049, 2057})); // once per language
    }

    void factorPerProject()
    {
        const QString project = QStringLiteral("/projects/Demo.vbp");
        QCOMPARE(fit::storedWidthFactor(project), 1.3);
        QVERIFY(fit::storeWidthFactor(project, 1.5));
        QCOMPARE(fit::storedWidthFactor(project), 1.5);
        QCOMPARE(fit::storedWidthFactor(QStringLiteral("/projects/Other.vbp")), 1.3);
        QVERIFY(!fit::storeWidthFactor(project, 0.5));
        QVERIFY(!fit::storeWidthFactor(project, 11));
        QVERIFY(!fit::storeWidthFactor(QString(), 1.5));
        QCOMPARE(fit::storedWidthFactor(project), 1.5);
        // A value of another type is as good as none.
        win32::HKEY key = 0;
        QCOMPARE(win32::RegCreateKeyEx(win32::HKEY_CURRENT_USER, QStringLiteral("Software\\Corvane\\Quillmark\\WidthFactor"), 0,
                                       QString(), win32::REG_OPTION_NON_VOLATILE, 0x3F, nullptr, &key, nullptr),
                 win32::ERROR_SUCCESS);
        const char text[] = "1.5";
        QCOMPARE(win32::RegSetValueEx(key, project, 0, win32::REG_SZ, reinterpret_cast<const win32::BYTE *>(text), sizeof text),
                 win32::ERROR_SUCCESS);
        win32::RegCloseKey(key);
        QCOMPARE(fit::storedWidthFactor(project), 1.3);
    }
};

QTEST_MAIN(TextWidthTest)
#include "textwidth_test.moc"

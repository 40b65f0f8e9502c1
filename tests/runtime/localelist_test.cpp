#include "platform/runtime/LocaleInfo.h"
#include "platform/win32core/Nls.h"

#include <QSet>
#include <QtTest>

#include <map>

using LgvRuntime::LocaleInfo;

namespace {
std::map<int, QString> walk(LocaleInfo &info)
{
    std::map<int, QString> items;
    info.ResetLocaleList();
    int id = 0;
    QString name;
    while (info.NextLocale(id, name))
        items.emplace(id, name);
    return items;
}
} // namespace

class LocaleListTest : public QObject {
    Q_OBJECT
private slots:
    void englishNames()
    {
        LocaleInfo info;
        info.ChooseNameLanguage(2057, 0);
        QVERIFY(info.IsListReady());
        const auto items = walk(info);
        QVERIFY(items.size() > 100);
        QCOMPARE(items.at(1031), QStringLiteral("German (Germany)"));
        QCOMPARE(items.at(1041), QStringLiteral("Japanese (Japan)"));
        QCOMPARE(items.at(2057), QStringLiteral("English (United Kingdom)"));
        // Only specific locales (language and country), each once.
        for (const auto &[id, name] : items)
            QVERIFY2(id > 0x3ff, qPrintable(name));
    }

    void systemListHoldsTheSameLocales()
    {
        LocaleInfo english, system;
        english.ChooseNameLanguage(2057, 0);
        system.ChooseSystemList(0);
        QVERIFY(system.IsListReady());
        const auto a = walk(english), b = walk(system);
        QVERIFY(a.size() * 10 >= b.size() * 9);
        for (const auto &[id, name] : a)
            QVERIFY2(!name.isEmpty() && b.count(id) == 1, qPrintable(QString::number(id)));
        QCOMPARE(b.at(1031), QStringLiteral("German (Germany)"));
        QVERIFY(b.count(int(win32::GetSystemDefaultLCID())) == 1);
    }

    void unknownNameLanguageGivesNoList()
    {
        LocaleInfo info;
        info.ChooseNameLanguage(0x7777, 0);
        QVERIFY(!info.IsListReady());
        int id = 5;
        QString name = QStringLiteral("unchanged");
        QVERIFY(!info.NextLocale(id, name));
        QCOMPARE(id, 5);
        QCOMPARE(name, QStringLiteral("unchanged"));
    }

    void resetStartsAgain()
    {
        LocaleInfo info;
        info.ChooseNameLanguage(1031, 0);
        int first = 0, again = 0;
        QString name;
        QVERIFY(info.NextLocale(first, name));
        QVERIFY(info.NextLocale(again, name));
        info.ResetLocaleList();
        QVERIFY(info.NextLocale(again, name));
        QCOMPARE(again, first);
        QCOMPARE(walk(info).at(1031), QStringLiteral("Deutsch (Deutschland)"));
    }
};

QTEST_MAIN(LocaleListTest)
#include "localelist_test.moc"

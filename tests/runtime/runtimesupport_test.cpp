#include "platform/runtime/RuntimeSupport.h"

#include <QtTest>

#include <memory>
#include <vector>

using LgvRuntime::RuntimeSupport;

namespace {

struct Listener {
    std::unique_ptr<RuntimeSupport> support = std::make_unique<RuntimeSupport>();
    QList<QPair<int, QString>> heard;
    Listener()
    {
        QObject::connect(support.get(), &RuntimeSupport::LanguageChanged, support.get(),
                         [this](int id, const QString &name) { heard.append({id, name}); });
    }
};

} // namespace

class RuntimeSupportTest : public QObject {
    Q_OBJECT
private slots:
    void startsEnglish()
    {
        RuntimeSupport support;
        QCOMPARE(support.LanguageId(), 2057);
        QCOMPARE(support.Language(), QStringLiteral("English (United Kingdom)"));
    }

    void reachesEveryLiveObjectAndNoDeadOne()
    {
        Listener a, b;
        auto c = std::make_unique<Listener>();
        c.reset();
        const int live = RuntimeSupport::LiveCount();
        QCOMPARE(live, 2);
        b.support->SetLanguage(1031, QStringLiteral("German (Germany)"));
        const QList<QPair<int, QString>> expected{{1031, QStringLiteral("German (Germany)")}};
        QCOMPARE(a.heard, expected);
        QCOMPARE(b.heard, expected);  // the setting object too
        // Any object, also a new one, sees the shared language.
        RuntimeSupport later;
        QCOMPARE(later.LanguageId(), 1031);
        QCOMPARE(later.Language(), QStringLiteral("German (Germany)"));
        later.SetLanguage(2057, QStringLiteral("English (United Kingdom)"));
        QCOMPARE(a.heard.size(), 2);
        QCOMPARE(a.support->LanguageId(), 2057);
    }

    void handlerDeletingAnotherObject()
    {
        Listener first;
        auto second = std::make_unique<Listener>();
        auto third = std::make_unique<Listener>();
        // Whichever is told first deletes the others; neither may be called afterwards.
        auto killer = [&](int, const QString &) { second.reset(); third.reset(); };
        QObject::connect(first.support.get(), &RuntimeSupport::LanguageChanged, first.support.get(), killer);
        QObject::connect(second->support.get(), &RuntimeSupport::LanguageChanged, second->support.get(), killer);
        first.support->SetLanguage(1031, QStringLiteral("German (Germany)"));
        QVERIFY(!second && !third);
        QCOMPARE(first.heard.size(), 1);
        QCOMPARE(RuntimeSupport::LiveCount(), 1);
    }

    void handlerChangingLanguageAgain()
    {
        Listener a, b;
        bool once = true;
        QObject::connect(a.support.get(), &RuntimeSupport::LanguageChanged, a.support.get(), [&](int, const QString &) {
            if (std::exchange(once, false))
                a.support->SetLanguage(2057, QStringLiteral("English (United Kingdom)"));
        });
        b.support->SetLanguage(1031, QStringLiteral("German (Germany)"));
        // Everyone ends on the newest language; nobody hears the older one last.
        QCOMPARE(a.heard.last().first, 2057);
        QCOMPARE(b.heard.last().first, 2057);
        QCOMPARE(b.support->LanguageId(), 2057);
    }
};

QTEST_GUILESS_MAIN(RuntimeSupportTest)
#include "runtimesupport_test.moc"

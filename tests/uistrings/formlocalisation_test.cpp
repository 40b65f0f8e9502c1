#include "platform/win32/ScriptedInteraction.h"
#include "tests/testlib/TestEnvironment.h"
#include "support/LgvFormLocalisation.h"

#include "support/ErrorTrap.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace LgvStringModule;

namespace {

class TestForm : public QWidget, public LgvFormLocalisation {
public:
    explicit TestForm(bool sync)
    {
        setObjectName(QStringLiteral("TestForm"));
        button = new QPushButton(this);
        button->setObjectName(QStringLiteral("cmdOK"));
        lgv_Load(sync);
    }
    void lgv_UpdateControls() override
    {
        ++updates;
        lgv_SetCaption(*this, 27);
        lgv_SetText(*button, 82);
        lgv_SetToolTip(*button, 138);
        if (failNext) {
            failNext = false;
            qm::raise(QStringLiteral("broken caption"));
        }
    }
    void unload() { lgv_Unload(); }
    QPushButton *button = nullptr;
    int updates = 0;
    bool failNext = false;
};

} // namespace

class FormLocalisationTest : public QObject {
    Q_OBJECT
    TestEnvironment m_env;

private slots:
    void init()
    {
        LgvRuntime::RuntimeSupport().SetLanguage(2057, QStringLiteral("English (United Kingdom)"));
        SetUILanguage(2057, QString());
    }

    void loadAppliesTexts()
    {
        TestForm form(false);
        QCOMPARE(form.updates, 1);
        QCOMPARE(form.windowTitle(), QStringLiteral("Remove Language"));
        QCOMPARE(form.accessibleName(), QStringLiteral("Remove Language"));
        QCOMPARE(form.button->text(), QStringLiteral("Cancel"));
        QCOMPARE(form.button->accessibleName(), QStringLiteral("Cancel"));
        QCOMPARE(form.button->toolTip(), QStringLiteral("Help"));
        QVERIFY(form.runtimeSupport());
    }

    void syncOnLoadFollowsSharedLanguage()
    {
        LgvRuntime::RuntimeSupport setter;
        // Change the shared language behind the module's back: no window is open.
        setter.SetLanguage(1031, QStringLiteral("German (Germany)"));
        SetUILanguage(2057, QString());
        TestForm noSync(false);
        QCOMPARE(noSync.button->text(), QStringLiteral("Cancel"));
        TestForm sync(true);
        QCOMPARE(CurrentUILanguage(), 1031);
        QCOMPARE(sync.button->text(), QStringLiteral("Abbrechen"));
    }

    void openWindowsSwitchAtOnce()
    {
        TestForm a(true), b(false);
        auto closed = std::make_unique<TestForm>(false);
        TestForm unloaded(false);
        unloaded.unload();
        closed.reset();
        LgvRuntime::RuntimeSupport setter;
        setter.SetLanguage(1031, QStringLiteral("German (Germany)"));
        // Synchronously, before SetLanguage returned:
        QCOMPARE(CurrentUILanguage(), 1031);
        for (TestForm *form : {&a, &b}) {
            QCOMPARE(form->windowTitle(), QStringLiteral("Sprache entfernen"));
            QCOMPARE(form->button->text(), QStringLiteral("Abbrechen"));
            QCOMPARE(form->button->toolTip(), QStringLiteral("Hilfe"));
            QCOMPARE(form->updates, 2);
        }
        QCOMPARE(unloaded.updates, 1);
        QCOMPARE(unloaded.button->text(), QStringLiteral("Cancel"));
        // An unsupported language from elsewhere falls back to English.
        setter.SetLanguage(1033, QStringLiteral("English (United States)"));
        QCOMPARE(CurrentUILanguage(), 2057);
        QCOMPARE(a.button->text(), QStringLiteral("Cancel"));
    }

    void failingUpdateIsReportedAndOthersGoOn()
    {
        win32::ScriptedInteraction user;
        QStringList reports;
        user.answerDialog([&](QDialog &dialog) {
            reports << dialog.findChild<QLabel *>(QStringLiteral("lblFunction"))->text()
                           + u'|' + dialog.findChild<QLabel *>(QStringLiteral("lblDescription"))->text();
            return int(QDialog::Accepted);
        });
        TestForm a(false), b(false);
        a.failNext = true;
        LgvRuntime::RuntimeSupport().SetLanguage(1031, QStringLiteral("German (Germany)"));
        QCOMPARE(reports, QStringList{QStringLiteral("lgv_RuntimeSupport_LanguageChanged|broken caption")});
        QCOMPARE(b.button->text(), QStringLiteral("Abbrechen"));
        QVERIFY(user.unexpected.isEmpty());
    }
};

QTEST_MAIN(FormLocalisationTest)
#include "formlocalisation_test.moc"

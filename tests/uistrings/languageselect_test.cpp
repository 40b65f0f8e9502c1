#include "platform/runtime/LocaleInfo.h"
#include "platform/win32core/RegistryObjects.h"
#include "platform/win32core/RegistryStore.h"
#include "platform/win32/ScriptedInteraction.h"
#include "support/Globals.h"
#include "tests/testlib/TestEnvironment.h"
#include "support/LanguageSelect.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace LgvStringModule;

namespace {

const QString kKey = QStringLiteral("SOFTWARE\\Corvane\\Quillmark\\Lingrove");

// Any open window of the add-in.
class OpenWindow : public QWidget, public LgvFormLocalisation {
public:
    OpenWindow()
    {
        button = new QPushButton(this);
        lgv_Load(false);
    }
    void lgv_UpdateControls() override { lgv_SetText(*button, 82); }
    QPushButton *button;
};

struct Stored {
    QVariant data;
    win32::DWORD type = 0;
};

Stored stored(const QString &name)
{
    qm::Result<win32::RegValue> value = win32::RegKey(win32::HKEY_CURRENT_USER, kKey).values().item(name);
    if (!value)
        return {};
    return {value->data().value(), value->type().value()};
}

void store(const QString &name, const QVariant &data, win32::DWORD type)
{
    QCOMPARE(win32::RegistryStore::createKey(win32::HKEY_CURRENT_USER, kKey), 0);
    QVERIFY(win32::RegKey(win32::HKEY_CURRENT_USER, kKey).values().add(name, data, type).ok());
}

struct Shown {
    QString caption, prompt, check, ok;
    QStringList entries;
    int selected = -1;
    bool checked = false;
};

Shown inspect(LanguageSelect &dialog)
{
    Shown s{dialog.windowTitle(), dialog.Label1->text(), dialog.chkShowOnStartup->text(), dialog.OkButton->text(), {}, -1,
            dialog.chkShowOnStartup->isChecked()};
    for (int i = 0; i < dialog.LanguageList->count(); ++i) {
        s.entries << dialog.LanguageList->item(i)->text();
        if (dialog.LanguageList->item(i)->isSelected())
            s.selected = dialog.LanguageList->item(i)->data(Qt::UserRole).toInt();
    }
    return s;
}

const QStringList kEntries{QStringLiteral("English (United Kingdom)"), QStringLiteral("Deutsch (Deutschland)")};

} // namespace

class LanguageSelectTest : public QObject {
    Q_OBJECT
    TestEnvironment m_env;

    // A new process: nothing chosen yet.
    static void restart()
    {
        setCurrentUILanguage(0);
        LgvRuntime::RuntimeSupport().SetLanguage(2057, QStringLiteral("English (United Kingdom)"));
    }

private slots:
    void initTestCase() { ::LocaleInfo = std::make_shared<LgvRuntime::LocaleInfo>(); }
    void cleanupTestCase() { ::LocaleInfo.reset(); }

    void init()
    {
        (void)win32::RegistryStore::deleteKey(win32::HKEY_CURRENT_USER, kKey);
        restart();
    }

    void firstStartShowsEnglishAndStores()
    {
        QCOMPARE(win32::RegistryStore::keyExists(win32::HKEY_CURRENT_USER, kKey), win32::LONG(2));
        win32::ScriptedInteraction user;
        Shown shown;
        user.answerDialog([&](QDialog &dialog) {
            auto &form = static_cast<LanguageSelect &>(dialog);
            shown = inspect(form);
            // The key exists while the dialog is shown.
            if (win32::RegistryStore::keyExists(win32::HKEY_CURRENT_USER, kKey) == 0)
                shown.caption += QStringLiteral(" [key created]");
            form.OkButton->click();
            return form.result();
        });
        LanguageSelect::ShowDialog(true);
        QCOMPARE(shown.caption, QStringLiteral("Quill Resource String Editor [key created]"));
        QCOMPARE(shown.prompt, QStringLiteral("Select language for the Quill Resource String Editor"));
        QCOMPARE(shown.check, QStringLiteral("Show this dialog when the Add-In is loaded"));
        QCOMPARE(shown.ok, QStringLiteral("OK"));
        QCOMPARE(shown.entries, kEntries);
        QCOMPARE(shown.selected, 2057);
        QVERIFY(shown.checked);
        QCOMPARE(stored("LangId").data, QVariant(qint32(2057)));
        QCOMPARE(stored("LangId").type, win32::DWORD(4));
        QCOMPARE(stored("LangName").data, QVariant(QStringLiteral("English (United Kingdom)")));
        QCOMPARE(stored("LangName").type, win32::DWORD(1));
        QCOMPARE(stored("ShowDialog").data, QVariant(qint32(-1)));
        QCOMPARE(stored("ShowDialog").type, win32::DWORD(4));
        QVERIFY(user.unexpected.isEmpty());
    }

    void germanWithoutDialogNextTime()
    {
        win32::ScriptedInteraction user;
        OpenWindow window;
        QString windowDuring, dialogAfter;
        user.answerDialog([&](QDialog &dialog) {
            auto &form = static_cast<LanguageSelect &>(dialog);
            form.LanguageList->item(1)->setSelected(true);
            form.chkShowOnStartup->setChecked(false);
            form.OkButton->click();
            // Every open window, this one included, has switched before OK returns.
            windowDuring = window.button->text();
            dialogAfter = form.OkButton->text() + u'|' + form.Label1->text();
            return form.result();
        });
        LanguageSelect::ShowDialog(true);
        QCOMPARE(windowDuring, QStringLiteral("Abbrechen"));
        QCOMPARE(dialogAfter, QStringLiteral("OK|Sprache für den Quill Resource String Editor wählen"));
        QCOMPARE(CurrentUILanguage(), 1031);
        QCOMPARE(stored("LangId").data, QVariant(qint32(1031)));
        QCOMPARE(stored("LangName").data, QVariant(QStringLiteral("German (Germany)")));
        QCOMPARE(stored("ShowDialog").data, QVariant(qint32(0)));

        restart();
        OpenWindow later;
        QCOMPARE(later.button->text(), QStringLiteral("Cancel"));
        LanguageSelect::ShowDialog(true);
        QVERIFY(user.unexpected.isEmpty());  // no dialog
        QCOMPARE(CurrentUILanguage(), 1031);
        QCOMPARE(later.button->text(), QStringLiteral("Abbrechen"));
        QCOMPARE(LgvRuntime::RuntimeSupport().LanguageId(), 1031);
    }

    void storedLanguageIsActiveInDialog()
    {
        store("LangId", 1031, 4);
        win32::ScriptedInteraction user;
        Shown shown;
        user.answerDialog([&](QDialog &dialog) {
            shown = inspect(static_cast<LanguageSelect &>(dialog));
            return int(QDialog::Rejected);
        });
        LanguageSelect::ShowDialog(true);
        QCOMPARE(shown.caption, QStringLiteral("Quill Resource Editor"));
        QCOMPARE(shown.check, QStringLiteral("Dieses Dialog immer anzeigen"));
        QCOMPARE(shown.selected, 1031);
        QCOMPARE(shown.entries, kEntries);
        // Closed without OK: the values are written all the same.
        QCOMPARE(stored("LangName").data, QVariant(QStringLiteral("German (Germany)")));
        QCOMPARE(stored("ShowDialog").data, QVariant(qint32(-1)));
    }

    void doubleClickIsOk()
    {
        win32::ScriptedInteraction user;
        int result = -1;
        user.answerDialog([&](QDialog &dialog) {
            auto &form = static_cast<LanguageSelect &>(dialog);
            form.show();
            QListWidget *list = form.LanguageList;
            const QPoint german = list->visualItemRect(list->item(1)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, german);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, german);
            result = form.result();
            return form.result();
        });
        LanguageSelect::ShowDialog(false);
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(CurrentUILanguage(), 1031);
        QCOMPARE(stored("LangId").data, QVariant(qint32(1031)));
        QCOMPARE(stored("ShowDialog").data, QVariant(qint32(-1)));
    }

    void okWithoutSelectionKeepsDialogOpen()
    {
        win32::ScriptedInteraction user;
        int resultBefore = -1;
        user.answerDialog([&](QDialog &dialog) {
            auto &form = static_cast<LanguageSelect &>(dialog);
            form.LanguageList->clearSelection();
            form.OkButton->click();
            resultBefore = form.result();
            return form.result();
        });
        LanguageSelect::ShowDialog(false);
        QCOMPARE(resultBefore, 0);
        QCOMPARE(CurrentUILanguage(), 2057);
    }

    void toolbarShowsEvenWhenSwitchedOff()
    {
        store("LangId", 2057, 4);
        store("LangName", QStringLiteral("stale"), 1);
        store("ShowDialog", 0, 4);
        win32::ScriptedInteraction user;
        SetUILanguage(2057, QString());
        OpenWindow window;
        bool unchecked = false;
        user.answerDialog([&](QDialog &dialog) {
            auto &form = static_cast<LanguageSelect &>(dialog);
            unchecked = !form.chkShowOnStartup->isChecked();
            form.OkButton->click();
            return form.result();
        });
        LanguageSelect::ShowDialog();
        QVERIFY(unchecked);
        QVERIFY(user.unexpected.isEmpty());
        QCOMPARE(window.button->text(), QStringLiteral("Cancel"));
        QCOMPARE(stored("LangName").data, QVariant(QStringLiteral("English (United Kingdom)")));
        QCOMPARE(stored("ShowDialog").data, QVariant(qint32(0)));
    }

    void unsupportedStoredLanguageGivesEnglish()
    {
        store("LangId", 1033, 4);
        store("ShowDialog", 0, 4);
        win32::ScriptedInteraction user;
        SetUILanguage(1031, QString());
        OpenWindow window;
        LanguageSelect::ShowDialog(true);
        QCOMPARE(CurrentUILanguage(), 2057);
        QCOMPARE(window.button->text(), QStringLiteral("Cancel"));
        QVERIFY(user.unexpected.isEmpty());

        store("ShowDialog", -1, 4);
        int selected = 0;
        user.answerDialog([&](QDialog &dialog) {
            selected = inspect(static_cast<LanguageSelect &>(dialog)).selected;
            return int(QDialog::Rejected);
        });
        LanguageSelect::ShowDialog(true);
        QCOMPARE(selected, 2057);
    }
};

QTEST_MAIN(LanguageSelectTest)
#include "languageselect_test.moc"

#include "languages/ctlLanguageList.h"
#include "languages/frmAddLanguage.h"
#include "languages/frmRemoveLanguage.h"
#include "platform/runtime/LocaleInfo.h"
#include "platform/runtime/RuntimeSupport.h"
#include "platform/win32core/Nls.h"
#include "platform/win32/ScriptedInteraction.h"
#include "support/Globals.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

// A LocaleInfo with no list at all, or only its English list missing.
class MissingLists : public LgvRuntime::LocaleInfo {
public:
    explicit MissingLists(bool systemListToo) : m_systemListToo(systemListToo) {}
    void ChooseNameLanguage(int, int) override { m_ready = false; }
    void ChooseSystemList(int flags) override
    {
        LocaleInfo::ChooseSystemList(flags);
        m_ready = !m_systemListToo;
    }
    bool IsListReady() const override { return m_ready; }

private:
    bool m_systemListToo;
    bool m_ready = false;
};

void setUILanguage(int id)
{
    const QString name = id == 1031 ? QStringLiteral("German (Germany)") : QStringLiteral("English (United Kingdom)");
    LgvStringModule::SetUILanguage(id, name);
    LgvRuntime::RuntimeSupport support;
    support.SetLanguage(id, name);
}

QStringList itemTexts(const QComboBox &box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts.append(box.itemText(i));
    return texts;
}

} // namespace

// The locale list control and the two language dialogs.
class LanguageDialogsTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment env;
    const int systemLocale = int(win32::GetSystemDefaultLCID());

private slots:
    void initTestCase() { ::LocaleInfo = std::make_shared<LgvRuntime::LocaleInfo>(); }
    void cleanupTestCase() { ::LocaleInfo.reset(); }
    void init() { setUILanguage(2057); }
    void cleanup() { ctlLanguageList::localeInfoFactory() = [] { return std::make_unique<LgvRuntime::LocaleInfo>(); }; }

    void opensWithSystemLanguageAndDefaultLocale()
    {
        ctlLanguageList list;
        QVERIFY(list.optSystemLocale->isChecked());
        QVERIFY(list.cboSupportedLocales->count() > 100);
        QCOMPARE(list.LocaleID(), systemLocale);
        QCOMPARE(list.lblViewIn->text(), QStringLiteral("View list in..."));
        QCOMPARE(list.optEnglish->text(), QStringLiteral("English"));
        QCOMPARE(list.optSystemLocale->text(), QStringLiteral("System Language"));
    }

    void switchingNameLanguageKeepsTheSelection()
    {
        ctlLanguageList list;
        list.setLocaleID(1041);
        const QString systemName = list.cboSupportedLocales->currentText();
        list.optEnglish->click();
        QCOMPARE(list.LocaleID(), 1041);
        QCOMPARE(list.cboSupportedLocales->currentText(), QStringLiteral("Japanese (Japan)"));
        list.optSystemLocale->click();
        QCOMPARE(list.LocaleID(), 1041);
        QCOMPARE(list.cboSupportedLocales->currentText(), systemName);
    }

    void localeIdAndChanged()
    {
        ctlLanguageList list;
        QSignalSpy changed(&list, &ctlLanguageList::Changed);
        list.setLocaleID(1031);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toInt(), 1031);
        list.setLocaleID(0x7777);  // not listed
        QCOMPARE(list.LocaleID(), -1);
        QCOMPARE(list.cboSupportedLocales->currentIndex(), -1);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(list.LocaleName(), QString());
        // Refilling selects nothing on its own: only the remembered locale raises Changed.
        list.optEnglish->click();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(list.LocaleID(), -1);
    }

    void localeNameIsInTheUILanguage()
    {
        ctlLanguageList list;
        list.optEnglish->click();
        list.setLocaleID(1036);
        QCOMPARE(list.LocaleName(), QStringLiteral("French (France)"));
        setUILanguage(1031);
        QCOMPARE(list.LocaleName(), QString::fromUtf8("Französisch (Frankreich)"));
        QCOMPARE(list.cboSupportedLocales->currentText(), QStringLiteral("French (France)"));  // the list stays
    }

    void languageChangeRelabelsButKeepsNames()
    {
        ctlLanguageList list;
        const QStringList before = itemTexts(*list.cboSupportedLocales);
        setUILanguage(1031);
        QCOMPARE(list.lblViewIn->text(), QStringLiteral("Anzeigen in ..."));
        QCOMPARE(list.optEnglish->text(), QStringLiteral("Englisch"));
        QCOMPARE(list.optSystemLocale->text(), QStringLiteral("Systemsprache"));
        QCOMPARE(itemTexts(*list.cboSupportedLocales), before);
        // The wider German row still fits.
        QVERIFY(list.width() >= list.frameLanguage->sizeHint().width());
    }

    void noListAtAll()
    {
        win32::ScriptedInteraction user;
        user.answerMsgBox(win32::vbOK);
        ctlLanguageList list;
        const QStringList before = itemTexts(*list.cboSupportedLocales);
        const int selected = list.LocaleID();
        ctlLanguageList::localeInfoFactory() = [] { return std::make_unique<MissingLists>(true); };
        list.optEnglish->click();
        QCOMPARE(user.messageBoxes.size(), 1);
        QCOMPARE(user.messageBoxes[0].prompt, QStringLiteral("Failed to get list of locales"));
        QCOMPARE(user.messageBoxes[0].style, int(win32::vbOKOnly));
        QCOMPARE(user.messageBoxes[0].title, QStringLiteral("Quill Resource String Editor"));
        QCOMPARE(itemTexts(*list.cboSupportedLocales), before);
        QCOMPARE(list.LocaleID(), selected);
    }

    void englishMissingFallsBackToUILanguageNames()
    {
        setUILanguage(1031);
        ctlLanguageList::localeInfoFactory() = [] { return std::make_unique<MissingLists>(false); };
        ctlLanguageList list;
        list.optEnglish->click();
        list.setLocaleID(2057);
        QCOMPARE(list.cboSupportedLocales->currentText(), QString::fromUtf8("Englisch (Vereinigtes Königreich)"));
    }

    void layoutRules()
    {
        ctlLanguageList list;
        list.show();
        const int fixedHeight = list.height();
        const int rowWidth = list.frameLanguage->sizeHint().width();
        QCOMPARE(fixedHeight, list.frameLanguage->geometry().bottom() + 1);
        QVERIFY(list.frameLanguage->y() >= list.cboSupportedLocales->height());
        list.resize(10, 400);
        QCOMPARE(list.width(), rowWidth);
        QCOMPARE(list.height(), fixedHeight);
        list.resize(rowWidth + 200, 5);
        QCOMPARE(list.height(), fixedHeight);
        QCOMPARE(list.cboSupportedLocales->width(), rowWidth + 200);
    }

    void addLanguageResults_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("localeId");
        QTest::newRow("OK untouched") << "ok" << 1 << systemLocale;
        QTest::newRow("OK with Japanese") << "japanese" << 1 << 1041;
        QTest::newRow("OK with nothing selected") << "none" << 1 << -1;
        QTest::newRow("Cancel") << "cancel" << 2 << 77;
        QTest::newRow("Escape") << "escape" << 2 << 77;
        QTest::newRow("close box") << "close" << 0 << 77;
    }
    void addLanguageResults()
    {
        QFETCH(QString, how);
        QFETCH(int, result);
        QFETCH(int, localeId);
        win32::ScriptedInteraction user;
        QString caption;
        user.answerDialog([&](QDialog &dialog) {
            auto &form = dynamic_cast<frmAddLanguage &>(dialog);
            caption = form.windowTitle();
            if (how == QLatin1String("japanese"))
                form.LocaleList->setLocaleID(1041);
            if (how == QLatin1String("none"))
                form.LocaleList->setLocaleID(0x7777);
            if (how == QLatin1String("cancel"))
                form.cmdCancel->click();
            else if (how == QLatin1String("escape"))
                QTest::keyClick(&form, Qt::Key_Escape);
            else if (how != QLatin1String("close"))
                form.cmdOK->click();
            return 0;
        });
        int id = 77;
        QString name = QStringLiteral("untouched");
        QCOMPARE(AddLanguage(id, name), result);
        QCOMPARE(caption, QStringLiteral("Add Language"));
        QCOMPARE(id, localeId);
        if (result != 1)
            QCOMPARE(name, QStringLiteral("untouched"));
        else if (localeId == 1041)
            QCOMPARE(name, QStringLiteral("Japanese (Japan)"));
        else if (localeId == -1)
            QCOMPARE(name, QString());
        QVERIFY(user.unexpected.isEmpty());
    }

    void removeLanguageDialog()
    {
        win32::ScriptedInteraction user;
        frmRemoveLanguage form;
        form.Form_Load();
        int index = 99;
        // Empty: returns 2 at once, without showing anything.
        QCOMPARE(form.RemoveLanguage(index), 2);
        QVERIFY(user.unexpected.isEmpty());
        for (int i = 0; i < 3; ++i) {
            auto *item = new QListWidgetItem(QStringLiteral("Language %1").arg(i), form.LanguageList());
            item->setData(Qt::UserRole, i + 10);
        }
        bool enabledFirst = true, enabledAfter = false;
        user.answerDialog([&](QDialog &) {
            enabledFirst = form.cmdOK->isEnabled();
            form.lstLanguages->item(2)->setSelected(true);
            enabledAfter = form.cmdOK->isEnabled();
            form.cmdOK->click();
            return 0;
        });
        QCOMPARE(form.RemoveLanguage(index), 1);
        QVERIFY(!enabledFirst);
        QVERIFY(enabledAfter);
        QCOMPARE(index, 12);
        // Cancel, and OK with the selection gone: 2, index unchanged.
        user.answerDialog([&](QDialog &) {
            form.cmdCancel->click();
            return 0;
        });
        index = 99;
        QCOMPARE(form.RemoveLanguage(index), 2);
        QCOMPARE(index, 99);
        form.Form_Unload();
    }

    void dialogsRelabelAndOpenTheirHelp()
    {
        win32::ScriptedInteraction user;
        frmAddLanguage add;
        add.Form_Load();
        frmRemoveLanguage remove;
        remove.Form_Load();
        setUILanguage(1031);
        QCOMPARE(add.windowTitle(), QStringLiteral("Sprache hinzufügen"));
        QCOMPARE(add.cmdCancel->text(), QStringLiteral("Abbrechen"));
        QCOMPARE(add.lblLanguage->text(), QStringLiteral("Sprache auswählen"));
        QCOMPARE(remove.windowTitle(), QStringLiteral("Sprache entfernen"));
        QCOMPARE(remove.cmdHelp->text(), QStringLiteral("Hilfe"));
        add.show();
        remove.show();
        add.cmdHelp->click();
        remove.cmdHelp->click();
        QVERIFY(add.isVisible() && remove.isVisible());
        QCOMPARE(user.helpShown.size(), 2);
        QCOMPARE(user.helpShown[0].second, 100);
        QCOMPARE(user.helpShown[1].second, 101);
        add.Form_Unload();
        remove.Form_Unload();
    }
};

QTEST_MAIN(LanguageDialogsTest)
#include "languagedialogs_test.moc"

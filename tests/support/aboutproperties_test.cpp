#include "platform/runtime/RuntimeSupport.h"
#include "platform/win32/ScriptedInteraction.h"
#include "support/Globals.h"
#include "support/HelpModule.h"
#include "support/frmAbout.h"
#include "support/frmProperties.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {
QPushButton *button(QDialog &dialog, const char *name)
{
    return dialog.findChild<QPushButton *>(QString::fromLatin1(name));
}
} // namespace

class AboutPropertiesTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment env;

    static void setLanguage(int id)
    {
        const QString name = id == 1031 ? QStringLiteral("German (Germany)") : QStringLiteral("English (United Kingdom)");
        LgvStringModule::SetUILanguage(id, name);
        LgvRuntime::RuntimeSupport support;
        support.SetLanguage(id, name);
    }

private slots:
    void initTestCase() { LgvStringModule::InitUIStrings(); }
    void init() { setLanguage(2057); }

    void propertiesResult_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("expected");
        QTest::newRow("OK") << "ok" << 1;
        QTest::newRow("close box") << "close" << 2;
        QTest::newRow("Escape") << "escape" << 2;
    }
    void propertiesResult()
    {
        QFETCH(QString, how);
        QFETCH(int, expected);
        win32::ScriptedInteraction user;
        QString caption, text;
        user.answerDialog([&](QDialog &dialog) {
            caption = dialog.windowTitle();
            text = dialog.findChild<QLabel *>(QStringLiteral("Label1"))->text();
            if (how == QLatin1String("ok"))
                button(dialog, "cmdOK")->click();
            else if (how == QLatin1String("close"))
                dialog.close();
            else
                QTest::keyClick(&dialog, Qt::Key_Escape);
            return dialog.result();
        });
        QCOMPARE(ShowPropertiesDialog(), expected);
        QCOMPARE(caption, QStringLiteral("Properties"));
        QCOMPARE(text, QStringLiteral("This version has no configurable properties."));
        QVERIFY(user.unexpected.isEmpty());
    }

    void propertiesInGerman()
    {
        setLanguage(1031);
        win32::ScriptedInteraction user;
        QString caption;
        user.answerDialog([&](QDialog &dialog) {
            caption = dialog.windowTitle();
            return 0;
        });
        QCOMPARE(ShowPropertiesDialog(), 2);
        QCOMPARE(caption, QStringLiteral("Eigenschaften"));
    }

    void aboutShowsTheRunningVersion_data()
    {
        QTest::addColumn<QString>("versionText");
        QTest::newRow("connected") << FormatVersionText(3, 4, 56);
        QTest::newRow("before connection") << QString();
    }
    void aboutShowsTheRunningVersion()
    {
        QFETCH(QString, versionText);
        VersionText = versionText;
        const QString expected = versionText.isEmpty() ? LibraryVersionText() : versionText;
        win32::ScriptedInteraction user;
        QString version, caption, title;
        user.answerDialog([&](QDialog &dialog) {
            caption = dialog.windowTitle();
            title = dialog.findChild<QLabel *>(QStringLiteral("Label1"))->text();
            version = dialog.findChild<QLabel *>(QStringLiteral("lblVersion"))->text();
            button(dialog, "cmdOK")->click();
            return dialog.result();
        });
        ShowAboutDialog();
        QCOMPARE(caption, QStringLiteral("About the Quill Resource String Editor"));
        QCOMPARE(title, QStringLiteral("Quill Resource String Editor"));
        QCOMPARE(version, expected);
        QVERIFY(!version.contains(QStringLiteral("xxx")));
        VersionText.clear();
    }

    void aboutKeepsTheVersionAcrossALanguageChange()
    {
        VersionText = FormatVersionText(1, 2, 34);
        win32::ScriptedInteraction user;
        QString version, caption, help;
        user.answerDialog([&](QDialog &dialog) {
            setLanguage(1031);
            caption = dialog.windowTitle();
            help = button(dialog, "cmdHelp")->text();
            version = dialog.findChild<QLabel *>(QStringLiteral("lblVersion"))->text();
            return 0;
        });
        ShowAboutDialog();
        QCOMPARE(caption, QStringLiteral("Über den Quill Resource String Editor"));
        QCOMPARE(help, QStringLiteral("Hilfe"));
        QCOMPARE(version, QStringLiteral("Version 1.02.0034"));
        VersionText.clear();
    }

    void aboutHelpOpensTopic102AndStaysOpen()
    {
        HelpFilePath = QStringLiteral("/opt/addin/Quillmark.chm");
        win32::ScriptedInteraction user;
        bool stillOpen = false;
        user.answerDialog([&](QDialog &dialog) {
            dialog.show();
            button(dialog, "cmdHelp")->click();
            stillOpen = dialog.isVisible();
            dialog.reject();
            return dialog.result();
        });
        ShowAboutDialog();
        QVERIFY(stillOpen);
        QCOMPARE(user.helpShown.size(), 1);
        QCOMPARE(user.helpShown[0].first, HelpFilePath);
        QCOMPARE(user.helpShown[0].second, 102);
        HelpFilePath.clear();
    }

    void helpModuleCommands()
    {
        win32::ScriptedInteraction user;
        HelpModule::HtmlHelp(nullptr, HelpModule::HH_DISPLAY_TOPIC, 106);
        HelpModule::HtmlHelp(nullptr, HelpModule::HH_HELP_CONTEXT, 106);
        QCOMPARE(user.helpShown.size(), 2);
        QCOMPARE(user.helpShown[0].second, 0);  // the default topic, whatever topic is passed
        QCOMPARE(user.helpShown[1].second, 106);
        QCOMPARE(user.helpShown[0].first, LibraryHelpFilePath());
    }
};

QTEST_MAIN(AboutPropertiesTest)
#include "aboutproperties_test.moc"

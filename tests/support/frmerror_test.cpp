#include "platform/win32/ScriptedInteraction.h"
#include "support/ErrorTrap.h"
#include "support/Globals.h"
#include "support/frmError.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString text(QDialog &dialog, const char *name)
{
    auto *label = dialog.findChild<QLabel *>(QString::fromLatin1(name));
    if (label)
        return label->text();
    auto *button = dialog.findChild<QPushButton *>(QString::fromLatin1(name));
    return button ? button->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

const QString kReportText = QStringLiteral("An error occured in the Quill Resource String Editor Add-In:\r\n"
                                           "\r\n"
                                           "Version: Version 1.02.0034\r\n"
                                           "Function: DoExport\r\n"
                                           "Line number: 42\r\n"
                                           "Description: a & b?\nc %\r\n"
                                           "Additional details: \r\n"
                                           "\r\n");

} // namespace

class FrmErrorTest : public QObject {
    Q_OBJECT
    TestEnvironment m_env;

private slots:
    void init()
    {
        VersionText = FormatVersionText(1, 2, 34);
        LgvStringModule::SetUILanguage(2057, QString());
    }

    void showsReportInUILanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("texts");  // caption, heading, 5 field labels, continue, email
        QTest::newRow("English") << 2057
                                 << QStringList{"Quill Resource String Editor", "Program Error", "Function", "Line Number",
                                                "Description", "Version", "Additional details", "Continue",
                                                "Report by Email"};
        QTest::newRow("German") << 1031
                                << QStringList{"Quill Resource String Editor", "Programfehler", "Funktion", "Zeilennummer",
                                               "Beschreibung", "Version", "Weitere Details", "Weiter",
                                               "Email Bericht senden"};
    }

    void showsReportInUILanguage()
    {
        QFETCH(int, language);
        QFETCH(QStringList, texts);
        LgvStringModule::SetUILanguage(language, QString());
        win32::ScriptedInteraction user;
        QStringList shown, values;
        QStringList unnamed;
        bool modal = false;
        QDialog *seen = nullptr;
        user.answerDialog([&](QDialog &dialog) {
            seen = &dialog;
            shown << dialog.windowTitle();
            for (const char *name : {"lblProgramError", "lbl0", "lbl1", "lbl2", "lbl3", "lbl4", "cmdContinue", "cmdEmail"})
                shown << text(dialog, name);
            for (const char *name : {"lblFunction", "lblLineNumber", "lblDescription", "lblVersion", "lblDetails"})
                values << text(dialog, name);
            // Every control is named for assistive technology.
            for (QLabel *label : dialog.findChildren<QLabel *>())
                if (label->accessibleName().isEmpty())
                    unnamed << label->objectName();
            for (QPushButton *button : dialog.findChildren<QPushButton *>())
                if (button->accessibleName().isEmpty())
                    unnamed << button->objectName();
            modal = dialog.isModal();
            return int(QDialog::Accepted);
        });
        ShowError(QStringLiteral("cmdOK_Click"), 1234, QStringLiteral("Object required"), QStringLiteral("cell B2"));
        QCOMPARE(shown, texts);
        QCOMPARE(values, (QStringList{"cmdOK_Click", "1234", "Object required", "Version 1.02.0034", "cell B2"}));
        QCOMPARE(unnamed, QStringList());
        QVERIFY(modal);
        QCOMPARE(user.topmostWindows.size(), 1);
        QCOMPARE(user.topmostWindows[0], seen);
        QVERIFY(user.unexpected.isEmpty());
    }

    void mailTextAndLink()
    {
        win32::ScriptedInteraction user;
        QString mailText;
        int closedWith = -1;
        user.answerDialog([&](QDialog &dialog) {
            auto &form = static_cast<frmError &>(dialog);
            mailText = form.MailText();
            form.cmdEmail->click();
            // The report stays open until Continue.
            closedWith = form.result();
            form.cmdContinue->click();
            return form.result();
        });
        ShowError(QStringLiteral("DoExport"), 42, QStringLiteral("a & b?\nc %"));
        QCOMPARE(mailText, kReportText);
        QCOMPARE(closedWith, 0);
        QCOMPARE(user.shellOpened,
                 QStringList{QStringLiteral(
                     "mailto:support@corvane.com?subject=Quill%20Resource%20String%20Editor%20Error&body="
                     "An%20error%20occured%20in%20the%20Quill%20Resource%20String%20Editor%20Add-In%3A%0D%0A%0D%0A"
                     "Version%3A%20Version%201.02.0034%0D%0AFunction%3A%20DoExport%0D%0ALine%20number%3A%2042%0D%0A"
                     "Description%3A%20a%20%26%20b%3F%0D%0Ac%20%25%0D%0AAdditional%20details%3A%20%0D%0A%0D%0A")});
        QVERIFY(user.unexpected.isEmpty());
    }

    void openEmailLinks_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("link");
        QTest::newRow("subject and body") << "a@b.c" << "S" << "B" << "mailto:a@b.c?subject=S&body=B";
        QTest::newRow("body only") << "a@b.c" << "" << "x y" << "mailto:a@b.c?body=x%20y";
        QTest::newRow("subject only") << "a@b.c" << "S&T=1" << "" << "mailto:a@b.c?subject=S%26T%3D1";
        QTest::newRow("neither") << "a@b.c" << "" << "" << "mailto:a@b.c";
        QTest::newRow("has prefix") << "MailTo:a@b.c" << "S" << "" << "MailTo:a@b.c?subject=S";
        QTest::newRow("umlaut") << "a@b.c" << QString::fromUtf8("Ü") << "" << "mailto:a@b.c?subject=%C3%9C";
    }

    void openEmailLinks()
    {
        QFETCH(QString, address);
        QFETCH(QString, subject);
        QFETCH(QString, body);
        QFETCH(QString, link);
        win32::ScriptedInteraction user;
        user.setShellSucceeds(false);  // no mail program: nothing more is shown
        frmError::OpenEmail(address, subject, body);
        QCOMPARE(user.shellOpened, QStringList{link});
        QVERIFY(user.messageBoxes.isEmpty() && user.unexpected.isEmpty());
    }

    void noMailProgramOffersTheReportOnTheClipboard_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("prompt");
        const QString english = QStringLiteral("No e-mail program could be started, so the report was not sent. Copy the "
                                               "whole report to the clipboard, to send it to support@corvane.com yourself?");
        QTest::newRow("English, Yes") << 2057 << int(win32::vbYes) << english;
        QTest::newRow("English, No") << 2057 << int(win32::vbNo) << english;
        QTest::newRow("German, Yes") << 1031 << int(win32::vbYes)
                                     << QString::fromUtf8("Es konnte kein E-Mail-Programm gestartet werden, der Bericht "
                                                          "wurde nicht gesendet. Den ganzen Bericht in die Zwischenablage "
                                                          "kopieren, um ihn selbst an support@corvane.com zu senden?");
    }

    void noMailProgramOffersTheReportOnTheClipboard()
    {
        QFETCH(int, language);
        QFETCH(int, answer);
        QFETCH(QString, prompt);
        LgvStringModule::SetUILanguage(language, QString());
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        win32::ScriptedInteraction user;
        user.setShellSucceeds(false);
        user.answerMsgBox(answer);
        user.answerDialog([&](QDialog &dialog) {
            auto &form = static_cast<frmError &>(dialog);
            form.cmdEmail->click();
            form.cmdContinue->click();
            return form.result();
        });
        ShowError(QStringLiteral("DoExport"), 42, QStringLiteral("a & b?\nc %"));
        QCOMPARE(user.shellOpened.size(), 1);
        QCOMPARE(user.messageBoxes.size(), 1);
        QCOMPARE(user.messageBoxes[0].prompt, prompt);
        QCOMPARE(user.messageBoxes[0].style, win32::vbYesNo | win32::vbExclamation);
        QCOMPARE(user.messageBoxes[0].title, QStringLiteral("Quill Resource String Editor"));
        QString report = kReportText;
        report.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(QGuiApplication::clipboard()->text(), answer == win32::vbYes ? report : QStringLiteral("before"));
        QVERIFY(user.unexpected.isEmpty());
    }

    void realReportOnADesktopWithoutMailProgram()
    {
        // A desktop whose MIME database names no program for mailto: links.
        QTemporaryDir bin;
        const QString xdgMime = bin.filePath(QStringLiteral("xdg-mime"));
        QFile script(xdgMime);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nexit 0\n");
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));

        QString prompt;
        QTimer::singleShot(0, [&] {
            auto *form = qobject_cast<frmError *>(QApplication::activeModalWidget());
            if (!form)
                return;
            QTimer::singleShot(0, [&] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    prompt = box->text();
                    box->button(QMessageBox::Yes)->click();
                }
            });
            form->cmdEmail->click();
            form->cmdContinue->click();
        });
        ShowError(QStringLiteral("cmdSave_Click"), 7, QStringLiteral("disk full"));
        qputenv("PATH", path);
        QVERIFY2(prompt.contains(QStringLiteral("support@corvane.com")), qPrintable(prompt));
        QVERIFY2(QGuiApplication::clipboard()->text().contains(QStringLiteral("Function: cmdSave_Click\nLine number: 7\n")),
                 qPrintable(QGuiApplication::clipboard()->text()));
    }

    void closeBoxEndsLikeContinue()
    {
        win32::ScriptedInteraction user;
        bool hidden = false;
        user.answerDialog([&](QDialog &dialog) {
            dialog.show();
            dialog.close();
            hidden = !dialog.isVisible();
            return dialog.result();
        });
        ShowError(QStringLiteral("X"), 1, QStringLiteral("y"));
        QVERIFY(hidden);
        QVERIFY(user.unexpected.isEmpty());
    }

    void failureInsideReportIsReportedOnce()
    {
        win32::ScriptedInteraction user;
        QStringList reports;
        bool thirdShown = false;
        user.answerDialog([&](QDialog &dialog) -> int {
            reports << text(dialog, "lblFunction");
            qm::raise(QStringLiteral("first"));
        });
        user.answerDialog([&](QDialog &dialog) -> int {
            reports << text(dialog, "lblFunction") + u'|' + text(dialog, "lblDescription");
            qm::raise(QStringLiteral("second"));
        });
        user.answerDialog([&](QDialog &) {
            thirdShown = true;
            return int(QDialog::Accepted);
        });
        QTest::ignoreMessage(QtCriticalMsg,
                             QRegularExpression(QStringLiteral("^Error report failed again; not shown: ShowError, line \\d+: second$")));
        ShowError(QStringLiteral("Original"), 7, QStringLiteral("boom"));
        QCOMPARE(reports, (QStringList{"Original", "ShowError|first"}));
        QVERIFY(!thirdShown);
        // The guard resets: the next report is shown normally.
        ShowError(QStringLiteral("Later"), 8, QStringLiteral("fine"));
        QVERIFY(thirdShown);
    }
};

QTEST_MAIN(FrmErrorTest)
#include "frmerror_test.moc"

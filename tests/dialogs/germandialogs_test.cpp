#include "platform/win32/HtmlHelp.h"
#include "platform/win32/Interaction.h"
#include "tests/testlib/ShownDialogs.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"
#include "support/QtTranslations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QKeySequence>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>
#include <QtTest>

namespace {

QStringList buttonTexts(QWidget &window)
{
    QStringList texts;
    for (QDialogButtonBox *box : window.findChildren<QDialogButtonBox *>())
        for (QAbstractButton *button : box->buttons())
            if (button->isVisible())
                texts << button->text();
    texts.sort();
    return texts;
}

QStringList accessibleNames(QWidget &window)
{
    QStringList names;
    for (QDialogButtonBox *box : window.findChildren<QDialogButtonBox *>())
        for (QAbstractButton *button : box->buttons())
            if (button->isVisible())
                names << button->accessibleName();
    names.sort();
    return names;
}

void setLanguage(int languageId)
{
    LgvStringModule::SetUILanguage(languageId, QString());
    // The application posts the change to its windows, which pass it on to their widgets.
    for (int round = 0; round < 3; ++round)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
}

QAbstractButton *buttonNamed(QWidget &window, const QString &text)
{
    for (QAbstractButton *button : window.findChildren<QAbstractButton *>())
        if (button->text() == text)
            return button;
    return nullptr;
}

} // namespace

// What Qt draws itself speaks the add-in's UI language, and switches with it.
class GermanDialogsTest : public QObject {
    Q_OBJECT
    TestEnvironment m_environment;

private slots:
    void init() { setLanguage(1031); }
    void cleanup()
    {
        setLanguage(2057);
        QVERIFY2(takeShownDialogFailures().isEmpty(), "a window was not shown");
    }

    void qtsTranslationIsInstalled() { QVERIFY2(QtTranslations::QtGermanLoaded(), "qtbase_de.qm was not loaded"); }

    void messageBoxButtonsAreGermanAndSwitch()
    {
        QStringList german, germanNames, english;
        whenModalShown([&](QWidget &box) {
            german = buttonTexts(box);
            germanNames = accessibleNames(box);
            setLanguage(2057);
            english = buttonTexts(box);
            QAbstractButton *cancel = buttonNamed(box, QStringLiteral("Cancel"));
            QVERIFY(cancel);
            cancel->click();
        });
        QCOMPARE(win32::interaction().msgBox(QStringLiteral("Speichern?"), win32::vbYesNoCancel, QStringLiteral("Quill")),
                 int(win32::vbCancel));
        QCOMPARE(german, (QStringList{QStringLiteral("&Ja"), QStringLiteral("&Nein"), QStringLiteral("Abbrechen")}));
        QCOMPARE(germanNames, (QStringList{QStringLiteral("Abbrechen"), QStringLiteral("Ja"), QStringLiteral("Nein")}));
        QCOMPARE(english, (QStringList{QStringLiteral("&No"), QStringLiteral("&Yes"), QStringLiteral("Cancel")}));
    }

    void fileDialogIsGerman()
    {
        QStringList buttons;
        QString refusal;
        whenModalShown([&](QWidget &dialog) {
            buttons = buttonTexts(dialog);
            auto *fileDialog = qobject_cast<QFileDialog *>(&dialog);
            QVERIFY(fileDialog);
            // A file that must exist but does not: the dialog's own message, in German.
            whenModalShown([&](QWidget &box) {
                refusal = box.accessibleDescription();
                pressKey(box, Qt::Key_Return);
            }, &dialog);
            fileDialog->selectFile(QDir(m_environment.path()).filePath(QStringLiteral("fehlt.res")));
            QMetaObject::invokeMethod(fileDialog, "accept");
            fileDialog->reject();
        });
        win32::FileDialogRequest request;
        request.initialPath = m_environment.path();
        request.filters = {QStringLiteral("Resourcedateien (*.res)")};
        request.fileMustExist = true;
        QCOMPARE(win32::interaction().getOpenFileName(request), QString());
        QVERIFY2(buttons.contains(QStringLiteral("Abbrechen")), qPrintable(buttons.join(u',')));
        QVERIFY2(buttons.contains(QStringLiteral("&Öffnen")), qPrintable(buttons.join(u',')));
        QVERIFY2(refusal.startsWith(QStringLiteral("Die Datei \"")) && refusal.contains(QStringLiteral("existiert nicht")),
                 qPrintable(refusal));
    }

    void helpWindowSwitchesLanguage()
    {
        win32::HtmlHelpViewer viewer;
        viewer.show();
        auto *back = viewer.findChild<QToolButton *>(QStringLiteral("cmdBack"));
        QVERIFY(back);
        QCOMPARE(back->text(), QStringLiteral("Zurück"));
        QCOMPARE(viewer.findChild<QToolButton *>(QStringLiteral("cmdHome"))->accessibleName(), QStringLiteral("Startseite"));
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Hilfe"));
        setLanguage(2057);
        QCOMPARE(back->text(), QStringLiteral("Back"));
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Help"));
    }

    void keyNamesAndExpressionErrorsAreGerman()
    {
        QCOMPARE(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z).toString(QKeySequence::NativeText),
                 QStringLiteral("Strg+Umschalt+Z"));
        const QRegularExpression broken(QStringLiteral("[a"));
        QVERIFY(!broken.isValid());
        const QString german = broken.errorString();
        setLanguage(2057);
        QCOMPARE(broken.errorString(), QStringLiteral("missing terminating ] for character class"));
        QVERIFY2(german != broken.errorString() && !german.isEmpty(), qPrintable(german));
    }
};

QTEST_MAIN(GermanDialogsTest)
#include "germandialogs_test.moc"

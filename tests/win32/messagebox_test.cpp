#include "platform/win32/Interaction.h"
#include "platform/win32/QtMessageBox.h"
#include "platform/win32/ScriptedInteraction.h"
#include "tests/testlib/ShownDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <functional>

using namespace win32;

namespace {

QString buttonText(int answer)
{
    switch (answer) {
    case vbOK: return QStringLiteral("OK");
    case vbCancel: return QStringLiteral("Cancel");
    case vbAbort: return QStringLiteral("&Abort");
    case vbRetry: return QStringLiteral("&Retry");
    case vbIgnore: return QStringLiteral("&Ignore");
    case vbYes: return QStringLiteral("&Yes");
    case vbNo: return QStringLiteral("&No");
    }
    return {};
}

QStringList shownButtons(QWidget &box)
{
    QStringList texts;
    for (QAbstractButton *button : box.findChildren<QAbstractButton *>())
        if (button->isVisible())
            texts.append(button->text());
    texts.sort();
    return texts;
}

QPushButton *button(QWidget &box, const QString &text)
{
    for (QPushButton *candidate : box.findChildren<QPushButton *>())
        if (candidate->text() == text && candidate->isVisible())
            return candidate;
    return nullptr;
}

// Shows the real box and lets `act` answer it; returns what msgBox returned.
int ask(int style, const std::function<void(QWidget &)> &act, const QString &prompt = QStringLiteral("Go on?"))
{
    whenModalShown(act);
    return interaction().msgBox(prompt, style, QStringLiteral("Quill Resource String Editor"));
}

} // namespace

// The real message box, shown offscreen and answered with the mouse and the keyboard.
class MessageBoxTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(takeShownDialogFailures().isEmpty(), "a message box was not shown"); }

    void eachStyleShowsItsButtonsAndAnswersWithEach_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("escape");
        QTest::newRow("0 OK") << 0 << QList<int>{vbOK} << int(vbOK);
        QTest::newRow("1 OK Cancel") << 1 << QList<int>{vbOK, vbCancel} << int(vbCancel);
        QTest::newRow("2 Abort Retry Ignore") << 2 << QList<int>{vbAbort, vbRetry, vbIgnore} << 0;
        QTest::newRow("3 Yes No Cancel") << 3 << QList<int>{vbYes, vbNo, vbCancel} << int(vbCancel);
        QTest::newRow("4 Yes No") << 4 << QList<int>{vbYes, vbNo} << int(vbNo);
        QTest::newRow("5 Retry Cancel") << 5 << QList<int>{vbRetry, vbCancel} << int(vbCancel);
    }
    void eachStyleShowsItsButtonsAndAnswersWithEach()
    {
        QFETCH(int, style);
        QFETCH(QList<int>, answers);
        QFETCH(int, escape);
        QStringList expected;
        for (int answer : answers)
            expected.append(buttonText(answer));
        expected.sort();
        QCOMPARE(msgBoxAnswers(style), answers);
        QCOMPARE(msgBoxEscapeAnswer(style), escape);

        // Every button, clicked, gives its own answer; with every icon the buttons stay the same.
        const QList<int> icons{0, vbCritical, vbQuestion, vbExclamation, vbInformation};
        const QList<QMessageBox::Icon> shownIcons{QMessageBox::NoIcon, QMessageBox::Critical, QMessageBox::Question,
                                                  QMessageBox::Warning, QMessageBox::Information};
        for (int i = 0; i < icons.size(); ++i) {
            for (int answer : answers) {
                QStringList buttons;
                QMessageBox::Icon icon = QMessageBox::NoIcon;
                QString title;
                const int got = ask(style | icons[i], [&](QWidget &box) {
                    buttons = shownButtons(box);
                    icon = dynamic_cast<QMessageBox &>(box).icon();
                    title = box.windowTitle();
                    QTest::mouseClick(button(box, buttonText(answer)), Qt::LeftButton);
                });
                QCOMPARE(got, answer);
                QCOMPARE(buttons, expected);
                QCOMPARE(icon, shownIcons[i]);
                QCOMPARE(title, QStringLiteral("Quill Resource String Editor"));
            }
        }

        // Escape and the close box give the answer that backs out; where there is
        // none (Abort, Retry, Ignore) they do nothing and the user must choose.
        for (const bool closeBox : {false, true}) {
            bool stayed = false;
            const int got = ask(style, [&](QWidget &box) {
                if (closeBox && escape == 0)
                    QVERIFY(!(box.windowFlags() & Qt::WindowCloseButtonHint));  // the title bar offers none
                else if (closeBox)
                    clickCloseBox(box);
                else
                    pressKey(box, Qt::Key_Escape);
                stayed = box.isVisible();
                if (stayed)
                    QTest::mouseClick(button(box, buttonText(vbRetry)), Qt::LeftButton);
            });
            QCOMPARE(got, escape ? escape : int(vbRetry));
            QCOMPARE(stayed, escape == 0);
        }
    }

    void enterTakesTheDefaultButton_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("answer");
        QTest::newRow("first") << int(vbYesNoCancel) << int(vbYes);
        QTest::newRow("second") << int(vbYesNoCancel | vbDefaultButton2) << int(vbNo);
        QTest::newRow("third") << int(vbYesNoCancel | vbDefaultButton3) << int(vbCancel);
        QTest::newRow("OK/Cancel second") << int(vbOKCancel | vbDefaultButton2) << int(vbCancel);
        QTest::newRow("past the last") << int(vbYesNo | vbDefaultButton3) << int(vbNo);
    }
    void enterTakesTheDefaultButton()
    {
        QFETCH(int, style);
        QFETCH(int, answer);
        QCOMPARE(ask(style, [](QWidget &box) { pressKey(box, Qt::Key_Return); }), answer);
    }

    void lettersAnswerAsTheButtonsUnderline_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("answer");
        QTest::newRow("Y") << int(vbYesNoCancel) << int(Qt::Key_Y) << int(vbYes);
        QTest::newRow("N") << int(vbYesNoCancel) << int(Qt::Key_N) << int(vbNo);
        QTest::newRow("A") << int(vbAbortRetryIgnore) << int(Qt::Key_A) << int(vbAbort);
        QTest::newRow("I") << int(vbAbortRetryIgnore) << int(Qt::Key_I) << int(vbIgnore);
        QTest::newRow("R") << int(vbRetryCancel) << int(Qt::Key_R) << int(vbRetry);
    }
    void lettersAnswerAsTheButtonsUnderline()
    {
        QFETCH(int, style);
        QFETCH(int, key);
        QFETCH(int, answer);
        QCOMPARE(ask(style, [&](QWidget &box) { QTest::keyClick(&box, Qt::Key(key)); }), answer);
    }

    void closedByTheProgramItBacksOut()
    {
        // As when the host closes its dialogs before it shuts down.
        QCOMPARE(ask(vbYesNoCancel, [](QWidget &box) { dynamic_cast<QDialog &>(box).reject(); }), int(vbCancel));
        QCOMPARE(ask(vbAbortRetryIgnore, [](QWidget &box) { dynamic_cast<QDialog &>(box).reject(); }), int(vbAbort));
    }

    void boxesAreNamedForAssistiveTools()
    {
        QtMessageBox box(QStringLiteral("Save changes?"), vbYesNoCancel | vbExclamation, QStringLiteral("Quill Host"));
        QCOMPARE(box.accessibleName(), QStringLiteral("Quill Host"));
        QCOMPARE(box.buttonFor(vbYes)->accessibleName(), QStringLiteral("Yes"));
        QCOMPARE(box.buttonFor(vbCancel)->accessibleName(), QStringLiteral("Cancel"));
        QVERIFY(!box.buttonFor(vbOK));
    }

    void stylesWindowsDoesNotHaveAreRefused()
    {
        for (int style : {6, 7, 15, 80, 96, 1 | 0x300, 0x1000})
            QVERIFY2(!isValidMsgBoxStyle(style), qPrintable(QString::number(style)));
        for (int style : {0, 1 | 16, 2 | 32, 3 | 48, 4 | 64, 5 | vbDefaultButton2})
            QVERIFY2(isValidMsgBoxStyle(style), qPrintable(QString::number(style)));
        QTest::ignoreMessage(QtWarningMsg, "win32: message box style 6 is not one Windows has");
        QCOMPARE(interaction().msgBox(QStringLiteral("?"), 6, QStringLiteral("T")), 0);
    }

    // The scripted user can only give answers the real box has buttons for.
    void scriptedAnswersAreHeldToTheStyle()
    {
        ScriptedInteraction user;
        user.answerMsgBox(vbOK);      // a Yes/No box has no OK
        user.answerMsgBox(vbCancel);  // nor Cancel
        user.answerMsgBox(vbNo);
        user.answerMsgBox(vbCancel);  // Yes/No/Cancel has Cancel
        user.answerMsgBox(vbYes);     // an OK box has no Yes
        QCOMPARE(interaction().msgBox(QStringLiteral("a"), vbYesNo, QString()), int(vbNo));
        QCOMPARE(interaction().msgBox(QStringLiteral("b"), vbYesNo, QString()), int(vbNo));
        QCOMPARE(user.unexpected.size(), 2);
        QVERIFY(user.unexpected[0].contains(QStringLiteral("answer 1 that style 4 cannot give")));
        QCOMPARE(interaction().msgBox(QStringLiteral("c"), vbYesNo | vbExclamation, QString()), int(vbNo));
        QCOMPARE(interaction().msgBox(QStringLiteral("d"), vbYesNoCancel, QString()), int(vbCancel));
        QCOMPARE(interaction().msgBox(QStringLiteral("e"), vbOKOnly, QString()), int(vbOK));
        QCOMPARE(user.unexpected.size(), 3);
        QCOMPARE(interaction().msgBox(QStringLiteral("f"), 7, QString()), 0);
        QCOMPARE(user.unexpected.size(), 4);
        QVERIFY(user.unexpected[3].startsWith(QStringLiteral("message box style 7")));
    }
};

QTEST_MAIN(MessageBoxTest)
#include "messagebox_test.moc"

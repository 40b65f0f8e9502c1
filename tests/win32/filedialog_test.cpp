#include "platform/win32/Interaction.h"
#include "platform/win32/ScriptedInteraction.h"
#include "tests/testlib/ShownDialogs.h"
#include "tests/testlib/TestFiles.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

using namespace win32;

namespace {

void typeName(QWidget &dialog, const QString &name)
{
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->setText(name);
}

} // namespace

// The real common file dialog, shown offscreen, with the rules of its flags.
class FileDialogTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return QDir(m_dir.path()).filePath(name); }
    FileDialogRequest saveRequest() const
    {
        FileDialogRequest request;
        request.title = QStringLiteral("Save resource file as...");
        request.initialPath = path(QStringLiteral("NoRes.res"));
        request.filters = {QStringLiteral("Resource Files (*.res)"), QStringLiteral("All Files (*.*)")};
        request.defaultSuffix = QStringLiteral("res");
        request.pathMustExist = true;
        return request;
    }

private slots:
    void cleanup() { QVERIFY2(takeShownDialogFailures().isEmpty(), "a dialog was not shown"); }

    void saveRefusesAMissingFolderAndStaysOpen()
    {
        const QString missing = path(QStringLiteral("typo/NoRes.res"));
        QString refusal;
        bool stayedOpen = false;
        whenModalShown([&](QWidget &dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Save resource file as..."));
            typeName(dialog, missing);
            whenModalShown([&](QWidget &box) {
                refusal = dynamic_cast<QMessageBox &>(box).text();
                pressKey(box, Qt::Key_Return);
            }, &dialog);
            pressKey(dialog, Qt::Key_Return);
            stayedOpen = dialog.isVisible();
            typeName(dialog, path(QStringLiteral("Good")));
            pressKey(dialog, Qt::Key_Return);
        });
        const QString chosen = interaction().getSaveFileName(saveRequest());
        QVERIFY(stayedOpen);
        QVERIFY2(refusal.contains(QDir::toNativeSeparators(path(QStringLiteral("typo")))), qPrintable(refusal));
        QVERIFY(refusal.contains(QStringLiteral("does not exist")));
        QCOMPARE(chosen, path(QStringLiteral("Good.res")));  // with the default suffix
    }

    void withoutTheFlagAMissingFolderIsTaken()
    {
        FileDialogRequest request = saveRequest();
        request.pathMustExist = false;
        whenModalShown([&](QWidget &dialog) {
            typeName(dialog, path(QStringLiteral("later/x.res")));
            pressKey(dialog, Qt::Key_Return);
        });
        QCOMPARE(interaction().getSaveFileName(request), path(QStringLiteral("later/x.res")));
    }

    void cancelEscapeAndCloseBoxChooseNothing()
    {
        const QList<std::function<void(QWidget &)>> gestures{
            [](QWidget &dialog) {
                auto *box = dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
                QTest::mouseClick(box->button(QDialogButtonBox::Cancel), Qt::LeftButton);
            },
            [](QWidget &dialog) { pressKey(dialog, Qt::Key_Escape); },
            [](QWidget &dialog) { clickCloseBox(dialog); },
        };
        for (const auto &gesture : gestures) {
            whenModalShown([&](QWidget &dialog) {
                typeName(dialog, path(QStringLiteral("Chosen.res")));
                gesture(dialog);
            });
            QCOMPARE(interaction().getSaveFileName(saveRequest()), QString());
        }
    }

    // The scripted user is held to the same rules: a refused name is recorded
    // and the dialog takes the next answer, as a user who chooses again.
    void scriptedDialogsRefuseWhatTheRealOneRefuses()
    {
        ScriptedInteraction user;
        user.answerFileDialog(path(QStringLiteral("typo/NoRes.res")));
        user.answerFileDialog(path(QStringLiteral("NoRes.res")));
        QCOMPARE(interaction().getSaveFileName(saveRequest()), path(QStringLiteral("NoRes.res")));
        QCOMPARE(user.refusedFiles, QStringList{path(QStringLiteral("typo/NoRes.res"))});
        QVERIFY(user.unexpected.isEmpty());

        // Refused and nothing else scripted: the dialog ends cancelled.
        user.answerFileDialog(path(QStringLiteral("typo/Again.res")));
        QCOMPARE(interaction().getSaveFileName(saveRequest()), QString());
        QCOMPARE(user.refusedFiles.size(), 2);
        QCOMPARE(user.unexpected.size(), 1);

        FileDialogRequest open;
        open.fileMustExist = true;
        user.answerFileDialog(path(QStringLiteral("Missing.vbp")));
        user.answerFileDialog(QString());  // then cancelled
        QCOMPARE(interaction().getOpenFileName(open), QString());
        QCOMPARE(user.refusedFiles.size(), 3);
        QCOMPARE(user.unexpected.size(), 1);
    }
};

QTEST_MAIN(FileDialogTest)
#include "filedialog_test.moc"

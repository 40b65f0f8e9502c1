#include "addin/Connect.h"
#include "editor/docResourceEditor.h"
#include "platform/vbide/AddIn.h"
#include "platform/vbide/Addins.h"
#include "platform/vbide/HostApplication.h"
#include "platform/vbide/HostWindow.h"
#include "platform/vbide/InprocServer.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/Interaction.h"
#include "support/Globals.h"
#include "support/frmAbout.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/testlib/ShownDialogs.h"
#include "tests/testlib/EventRounds.h"
#include "tests/testlib/TestEnvironment.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

extern "C" int DllRegisterServer(void);

using namespace vbide;

// The host as a user meets it with the real dialogs: its questions on closing,
// and closing while a dialog is still open.
class HostCloseTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return QDir(m_dir->path()).filePath(name); }

    // The host with the add-in loaded and its editor shown.
    std::unique_ptr<HostWindow> hostWithEditor()
    {
        auto host = std::make_unique<HostWindow>();
        host->show();
        host->vbe()->Addins()->Update();
        AddIn *addIn = host->vbe()->Addins()->Item(QString::fromLatin1(Connect::ProgID));
        if (!addIn || !addIn->setConnect(true).ok() || !EditorInstance)
            return nullptr;
        return host;
    }
    static QPushButton *button(QWidget &box, const char *name)
    {
        return box.findChild<QPushButton *>(QString::fromLatin1(name));
    }

private slots:
    void initTestCase() { QCOMPARE(DllRegisterServer(), S_OK); }
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        QCOMPARE(DllRegisterServer(), S_OK);
        editortest::skipLanguageDialog();
        m_dir = std::make_unique<QTemporaryDir>();
        writeFile(path("A.vbp"), "Type=Exe\r\nName=\"Alpha\"\r\n");
    }
    void cleanup()
    {
        QVERIFY2(takeShownDialogFailures().isEmpty(), "a dialog was not shown");
        QCOMPARE(win32::modalLoopDepth(), 0);
        m_dir.reset();
        m_env.reset();
    }

    // Closing asks Yes/No/Cancel in the real box: Cancel keeps the host, No
    // closes without saving, Yes saves and closes.
    void exitAsksWithYesNoAndCancel_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QByteArray>("fileAfterwards");
        QTest::newRow("Cancel") << QByteArray("cmdCancel") << false << QByteArray("Type=Exe\r\nName=\"Alpha\"\r\n");
        QTest::newRow("Escape") << QByteArray() << false << QByteArray("Type=Exe\r\nName=\"Alpha\"\r\n");
        QTest::newRow("No") << QByteArray("cmdNo") << true << QByteArray("Type=Exe\r\nName=\"Alpha\"\r\n");
        QTest::newRow("Yes") << QByteArray("cmdYes") << true << QByteArray("Type=Exe\r\nName=\"Renamed\"\r\n");
    }
    void exitAsksWithYesNoAndCancel()
    {
        QFETCH(QByteArray, button);
        QFETCH(bool, closes);
        QFETCH(QByteArray, fileAfterwards);
        HostWindow host;
        host.show();
        QVERIFY(host.openProject(path("A.vbp")));
        QVERIFY(host.renameProject(host.vbe()->VBProjects()->Item(1), "Renamed"));
        QString title;
        QString prompt;
        QStringList buttons;
        whenModalShown([&](QWidget &box) {
            title = box.windowTitle();
            prompt = dynamic_cast<QMessageBox &>(box).text();
            for (QPushButton *shown : box.findChildren<QPushButton *>())
                buttons.append(shown->objectName());
            if (button.isEmpty())
                pressKey(box, Qt::Key_Escape);
            else
                QTest::mouseClick(HostCloseTest::button(box, button.constData()), Qt::LeftButton);
        });
        QCOMPARE(host.close(), closes);
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"cmdCancel", "cmdNo", "cmdYes"}));
        QCOMPARE(title, QStringLiteral("Quill Host"));
        QVERIFY2(prompt.startsWith(QStringLiteral("Save changes to the project \"Renamed\"?")), qPrintable(prompt));
        QCOMPARE(readFile(path("A.vbp")), fileAfterwards);
        QCOMPARE(host.isVisible(), !closes);
    }

    void removeAndOpenHonourCancel()
    {
        HostWindow host;
        host.show();
        QVERIFY(host.openProject(path("A.vbp")));
        VBProject *project = host.vbe()->VBProjects()->Item(1);
        QVERIFY(project->setName("Changed"));
        whenModalShown([](QWidget &box) { QTest::mouseClick(button(box, "cmdCancel"), Qt::LeftButton); });
        QVERIFY(!host.removeProject(project));
        whenModalShown([](QWidget &box) { QTest::mouseClick(button(box, "cmdCancel"), Qt::LeftButton); });
        QVERIFY(!host.openProject(path("A.vbp")));
        QCOMPARE(host.vbe()->VBProjects()->Count(), 1);
        QCOMPARE(host.vbe()->VBProjects()->Item(1)->Name(), QStringLiteral("Changed"));
        whenModalShown([](QWidget &box) { QTest::mouseClick(button(box, "cmdNo"), Qt::LeftButton); });
        QVERIFY(host.removeProject(project));
        QCOMPARE(host.vbe()->VBProjects()->Count(), 0);
    }

    // A modal dialog of the add-in is open when the host is told to close (by
    // an assistive tool, or the desktop logging out): the host closes the
    // dialog, waits for it to return, then shuts down.
    void closingWithADialogOpenClosesTheDialogFirst_data()
    {
        QTest::addColumn<bool>("byEvent");
        QTest::newRow("close()") << false;
        QTest::newRow("close event") << true;
    }
    void closingWithADialogOpenClosesTheDialogFirst()
    {
        QFETCH(bool, byEvent);
        std::unique_ptr<HostWindow> host = hostWithEditor();
        QVERIFY(host);
        bool closedWhileOpen = true;
        whenModalShown([&](QWidget &about) {
            QVERIFY(qobject_cast<frmAbout *>(&about));
            if (byEvent) {
                QCloseEvent event;
                QCoreApplication::sendEvent(host.get(), &event);
                QVERIFY(!event.isAccepted());  // not yet
            } else {
                QVERIFY(!host->close());
            }
            closedWhileOpen = !host->isVisible();
        });
        EditorInstance->toolbarButton(QStringLiteral("info"))->trigger();
        QVERIFY(!closedWhileOpen);
        QM_TRY_VERIFY(!host->isVisible());
        QVERIFY(!EditorInstance);  // the add-in was disconnected
        host.reset();
    }

    void closingWithAMessageBoxOverADialogOpen()
    {
        std::unique_ptr<HostWindow> host = hostWithEditor();
        QVERIFY(host);
        int answer = -1;
        whenModalShown([&](QWidget &about) {
            whenModalShown([&](QWidget &) { host->close(); }, &about);
            answer = win32::interaction().msgBox(QStringLiteral("Still there?"), win32::vbYesNoCancel, QString());
        });
        EditorInstance->toolbarButton(QStringLiteral("info"))->trigger();
        QCOMPARE(answer, int(win32::vbCancel));
        QM_TRY_VERIFY(!host->isVisible());
        QVERIFY(!EditorInstance);
    }

    void aBoxWithoutEscapeIsClosedToo()
    {
        HostWindow host;
        host.show();
        // Abort, Retry and Ignore cannot be escaped by the user; the host shutting down still closes it.
        bool accepted = true;
        bool boxOpen = true;
        whenModalShown([&](QWidget &box) {
            QCloseEvent event;
            QCoreApplication::sendEvent(&host, &event);
            accepted = event.isAccepted();
            boxOpen = box.isVisible();
        });
        const int answer = win32::interaction().msgBox(QStringLiteral("Disk?"), win32::vbAbortRetryIgnore, QString());
        QVERIFY(!accepted);
        QVERIFY(!boxOpen);
        QCOMPARE(answer, int(win32::vbAbort));
        QM_TRY_VERIFY(!host.isVisible());
    }

    // Qt appends an application display name to every title; the host sets none.
    void titlesAreExactlyTheSystemsTexts()
    {
        prepareHostApplication();
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("quill-host"));
        HostWindow host;
        QCOMPARE(host.windowTitle(), QStringLiteral("Quill Host"));
    }
};

QTEST_MAIN(HostCloseTest)
#include "vbide_hostclose_test.moc"

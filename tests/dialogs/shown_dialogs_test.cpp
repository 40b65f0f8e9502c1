#include "addin/Connect.h"
#include "excel/frmExcel.h"
#include "languages/ctlLanguageList.h"
#include "languages/frmAddLanguage.h"
#include "languages/frmRemoveLanguage.h"
#include "languages/frmSelectFont.h"
#include "platform/resutil/ResFile.h"
#include "platform/runtime/LocaleInfo.h"
#include "platform/runtime/RuntimeSupport.h"
#include "platform/vbide/AddIn.h"
#include "platform/vbide/AddInManagerDialog.h"
#include "platform/vbide/Addins.h"
#include "platform/vbide/HostWindow.h"
#include "platform/vbide/InprocServer.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/ScriptedInteraction.h"
#include "support/Globals.h"
#include "support/frmAbout.h"
#include "support/frmError.h"
#include "support/frmProperties.h"
#include "support/modUtilRegistry.h"
#include "tests/testlib/ShownDialogs.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"
#include "support/LanguageSelect.h"
#include "uistrings/LgvStringModule.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

extern "C" int DllRegisterServer(void);

namespace {

enum Gesture { OK, Cancel, Escape, CloseBox };

// Real dialogs and message boxes; only what would leave the process (mail, help) is scripted.
class RealDialogs : public win32::ScriptedInteraction {
public:
    explicit RealDialogs(win32::Interaction &real) : m_real(real) {}
    int execDialog(QDialog &dialog) override { return m_real.execDialog(dialog); }
    int msgBox(const QString &prompt, int style, const QString &title) override
    {
        return m_real.msgBox(prompt, style, title);
    }
    win32::Interaction &real() const { return m_real; }

private:
    win32::Interaction &m_real;
};

void addGestures(bool withCancel = true)
{
    QTest::addColumn<int>("gesture");
    QTest::newRow("OK") << int(OK);
    if (withCancel)
        QTest::newRow("Cancel") << int(Cancel);
    QTest::newRow("Escape") << int(Escape);
    QTest::newRow("close box") << int(CloseBox);
}

QAbstractButton *named(QWidget &dialog, const char *name)
{
    return dialog.findChild<QAbstractButton *>(QString::fromLatin1(name));
}

void perform(QWidget &dialog, int gesture, QAbstractButton *ok, QAbstractButton *cancel = nullptr)
{
    switch (gesture) {
    case OK: QVERIFY(ok); QTest::mouseClick(ok, Qt::LeftButton); break;
    case Cancel: QVERIFY(cancel); QTest::mouseClick(cancel, Qt::LeftButton); break;
    case Escape: pressKey(dialog, Qt::Key_Escape); break;
    case CloseBox: clickCloseBox(dialog); break;
    }
}

void setUILanguage(int id)
{
    const QString name = id == 1031 ? QStringLiteral("German (Germany)") : QStringLiteral("English (United Kingdom)");
    LgvStringModule::SetUILanguage(id, name);
    LgvRuntime::RuntimeSupport support;
    support.SetLanguage(id, name);
}

} // namespace

// Every dialog of the add-in and the host, shown for real and left with OK,
// Cancel, Escape and the close box: only OK may confirm.
class ShownDialogsTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<RealDialogs> m_user;

private slots:
    void initTestCase() { ::LocaleInfo = std::make_shared<LgvRuntime::LocaleInfo>(); }
    void cleanupTestCase() { ::LocaleInfo.reset(); }
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        win32::Interaction &real = win32::interaction();
        m_user = std::make_unique<RealDialogs>(real);
        setUILanguage(2057);
    }
    void cleanup()
    {
        QVERIFY2(takeShownDialogFailures().isEmpty(), "a dialog was not shown");
        QVERIFY2(m_user->unexpected.isEmpty(), qPrintable(m_user->unexpected.join('\n')));
        QVERIFY(!QApplication::activeModalWidget());
        m_user.reset();
        m_env.reset();
    }

    void properties_data() { addGestures(false); }
    void properties()
    {
        QFETCH(int, gesture);
        whenModalShown([&](QWidget &dialog) { perform(dialog, gesture, named(dialog, "cmdOK")); });
        QCOMPARE(ShowPropertiesDialog(), gesture == OK ? 1 : 2);
    }

    void about_data() { addGestures(false); }
    void about()
    {
        QFETCH(int, gesture);
        bool closed = false;
        whenModalShown([&](QWidget &dialog) {
            QVERIFY(qobject_cast<frmAbout *>(&dialog));
            perform(dialog, gesture, named(dialog, "cmdOK"));
            closed = !dialog.isVisible();
        });
        ShowAboutDialog();
        QVERIFY(closed);
    }

    // The help of a dialog belongs to that dialog's window.
    void aboutHelpIsOwnedByTheAboutBox()
    {
        QWidget *about = nullptr;
        whenModalShown([&](QWidget &dialog) {
            about = &dialog;
            QTest::mouseClick(named(dialog, "cmdHelp"), Qt::LeftButton);
            pressKey(dialog, Qt::Key_Escape);
        });
        ShowAboutDialog();
        QCOMPARE(m_user->helpShown.size(), 1);
        QCOMPARE(m_user->helpShown[0].second, 102);
        QCOMPARE(m_user->helpOwners[0], about);
    }

    void errorReport_data()
    {
        QTest::addColumn<int>("gesture");
        QTest::newRow("Continue") << int(OK);
        QTest::newRow("Escape") << int(Escape);
        QTest::newRow("close box") << int(CloseBox);
    }
    void errorReport()
    {
        QFETCH(int, gesture);
        bool closed = false;
        whenModalShown([&](QWidget &dialog) {
            perform(dialog, gesture, named(dialog, "cmdContinue"));
            closed = !dialog.isVisible();
        });
        ShowError(QStringLiteral("DoExport"), 12, QStringLiteral("Disk full"));
        QVERIFY(closed);
        QVERIFY(m_user->shellOpened.isEmpty());  // only the e-mail button mails
    }

    void errorReportMailsAndStaysOpen()
    {
        bool stayed = false;
        whenModalShown([&](QWidget &dialog) {
            QTest::mouseClick(named(dialog, "cmdEmail"), Qt::LeftButton);
            stayed = dialog.isVisible();
            pressKey(dialog, Qt::Key_Escape);
        });
        ShowError(QStringLiteral("DoExport"), 12, QStringLiteral("Disk full"));
        QVERIFY(stayed);
        QCOMPARE(m_user->shellOpened.size(), 1);
    }

    void addLanguage_data() { addGestures(); }
    void addLanguage()
    {
        QFETCH(int, gesture);
        int localeId = 99;
        QString localeName = QStringLiteral("before");
        whenModalShown([&](QWidget &dialog) {
            auto &form = dynamic_cast<frmAddLanguage &>(dialog);
            form.LocaleList->setLocaleID(1036);
            perform(dialog, gesture, form.cmdOK, form.cmdCancel);
        });
        const int result = AddLanguage(localeId, localeName);
        // Closing the window otherwise than by its buttons leaves the result at 0.
        QCOMPARE(result, gesture == OK ? 1 : gesture == CloseBox ? 0 : 2);
        QCOMPARE(localeId, gesture == OK ? 1036 : 99);
        QCOMPARE(localeName == QStringLiteral("before"), gesture != OK);
    }

    void removeLanguage_data() { addGestures(); }
    void removeLanguage()
    {
        QFETCH(int, gesture);
        frmRemoveLanguage form;
        form.Form_Load();
        for (const auto &[name, index] : {std::pair{"French (France)", 0}, std::pair{"German (Germany)", 1}}) {
            auto *item = new QListWidgetItem(QString::fromLatin1(name), form.LanguageList());
            item->setData(Qt::UserRole, index);
        }
        int index = -1;
        whenModalShown([&](QWidget &) {
            QListWidget *list = form.LanguageList();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
            QVERIFY(form.cmdOK->isEnabled());
            perform(form, gesture, form.cmdOK, form.cmdCancel);
        });
        const int result = form.RemoveLanguage(index);
        form.Form_Unload();
        QCOMPARE(result, gesture == OK ? 1 : 2);
        if (gesture == OK)
            QCOMPARE(index, 1);
    }

    void selectFont_data() { addGestures(); }
    void selectFont()
    {
        QFETCH(int, gesture);
        QString fontName = QStringLiteral("DejaVu Sans");
        QString chosen;
        whenModalShown([&](QWidget &dialog) {
            auto &form = dynamic_cast<frmSelectFont &>(dialog);
            QTreeWidget *list = form.stFonts;
            for (int row = 0; row < list->topLevelItemCount(); ++row) {
                if (list->topLevelItem(row)->text(0) != fontName) {
                    list->setCurrentItem(list->topLevelItem(row));
                    chosen = form.SelectedFontName();
                    break;
                }
            }
            perform(dialog, gesture, form.cmdOK, form.cmdCancel);
        });
        const int result = SelectFont(QStringLiteral("French (France)"), fontName, QStringLiteral("Bonjour"));
        QVERIFY(!chosen.isEmpty());
        QCOMPARE(result, gesture == OK ? 1 : 2);
        QCOMPARE(fontName, gesture == OK ? chosen : QStringLiteral("DejaVu Sans"));
    }

    void excelWizard_data()
    {
        QTest::addColumn<int>("gesture");
        QTest::newRow("Cancel") << int(Cancel);
        QTest::newRow("Escape") << int(Escape);
        QTest::newRow("close box") << int(CloseBox);
    }
    void excelWizard()
    {
        QFETCH(int, gesture);
        QTemporaryDir dir;
        resutil::ResFile file;
        file.setFileName(QDir(dir.path()).filePath(QStringLiteral("P.res")));
        bool closed = false;
        whenModalShown([&](QWidget &dialog) {
            perform(dialog, gesture, nullptr, named(dialog, "cmdCancel"));
            closed = !dialog.isVisible();
        });
        QCOMPARE(frmExcel::ShowExcelDialog(QStringLiteral("P"), dir.path(), file), 2);
        QVERIFY(closed);
    }

    // The wizard's Browse shows the real file dialog, which lists every
    // format; a name of no known format is refused in a real message box.
    void excelWizardFileDialogAndUnknownExtension()
    {
        struct WithFileDialogs : RealDialogs {
            explicit WithFileDialogs(win32::Interaction &real) : RealDialogs(real), files(real) {}
            QString getSaveFileName(const win32::FileDialogRequest &request) override
            {
                return files.getSaveFileName(request);
            }
            win32::Interaction &files;
        } user(m_user->real());
        QTemporaryDir dir;
        resutil::ResFile file;
        QStringList filters;
        QString refusal;
        int stepAfterRefusal = -1;
        whenModalShown([&](QWidget &wizard) {
            auto &form = dynamic_cast<frmExcel &>(wizard);
            form.optExport->click();
            form.cmdNext->click();
            QCOMPARE(form.State().CurrentStep, 1);
            whenModalShown(
                [&](QWidget &dialog) {
                    filters = dynamic_cast<QFileDialog &>(dialog).nameFilters();
                    auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                    QVERIFY(name);
                    name->setText(QDir(dir.path()).filePath(QStringLiteral("out.po")));
                    pressKey(dialog, Qt::Key_Return);
                },
                &wizard);
            form.cmdBrowse->click();
            QCOMPARE(form.txtFilename->text(), QDir(dir.path()).filePath(QStringLiteral("out.po")));
            form.txtFilename->setText(QDir(dir.path()).filePath(QStringLiteral("out.pdf")));
            whenModalShown(
                [&](QWidget &box) {
                    refusal = dynamic_cast<QMessageBox &>(box).text();
                    pressKey(box, Qt::Key_Return);
                },
                &wizard);
            form.cmdNext->click();
            stepAfterRefusal = form.State().CurrentStep;
            perform(wizard, Escape, nullptr);
        });
        QCOMPARE(frmExcel::ShowExcelDialog(QStringLiteral("P"), dir.path(), file), 2);
        QCOMPARE(filters.first(), QStringLiteral("Excel Files (*.xls *.xlsx)"));
        QVERIFY2(filters.contains(QStringLiteral("Gettext PO Files (*.po)")), qPrintable(filters.join('|')));
        QCOMPARE(filters.last(), QStringLiteral("All Files (*.*)"));
        QCOMPARE(filters.size(), 7);
        QVERIFY2(refusal.contains(QStringLiteral("out.pdf")) && refusal.contains(QStringLiteral(".xliff or .po")),
                 qPrintable(refusal));
        QCOMPARE(stepAfterRefusal, 1);
        QVERIFY(!QFileInfo::exists(QDir(dir.path()).filePath(QStringLiteral("out.pdf"))));
    }

    // Only OK changes the language; every way out stores the settings.
    void languageSelect_data() { addGestures(false); }
    void languageSelect()
    {
        QFETCH(int, gesture);
        whenModalShown([&](QWidget &dialog) {
            auto &form = dynamic_cast<LanguageSelect &>(dialog);
            form.LanguageList->setCurrentRow(1);  // German
            perform(dialog, gesture, form.OkButton);
        });
        LanguageSelect::ShowDialog(false);
        QCOMPARE(LgvStringModule::CurrentUILanguage(), gesture == OK ? 1031 : 2057);
        const auto key = OpenOrCreateRegKey(LanguageSelect::SettingsKeyPath);
        QCOMPARE(GetValueWithDefault(key, QStringLiteral("LangId"), 0).toInt(), gesture == OK ? 1031 : 2057);
        setUILanguage(2057);
    }

    void addInManager_data() { addGestures(); }
    void addInManager()
    {
        QFETCH(int, gesture);
        QCOMPARE(DllRegisterServer(), vbide::S_OK);
        {
            const auto key = OpenOrCreateRegKey(LanguageSelect::SettingsKeyPath);
            AddOrReplaceValue(key, QStringLiteral("ShowDialog"), 0, 4);
        }
        vbide::HostWindow host;
        host.show();
        whenModalShown([&](QWidget &dialog) {
            auto &manager = dynamic_cast<vbide::AddInManagerDialog &>(dialog);
            const QList<QTreeWidgetItem *> rows =
                manager.list()->findItems(QStringLiteral("Quill Resource String Editor"), Qt::MatchExactly);
            QCOMPARE(rows.size(), 1);
            manager.list()->setCurrentItem(rows[0]);
            manager.loadedBox()->setChecked(true);
            perform(dialog, gesture, named(dialog, "cmdOK"), named(dialog, "cmdCancel"));
        });
        host.showAddInManager();
        vbide::AddIn *addIn = host.vbe()->Addins()->Item(QString::fromLatin1(Connect::ProgID));
        QVERIFY(addIn);
        QCOMPARE(addIn->Connect(), gesture == OK);
        QCOMPARE(EditorInstance != nullptr, gesture == OK);
    }

    void renameProject_data() { addGestures(); }
    void renameProject()
    {
        QFETCH(int, gesture);
        QTemporaryDir dir;
        writeFile(QDir(dir.path()).filePath(QStringLiteral("A.vbp")), "Type=Exe\r\nName=\"Alpha\"\r\n");
        vbide::HostWindow host;
        host.show();
        QVERIFY(host.openProject(QDir(dir.path()).filePath(QStringLiteral("A.vbp"))));
        whenModalShown([&](QWidget &dialog) {
            dialog.findChild<QLineEdit *>()->setText(QStringLiteral("Beta"));
            auto *buttons = dialog.findChild<QDialogButtonBox *>();
            perform(dialog, gesture, buttons->button(QDialogButtonBox::Ok), buttons->button(QDialogButtonBox::Cancel));
        });
        host.findChild<QAction *>(QStringLiteral("mnuFileRename"))->trigger();
        QCOMPARE(host.vbe()->VBProjects()->Item(1)->Name(), gesture == OK ? QStringLiteral("Beta") : QStringLiteral("Alpha"));
        // The renamed project is not saved: answer the question on closing.
        if (gesture == OK)
            whenModalShown([](QWidget &box) { QTest::mouseClick(named(box, "cmdNo"), Qt::LeftButton); });
        QVERIFY(host.close());
    }
};

QTEST_MAIN(ShownDialogsTest)
#include "shown_dialogs_test.moc"

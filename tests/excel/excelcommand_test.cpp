#include "editor/clsProject.h"
#include "editor/docResourceEditor.h"
#include "excel/frmExcel.h"
#include "platform/excel/Application.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Worksheet.h"
#include "platform/runtime/LocaleInfo.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/SftTree.h"
#include "support/Globals.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace editortest;

// The editor's "excel" button: the wizard on the selected project, and the
// grid shown again after an import.
class ExcelCommandTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return QDir(m_dir.path()).filePath(name); }

    static void runWizard(User &user, bool import, const QString &book)
    {
        user.answerDialog([import, book](QDialog &dialog) {
            auto &form = dynamic_cast<frmExcel &>(dialog);
            (import ? form.optImport : form.optExport)->click();
            form.cmdNext->click();
            form.txtFilename->setText(book);
            form.cmdNext->click();
            form.cmdNext->click();
            form.cmdStart->click();
            form.cmdFinish->click();
            return int(QDialog::Accepted);
        });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        ::LocaleInfo = std::make_shared<LgvRuntime::LocaleInfo>();
        skipLanguageDialog();
        LgvStringModule::setCurrentUILanguage(2057);
    }
    void cleanupTestCase() { ::LocaleInfo.reset(); }

    void exportChangeImportSave()
    {
        writeRes(path("P.res"), {{2057, 1, "Open"}, {2057, 2, "Close"}, {1031, 1, QStringLiteral("Öffnen")}});
        writeProject(m_dir.path(), "P", "P.res");
        User user;
        vbide::VBE vbe;
        QVERIFY(vbe.VBProjects()->AddFromFile(path("P.vbp")));
        docResourceEditor editor;
        editor.setVBE(&vbe);
        editor.cboProjects()->setCurrentIndex(0);
        editor.cboProjects_Click();
        QVERIFY(editor.CurrentProject());
        QAction *excelButton = editor.toolbarButton(QStringLiteral("excel"));
        QVERIFY(excelButton && excelButton->isEnabled());

        // Export: the wizard proposes the project's folder and name; the grid is not filled again.
        QString proposed, sheetName;
        user.answerDialog([&](QDialog &dialog) {
            auto &form = dynamic_cast<frmExcel &>(dialog);
            proposed = form.txtFilename->text();
            form.optExport->click();
            form.cmdNext->click();
            // .xlsx: the workbook is changed and saved again below.
            form.txtFilename->setText(form.txtFilename->text() + QLatin1Char('x'));
            form.cmdNext->click();
            sheetName = form.cboWorksheetCombo->currentText();
            form.cmdNext->click();
            form.cmdStart->click();
            form.cmdFinish->click();
            return int(QDialog::Accepted);
        });
        win32::SftTree *grid = editor.SftTree();
        grid->setCurrentCell(1, 1);
        QSignalSpy refills(grid->model(), &QAbstractItemModel::modelReset);
        editor.toolbar_ButtonClick(excelButton);
        QCOMPARE(proposed, path("P.xls"));
        QCOMPARE(sheetName, QStringLiteral("P"));
        QVERIFY(QFileInfo::exists(path("P.xlsx")));
        QCOMPARE(refills.size(), 0);
        QCOMPARE(grid->currentRow(), 1);
        QCOMPARE(grid->cellText(0, 1), QStringLiteral("Öffnen"));
        QVERIFY(!editor.CurrentProject()->ResourceFile()->Changed());

        // Someone changes a text in the workbook.
        {
            auto app = excel::Application::Create();
            QVERIFY(app.ok());
            auto book = app.value()->Workbooks().Open(path("P.xlsx"));
            QVERIFY2(book.ok(), qPrintable(book.errorString()));
            excel::Worksheet *sheet = book.value()->Worksheets().Item(QStringLiteral("P")).value();
            // Loaded strings come sorted by locale: German is column B, English column C.
            QCOMPARE(sheet->Cells().Value(2, 3), excel::Value(2057));
            QVERIFY(sheet->Cells().Set(4, 3, excel::Value("Shut")).ok());
            const qm::Status saved = book.value()->Save();
            QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
        }

        // Import: the grid shows the new text, and the file is changed until saved.
        runWizard(user, true, path("P.xlsx"));
        editor.toolbar_ButtonClick(excelButton);
        const int row = grid->findItemData(2);
        QVERIFY(row >= 0);
        int englishColumn = -1;
        for (int i = 0; i <= editor.LastLanguage(); ++i)
            if (editor.Languages()[size_t(i)].LocaleID == 2057)
                englishColumn = editor.Languages()[size_t(i)].Column;
        QVERIFY(englishColumn > 0);
        QCOMPARE(grid->cellText(row, englishColumn), QStringLiteral("Shut"));
        QVERIFY(editor.CurrentProject()->ResourceFile()->Changed());

        editor.toolbar_ButtonClick(editor.toolbarButton(QStringLiteral("save")));
        const QList<Entry> saved = readRes(path("P.res"));
        QCOMPARE(textIn(saved, 2057, 2), QStringLiteral("Shut"));
        QCOMPARE(textIn(saved, 2057, 1), QStringLiteral("Open"));
        QCOMPARE(textIn(saved, 1031, 1), QStringLiteral("Öffnen"));
        QCOMPARE(textIn(saved, 1031, 2), QStringLiteral("<none>")); // the empty cell is no string
        QVERIFY2(user.errors.isEmpty(), qPrintable(user.errors.join('\n')));
        QVERIFY2(user.unexpected.isEmpty(), qPrintable(user.unexpected.join('\n')));
    }

    // Cancel after an import still shows what the resource file now holds.
    void importThenCancelShowsTheImportedStrings()
    {
        writeRes(path("C.res"), {{2057, 1, "Old"}});
        writeProject(m_dir.path(), "C", "C.res");
        {
            auto app = excel::Application::Create();
            QVERIFY(app.ok());
            excel::Workbook *book = app.value()->Workbooks().Add(-4167).value();
            excel::Worksheet *sheet = book->ActiveSheet();
            QVERIFY(sheet->SetName(QStringLiteral("C")).ok());
            QVERIFY(sheet->Cells().Set(1, 2, excel::Value("German")).ok());
            QVERIFY(sheet->Cells().Set(2, 2, excel::Value(1031)).ok());
            QVERIFY(sheet->Cells().Set(3, 1, excel::Value(7)).ok());
            QVERIFY(sheet->Cells().Set(3, 2, excel::Value("Neu")).ok());
            QVERIFY(book->SaveAs(path("C.xlsx")).ok());
        }
        User user;
        vbide::VBE vbe;
        QVERIFY(vbe.VBProjects()->AddFromFile(path("C.vbp")));
        docResourceEditor editor;
        editor.setVBE(&vbe);
        editor.cboProjects()->setCurrentIndex(0);
        editor.cboProjects_Click();
        user.answerDialog([&](QDialog &dialog) {
            auto &form = dynamic_cast<frmExcel &>(dialog);
            form.optImport->click();
            form.cmdNext->click();
            form.txtFilename->setText(path("C.xlsx"));
            form.cmdNext->click();
            form.cmdNext->click();
            form.cmdStart->click();
            form.cmdCancel->click();
            return int(QDialog::Rejected);
        });
        editor.toolbar_ButtonClick(editor.toolbarButton(QStringLiteral("excel")));
        win32::SftTree *grid = editor.SftTree();
        QCOMPARE(editor.LastLanguage(), 0);
        QCOMPARE(editor.Languages()[0].LocaleID, 1031);
        const int row = grid->findItemData(7);
        QVERIFY(row >= 0);
        QCOMPARE(grid->cellText(row, editor.Languages()[0].Column), QStringLiteral("Neu"));
        QCOMPARE(grid->findItemData(1), -1);
        QVERIFY(editor.CurrentProject()->ResourceFile()->Changed());
        QVERIFY2(user.errors.isEmpty(), qPrintable(user.errors.join('\n')));
        QVERIFY2(user.unexpected.isEmpty(), qPrintable(user.unexpected.join('\n')));
    }

    // A translator file goes out from the project's source language, is
    // translated, and comes back as one step to undo.
    void translatorFileRoundTripIsOneUndoStep()
    {
        writeRes(path("T.res"), {{2057, 1, "Open"}, {1031, 1, QStringLiteral("Öffnen")}, {1036, 1, "Ouvrir"}});
        writeProject(m_dir.path(), "T", "T.res");
        User user;
        vbide::VBE vbe;
        QVERIFY(vbe.VBProjects()->AddFromFile(path("T.vbp")));
        docResourceEditor editor;
        editor.setVBE(&vbe);
        editor.cboProjects()->setCurrentIndex(0);
        editor.cboProjects_Click();
        auto columnOf = [&](qint32 localeId) {
            for (int i = 0; i <= editor.LastLanguage(); ++i)
                if (editor.Languages()[size_t(i)].LocaleID == localeId)
                    return editor.Languages()[size_t(i)].Column;
            return -1;
        };
        // French is the language the others are translated from.
        editor.SftTree_ItemClick(0, columnOf(1036), win32::SftTree::AreaCellText, win32::SftTree::RightButton, 0);
        editor.mnuColumnMenu()->hide();
        editor.mnuUseAsSource()->trigger();
        QCOMPARE(editor.SourceLanguage(), 1036);

        qint32 offeredSource = 0;
        user.answerDialog([&](QDialog &dialog) {
            auto &form = dynamic_cast<frmExcel &>(dialog);
            form.optExport->click();
            form.cmdNext->click();
            form.txtFilename->setText(path("T.po"));
            form.cmdNext->click();
            offeredSource = form.cboSourceLanguage->currentData().toInt();
            form.cboTargetLanguage->setCurrentIndex(form.cboTargetLanguage->findData(1031));
            form.cmdNext->click();
            form.cmdStart->click();
            form.cmdFinish->click();
            return int(QDialog::Accepted);
        });
        QAction *excelButton = editor.toolbarButton(QStringLiteral("excel"));
        editor.toolbar_ButtonClick(excelButton);
        QCOMPARE(offeredSource, 1036);
        QByteArray po = readFile(path("T.po"));
        QVERIFY2(po.contains("msgid \"Ouvrir\""), po.constData());
        po.replace(QStringLiteral("msgstr \"Öffnen\"").toUtf8(), "msgstr \"Aufmachen\"");
        writeFile(path("T.po"), po);

        runWizard(user, true, path("T.po"));
        editor.toolbar_ButtonClick(excelButton);
        win32::SftTree *grid = editor.SftTree();
        const int row = grid->findItemData(1);
        QCOMPARE(grid->cellText(row, columnOf(1031)), QStringLiteral("Aufmachen"));
        QCOMPARE(grid->cellText(row, columnOf(2057)), QStringLiteral("Open"));
        QCOMPARE(editor.mnuUndo()->text(), QStringLiteral("&Undo Import Strings"));
        editor.Undo();
        QCOMPARE(grid->cellText(grid->findItemData(1), columnOf(1031)), QStringLiteral("Öffnen"));
        QVERIFY(!editor.CurrentProject()->ResourceFile()->Changed());
        QVERIFY2(user.errors.isEmpty(), qPrintable(user.errors.join('\n')));
        QVERIFY2(user.unexpected.isEmpty(), qPrintable(user.unexpected.join('\n')));
    }
};

QTEST_MAIN(ExcelCommandTest)
#include "excelcommand_test.moc"

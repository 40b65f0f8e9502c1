// The code's uses in the editor, on a copy of the demo project: the counts and
// places on the ID cells, the "Unused strings" filter, the missing-id and
// unused rules, and Show Uses opening the member in the host.
#include "coderefs/ProjectCode.h"
#include "coderefs/ProjectUses.h"
#include "editor/FindBar.h"
#include "editor/UsesDialog.h"
#include "platform/vbide/CodeViewer.h"
#include "tests/editor/EditorFixture.h"
#include "tests/testlib/EventRounds.h"
#include "tests/testlib/ShownDialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QDirIterator>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>

using namespace editortest;

namespace {
const QByteArray kUsesAMissingId = "Private Sub UsesAMissingId()\r\n    Caption = LoadResString(4242)\r\nEnd Sub\r\n";
}

class EditorUsesTest : public EditorFixture {
    Q_OBJECT

    // The demo, copied so that a test may change its code.
    void openDemo()
    {
        QDirIterator files(QStringLiteral(QM_SOURCE_DIR "/demo"), QDir::Files, QDirIterator::Subdirectories);
        const QDir demo(QStringLiteral(QM_SOURCE_DIR "/demo"));
        while (files.hasNext()) {
            const QString from = files.next();
            const QString to = path(demo.relativeFilePath(from));
            QDir().mkpath(QFileInfo(to).absolutePath());
            QVERIFY(QFile::copy(from, to));
        }
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path(QStringLiteral("Demo.vbp"))));
        open(QStringLiteral("Demo"), m_vbe->VBProjects()->Count() - 1);
    }
    int rowOf(qint32 id) { return grid().source().findItemData(id); }
    QVariant idCell(qint32 id, int role) { return grid().source().index(rowOf(id), 0).data(role); }
    // The string IDs of the rows shown.
    QList<qint32> shownIds()
    {
        QList<qint32> ids;
        for (int position = 0; position < grid().shownItemCount(); ++position) {
            const int row = grid().itemAtPosition(position);
            if (grid().source().hasItemData(row))
                ids.append(grid().source().itemData(row));
        }
        return ids;
    }
    qint32 sourceLocale() { return m_editor->SourceLanguage(); }

private slots:
    void init() { setUpEditor(); }
    void cleanup() { tearDownEditor(); }

    // Every ID of the demo is used: its count and places on the ID cell; no
    // string is unused, until one no code reads is added.
    void demoUseCounts()
    {
        openDemo();
        // Read on the worker: the window has it only from its event loop.
        QVERIFY(!m_editor->Uses().known());
        QCOMPARE(m_editor->UsesStatus(), QStringLiteral("Reading the code of Demo..."));
        QM_TRY_VERIFY(m_editor->Uses().known());

        const qm::Result<coderefs::CodeReferences> direct = coderefs::readProjectReferences(path("Demo.vbp"));
        QVERIFY(direct.ok());
        int strings = 0;
        for (int row = 0; row < grid().source().rowCount(); ++row) {
            if (!grid().source().hasItemData(row))
                continue;
            ++strings;
            const qint32 id = grid().source().itemData(row);
            QVERIFY2(m_editor->Uses().useCount(id) > 0, qPrintable(QString::number(id)));
            QCOMPARE(m_editor->Uses().useCount(id), direct->stringUseCount(id));
            QVERIFY(idCell(id, Qt::DecorationRole).value<QPixmap>().width() > 0);
            QCOMPARE(m_editor->IdCellProblems(row), QString());
        }
        QCOMPARE(strings, 16);
        // IDS_HELLO: the form and the class.
        QCOMPARE(idCell(111, Qt::ToolTipRole).toString(),
                 QStringLiteral("Used in 2 places: frmMain.frm line 75, Classes\\clsGreeting.cls line 18"));
        QCOMPARE(idCell(111, Qt::AccessibleDescriptionRole).toString(),
                 QStringLiteral("2 uses. Used in 2 places: frmMain.frm line 75, Classes\\clsGreeting.cls line 18"));
        QVERIFY(m_editor->UsesStatus().startsWith(QStringLiteral("The code of Demo: 16 strings used in ")));
        QVERIFY(m_editor->UsesStatus().contains(QStringLiteral(", 0 missing IDs, 0 unused strings, 0 calls")));

        m_editor->ShowFindBar();
        QCheckBox *unused = m_editor->chkUnused();
        QCOMPARE(unused->text(), QStringLiteral("Unused strings"));
        QCOMPARE(unused->parentWidget(), m_editor->findBar()->missingTranslations()->parentWidget());
        unused->setChecked(true);
        QCOMPARE(shownIds(), QList<qint32>());

        m_editor->Table()->setText(sourceLocale(), 999, QStringLiteral("Nobody reads me"));
        QM_TRY_COMPARE(shownIds(), QList<qint32>{999});
        QCOMPARE(idCell(999, Qt::ToolTipRole).toString(), QStringLiteral("No code of the project uses this string"));
        QCOMPARE(m_editor->Uses().useCount(999), 0);
        // The unused rule is off until switched on, and then kept.
        QCOMPARE(m_editor->IdCellProblems(rowOf(999)), QString());
        QVERIFY(!m_editor->mnuCheckUnused()->isChecked());
        m_editor->mnuCheckUnused()->trigger();
        QVERIFY(m_editor->CheckUnused());
        QCOMPARE(m_editor->IdCellProblems(rowOf(999)), QStringLiteral("Unused: No code of the project uses this string"));
        QVERIFY(idCell(999, win32::SftTreeSource::CellNoteRole).isValid());
        QVERIFY(m_editor->UsesStatus().contains(QStringLiteral("1 unused strings")));
        unused->setChecked(false);
        m_editor->findBar()->findChild<QCheckBox *>(QStringLiteral("chkProblems"))->setChecked(true);
        QCOMPARE(shownIds(), QList<qint32>{999});

        m_editor->Table()->setText(sourceLocale(), 999, std::nullopt);
        m_editor.reset();
        open(QStringLiteral("Demo"), 0);
        QVERIFY(m_editor->CheckUnused());
        QVERIFY(m_editor->mnuCheckUnused()->isChecked());
        m_editor->mnuCheckUnused()->trigger();
        QVERIFY(!m_editor->CheckUnused());
    }

    // A form changed on disk to read an ID the file lacks: the ID gets a row
    // noted as missing-id, counted in the status line, found by "Problems";
    // when the code no longer reads it, the empty row goes again.
    void missingIdFromAChangedForm()
    {
        openDemo();
        QM_TRY_VERIFY(m_editor->Uses().known());
        QCOMPARE(rowOf(4242), -1);
        const QString form = path(QStringLiteral("frmMain.frm"));
        const QByteArray original = readFile(form);
        const int line = int(original.count('\n')) + 2;
        writeFile(form, original + kUsesAMissingId);

        QM_TRY_VERIFY(rowOf(4242) >= 0);
        QCOMPARE(m_editor->IdCellProblems(rowOf(4242)),
                 QStringLiteral("Missing ID: Used in frmMain.frm line %1, but in no language of the file").arg(line));
        QVERIFY(idCell(4242, win32::SftTreeSource::CellNoteRole).isValid());
        QVERIFY(m_editor->UsesStatus().contains(QStringLiteral("1 missing IDs")));
        m_editor->ShowFindBar();
        m_editor->findBar()->findChild<QCheckBox *>(QStringLiteral("chkProblems"))->setChecked(true);
        QCOMPARE(shownIds(), QList<qint32>{4242});
        // Shown, not written: the file has no such string and nothing to save.
        QCOMPARE(file().Strings().Find(sourceLocale(), 4242), nullptr);
        QVERIFY(m_editor->CurrentProject()->UndoStack()->isClean());

        // A text in another language than the source: still missing where the source lacks it.
        qint32 other = 0;
        for (const LanguageColumn &language : m_editor->Languages())
            other = language.LocaleID != sourceLocale() ? language.LocaleID : other;
        QVERIFY(other != 0);
        m_editor->Table()->setText(other, 4242, QStringLiteral("Nur Deutsch"));
        QM_TRY_VERIFY(m_editor->IdCellProblems(rowOf(4242)).contains(QStringLiteral("but not in the source language")));
        m_editor->Table()->setText(other, 4242, std::nullopt);

        writeFile(form, original);
        QM_TRY_COMPARE(rowOf(4242), -1);
        QVERIFY(m_editor->UsesStatus().contains(QStringLiteral("0 missing IDs")));
    }

    // Show Uses, shown for real: the places of the current string, keyboard
    // only; Enter opens the chosen one in the host at its line, marked.
    void showUsesOpensTheMember()
    {
        openDemo();
        QVERIFY(m_editor->mnuShowUses()->shortcuts().contains(QKeySequence(QStringLiteral("Shift+F12"))));
        grid().setCurrentCell(rowOf(111), 0);
        m_user->answerMsgBox(win32::vbOK);
        m_editor->mnuShowUses()->trigger();  // before the code is read: said, nothing shown
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QVERIFY(m_user->messageBoxes[0].prompt.contains(QStringLiteral("not been read yet")));
        QM_TRY_VERIFY(m_editor->Uses().known());

        QStringList places;
        QStringList unnamed;
        m_user->answerDialog([&](QDialog &dialog) {
            whenModalShown([&](QWidget &shown) {
                QCOMPARE(shown.objectName(), QStringLiteral("frmShowUses"));
                QCOMPARE(shown.accessibleName(), QStringLiteral("Uses of String 111"));
                for (QWidget *child : shown.findChildren<QWidget *>()) {
                    const bool control = qobject_cast<QAbstractButton *>(child) || qobject_cast<QAbstractItemView *>(child);
                    if (control && child->isVisible() && child->accessibleName().isEmpty())
                        unnamed.append(child->objectName() + QLatin1Char(' ') + child->metaObject()->className());
                }
                auto *list = shown.findChild<QListWidget *>(QStringLiteral("lstPlaces"));
                QCOMPARE(list->accessibleName(), QStringLiteral("Places in the code:"));
                QCOMPARE(shown.focusWidget(), list);
                for (int i = 0; i < list->count(); ++i)
                    places.append(list->item(i)->text());
                pressKey(shown, Qt::Key_Down);
                pressKey(shown, Qt::Key_Return);
            });
            return dialog.exec();
        });
        m_editor->mnuShowUses()->trigger();
        QCOMPARE(takeShownDialogFailures(), QStringList());
        QCOMPARE(unnamed, QStringList());
        QCOMPARE(places, (QStringList{QStringLiteral("frmMain.frm line 75:  LoadResString(IDS_HELLO)"),
                                      QStringLiteral("Classes\\clsGreeting.cls line 18:  LoadResString(IDS_HELLO)")}));

        QCOMPARE(m_vbe->CodeViewers().size(), 1);
        vbide::CodeViewer *viewer = m_vbe->CodeViewers().first();
        QVERIFY(viewer->isVisible());
        QVERIFY(viewer->path().endsWith(QStringLiteral("clsGreeting.cls")));
        QCOMPARE(viewer->markedLine(), 18);
        QVERIFY(viewer->text()->isReadOnly());
        QCOMPARE(viewer->text()->textCursor().blockNumber(), 17);
        QVERIFY(viewer->text()->textCursor().block().text().contains(QStringLiteral("LoadResString(IDS_HELLO)")));
        QCOMPARE(viewer->accessibleName(), QStringLiteral("clsGreeting.cls (read-only) - line 18"));
        QCOMPARE(viewer->text()->accessibleName(), QStringLiteral("Code"));

        // The same member again: the one window, at the other line.
        QVERIFY(m_vbe->ShowCode(viewer->path(), 3).ok());
        QCOMPARE(m_vbe->CodeViewers().size(), 1);
        QCOMPARE(viewer->markedLine(), 3);
        // A member that is gone is told, and opens nothing.
        QVERIFY(!m_vbe->ShowCode(path(QStringLiteral("gone.frm")), 1).ok());
        QCOMPARE(m_vbe->CodeViewers().size(), 1);
        viewer->close();
        QM_TRY_COMPARE(m_vbe->CodeViewers().size(), 0);
    }

    // A string no code uses: the dialog says so and opens nothing.
    void showUsesOfAnUnusedString()
    {
        openDemo();
        QM_TRY_VERIFY(m_editor->Uses().known());
        m_editor->Table()->setText(sourceLocale(), 999, QStringLiteral("Nobody reads me"));
        grid().setCurrentCell(rowOf(999), 0);
        m_user->answerDialog([&](QDialog &dialog) {
            auto &uses = static_cast<UsesDialog &>(dialog);
            [&] {
                QCOMPARE(uses.places()->count(), 0);
                QVERIFY(!uses.openButton()->isEnabled());
                QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lblPlaces"))->text(),
                         QStringLiteral("No code of the project uses this string"));
            }();
            return int(QDialog::Rejected);
        });
        m_editor->mnuShowUses()->trigger();
        QCOMPARE(m_vbe->CodeViewers().size(), 0);
    }
};

QTEST_MAIN(EditorUsesTest)
#include "editor_uses_test.moc"

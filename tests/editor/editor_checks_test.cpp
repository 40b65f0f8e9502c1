#include "editor/clsProject.h"
#include "editor/docResourceEditor.h"
#include "editor/FindBar.h"
#include "platform/runtime/RuntimeSupport.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "tests/editor/EditorFixture.h"
#include "tests/testlib/EventRounds.h"
#include "tests/testlib/TestEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace editortest;
using win32::SftTree;
using win32::SftTreeModel;

// The translation checks in the editor's grid: which cells are marked and what
// their tooltips say, the project's source language, and marks after edits.
class EditorChecksTest : public EditorFixture {
    Q_OBJECT
private:

    QModelIndex cell(qint32 id, qint32 localeId) { return grid().model()->index(grid().findItemData(id), columnOf(localeId)); }
    QString note(qint32 id, qint32 localeId) { return cell(id, localeId).data(SftTreeModel::CellNoteRole).toString(); }
    void rightClick(int column)
    {
        m_editor->SftTree_ItemClick(0, column, SftTree::AreaCellText, SftTree::RightButton, 0);
        m_editor->mnuColumnMenu()->hide();
    }
    void useAsSource(qint32 localeId)
    {
        rightClick(columnOf(localeId));
        QVERIFY(m_editor->mnuUseAsSource()->isEnabled());
        m_editor->mnuUseAsSource()->trigger();
    }

private slots:
    void init() { setUpEditor(); }
    void cleanup()
    {
        tearDownEditor();
        LgvRuntime::RuntimeSupport().SetLanguage(2057, QStringLiteral("English (United Kingdom)"));
    }

    void cellsThatBreakARuleSayWhich()
    {
        show({{2057, 1, "Open %1"}, {1031, 1, "Öffnen"}, {1036, 1, "Ouvrir %1"},
              {2057, 2, "&File"}, {1031, 2, "Datei\n"}, {1036, 2, "&Fichier"},
              {2057, 3, "Exit"}, {1036, 3, "Quitter"}});
        QCOMPARE(m_editor->SourceLanguage(), 2057);
        QCOMPARE(m_editor->SourceColumn(), columnOf(2057));
        QCOMPARE(note(1, 1031), QStringLiteral("Placeholders: %1 is missing"));
        // The tooltip and the accessible description say it too; a text of several lines keeps its own tip first.
        QCOMPARE(cell(1, 1031).data(Qt::ToolTipRole).toString(), note(1, 1031));
        QCOMPARE(cell(1, 1031).data(Qt::AccessibleDescriptionRole).toString(), note(1, 1031));
        QCOMPARE(note(2, 1031), QStringLiteral("Line breaks: 1 line breaks, the source text has 0\n"
                                               "Access key: None, the source text has &F"));
        QCOMPARE(cell(2, 1031).data(Qt::ToolTipRole).toString(), QStringLiteral("Datei\n\n\n") + note(2, 1031));
        QCOMPARE(note(3, 1031), QStringLiteral("Empty translation: No text for this language"));
        for (qint32 id : {1, 2, 3}) {
            QVERIFY(note(id, 1036).isEmpty());
            QVERIFY(note(id, 2057).isEmpty()); // the source itself
            QVERIFY(!grid().model()->index(grid().findItemData(id), 0).data(SftTreeModel::CellNoteRole).isValid());
            QVERIFY(!cell(id, 1036).data(Qt::ToolTipRole).isValid());
            QVERIFY(m_editor->RowHasProblems(grid().findItemData(id)));
        }
        QVERIFY(m_editor->CellHasProblem(grid().findItemData(3), columnOf(1031)));
        QVERIFY(!m_editor->CellHasProblem(grid().findItemData(3), columnOf(1036)));
    }

    void theProblemsToggleShowsOnlyStringsThatBreakARule()
    {
        show({{2057, 1, "Open %1"}, {1031, 1, "Öffnen"}, {2057, 2, "Exit"}, {1031, 2, "Beenden"},
              {2057, 3, "Save"}, {1031, 3, "Speichern"}});
        m_editor->ShowFindBar();
        auto *problems = m_editor->findBar()->findChild<QCheckBox *>(QStringLiteral("chkProblems"));
        QVERIFY(problems);
        QCOMPARE(problems->text(), QStringLiteral("Problems"));
        problems->setChecked(true);
        QM_TRY_COMPARE(grid().shownItemCount(), 1);
        QCOMPARE(grid().itemData(grid().itemAtPosition(0)), 1);
        problems->setChecked(false);
        QM_TRY_COMPARE(grid().shownItemCount(), 3);
    }

    void theGermanInterfaceNamesTheRuleInGerman()
    {
        show({{2057, 1, "{0} files"}, {1031, 1, "Dateien"}, {2057, 2, "Name: "}, {1031, 2, "&Name:"}});
        LgvRuntime::RuntimeSupport().SetLanguage(1031, QStringLiteral("German (Germany)"));
        QCOMPARE(note(1, 1031), QStringLiteral("Platzhalter: {0} fehlt"));
        QCOMPARE(note(2, 1031), QStringLiteral("Leerzeichen am Anfang oder Ende: Die Leerzeichen am Ende weichen vom Ausgangstext ab\n"
                                               "Zugriffstaste: &N, der Ausgangstext hat keine"));
        QCOMPARE(m_editor->mnuUseAsSource()->text(), QStringLiteral("Als Ausgangssprache verwenden"));
    }

    void withoutEnglishTheFirstLanguageIsTheSource()
    {
        show({{1036, 1, "Ouvrir %1"}, {1031, 1, "Öffnen"}, {1041, 1, "開く %1"}});
        QCOMPARE(m_editor->SourceLanguage(), 1031); // a loaded file lists its languages by locale ID
        QCOMPARE(note(1, 1036), QStringLiteral("Placeholders: %1 is not in the source text"));
        QCOMPARE(note(1, 1041), QStringLiteral("Placeholders: %1 is not in the source text"));
    }

    void marksFollowEdits()
    {
        show({{2057, 1, "Open %1"}, {1031, 1, "Öffnen"}, {1036, 1, "Ouvrir %1"}});
        const int row = grid().findItemData(1);
        QVERIFY(!note(1, 1031).isEmpty());
        m_editor->SftTree_ItemClick(row, columnOf(1031), SftTree::AreaCellText, SftTree::LeftButton, 0);
        grid().cellEditor()->setText(QStringLiteral("%1 öffnen"));
        QVERIFY(grid().endEdit(true));
        QVERIFY(note(1, 1031).isEmpty());
        QVERIFY(!m_editor->RowHasProblems(row));
        // A change of the source text concerns every translation of the row: the whole row is drawn again.
        QSignalSpy changed(grid().model(), &QAbstractItemModel::dataChanged);
        m_editor->SftTree_ItemClick(row, columnOf(2057), SftTree::AreaCellText, SftTree::LeftButton, 0);
        grid().cellEditor()->setText(QStringLiteral("Open"));
        QVERIFY(grid().endEdit(true));
        QCOMPARE(note(1, 1031), QStringLiteral("Placeholders: %1 is not in the source text"));
        QCOMPARE(note(1, 1036), QStringLiteral("Placeholders: %1 is not in the source text"));
        bool wholeRow = false;
        for (const QList<QVariant> &signal : changed) {
            const auto from = signal[0].value<QModelIndex>(), to = signal[1].value<QModelIndex>();
            const auto roles = signal[2].value<QList<int>>();
            wholeRow = wholeRow || (from.row() == row && to.row() == row && from.column() == 0 &&
                                    to.column() == grid().columnCount() - 1 && roles.contains(SftTreeModel::CellNoteRole));
        }
        QVERIFY(wholeRow);
    }

    void theSourceLanguageIsChosenAndRememberedPerProject()
    {
        show({{2057, 1, "Open %1"}, {1031, 1, "Öffnen"}, {1036, 1, "Ouvrir"}});
        rightClick(columnOf(2057));
        QVERIFY(m_editor->mnuUseAsSource()->isChecked());
        rightClick(0); // the ID column has no language
        QVERIFY(!m_editor->mnuUseAsSource()->isEnabled());
        rightClick(columnOf(1031));
        QVERIFY(!m_editor->mnuUseAsSource()->isChecked());
        useAsSource(1031);
        QCOMPARE(m_editor->SourceLanguage(), 1031);
        QCOMPARE(note(1, 2057), QStringLiteral("Placeholders: %1 is not in the source text"));
        QVERIFY(note(1, 1031).isEmpty());
        QVERIFY(note(1, 1036).isEmpty());
        rightClick(columnOf(1031));
        QVERIFY(m_editor->mnuUseAsSource()->isChecked());
        // Read again, and in a new editor: still German. Another project keeps the default.
        m_editor->Refresh();
        QCOMPARE(m_editor->SourceLanguage(), 1031);
        show({{2057, 1, "x"}, {1031, 1, "y"}}, QStringLiteral("Q"));
        QCOMPARE(m_editor->SourceLanguage(), 2057);
        open(QStringLiteral("P"), 0);
        QCOMPARE(m_editor->SourceLanguage(), 1031);
        QVERIFY(!note(1, 2057).isEmpty());
    }

    void aChosenSourceThatIsGoneFallsBackToTheDefault()
    {
        show({{2057, 1, "Open %1"}, {1031, 1, "Öffnen %1"}, {1036, 1, "Ouvrir"}});
        useAsSource(1036);
        QCOMPARE(m_editor->SourceLanguage(), 1036);
        writeRes(path("P.res"), {{2057, 1, "Open %1"}, {1031, 1, "Öffnen"}});
        m_editor->Refresh();
        QCOMPARE(m_editor->SourceLanguage(), 2057);
        QCOMPARE(note(1, 1031), QStringLiteral("Placeholders: %1 is missing"));
    }

    void aMarkedCellShowsAFlag()
    {
        show({{2057, 1, "Open %1"}, {1031, 1, "Öffnen"}, {1036, 1, "Ouvrir %1"}});
        m_editor->show();
        QVERIFY(testlib::waitForExposed(m_editor.get()));
        const QImage shot = grid().viewport()->grab().toImage();
        const auto flagged = [&](qint32 localeId) {
            const QRect rect = grid().visualRect(cell(1, localeId));
            return shot.pixelColor(rect.right() - 1, rect.top() + 1) == QColor(0xC8, 0x3C, 0x00);
        };
        QVERIFY(flagged(1031));
        QVERIFY(!flagged(1036));
        QVERIFY(!flagged(2057));
    }
};

QTEST_MAIN(EditorChecksTest)
#include "editor_checks_test.moc"

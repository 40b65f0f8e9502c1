// The string grid of the editor: the language table, the columns, the rows,
// and the grid's click, edit and key events.
#include "editor/docResourceEditor.h"

#include "editor/ColumnLayout.h"
#include "editor/StringTableModel.h"
#include "editor/clsProject.h"
#include "platform/resutil/ResFile.h"
#include "platform/vbide/VBProject.h"
#include "platform/win32/Interaction.h"
#include "platform/win32/SftTree.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QToolBar>

#include <algorithm>

using LgvStringModule::lgv_string;
using win32::SftTree;

namespace {
constexpr int kLanguageColumnWidth = 3500;
constexpr int kLanguageColumnMinWidth = 500;
constexpr int kLanguageColumnFittedMinWidth = 1800;
constexpr int kLanguagesShownAtOnce = 8;
constexpr int kUnreadableResourceFile = 551;  // "The resource file could not be read."
constexpr int kEditStringStep = 764;          // "Edit String %0"
constexpr int kResourceIdCaption = 492;       // "Resource ID"

// Switches the grid's redrawing on again however the fill ends.
class RedrawGuard {
public:
    explicit RedrawGuard(SftTree &tree) : m_tree(tree) { m_tree.setRedraw(false); }
    ~RedrawGuard()
    {
        m_tree.recalcLayout();
        m_tree.setRedraw(true);
    }
    RedrawGuard(const RedrawGuard &) = delete;
    RedrawGuard &operator=(const RedrawGuard &) = delete;

private:
    SftTree &m_tree;
};
} // namespace

StringTableModel *docResourceEditor::Table() const
{
    return mCurrentProject ? mCurrentProject->Table() : nullptr;
}

const LanguageTable &docResourceEditor::Languages() const
{
    const StringTableModel *table = Table();
    return table ? table->languages() : mNoLanguages;
}

void docResourceEditor::InitLanguageTable(clsProject *project)
{
    qm::trap("InitLanguageTable", [&] {
        // The languages are the project's table's, read with its file. The
        // columns are set up before the grid shows it, so that its current
        // cell starts on the first language.
        SetColumns();
        ShowTable(project ? project->Table() : nullptr);
    });
}

void docResourceEditor::ShowTable(StringTableModel *table)
{
    if (mShownTable && mShownTable != table) {
        mShownTable->disconnect(this);
        mShownTable->setCellNotes({});
        mShownTable->setCellRoles({});
        mShownTable->setColumnNotes({});
    }
    if (table && mShownTable != table) {
        table->setIdCaption(lgv_string(kResourceIdCaption));
        table->setCellNotes([this, table](int row, int column) {
            return column == 0 ? IdCellProblems(row) : m_cellNotes.cellProblems(*table, row, column);
        });
        table->setCellRoles([this](int row, int column, int role) { return CellRole(row, column, role); });
        table->setColumnNotes([this](int column) { return LanguageStatistics(column); });
        connect(table, &StringTableModel::languagesAboutToChange, this, &docResourceEditor::TableLanguagesAboutToChange);
        connect(table, &StringTableModel::languagesChanged, this, &docResourceEditor::TableLanguagesChanged);
        WatchForMissingCounts(*table);
        WatchForConsistency(*table);
    }
    mShownTable = table;
    m_sftTree->setSourceModel(table);
    ScheduleMissingCounts();
    ScheduleConsistency();
    ScheduleSuggestions();
    TellMissingDictionaries();
}

void docResourceEditor::TableLanguagesAboutToChange()
{
    const int row = m_sftTree->currentRow();
    mKeptPlace.id = row >= 0 ? m_sftTree->itemData(row) : -1;
    mKeptPlace.locale = Languages().localeOf(m_sftTree->currentColumn());
    mKeptPlace.vertical = m_sftTree->verticalScrollBar()->value();
    mKeptPlace.horizontal = m_sftTree->horizontalScrollBar()->value();
}

void docResourceEditor::TableLanguagesChanged()
{
    qm::trap("TableLanguagesChanged", [&] {
        SetColumns();
        const int row = mKeptPlace.id >= 0 ? m_sftTree->findItemData(mKeptPlace.id) : -1;
        const int column = mKeptPlace.locale >= 0 ? Languages().columnOf(mKeptPlace.locale)
                                                  : (m_sftTree->columnCount() > 0 ? 0 : -1);
        if (row >= 0 && column >= 0)
            m_sftTree->setCurrentCell(row, column);
        m_sftTree->verticalScrollBar()->setValue(mKeptPlace.vertical);
        m_sftTree->horizontalScrollBar()->setValue(mKeptPlace.horizontal);
        EnableDisableButtons();
        TellMissingDictionaries();
    });
}

void docResourceEditor::SetColumns()
{
    qm::trap("SetColumns", [&] {
        const LanguageTable &languages = Languages();
        if (m_sftTree->showsOwnModel())
            m_sftTree->clear();
        m_sftTree->setColumnCount(languages.count() + 1);
        const int width = FittedLanguageColumnWidth();
        for (const LanguageColumn &language : languages) {
            m_sftTree->setColumnMinWidthTwips(language.Column, kLanguageColumnMinWidth);
            m_sftTree->setColumnWidthTwips(language.Column, width);
            m_sftTree->setColumnEditable(language.Column, true);
        }
        // The order and widths the user left this project's columns in.
        QList<int> order;
        for (const ColumnPlacement &placement : GetStoredColumnLayout(CurrentProjectFile())) {
            const int column = languages.columnOf(placement.LocaleID);
            if (column >= 0) {
                order.append(column);
                m_sftTree->setColumnWidthTwips(column, placement.WidthTwips);
            }
        }
        m_sftTree->setColumnOrder(order);
        UpdateSourceLanguage();
        UpdateFindLanguages();
    });
}

// Columns the user has not sized share the grid's width, so that up to eight
// languages show at once; none gets wider than the usual width nor narrower
// than a readable one.
int docResourceEditor::FittedLanguageColumnWidth() const
{
    const int shown = std::min(Languages().count(), kLanguagesShownAtOnce);
    if (shown == 0)
        return kLanguageColumnWidth;
    const int room = m_sftTree->viewport()->width() - m_sftTree->header()->sectionSize(0);
    const int twips = win32::SftTree::pixelsToTwips(room / shown);
    return std::clamp(twips, kLanguageColumnFittedMinWidth, kLanguageColumnWidth);
}

QString docResourceEditor::CurrentProjectFile() const
{
    return mCurrentProject && mCurrentProject->Project() ? mCurrentProject->Project()->FileName() : QString();
}

void docResourceEditor::StoreColumnLayout()
{
    qm::trap("StoreColumnLayout", [&] {
        QList<ColumnPlacement> columns;
        for (int column : m_sftTree->columnOrder()) {
            if (const qint32 locale = Languages().localeOf(column); locale >= 0)
                columns.append({locale, m_sftTree->columnWidthTwips(column)});
        }
        ::StoreColumnLayout(CurrentProjectFile(), columns);
    });
}

void docResourceEditor::AddLineInitFonts(qint32 ID, int &Row)
{
    qm::trap("AddLineInitFonts", [&] {
        // The row's cells take their language's font from the table's column.
        StringTableModel *table = Table();
        if (!table)
            qm::raise(QStringLiteral("There is no resource file to add a string to."));
        table->insertRow(ID);
        Row = table->findItemData(ID);
    });
}

void docResourceEditor::ShowResourceStrings(clsProject *project)
{
    qm::trap("ShowResourceStrings", [&] {
        if (!project->HasResourceFile() || project->ResourceFileUnreadable()) {
            ShowTable(nullptr);
            const RedrawGuard redraw(*m_sftTree);
            m_sftTree->clear();
            m_sftTree->addSpanningItem(lgv_string(project->HasResourceFile() ? kUnreadableResourceFile : 509));
            return;
        }
        StringTableModel *table = project->Table();
        if (mShownTable != table) {
            SetColumns();
            ShowTable(table);
        }
        // Entries another part of the program added to the file since get their rows here.
        for (qint32 locale : table->addRowsOfNewEntries())
            win32::interaction().msgBox(QStringLiteral("Internal Error - Failed to find column for language ") +
                                            QString::number(locale),
                                        win32::vbOKOnly, QString::fromUtf8(kMessageTitle));
    });
}

void docResourceEditor::SftTree_ItemClick(int Row, int Column, int Area, int Button, int)
{
    qm::trap("SftTree_ItemClick", [&] {
        if (Button == SftTree::RightButton &&
            (Area == SftTree::AreaCellText || Area == SftTree::AreaCell || Area == SftTree::AreaColumnHeader)) {
            mMenuColumn = Column;
            mMenuRow = Row;
            mMenuLanguage = -1;
            if (Column < 1) {
                // A right click on an ID makes it the current string, the one Show Uses lists.
                if (Row >= 0 && m_sftTree->source().hasItemData(Row))
                    m_sftTree->setCurrentCell(Row, 0);
                mnuRemoveLanguage()->setText(lgv_string(239));
                mnuRemoveLanguage()->setEnabled(false);
                mnuChangeFont()->setText(lgv_string(505));
                mnuChangeFont()->setEnabled(false);
                mnuUseAsSource()->setEnabled(false);
                mnuUseAsSource()->setChecked(false);
            } else {
                mMenuLanguage = Languages().indexOfColumn(Column);
                if (mMenuLanguage >= 0) {
                    const QString &name = Languages()[mMenuLanguage].LanguageName;
                    mnuRemoveLanguage()->setText(lgv_string(517) + name);
                    mnuRemoveLanguage()->setEnabled(true);
                    mnuChangeFont()->setText(lgv_string(518) + name);
                    mnuChangeFont()->setEnabled(true);
                    mnuUseAsSource()->setEnabled(true);
                    mnuUseAsSource()->setChecked(Languages()[mMenuLanguage].LocaleID == SourceLanguage());
                } else {
                    win32::interaction().msgBox(
                        QStringLiteral("Internal error - Failed to find language index for column ") +
                            QString::number(Column),
                        win32::vbOKOnly, QStringLiteral("Quill Resource Editor"));
                    mnuRemoveLanguage()->setEnabled(false);
                    mnuChangeFont()->setEnabled(false);
                    mnuUseAsSource()->setEnabled(false);
                }
            }
            PrepareSpellingMenu(Row, Column);
            m_mnuColumnMenu->popup(m_sftTree->lastClickPosition());
        } else if (Button == SftTree::LeftButton && (Area == SftTree::AreaCellText || Area == SftTree::AreaCell) &&
                   Column >= 1 && !m_sftTree->isRangeClick()) {
            m_sftTree->setEditFont(m_sftTree->cellFont(Row, Column));
            m_sftTree->beginEdit(Row, Column);
        }
    });
}

void docResourceEditor::SftTree_AfterEdit(QString &NewText, int Row, int Column)
{
    qm::trap("SftTree_AfterEdit", [&] {
        const int index = Languages().indexOfColumn(Column);
        if (index < 0)
            return;
        const qint32 locale = Languages()[index].LocaleID;
        const qint32 id = m_sftTree->itemData(Row);
        const QString current = m_sftTree->cellText(Row, Column);
        if (NewText == current)
            return;
        if (!EditableProject())
            qm::raise(QStringLiteral("There is no resource file to store the text in."));
        const QString before = mCurrentProject->ResourceFile()->Strings().TextOf(locale, id);
        std::vector<TextChange> change{{locale, id, before.isNull() ? std::nullopt : std::optional(before), NewText}};
        PushStringCommand(new TextChangeCommand(*mCurrentProject, kEditStringStep, QString::number(id), std::move(change)));
    });
}

void docResourceEditor::SftTree_CEKeyDown(int &KeyCode, int Shift, int Row, int Column, const QString &)
{
    qm::trap("SftTree_CEKeyDown", [&] {
        int targetRow = Row;
        int targetColumn = Column;
        bool move = false;
        switch (KeyCode) {
        case SftTree::KeyUp:
        case SftTree::KeyDown:
            // Up and down as the rows are shown, which a filter or a sort may have changed.
            targetRow = m_sftTree->itemBeside(Row, KeyCode == SftTree::KeyUp ? -1 : 1);
            KeyCode = 0;
            move = targetRow >= 0;
            break;
        case SftTree::KeyTab:
            KeyCode = 0;
            // Left and right as the columns are shown, which the user may have reordered.
            targetColumn = m_sftTree->columnBeside(Column, (Shift & SftTree::ShiftMask) ? -1 : 1);
            move = targetColumn >= 1;
            // At the edge nothing moves, but Tab still stores what was typed.
            if (!move) {
                targetColumn = Column;
                move = true;
            }
            break;
        case SftTree::KeyEnter:
            // With Shift or Ctrl it types a line break into the text.
            if (Shift & (SftTree::ShiftMask | SftTree::CtrlMask))
                break;
            KeyCode = 0;
            move = true;
            break;
        default:
            break;
        }
        if (move && m_sftTree->endEdit(true)) {
            m_sftTree->setEditFont(m_sftTree->cellFont(targetRow, targetColumn));
            m_sftTree->beginEdit(targetRow, targetColumn);
        }
    });
}

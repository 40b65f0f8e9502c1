// Copy and paste of a block of cells as tab-separated text, the way
// spreadsheets exchange cells. A paste is one undoable step.
//
// Pasted rows go to the rows shown from the current cell down. A block whose
// first column lands on the Resource ID column instead names, in that column,
// the string each line belongs to: the line's texts go to that string's row,
// which is created when the ID has none. IDs are never changed by a paste.
#include "editor/docResourceEditor.h"

#include "editor/TabularText.h"
#include "editor/clsProject.h"
#include "platform/resutil/ResFile.h"
#include "platform/win32/Interaction.h"
#include "platform/win32/SftTree.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeySequence>
#include <QSet>

#include <algorithm>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kPasteStep = 770;        // "Paste"
constexpr int kTooWide = 773;          // "The text to paste is %0 columns wide, ..."
constexpr int kTooLong = 774;          // "The text to paste has %0 rows, ..."
constexpr int kNotAnId = 775;          // "Row %0 ... has "%1" in the Resource ID column, ..."
constexpr int kIdTwice = 776;          // "... names string ID %0 more than once."
constexpr int kTextTooLong = 777;      // "A text in row %0 ... is longer than ..."
constexpr int kNothingToPaste = 778;   // "The clipboard holds no text to paste."
constexpr int kNothingPasted = 779;    // "Nothing was pasted."
constexpr qint64 kMaxStringId = 65535;
constexpr int kShownIdLength = 40;     // of a wrong ID in the message

// A whole number from 0 to 65535, as a spreadsheet shows an ID cell.
bool readStringId(const QString &text, qint32 &id)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || value < 0 || value > kMaxStringId)
        return false;
    id = static_cast<qint32>(value);
    return true;
}
} // namespace

void docResourceEditor::CreateClipboardActions()
{
    // Keys of the grid itself: in the cell editor they copy and paste its text.
    const auto gridCommand = [this](const char *name, const QKeySequence &key, void (docResourceEditor::*run)()) {
        auto *action = new QAction(m_sftTree);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, run);
        m_sftTree->addAction(action);
        return action;
    };
    m_mnuCopy = gridCommand("mnuCopy", QKeySequence::Copy, &docResourceEditor::CopyCells);
    m_mnuPaste = gridCommand("mnuPaste", QKeySequence::Paste, &docResourceEditor::PasteCells);
    m_mnuCopy->setText(QStringLiteral("C&opy"));
    m_mnuPaste->setText(QStringLiteral("Past&e"));
}

void docResourceEditor::CopyCells()
{
    qm::trap("CopyCells", [&] {
        ShowOwnWindow();
        CommitPendingEdit();
        const win32::SftTree::CellRange range = m_sftTree->selectedRange();
        if (!range.isValid())
            return;
        const QList<int> order = m_sftTree->columnOrder();
        QList<QStringList> rows;
        for (int row = range.top; row <= range.bottom; ++row) {
            QStringList cells;
            for (int visual = range.left; visual <= range.right; ++visual)
                cells.append(m_sftTree->cellText(m_sftTree->itemAtPosition(row), order.value(visual)));
            rows.append(cells);
        }
        QGuiApplication::clipboard()->setText(ToTabularText(rows));
    });
}

void docResourceEditor::RefusePaste(const QString &reason)
{
    win32::interaction().msgBox(reason + QLatin1Char('\n') + lgv_string(kNothingPasted), win32::vbExclamation,
                                QString::fromUtf8(kMessageTitle));
}

void docResourceEditor::PasteCells()
{
    qm::trap("PasteCells", [&] {
        ShowOwnWindow();
        if (!mCurrentProject || !mCurrentProject->HasReadableResourceFile())
            return;
        CommitPendingEdit();
        const QList<QStringList> rows = FromTabularText(QGuiApplication::clipboard()->text());
        if (rows.isEmpty()) {
            RefusePaste(lgv_string(kNothingToPaste));
            return;
        }
        const QList<int> order = m_sftTree->columnOrder();
        const win32::SftTree::CellRange range = m_sftTree->selectedRange();
        const int startRow = range.isValid() ? range.top : 0;
        const int startVisual = range.isValid() ? range.left : 0;
        const bool byId = startVisual == 0;
        qsizetype width = 0;
        for (const QStringList &row : rows)
            width = std::max(width, row.size());
        const qsizetype room = order.size() - startVisual;
        if (width > room) {
            RefusePaste(SubstituteParameters(lgv_string(kTooWide), width, room));
            return;
        }
        if (!byId && startRow + rows.size() > m_sftTree->shownItemCount()) {
            RefusePaste(SubstituteParameters(lgv_string(kTooLong), rows.size(), m_sftTree->shownItemCount() - startRow));
            return;
        }
        // Every line checked before anything changes.
        QList<qint32> ids;
        QSet<qint32> seen;
        for (qsizetype line = 0; line < rows.size(); ++line) {
            for (const QString &cell : rows[line]) {
                if (cell.size() > win32::SftTree::kMaxCellTextLength) {
                    RefusePaste(SubstituteParameters(lgv_string(kTextTooLong), line + 1));
                    return;
                }
            }
            qint32 id = 0;
            if (!byId) {
                id = m_sftTree->itemData(m_sftTree->itemAtPosition(startRow + static_cast<int>(line)));
            } else if (!readStringId(rows[line].value(0), id)) {
                QString shown = rows[line].value(0);
                if (shown.size() > kShownIdLength)
                    shown = shown.left(kShownIdLength) + QStringLiteral("...");
                RefusePaste(SubstituteParameters(lgv_string(kNotAnId), line + 1, shown));
                return;
            } else if (seen.contains(id)) {
                RefusePaste(SubstituteParameters(lgv_string(kIdTwice), id));
                return;
            }
            seen.insert(id);
            ids.append(id);
        }
        const resutil::ResStrings &strings = mCurrentProject->ResourceFile()->Strings();
        std::vector<TextChange> changes;
        QList<qint32> newRows;
        for (qsizetype line = 0; line < rows.size(); ++line) {
            const qint32 id = ids[line];
            bool texts = false;
            for (qsizetype field = byId ? 1 : 0; field < rows[line].size(); ++field) {
                const int column = order[startVisual + static_cast<int>(field)];
                const qint32 locale = mLanguages.localeOf(column);
                if (locale < 0)
                    continue;
                const QString &text = rows[line][field];
                const resutil::ResString *entry = strings.Find(locale, id);
                texts = true;
                if (entry ? entry->Text() == text : text.isEmpty())
                    continue;
                changes.push_back({locale, id, entry ? std::optional(entry->Text()) : std::nullopt, text});
            }
            if (byId && texts && m_sftTree->findItemData(id) < 0)
                newRows.append(id);
        }
        if (!changes.empty())
            PushStringCommand(new TextChangeCommand(*mCurrentProject, *this, kPasteStep, QString(), std::move(changes),
                                                    newRows));
        // The pasted block is left selected.
        const int top = m_sftTree->positionOfItem(m_sftTree->findItemData(ids.first()));
        const int bottom = m_sftTree->positionOfItem(m_sftTree->findItemData(ids.last()));
        if (top >= 0 && bottom >= 0)
            m_sftTree->selectRange(top, order[startVisual], bottom, order[startVisual + static_cast<int>(width) - 1]);
    });
    UpdateUnsavedMarks();
}

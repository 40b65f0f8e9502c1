// Copy and paste of a block of cells as tab-separated text, the way
// spreadsheets exchange cells. A paste is one undoable step; what it changes
// is planned first (PastePlan.h).
#include "editor/docResourceEditor.h"

#include "editor/PastePlan.h"
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

#include <algorithm>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kPasteStep = 770;      // "Paste"
constexpr int kNothingPasted = 779;  // "Nothing was pasted."
} // namespace

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
        clsProject *project = EditableProject();
        if (!project)
            return;
        CommitPendingEdit();
        const win32::SftTree::CellRange range = m_sftTree->selectedRange();
        const resutil::ResStrings &strings = project->ResourceFile()->Strings();
        PasteInput input;
        input.lines = FromTabularText(QGuiApplication::clipboard()->text());
        input.columnOrder = m_sftTree->columnOrder();
        input.startPosition = range.isValid() ? range.top : 0;
        input.startVisual = range.isValid() ? range.left : 0;
        input.shownIds.reserve(static_cast<std::size_t>(m_sftTree->shownItemCount()));
        for (int position = 0; position < m_sftTree->shownItemCount(); ++position)
            input.shownIds.push_back(m_sftTree->itemData(m_sftTree->itemAtPosition(position)));
        input.maxTextLength = win32::SftTree::kMaxCellTextLength;
        input.localeOf = [this](int column) { return Languages().localeOf(column); };
        input.textOf = [&strings](qint32 locale, qint32 id) -> std::optional<QString> {
            const resutil::ResString *entry = strings.Find(locale, id);
            return entry ? std::optional(entry->Text()) : std::nullopt;
        };
        input.hasRow = [this](qint32 id) { return m_sftTree->findItemData(id) >= 0; };
        PastePlan plan = planPaste(input);
        if (plan.refused()) {
            RefusePaste(plan.refusal);
            return;
        }
        if (!plan.changes.empty())
            PushStringCommand(new TextChangeCommand(*project, kPasteStep, QString(), std::move(plan.changes),
                                                    plan.newRows));
        // The pasted block is left selected.
        const int top = m_sftTree->positionOfItem(m_sftTree->findItemData(plan.ids.first()));
        const int bottom = m_sftTree->positionOfItem(m_sftTree->findItemData(plan.ids.last()));
        if (top >= 0 && bottom >= 0)
            m_sftTree->selectRange(top, input.columnOrder[input.startVisual], bottom,
                                   input.columnOrder[input.startVisual + plan.width - 1]);
    });
    UpdateUnsavedMarks();
}

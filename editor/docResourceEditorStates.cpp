// Review states in the editor: a mark on each translation that needs review
// or is approved, Mark as Done and the walk over unfinished cells, the
// "Needs review" filter, the figures per language in the column headers and
// the status line, and the comment and maximum length of a string.
#include "editor/docResourceEditor.h"

#include "editor/EditorCommands.h"
#include "editor/FindBar.h"
#include "editor/ReviewCounts.h"
#include "editor/StateCommands.h"
#include "editor/StringNotesDialog.h"
#include "editor/clsProject.h"
#include "platform/vbide/VBE.h"
#include "platform/win32/Interaction.h"
#include "platform/win32/SftTree.h"
#include "reviewstate/ReviewStates.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

#include <QCheckBox>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;
using reviewstate::State;

namespace {
constexpr int kNeedsReviewOnly = 1000;     // "Needs review"
constexpr int kNeedsReviewOnlyTip = 1001;  // "Show only the strings with a translation to review"
constexpr int kApprovedCell = 1002;        // "Approved"
constexpr int kNotTranslatedCell = 1003;   // "Not translated yet"
constexpr int kLanguageStatus = 1004;      // "%0: %1 of %2 done, %3 to review, %4 missing"
constexpr int kDoneLine = 1005;            // "Done: %0 strings, %1 words"
constexpr int kToReviewLine = 1006;        // "To review: %0 strings, %1 words"
constexpr int kMissingLine = 1007;         // "Missing: %0 strings, %1 words"
constexpr int kMarkDoneStep = 1012;        // "Mark String %0 Done"
constexpr int kNotesStep = 1013;           // "Notes on String %0"
constexpr int kCommentLine = 1014;         // "Comment: %0"
constexpr int kMaxLengthLine = 1015;       // "At most %0 characters"
constexpr int kNoneBelow = 1018;           // "No unfinished translation below in %0"
constexpr int kNoneAbove = 1019;           // "No unfinished translation above in %0"
constexpr int kChooseTranslation = 1020;   // "Choose a translation first: ..."
constexpr int kMissingNotDone = 1021;      // "A missing translation cannot be marked done: type it first."
constexpr int kStatesUnwritable = 1022;    // "The review states cannot be changed: ..."
constexpr int kNeedsReviewCell = 1027;     // "Needs review: the source text changed since it was translated"
constexpr int kChooseString = 863;         // "Choose a string in the grid first."
constexpr int kMaxWidthLine = 1320;        // "At most %0 pixels wide"

QLocale uiLocale()
{
    return LgvStringModule::CurrentUILanguage() == LgvStringModule::kGermanUILanguage ? QLocale(QLocale::German)
                                                                                       : QLocale(QLocale::English);
}

// A mark that reads without its colour: a question mark to review, a tick when approved.
QPixmap stateMark(State state, const QFont &font)
{
    const int side = std::max(10, QFontMetrics(font).height() - 4);
    QPixmap mark(side, side);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool review = state == State::NeedsReview;
    const QColor colour = review ? QColor(0xB0, 0x5A, 0x00) : QColor(0x1E, 0x7B, 0x34);
    QPen pen(colour, std::max(1.5, side / 8.0));
    painter.setPen(pen);
    const QRectF box = QRectF(mark.rect()).adjusted(1, 1, -1, -1);
    if (review) {
        painter.drawEllipse(box);
        QFont small = font;
        small.setBold(true);
        small.setPixelSize(int(side * 0.75));
        painter.setFont(small);
        painter.drawText(box, Qt::AlignCenter, QStringLiteral("?"));
    } else {
        QPainterPath tick;
        tick.moveTo(box.left() + box.width() * 0.12, box.top() + box.height() * 0.55);
        tick.lineTo(box.left() + box.width() * 0.4, box.bottom() - box.height() * 0.12);
        tick.lineTo(box.right() - box.width() * 0.08, box.top() + box.height() * 0.15);
        painter.drawPath(tick);
    }
    return mark;
}
} // namespace

QCheckBox *docResourceEditor::chkNeedsReview() const { return m_chkNeedsReview; }

void docResourceEditor::CreateReviewStates()
{
    m_chkNeedsReview = m_findBar->addFilterToggle(QStringLiteral("chkNeedsReview"), lgv_string(kNeedsReviewOnly));
    m_find.setNeedsReviewRule([this](const win32::SftTreeSource &, int row) {
        const StringTableModel *table = mShownTable;
        if (!table)
            return false;
        for (int column = 1; column < table->columnCount(); ++column)
            if (column != SourceColumn() && table->reviewState(row, column) == State::NeedsReview)
                return true;
        return false;
    });
    m_cellNotes.setMaxLength([this](qint32 id) {
        const StringTableModel *table = mShownTable;
        const reviewstate::ReviewStates *states = table ? table->reviewStates() : nullptr;
        return states ? states->maxLength(id) : 0;
    });
    connect(m_sftTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current, const QModelIndex &previous) {
                if (current.column() != previous.column())
                    ScheduleStateStatus();
            });
    UpdateReviewTexts();
}

void docResourceEditor::UpdateReviewTexts()
{
    if (!m_chkNeedsReview)
        return;
    m_chkNeedsReview->setText(lgv_string(kNeedsReviewOnly));
    m_chkNeedsReview->setToolTip(lgv_string(kNeedsReviewOnlyTip));
    m_chkNeedsReview->setAccessibleDescription(lgv_string(kNeedsReviewOnlyTip));
    m_stateStatus.clear();
    ScheduleStateStatus();
}

QVariant docResourceEditor::StateCellRole(int row, int column, int role) const
{
    const StringTableModel *table = mShownTable;
    if (!table || column == SourceColumn())
        return {};
    const std::optional<State> state = table->reviewState(row, column);
    if (!state || *state == State::Translated || table->cellText(row, column).isEmpty())
        return {};
    switch (role) {
    case Qt::DecorationRole:
        if (*state == State::New)
            return {};
        return stateMark(*state, m_sftTree->font());
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        return lgv_string(*state == State::NeedsReview ? kNeedsReviewCell
                          : *state == State::Approved  ? kApprovedCell
                                                       : kNotTranslatedCell);
    default:
        return {};
    }
}

QString docResourceEditor::StringNotesText(qint32 id) const
{
    const StringTableModel *table = mShownTable;
    const reviewstate::ReviewStates *states = table ? table->reviewStates() : nullptr;
    if (!states)
        return {};
    QStringList lines;
    if (const QString comment = states->comment(id); !comment.isEmpty())
        lines << SubstituteParameters(lgv_string(kCommentLine), comment);
    if (const int limit = states->maxLength(id); limit > 0)
        lines << SubstituteParameters(lgv_string(kMaxLengthLine), uiLocale().toString(limit));
    if (const int width = states->maxWidth(id); width > 0)
        lines << SubstituteParameters(lgv_string(kMaxWidthLine), uiLocale().toString(width));
    return lines.join(QLatin1Char('\n'));
}

QString docResourceEditor::LanguageStatistics(int column) const
{
    const StringTableModel *table = mShownTable;
    if (!table || column < 1 || column >= table->columnCount() || column == SourceColumn() || table->held())
        return {};
    const ReviewCounts counts = countReviewStates(*table, column, SourceColumn());
    const QLocale locale = uiLocale();
    const auto line = [&](int id, const reviewstate::StateCounts &c) {
        return SubstituteParameters(lgv_string(id), locale.toString(c.strings), locale.toString(c.words));
    };
    return line(kDoneLine, counts.done) + QLatin1Char('\n') + line(kToReviewLine, counts.toReview) +
           QLatin1Char('\n') + line(kMissingLine, counts.missing);
}

void docResourceEditor::ScheduleStateStatus()
{
    if (std::exchange(m_stateStatusPending, true))
        return;
    QTimer::singleShot(0, this, &docResourceEditor::ShowStateStatus);
}

void docResourceEditor::ShowStateStatus()
{
    m_stateStatusPending = false;
    const StringTableModel *table = mShownTable;
    const int column = m_sftTree->currentColumn();
    if (!table || table->held() || column < 1 || column >= table->columnCount() || column == SourceColumn())
        return;
    const ReviewCounts counts = countReviewStates(*table, column, SourceColumn());
    const QLocale locale = uiLocale();
    const QString status = SubstituteParameters(
        lgv_string(kLanguageStatus),
        {table->columnCaption(column), locale.toString(counts.done.strings), locale.toString(counts.all.strings),
         locale.toString(counts.toReview.strings), locale.toString(counts.missing.strings)});
    if (status == m_stateStatus)
        return;
    m_stateStatus = status;
    if (m_vbe)
        m_vbe->ShowStatusText(status);
}

void docResourceEditor::ShowStatusLine(const QString &text)
{
    m_stateStatus = text;
    if (m_vbe)
        m_vbe->ShowStatusText(text);
}

bool docResourceEditor::GoToUnfinished(bool backwards)
{
    bool found = false;
    qm::trap("GoToUnfinished", [&] {
        const StringTableModel *table = mShownTable;
        const int column = m_sftTree->currentColumn();
        if (!table || column < 1 || column >= table->columnCount() || column == SourceColumn()) {
            ShowStatusLine(lgv_string(kChooseTranslation));
            return;
        }
        const int shown = m_sftTree->shownItemCount();
        const int from = m_sftTree->positionOfItem(m_sftTree->currentRow());
        const int step = backwards ? -1 : 1;
        for (int position = (from < 0 ? (backwards ? shown : -1) : from) + step; position >= 0 && position < shown;
             position += step) {
            const int row = m_sftTree->itemAtPosition(position);
            if (unfinishedCell(*table, row, column)) {
                m_sftTree->selectRow(row);  // as Find Next does
                m_sftTree->setCurrentCell(row, column);
                found = true;
                ScheduleStateStatus();
                return;
            }
        }
        ShowStatusLine(SubstituteParameters(lgv_string(backwards ? kNoneAbove : kNoneBelow),
                                            table->columnCaption(column)));
    });
    return found;
}

void docResourceEditor::MarkDone()
{
    qm::trap("MarkDone", [&] {
        clsProject *project = EditableProject();
        StringTableModel *table = mShownTable;
        const int row = m_sftTree->currentRow();
        const int column = m_sftTree->currentColumn();
        if (!project || !table || !table->hasItemData(row) || column < 1 || column >= table->columnCount() ||
            column == SourceColumn()) {
            ShowStatusLine(lgv_string(kChooseTranslation));
            return;
        }
        CommitPendingEdit();
        if (table->cellText(row, column).isEmpty()) {
            ShowStatusLine(lgv_string(kMissingNotDone));
            return;
        }
        const reviewstate::ReviewStates *states = table->reviewStates();
        if (!states || !states->readable()) {
            win32::interaction().msgBox(lgv_string(kStatesUnwritable), win32::vbExclamation, QString::fromUtf8(kMessageTitle));
            return;
        }
        if (table->reviewState(row, column) != State::Approved) {
            const qint32 id = table->itemData(row);
            const qint32 localeId = table->languages().localeOf(column);
            PushStringCommand(new StateChangeCommand(*project, kMarkDoneStep, QString::number(id),
                                                     {StateChange{localeId, id, states->line(localeId, id), State::Approved}}));
            ScheduleStateStatus();
        }
        GoToUnfinished(false);
    });
}

void docResourceEditor::EditStringNotes()
{
    qm::trap("EditStringNotes", [&] {
        clsProject *project = EditableProject();
        StringTableModel *table = mShownTable;
        const int row = m_sftTree->currentRow();
        if (!project || !table || !table->hasItemData(row)) {
            win32::interaction().msgBox(lgv_string(kChooseString), win32::vbInformation, QString::fromUtf8(kMessageTitle));
            return;
        }
        const reviewstate::ReviewStates *states = table->reviewStates();
        if (!states || !states->readable()) {
            win32::interaction().msgBox(lgv_string(kStatesUnwritable), win32::vbExclamation, QString::fromUtf8(kMessageTitle));
            return;
        }
        const qint32 id = table->itemData(row);
        const StringNotes before{states->comment(id), states->maxLength(id), states->maxWidth(id)};
        StringNotesDialog dialog(id, before, this);
        if (win32::interaction().execDialog(dialog) != QDialog::Accepted)
            return;
        const StringNotes after = dialog.notes();
        if (after == before)
            return;
        PushStringCommand(new StringNotesCommand(*project, kNotesStep, id, before, after));
    });
}

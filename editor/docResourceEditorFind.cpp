// Find and filter: the find bar above the grid and its menu commands, and the
// marks and header tips of missing translations; what is shown, found and
// counted is the FindController's.
#include "editor/docResourceEditor.h"

#include "editor/EditorCommands.h"
#include "editor/FindBar.h"
#include "editor/StringTableModel.h"
#include "editor/clsProject.h"
#include "platform/win32/SftTree.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>


using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;
using win32::SftTree;

namespace {
constexpr int kResourceIdCaption = 492;  // "Resource ID"
constexpr int kShownOfAll = 648;         // "%0 of %1 strings"
constexpr int kBadExpression = 649;      // "Invalid regular expression: %0 (at position %1)"
constexpr int kNotFound = 650;           // "Not found"
constexpr int kMissingCell = 653;        // "Missing translation"
constexpr int kMissingInColumn = 654;    // "Missing translations: %0"
constexpr int kSortBy = 657;             // "Sort &By"
constexpr int kDescending = 658;         // "&Descending"
constexpr int kIdColumnTip = 661;        // "%0 strings, %1 with missing translations"
constexpr int kProblemsOnly = 735;       // "Problems"
constexpr int kProblemsOnlyTip = 736;    // "Show only the strings whose translations break a check"

// A light amber over the grid's own background, so that it also reads on a dark one.
QColor missingTint(const QColor &base)
{
    const QColor amber(255, 176, 0);
    const auto mix = [](int a, int b) { return (a * 85 + b * 15) / 100; };
    return QColor(mix(base.red(), amber.red()), mix(base.green(), amber.green()), mix(base.blue(), amber.blue()));
}
} // namespace

void docResourceEditor::CreateFindBar()
{
    m_findBar = new FindBar(this);
    m_findBar->hide();
    connect(m_findBar, &FindBar::criteriaChanged, this, &docResourceEditor::ApplyRowFilter);
    connect(m_findBar, &FindBar::findNextRequested, this, [this](bool backwards) { FindNext(backwards); });
    connect(m_findBar, &FindBar::closeRequested, this, &docResourceEditor::CloseFindBar);
    connect(m_findBar, &FindBar::rowsRearranged, this, &docResourceEditor::LayoutControls);
    m_chkProblems = m_findBar->addFilterToggle(QStringLiteral("chkProblems"), lgv_string(kProblemsOnly));
    connect(m_findBar->missingTranslations(), &QCheckBox::toggled, this, [this](bool on) {
        if (mnuMissingOnly()->isChecked() != on)
            mnuMissingOnly()->setChecked(on);
    });

    // The translation checks' problems and, on the ID, the code's.
    m_find.setProblemRule([this](const win32::SftTreeSource &grid, int row) {
        return m_cellNotes.rowHasProblems(grid, row) || (grid.hasItemData(row) && m_uses.hasProblem(grid.itemData(row)));
    });
    m_sftTree->setRowRule([this](const win32::SftTreeSource &grid) { return ShownRows(grid); });
    m_sftTree->grid().setCellRoles([this](int row, int column, int role) { return CellRole(row, column, role); });
    connect(m_sftTree, &SftTree::HeaderClick, this, &docResourceEditor::SftTree_HeaderClick);

    // What the bar counts follows every change of the rows shown.
    const win32::SftTreeRowView *shown = &m_sftTree->rowView();
    connect(shown, &QAbstractItemModel::modelReset, this, &docResourceEditor::UpdateFindStatus);
    connect(shown, &QAbstractItemModel::layoutChanged, this, &docResourceEditor::UpdateFindStatus);
    connect(shown, &QAbstractItemModel::rowsInserted, this, &docResourceEditor::UpdateFindStatus);
    connect(shown, &QAbstractItemModel::rowsRemoved, this, &docResourceEditor::UpdateFindStatus);

    // The missing counts are taken once after a burst of changes.
    WatchForMissingCounts(m_sftTree->grid());
    CreateFindActions();
}

void docResourceEditor::ScheduleMissingCounts()
{
    if (std::exchange(m_missingCountsPending, true))
        return;
    QTimer::singleShot(0, this, &docResourceEditor::UpdateMissingCounts);
}

void docResourceEditor::WatchForMissingCounts(const win32::SftTreeSource &grid)
{
    const auto countLater = [this] { ScheduleMissingCounts(); };
    connect(&grid, &QAbstractItemModel::modelReset, this, countLater);
    connect(&grid, &QAbstractItemModel::rowsInserted, this, countLater);
    connect(&grid, &QAbstractItemModel::rowsRemoved, this, countLater);
    connect(&grid, &QAbstractItemModel::dataChanged, this,
            [countLater](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole) || roles.contains(Qt::UserRole))
                    countLater();
            });
}

void docResourceEditor::CreateFindActions()
{
    connect(mnuMissingOnly(), &QAction::toggled, this, [this](bool on) {
        if (on && !m_findBarOpen)
            ShowFindBar();
        m_findBar->missingTranslations()->setChecked(on);
    });

    m_mnuSort = new QMenu(this);
    m_mnuSort->setObjectName(QStringLiteral("mnuSort"));
    command(EditorCommand::SortBy)->setMenu(m_mnuSort);
    m_sortGroup = new QActionGroup(this);
    m_mnuSortDescending = new QAction(this);
    m_mnuSortDescending->setObjectName(QStringLiteral("mnuSortDescending"));
    m_mnuSortDescending->setCheckable(true);
    connect(m_mnuSortDescending, &QAction::triggered, this,
            [this](bool on) { SortRows(m_find.sortLocale(), on); });
    UpdateSortMenu();
    UpdateFindTexts();
}

void docResourceEditor::UpdateFindTexts()
{
    m_findBar->updateTexts();
    m_chkProblems->setText(lgv_string(kProblemsOnly));
    m_chkProblems->setToolTip(lgv_string(kProblemsOnlyTip));
    m_mnuSort->setTitle(lgv_string(kSortBy));
    m_mnuSortDescending->setText(lgv_string(kDescending));
    UpdateSortMenu();
    UpdateFindStatus();
    UpdateMissingCounts();
    UpdateUsesTexts();
    UpdateReviewTexts();
}

void docResourceEditor::ShowFindBar()
{
    qm::trap("ShowFindBar", [&] {
        ShowOwnWindow();
        const bool wasOpen = std::exchange(m_findBarOpen, true);
        m_findBar->open();
        LayoutControls();
        if (!wasOpen)
            ApplyRowFilter();
    });
}

void docResourceEditor::CloseFindBar()
{
    qm::trap("CloseFindBar", [&] {
        if (!m_findBarOpen)
            return;
        m_findBarOpen = false;
        const bool hadFocus = m_findBar->isAncestorOf(focusWidget());
        m_findBar->hide();
        // The row toggles go off with the bar, so nothing stays hidden unseen.
        for (QCheckBox *toggle : m_findBar->findChildren<QCheckBox *>()) {
            if (toggle != m_findBar->matchCase() && toggle != m_findBar->wholeWord() &&
                toggle != m_findBar->regularExpression() && toggle != m_findBar->filterRows()) {
                const QSignalBlocker quiet(toggle);
                toggle->setChecked(false);
            }
        }
        mnuMissingOnly()->setChecked(false);
        LayoutControls();
        ApplyRowFilter();
        if (hadFocus)
            m_sftTree->setFocus(Qt::OtherFocusReason);
    });
}

void docResourceEditor::ApplyRowFilter()
{
    qm::trap("ApplyRowFilter", [&] {
        m_sftTree->reapplyRowRule();
        UpdateFindStatus();
    });
}

FindCriteria docResourceEditor::FindCriteriaNow() const
{
    FindCriteria criteria;
    criteria.open = m_findBarOpen;
    criteria.text = m_findBar->findText()->text();
    criteria.options = m_findBar->options();
    criteria.scopeLocale = m_findBar->scopeLocale();
    criteria.filterRows = m_findBar->filterRows()->isChecked();
    criteria.missingOnly = m_findBar->missingTranslations()->isChecked();
    criteria.problemsOnly = m_chkProblems->isChecked();
    criteria.unusedOnly = m_chkUnused && m_chkUnused->isChecked();
    criteria.needsReviewOnly = m_chkNeedsReview && m_chkNeedsReview->isChecked();
    return criteria;
}

std::vector<int> docResourceEditor::ShownRows(const win32::SftTreeSource &grid) const
{
    return m_find.shownRows(grid, FindCriteriaNow());
}

void docResourceEditor::UpdateFindStatus()
{
    if (!m_findBar)
        return;
    const TextMatcher matcher = m_findBar->matcher();
    if (!matcher.isValid()) {
        m_findBar->setStatus(SubstituteParameters(lgv_string(kBadExpression), matcher.errorString(),
                                                  QString::number(matcher.errorOffset())),
                             true);
        return;
    }
    const win32::SftTreeSource &grid = m_sftTree->source();
    int strings = 0;
    for (int row = 0; row < grid.rowCount(); ++row)
        strings += grid.hasItemData(row) ? 1 : 0;
    int shown = 0;
    for (int position = 0; position < m_sftTree->shownItemCount(); ++position)
        shown += grid.hasItemData(m_sftTree->itemAtPosition(position)) ? 1 : 0;
    m_findBar->setStatus(SubstituteParameters(lgv_string(kShownOfAll), QString::number(shown),
                                              QString::number(strings)),
                         false);
}

bool docResourceEditor::FindNext(bool backwards)
{
    bool found = false;
    qm::trap("FindNext", [&] {
        ShowOwnWindow();
        CommitPendingEdit();
        const FindCriteria criteria = FindCriteriaNow();
        const TextMatcher matcher = criteria.matcher();
        if (matcher.isEmpty()) {
            ShowFindBar();
            return;
        }
        if (!matcher.isValid()) {
            UpdateFindStatus();
            return;
        }
        std::vector<int> shown(static_cast<std::size_t>(m_sftTree->shownItemCount()));
        for (int position = 0; position < m_sftTree->shownItemCount(); ++position)
            shown[static_cast<std::size_t>(position)] = m_sftTree->itemAtPosition(position);
        const FindController::Found next =
            m_find.findNext(m_sftTree->source(), criteria, shown, m_sftTree->columnOrder(),
                            {m_sftTree->currentRow(), m_sftTree->currentColumn()}, backwards);
        if (next.outcome == FindController::Found::NoCells)
            return;
        found = next.outcome == FindController::Found::Match;
        if (found) {
            m_sftTree->selectRow(next.cell.row);
            m_sftTree->setCurrentCell(next.cell.row, next.cell.column);
            UpdateFindStatus();
        } else {
            m_findBar->setStatus(lgv_string(kNotFound), true);
        }
    });
    return found;
}

void docResourceEditor::SortRows(qint32 locale, bool descending)
{
    qm::trap("SortRows", [&] {
        ShowOwnWindow();
        m_find.sortBy(locale, descending);
        UpdateSortChecks();
        ApplyRowFilter();
    });
}

void docResourceEditor::SftTree_HeaderClick(int column)
{
    qm::trap("SftTree_HeaderClick", [&] {
        if (m_find.headerClicked(column))
            SortRows(m_find.sortLocale(), m_find.sortDescending());
    });
}

void docResourceEditor::UpdateFindLanguages()
{
    if (!m_findBar)
        return;
    QList<QPair<qint32, QString>> scopes;
    for (const LanguageColumn &language : Languages())
        scopes.append({language.LocaleID, language.LanguageName});
    m_findBar->setLanguages(scopes);
    m_find.setLanguages(Languages());
    UpdateSortMenu();
}

void docResourceEditor::UpdateSortMenu()
{
    if (!m_mnuSort)
        return;
    // Rebuilt only when the languages or the texts change, never from one of its own entries.
    m_mnuSort->clear();
    const auto entry = [this](const QString &text, qint32 locale) {
        QAction *action = m_mnuSort->addAction(text);
        action->setCheckable(true);
        action->setData(locale);
        action->setChecked(locale == m_find.sortLocale());
        m_sortGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, locale] { SortRows(locale, m_find.sortDescending()); });
    };
    entry(lgv_string(kResourceIdCaption), -1);
    for (const LanguageColumn &language : m_find.languages())
        entry(language.LanguageName, language.LocaleID);
    m_mnuSort->addSeparator();
    m_mnuSort->addAction(m_mnuSortDescending);
    UpdateSortChecks();
}

void docResourceEditor::UpdateSortChecks()
{
    for (QAction *action : m_sortGroup->actions())
        action->setChecked(action->data().toInt() == m_find.sortLocale());
    m_mnuSortDescending->setChecked(m_find.sortDescending());
    m_sftTree->setSortIndicator(m_find.sortColumn(), m_find.sortDescending());
}

int docResourceEditor::MissingCount(int column) const
{
    const std::vector<int> &counts = m_missingCounts.perColumn;
    return column >= 0 && column < static_cast<int>(counts.size()) ? counts[static_cast<std::size_t>(column)] : 0;
}

void docResourceEditor::UpdateMissingCounts()
{
    m_missingCountsPending = false;
    // A transfer works on the texts: they are counted once it has ended.
    if (mShownTable && mShownTable->held())
        return;
    UpdateFindStatus();  // a row added a moment ago has its ID now
    win32::SftTreeSource &grid = m_sftTree->source();
    m_missingCounts = m_find.countMissing(grid);
    const std::vector<int> columns = Languages().columns();
    for (int column : columns) {
        if (column < grid.columnCount())
            grid.setColumnToolTip(column, SubstituteParameters(lgv_string(kMissingInColumn),
                                                               QString::number(MissingCount(column))));
    }
    if (grid.columnCount() > 0 && !columns.empty())
        grid.setColumnToolTip(0, SubstituteParameters(lgv_string(kIdColumnTip), QString::number(m_missingCounts.strings),
                                                      QString::number(m_missingCounts.rowsMissing)));
    else if (grid.columnCount() > 0)
        grid.setColumnToolTip(0, QString());
    // The reference rules and the status line's figures follow the texts and rows too.
    CheckUses();
    ScheduleStateStatus();
}

QVariant docResourceEditor::CellRole(int row, int column, int role) const
{
    if (column == 0)
        return IdCellRole(row, role);
    const win32::SftTreeSource &grid = m_sftTree->source();
    if (column < 1 || !grid.hasItemData(row) || !m_sftTree->columnEditable(column))
        return {};
    if (!grid.cellText(row, column).isEmpty()) {
        // The review state's mark and words, then the misspelt words.
        const QVariant spelling = SpellingCellRole(row, column, role);
        const QVariant state = role == win32::SftTreeSource::UnderlinedRangesRole ? QVariant() : StateCellRole(row, column, role);
        if (!spelling.isValid() || !state.isValid())
            return spelling.isValid() ? spelling : state;
        return state.toString() + QLatin1Char('\n') + spelling.toString();
    }
    switch (role) {
    case Qt::BackgroundRole:
        return missingTint(m_sftTree->palette().color(QPalette::Base));
    case Qt::AccessibleDescriptionRole:
    case Qt::ToolTipRole:
        return lgv_string(kMissingCell);
    default:
        return {};
    }
}

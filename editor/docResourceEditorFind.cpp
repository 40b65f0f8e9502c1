// Find and filter: the find bar above the grid, the rows it shows (a text,
// missing translations), finding the next matching cell, the rows' order, and
// the marks and header tips of missing translations.
#include "editor/docResourceEditor.h"

#include "editor/FindBar.h"
#include "editor/RowOrder.h"
#include "editor/clsProject.h"
#include "platform/win32core/Nls.h"
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

#include <algorithm>
#include <numeric>

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
constexpr int kFindNext = 655;           // "Find &Next"
constexpr int kFindPrevious = 656;       // "Find Prev&ious"
constexpr int kSortBy = 657;             // "Sort &By"
constexpr int kDescending = 658;         // "&Descending"
constexpr int kMissingOnly = 659;        // "Show &Missing Translations Only"
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
        if (m_mnuMissingOnly->isChecked() != on)
            m_mnuMissingOnly->setChecked(on);
    });

    m_sftTree->setRowRule([this](const win32::SftTreeModel &grid) { return ShownRows(grid); });
    m_sftTree->grid().setCellRoles([this](int row, int column, int role) { return CellRole(row, column, role); });
    connect(m_sftTree, &SftTree::HeaderClick, this, &docResourceEditor::SftTree_HeaderClick);

    // What the bar counts follows every change of the rows shown.
    const win32::SftTreeRowView *shown = &m_sftTree->rowView();
    connect(shown, &QAbstractItemModel::modelReset, this, &docResourceEditor::UpdateFindStatus);
    connect(shown, &QAbstractItemModel::layoutChanged, this, &docResourceEditor::UpdateFindStatus);
    connect(shown, &QAbstractItemModel::rowsInserted, this, &docResourceEditor::UpdateFindStatus);
    connect(shown, &QAbstractItemModel::rowsRemoved, this, &docResourceEditor::UpdateFindStatus);

    // The missing counts are taken once after a burst of changes.
    const auto countLater = [this] {
        if (std::exchange(m_missingCountsPending, true))
            return;
        QTimer::singleShot(0, this, &docResourceEditor::UpdateMissingCounts);
    };
    const win32::SftTreeModel *grid = &m_sftTree->grid();
    connect(grid, &QAbstractItemModel::modelReset, this, countLater);
    connect(grid, &QAbstractItemModel::rowsInserted, this, countLater);
    connect(grid, &QAbstractItemModel::rowsRemoved, this, countLater);
    connect(grid, &QAbstractItemModel::dataChanged, this,
            [countLater](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole) || roles.contains(Qt::UserRole))
                    countLater();
            });
    CreateFindActions();
}

void docResourceEditor::CreateFindActions()
{
    m_mnuFind->setEnabled(true);
    connect(m_mnuFind, &QAction::triggered, this, &docResourceEditor::ShowFindBar);

    const auto command = [this](const char *name, const QKeySequence &key) {
        auto *action = new QAction(this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        return action;
    };
    m_mnuFindNext = command("mnuFindNext", QKeySequence(Qt::Key_F3));
    m_mnuFindPrevious = command("mnuFindPrevious", QKeySequence(Qt::SHIFT | Qt::Key_F3));
    // Finding is asked for from anywhere in the window: the explorer, the menu, the grid.
    for (QAction *find : {m_mnuFind, m_mnuFindNext, m_mnuFindPrevious})
        find->setShortcutContext(Qt::WindowShortcut);
    connect(m_mnuFindNext, &QAction::triggered, this, [this] { FindNext(false); });
    connect(m_mnuFindPrevious, &QAction::triggered, this, [this] { FindNext(true); });

    m_mnuMissingOnly = command("mnuMissingOnly", QKeySequence());
    m_mnuMissingOnly->setCheckable(true);
    // Chosen from the menu with the window closed: the window comes back to show the rows.
    connect(m_mnuMissingOnly, &QAction::triggered, this, [this] { ShowOwnWindow(); });
    connect(m_mnuMissingOnly, &QAction::toggled, this, [this](bool on) {
        if (on && !m_findBarOpen)
            ShowFindBar();
        m_findBar->missingTranslations()->setChecked(on);
    });

    m_mnuSort = new QMenu(this);
    m_mnuSort->setObjectName(QStringLiteral("mnuSort"));
    m_sortGroup = new QActionGroup(this);
    m_mnuSortDescending = new QAction(this);
    m_mnuSortDescending->setObjectName(QStringLiteral("mnuSortDescending"));
    m_mnuSortDescending->setCheckable(true);
    connect(m_mnuSortDescending, &QAction::triggered, this,
            [this](bool on) { SortRows(m_sortLocale, on); });
    UpdateSortMenu();
    UpdateFindTexts();
}

void docResourceEditor::UpdateFindTexts()
{
    m_findBar->updateTexts();
    m_mnuFindNext->setText(lgv_string(kFindNext));
    m_mnuFindPrevious->setText(lgv_string(kFindPrevious));
    m_mnuMissingOnly->setText(lgv_string(kMissingOnly));
    m_chkProblems->setText(lgv_string(kProblemsOnly));
    m_chkProblems->setToolTip(lgv_string(kProblemsOnlyTip));
    m_mnuSort->setTitle(lgv_string(kSortBy));
    m_mnuSortDescending->setText(lgv_string(kDescending));
    UpdateSortMenu();
    UpdateFindStatus();
    UpdateMissingCounts();
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
        m_mnuMissingOnly->setChecked(false);
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

std::vector<int> docResourceEditor::LanguageColumns() const
{
    return mLanguages.columns();
}

RowFilter::Predicate docResourceEditor::FilterPredicate(RowFilter::Kind kind) const
{
    if (!m_findBarOpen)
        return nullptr;
    switch (kind) {
    case RowFilter::Text: {
        if (!m_findBar->filterRows()->isChecked())
            return nullptr;
        const TextMatcher matcher = m_findBar->matcher();
        if (matcher.isEmpty() || !matcher.isValid())
            return nullptr;
        const qint32 scope = m_findBar->scopeLocale();
        std::vector<int> columns;
        if (scope == -1) {
            columns = LanguageColumns();
            columns.insert(columns.begin(), 0);
        } else if (const int column = mLanguages.columnOf(scope); column > 0) {
            columns.push_back(column);
        }
        return textPredicate(matcher, std::move(columns));
    }
    case RowFilter::Missing:
        return m_findBar->missingTranslations()->isChecked() ? missingPredicate(LanguageColumns()) : nullptr;
    case RowFilter::Problems:
        if (!m_chkProblems->isChecked())
            return nullptr;
        return [this](const win32::SftTreeModel &, int row) { return RowHasProblems(row); };
    default:
        return nullptr;
    }
}

std::vector<int> docResourceEditor::ShownRows(const win32::SftTreeModel &grid) const
{
    RowFilter filter;
    for (int kind = 0; kind < RowFilter::KindCount; ++kind) {
        if (RowFilter::Predicate predicate = FilterPredicate(RowFilter::Kind(kind)))
            filter.set(RowFilter::Kind(kind), std::move(predicate));
    }
    std::vector<int> rows;
    if (filter.isActive()) {
        rows = filter.rows(grid);
    } else {
        rows.resize(static_cast<std::size_t>(grid.rowCount()));
        std::iota(rows.begin(), rows.end(), 0);
    }
    RowOrder order;
    order.descending = m_sortDescending;
    if (m_sortLocale != -1) {
        order.column = mLanguages.columnOf(m_sortLocale);
        // Compared as the language itself sorts: German, Swedish, Japanese each their own way.
        const QString tag = win32::LCIDToLocaleName(static_cast<win32::LCID>(m_sortLocale));
        order.locale = tag.isEmpty() ? QLocale::system() : QLocale(tag);
    }
    if (!order.isDefault())
        sortRows(rows, grid, order);
    return rows;
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
    const win32::SftTreeModel &grid = m_sftTree->grid();
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
        const TextMatcher matcher = m_findBar->matcher();
        if (matcher.isEmpty()) {
            ShowFindBar();
            return;
        }
        if (!matcher.isValid()) {
            UpdateFindStatus();
            return;
        }
        // The cells looked at, left to right as the columns are shown.
        const qint32 scope = m_findBar->scopeLocale();
        const int scopeColumn = scope == -1 ? -1 : mLanguages.columnOf(scope);
        std::vector<int> columns;
        for (int column : m_sftTree->columnOrder()) {
            if (scopeColumn == -1 || column == scopeColumn)
                columns.push_back(column);
        }
        const int rows = m_sftTree->shownItemCount();
        const auto width = static_cast<qint64>(columns.size());
        const qint64 cells = rows * width;
        if (cells == 0)
            return;
        const int currentRow = m_sftTree->currentRow();
        const auto currentColumn = std::find(columns.begin(), columns.end(), m_sftTree->currentColumn());
        qint64 start = -1;
        if (currentRow >= 0 && currentColumn != columns.end())
            start = m_sftTree->positionOfItem(currentRow) * width + (currentColumn - columns.begin());
        else if (backwards)
            start = cells;
        const win32::SftTreeModel &grid = m_sftTree->grid();
        for (qint64 step = 1; step <= cells; ++step) {
            const qint64 cell = ((backwards ? start - step : start + step) % cells + cells) % cells;
            const int row = m_sftTree->itemAtPosition(static_cast<int>(cell / width));
            const int column = columns[static_cast<std::size_t>(cell % width)];
            if (!grid.hasItemData(row) || !matcher.matches(grid.cellTextRef(row, column)))
                continue;
            m_sftTree->selectRow(row);
            m_sftTree->setCurrentCell(row, column);
            found = true;
            break;
        }
        if (found)
            UpdateFindStatus();
        else
            m_findBar->setStatus(lgv_string(kNotFound), true);
    });
    return found;
}

void docResourceEditor::SortRows(qint32 locale, bool descending)
{
    qm::trap("SortRows", [&] {
        ShowOwnWindow();
        m_sortLocale = locale != -1 && mLanguages.columnOf(locale) > 0 ? locale : -1;
        m_sortDescending = descending;
        UpdateSortChecks();
        ApplyRowFilter();
    });
}

void docResourceEditor::SftTree_HeaderClick(int column)
{
    qm::trap("SftTree_HeaderClick", [&] {
        const qint32 locale = mLanguages.localeOf(column);
        if (column != 0 && locale == -1)
            return;
        // The same column again turns the order round.
        SortRows(locale, locale == m_sortLocale ? !m_sortDescending : false);
    });
}

void docResourceEditor::UpdateFindLanguages()
{
    if (!m_findBar)
        return;
    QList<QPair<qint32, QString>> languages;
    for (const LanguageColumn &language : mLanguages)
        languages.append({language.LocaleID, language.LanguageName});
    m_findBar->setLanguages(languages);
    if (m_sortLocale != -1 && mLanguages.columnOf(m_sortLocale) < 0)
        m_sortLocale = -1;
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
        action->setChecked(locale == m_sortLocale);
        m_sortGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, locale] { SortRows(locale, m_sortDescending); });
    };
    entry(lgv_string(kResourceIdCaption), -1);
    for (const LanguageColumn &language : mLanguages)
        entry(language.LanguageName, language.LocaleID);
    m_mnuSort->addSeparator();
    m_mnuSort->addAction(m_mnuSortDescending);
    UpdateSortChecks();
}

void docResourceEditor::UpdateSortChecks()
{
    for (QAction *action : m_sortGroup->actions())
        action->setChecked(action->data().toInt() == m_sortLocale);
    m_mnuSortDescending->setChecked(m_sortDescending);
    const int column = m_sortLocale == -1 ? 0 : mLanguages.columnOf(m_sortLocale);
    m_sftTree->setSortIndicator(column, m_sortDescending);
}

int docResourceEditor::MissingCount(int column) const
{
    return column >= 0 && column < static_cast<int>(m_missingCounts.size()) ? m_missingCounts[column] : 0;
}

void docResourceEditor::UpdateMissingCounts()
{
    m_missingCountsPending = false;
    UpdateFindStatus();  // a row added a moment ago has its ID now
    const win32::SftTreeModel &grid = m_sftTree->grid();
    const std::vector<int> columns = LanguageColumns();
    m_missingCounts.assign(static_cast<std::size_t>(std::max(grid.columnCount(), 0)), 0);
    int strings = 0;
    int rowsMissing = 0;
    for (int row = 0; row < grid.rowCount(); ++row) {
        if (!grid.hasItemData(row))
            continue;
        ++strings;
        bool missing = false;
        for (int column : columns) {
            if (column < grid.columnCount() && grid.cellTextRef(row, column).isEmpty()) {
                ++m_missingCounts[column];
                missing = true;
            }
        }
        rowsMissing += missing ? 1 : 0;
    }
    for (int column : columns) {
        if (column < grid.columnCount())
            m_sftTree->grid().setColumnToolTip(
                column, SubstituteParameters(lgv_string(kMissingInColumn), QString::number(m_missingCounts[column])));
    }
    if (grid.columnCount() > 0 && !columns.empty())
        m_sftTree->grid().setColumnToolTip(0, SubstituteParameters(lgv_string(kIdColumnTip), QString::number(strings),
                                                                   QString::number(rowsMissing)));
    else if (grid.columnCount() > 0)
        m_sftTree->grid().setColumnToolTip(0, QString());
}

QVariant docResourceEditor::CellRole(int row, int column, int role) const
{
    const win32::SftTreeModel &grid = m_sftTree->grid();
    if (column < 1 || !grid.hasItemData(row) || !m_sftTree->columnEditable(column) ||
        !grid.cellTextRef(row, column).isEmpty())
        return {};
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

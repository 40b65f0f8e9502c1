// The translation memory in the editor: every resource file read or saved is
// remembered (on the memory's worker thread), the suggestions pane follows the
// grid's current cell, Ctrl+1 to Ctrl+9 take a suggestion, Pre-translate fills
// a language's empty cells, and the consistency rule marks the grid.
#include "editor/docResourceEditor.h"

#include "checks/ConsistencyChecks.h"
#include "editor/MemoryService.h"
#include "editor/PretranslateDialog.h"
#include "editor/SourceLanguageSetting.h"
#include "editor/SuggestionsPane.h"
#include "editor/clsProject.h"
#include "memory/StringTableEntries.h"
#include "platform/resutil/ResFile.h"
#include "platform/vbide/VBE.h"
#include "platform/win32/Interaction.h"
#include "platform/win32/SftTree.h"
#include "reviewstate/ReviewStates.h"
#include "support/ErrorTrap.h"
#include "support/LibraryMessages.h"
#include "uistrings/LgvStringModule.h"

#include <QAction>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>
#include <QUndoStack>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kTakeSuggestion = 1216;      // "Take Suggestion %0"
constexpr int kTakeSuggestionStep = 1217;  // "Take Suggestion for String %0"
constexpr int kPretranslateStep = 1223;    // "Pre-translate %0"
constexpr int kPretranslating = 1224;      // "Pre-translating %0..."
constexpr int kPretranslated = 1225;
constexpr int kPretranslateCancelled = 1226;
constexpr int kNoMatches = 1227;
constexpr int kNothingMissing = 1228;
constexpr int kNoLanguageToFill = 1229;
constexpr int kWithoutMemory = 1230;       // "Working without the translation memory: %0"
constexpr int kStatesNotMarked = 1233;
constexpr int kNoSourceLanguage = 1234;
constexpr int kUnavailable = 1208;        // "The translation memory cannot be used now."
constexpr int kCancel = 82;
constexpr int kSuggestionKeys = 9;
// Pairs stored in one transaction: few enough to hold little and let lookups
// in between, enough that the commits cost little.
constexpr std::size_t kRememberBatch = 2048;
} // namespace

void docResourceEditor::CreateMemory()
{
    m_memory = std::make_unique<MemoryService>();
    connect(m_memory.get(), &MemoryService::suggestionsFound, this, &docResourceEditor::SuggestionsFound);
    connect(m_memory.get(), &MemoryService::pretranslated, this, &docResourceEditor::PretranslateDone);
    connect(m_memory.get(), &MemoryService::pretranslateProgress, this, [this](int done, int total) {
        if (m_pretranslateProgress) {
            m_pretranslateProgress->setMaximum(total);
            m_pretranslateProgress->setValue(done);
        }
    });
    connect(m_memory.get(), &MemoryService::notice, this, [this](const QString &text) {
        // The memory's one line: what comes after its own "working without ...: ".
        const qsizetype colon = text.indexOf(QStringLiteral(": "));
        const QString reason = colon >= 0 ? text.mid(colon + 2) : text;
        m_memoryNotice = SubstituteParameters(lgv_string(kWithoutMemory), LibraryMessages::Shown(reason));
        m_memoryStatus = m_memoryNotice;
        if (m_vbe)
            m_vbe->ShowStatusText(m_memoryStatus);
    });

    for (int number = 1; number <= kSuggestionKeys; ++number) {
        auto *take = new QAction(this);
        take->setObjectName(QStringLiteral("mnuTakeSuggestion%1").arg(number));
        take->setShortcut(QKeySequence(QStringLiteral("Ctrl+%1").arg(number)));
        take->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        take->setEnabled(false);
        connect(take, &QAction::triggered, this, [this, number] { TakeSuggestion(number); });
        addAction(take);
        m_takeSuggestion.append(take);
    }
    connect(m_sftTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &docResourceEditor::ScheduleSuggestions);
    UpdateMemoryTexts();
}

void docResourceEditor::UpdateMemoryTexts()
{
    for (int i = 0; i < m_takeSuggestion.size(); ++i)
        m_takeSuggestion[i]->setText(SubstituteParameters(lgv_string(kTakeSuggestion), QString::number(i + 1)));
    if (m_suggestionsPane)
        m_suggestionsPane->updateTexts();
}

SuggestionsPane *docResourceEditor::Suggestions() const { return m_suggestionsPane; }

bool docResourceEditor::Pretranslating() const { return !m_pretranslation.project.isNull(); }

QAction *docResourceEditor::mnuTakeSuggestion(int number) const
{
    return number >= 1 && number <= m_takeSuggestion.size() ? m_takeSuggestion[number - 1] : nullptr;
}

void docResourceEditor::AttachSuggestionsPane(SuggestionsPane *pane)
{
    if (m_suggestionsPane)
        m_suggestionsPane->disconnect(this);
    m_suggestionsPane = pane;
    if (!pane)
        return;
    // The keys work where the user looks at the suggestions too.
    pane->addActions(m_takeSuggestion);
    connect(pane, &SuggestionsPane::takeRequested, this, [this](int index) { TakeSuggestion(index + 1); });
    pane->updateTexts();
    m_suggestedCell = {};
    UpdateSuggestions();
}

void docResourceEditor::RememberStrings(clsProject &project)
{
    qm::trap("RememberStrings", [&] {
        const resutil::ResFile *file = project.ResourceFile();
        if (!file || !project.HasReadableResourceFile() || file->FileName().isEmpty())
            return;
        qint32 chosen = project.SourceLanguageChoice();
        if (chosen == 0)
            chosen = GetStoredSourceLanguage(project.Project() ? project.Project()->FileName() : QString());
        const qint32 source = checks::sourceLanguage(file->Languages(), chosen);
        if (source == 0)
            return;
        // A batch of a few thousand pairs at a time, read from the table as
        // it then is, for as long as the project still has this file.
        const quint64 run = ++m_rememberRuns[&project];
        auto batches = std::make_shared<memory::EntryBatches>(file->Strings(), source,
                                                              QFileInfo(file->FileName()).absoluteFilePath());
        m_memory->rememberBatches([this, project = QPointer<clsProject>(&project), file, run, batches] {
            if (!project || project->ResourceFile() != file || m_rememberRuns.value(project.data()) != run)
                return std::vector<memory::Entry>();
            return batches->next(file->Strings(), kRememberBatch);
        });
    });
}

void docResourceEditor::ScheduleSuggestions()
{
    if (std::exchange(m_suggestionsPending, true))
        return;
    QTimer::singleShot(0, this, &docResourceEditor::UpdateSuggestions);
}

void docResourceEditor::UpdateSuggestions()
{
    m_suggestionsPending = false;
    if (!m_suggestionsPane)
        return;
    const StringTableModel *table = mShownTable;
    const int row = m_sftTree->currentRow();
    const int column = m_sftTree->currentColumn();
    const int sourceColumn = SourceColumn();
    const QString source = table && row >= 0 && sourceColumn > 0 ? table->cellText(row, sourceColumn) : QString();
    if (!table || row < 0 || column < 1 || column == sourceColumn || source.isEmpty() || !table->hasItemData(row)) {
        m_suggestedCell = {};
        m_suggestionsPane->showNothing();
        for (QAction *take : std::as_const(m_takeSuggestion))
            take->setEnabled(false);
        return;
    }
    const SuggestedCell cell{table->itemData(row), Languages().localeOf(column), source};
    if (cell.id == m_suggestedCell.id && cell.locale == m_suggestedCell.locale && cell.source == m_suggestedCell.source)
        return;
    m_suggestedCell = cell;
    std::vector<SuggestionsPane::Reference> reference;
    for (const LanguageColumn &language : Languages()) {
        if (language.Column == column)
            continue;
        const QString text = table->cellText(row, language.Column);
        if (!text.isEmpty())
            reference.push_back({language.LanguageName, text});
    }
    m_suggestionsPane->showLookingUp(source, reference);
    for (QAction *take : std::as_const(m_takeSuggestion))
        take->setEnabled(false);
    m_lookupSerial = m_memory->lookup(SourceLanguage(), cell.locale, source);
}

void docResourceEditor::SuggestionsFound(quint64 serial, const std::vector<memory::Suggestion> &found, bool available)
{
    if (serial != m_lookupSerial || !m_suggestionsPane || m_suggestedCell.id < 0)
        return;
    m_suggestionsPane->showSuggestions(found, available);
    for (int i = 0; i < m_takeSuggestion.size(); ++i)
        m_takeSuggestion[i]->setEnabled(std::size_t(i) < found.size());
}

void docResourceEditor::TakeSuggestion(int number)
{
    qm::trap("TakeSuggestion", [&] {
        if (!m_suggestionsPane || m_suggestedCell.id < 0 || !EditableProject())
            return;
        const std::vector<memory::Suggestion> &shown = m_suggestionsPane->suggestions();
        if (number < 1 || std::size_t(number) > shown.size())
            return;
        // Kept before an open edit ends: that edit may look up the cell again.
        const SuggestedCell cell = m_suggestedCell;
        const QString text = shown[std::size_t(number - 1)].text;
        // What is being typed is kept as a step of its own, so undo gets it back.
        CommitPendingEdit();
        const QString before = mCurrentProject->ResourceFile()->Strings().TextOf(cell.locale, cell.id);
        if (before == text)
            return;
        std::vector<TextChange> change{{cell.locale, cell.id, before.isNull() ? std::nullopt : std::optional(before), text}};
        PushStringCommand(new TextChangeCommand(*mCurrentProject, kTakeSuggestionStep, QString::number(cell.id),
                                                std::move(change)));
        UpdateUnsavedMarks();
    });
}

void docResourceEditor::Pretranslate()
{
    qm::trap("Pretranslate", [&] {
        if (!EditableProject() || Pretranslating())
            return;
        const qint32 source = SourceLanguage();
        if (source == 0) {
            win32::interaction().msgBox(lgv_string(kNoSourceLanguage), win32::vbInformation, QString::fromUtf8(kMessageTitle));
            return;
        }
        QList<QPair<qint32, QString>> targets;
        for (const LanguageColumn &language : Languages()) {
            if (language.LocaleID != source)
                targets.append({language.LocaleID, language.LanguageName});
        }
        if (targets.isEmpty()) {
            win32::interaction().msgBox(lgv_string(kNoLanguageToFill), win32::vbInformation, QString::fromUtf8(kMessageTitle));
            return;
        }
        PretranslateDialog dialog(targets, Languages().localeOf(m_sftTree->currentColumn()), this);
        if (win32::interaction().execDialog(dialog) != QDialog::Accepted)
            return;
        const qint32 target = dialog.targetLocale();
        const QString name = Languages()[Languages().indexOf(target)].LanguageName;
        std::vector<MemoryService::Missing> missing;
        const resutil::ResStrings &strings = mCurrentProject->ResourceFile()->Strings();
        for (qint32 id : Table()->ids()) {
            const QString text = strings.TextOf(source, id);
            if (!text.isEmpty() && strings.TextOf(target, id).isEmpty())
                missing.push_back({id, text});
        }
        if (missing.empty()) {
            win32::interaction().msgBox(SubstituteParameters(lgv_string(kNothingMissing), name), win32::vbInformation,
                                        QString::fromUtf8(kMessageTitle));
            return;
        }
        m_pretranslation = {mCurrentProject, target, name, dialog.minimumMatch(), qint64(missing.size())};
        auto *progress = new QProgressDialog(SubstituteParameters(lgv_string(kPretranslating), name), lgv_string(kCancel),
                                             0, int(missing.size()), this);
        progress->setObjectName(QStringLiteral("frmPretranslateProgress"));
        progress->setAccessibleName(progress->labelText());
        progress->setWindowTitle(QString::fromUtf8(kMessageTitle));
        progress->setWindowModality(Qt::WindowModal);
        progress->setAutoClose(false);
        progress->setAutoReset(false);
        progress->setMinimumDuration(400);
        connect(progress, &QProgressDialog::canceled, this, [this] { m_memory->cancelPretranslate(); });
        m_pretranslateProgress = progress;
        m_memory->pretranslate(source, target, std::move(missing), dialog.minimumMatch());
    });
}

void docResourceEditor::PretranslateDone(const std::vector<MemoryService::Filled> &filled, bool cancelled, bool available)
{
    const Pretranslation run = std::exchange(m_pretranslation, {});
    if (m_pretranslateProgress)
        m_pretranslateProgress->deleteLater();
    qm::trap("PretranslateDone", [&] {
        clsProject *project = run.project;
        if (!project || !project->HasReadableResourceFile() || !project->Table())
            return;
        const auto tell = [](const QString &text) {
            win32::interaction().msgBox(text, win32::vbInformation, QString::fromUtf8(kMessageTitle));
        };
        if (cancelled) {
            tell(lgv_string(kPretranslateCancelled));
            return;
        }
        if (!available) {
            tell(m_memoryNotice.isEmpty() ? lgv_string(kUnavailable) : m_memoryNotice);
            return;
        }
        // A cell the user filled meanwhile keeps its text.
        resutil::ResFile &file = *project->ResourceFile();
        std::vector<TextChange> changes;
        int exact = 0;
        for (const MemoryService::Filled &one : filled) {
            const QString before = file.Strings().TextOf(run.locale, one.id);
            if (!before.isEmpty())
                continue;
            changes.push_back({run.locale, one.id, before.isNull() ? std::nullopt : std::optional(before), one.text});
            exact += one.percent == 100 ? 1 : 0;
        }
        if (changes.empty()) {
            tell(SubstituteParameters(lgv_string(kNoMatches), QString::number(run.minMatch), run.name));
            return;
        }
        const qsizetype count = qsizetype(changes.size());
        std::vector<std::pair<qint32, qint32>> cells;
        for (const TextChange &change : changes)
            cells.emplace_back(change.localeId, change.id);
        auto *step = new TextChangeCommand(*project, kPretranslateStep, run.name, std::move(changes));
        project->UndoStack()->push(step);
        SyncChangedMark(*project);
        // What the memory filled in is for a translator to look at.
        bool marked = true;
        if (auto *states = reviewstate::ReviewStates::of(file)) {
            for (const auto &[locale, id] : cells)
                marked = states->markNeedsReview(locale, id).ok() && marked;
        } else {
            marked = false;
        }
        if (project == mCurrentProject)
            m_sftTree->source().cellRolesChanged();
        const QString summary = SubstituteParameters(lgv_string(kPretranslated), QString::number(count),
                                                     QString::number(run.missing), run.name, QString::number(exact),
                                                     QString::number(count - exact));
        if (m_vbe)
            m_vbe->ShowStatusText(summary);
        m_memoryStatus = summary;
        if (!marked)
            tell(lgv_string(kStatesNotMarked));
    });
    UpdateUnsavedMarks();
}

void docResourceEditor::WatchForConsistency(const win32::SftTreeSource &table)
{
    const auto later = [this] { ScheduleConsistency(); };
    connect(&table, &QAbstractItemModel::modelReset, this, later);
    connect(&table, &QAbstractItemModel::rowsInserted, this, later);
    connect(&table, &QAbstractItemModel::rowsRemoved, this, later);
    connect(&table, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole)) {
                    ScheduleConsistency();
                    ScheduleSuggestions();
                }
            });
}

void docResourceEditor::ScheduleConsistency()
{
    if (std::exchange(m_consistencyPending, true))
        return;
    QTimer::singleShot(0, this, &docResourceEditor::UpdateConsistency);
}

void docResourceEditor::UpdateConsistency()
{
    m_consistencyPending = false;
    qm::trap("UpdateConsistency", [&] {
        StringTableModel *table = mShownTable;
        const bool had = m_cellNotes.hasConsistencyProblems();
        if (!table || table->held() || SourceLanguage() == 0)
            m_cellNotes.setConsistency({}, Languages());
        else
            m_cellNotes.setConsistency(checks::checkConsistency(table->strings(), SourceLanguage()), Languages());
        if (table && (had || m_cellNotes.hasConsistencyProblems()))
            table->cellNotesChanged();
    });
}

// Spelling in the editor: misspelt words underlined in the cells and named in
// their descriptions, the dictionary's suggestions, Add to Dictionary and
// Ignore in the cell's menu, the languages without a dictionary named once in
// the status line; and the width rule's settings: Check Widths, the project's
// factor and the strings' maximum widths.
#include "editor/docResourceEditor.h"

#include "editor/CellSpelling.h"
#include "editor/EditorCommands.h"
#include "editor/clsProject.h"
#include "fit/WidthFactorSetting.h"
#include "platform/resutil/ResFile.h"
#include "platform/vbide/VBE.h"
#include "platform/win32/Interaction.h"
#include "platform/win32/SftTree.h"
#include "platform/win32core/Registry.h"
#include "reviewstate/ReviewStates.h"
#include "support/ErrorTrap.h"
#include "support/REG_MODULE.h"
#include "uistrings/LgvStringModule.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kMisspelt = 1309;        // "Misspelt: %0"
constexpr int kNoDictionary = 1310;    // "No dictionary for %0"
constexpr int kAddToDictionary = 1311; // "Add "%0" to Dictionary"
constexpr int kIgnoreWord = 1312;      // "Ignore "%0""
constexpr int kNoSuggestions = 1313;   // "(No suggestions)"
constexpr int kCorrectStep = 1315;     // "Correct Spelling in String %0"
constexpr int kNotAdded = 1316;        // "The word could not be added to your dictionary."
constexpr int kMostSuggestions = 8;
const QString kSettingsKey = QStringLiteral("Software\\Corvane\\Quillmark\\Editor");
const QString kCheckSpellingValue = QStringLiteral("CheckSpelling");
const QString kCheckWidthsValue = QStringLiteral("CheckWidths");

bool storedSetting(const QString &value, bool byDefault)
{
    bool on = byDefault;
    win32::HKEY key = 0;
    if (win32::RegOpenKeyEx(win32::HKEY_CURRENT_USER, kSettingsKey, 0, win32::KEY_QUERY_VALUE, &key) ==
        win32::ERROR_SUCCESS) {
        on = RegQueryBoolean(key, value, byDefault);
        win32::RegCloseKey(key);
    }
    return on;
}

void storeSetting(const QString &value, bool on)
{
    win32::HKEY key = 0;
    (void)win32::RegCreateKeyEx(win32::HKEY_CURRENT_USER, kSettingsKey, 0, QString(), win32::REG_OPTION_NON_VOLATILE,
                                0x3F, nullptr, &key, nullptr);
    RegStoreBoolean(key, value, on);
    win32::RegCloseKey(key);
}

void setCheckedQuietly(QAction &action, bool on)
{
    if (action.isChecked() == on)
        return;
    const QSignalBlocker quiet(&action);
    action.setChecked(on);
}

// The word to put in, with the access key's & where the misspelt word had it.
QString withAccessKey(const QString &written, const QString &replacement)
{
    const qsizetype at = written.indexOf(u'&');
    if (at < 0 || replacement.isEmpty())
        return replacement;
    QString out = replacement;
    out.insert(std::min(at, replacement.size() - 1), u'&');
    return out;
}
} // namespace

QAction *docResourceEditor::mnuCheckSpelling() const { return command(EditorCommand::CheckSpelling); }
QAction *docResourceEditor::mnuCheckWidths() const { return command(EditorCommand::CheckWidths); }
bool docResourceEditor::CheckWidths() const { return m_cellNotes.widthsAgainstSource(); }

void docResourceEditor::CreateSpelling()
{
    // Verdicts that come in change what the shown cells underline and say.
    m_spelling = std::make_unique<CellSpelling>([this] {
        if (mShownTable)
            mShownTable->cellRolesChanged();
    });
    m_checkSpelling = storedSetting(kCheckSpellingValue, true);
    setCheckedQuietly(*mnuCheckSpelling(), m_checkSpelling);
    m_cellNotes.widths().setAgainstSource(storedSetting(kCheckWidthsValue, false));
    setCheckedQuietly(*mnuCheckWidths(), CheckWidths());
    m_cellNotes.widths().setMaxWidth([this](qint32 id) {
        const StringTableModel *table = mShownTable;
        const reviewstate::ReviewStates *states = table ? table->reviewStates() : nullptr;
        return states ? states->maxWidth(id) : 0;
    });
}

void docResourceEditor::UpdateWidthRule()
{
    m_cellNotes.widths().setFactor(fit::storedWidthFactor(CurrentProjectFile()));
}

void docResourceEditor::SetCheckSpelling(bool on)
{
    qm::trap("SetCheckSpelling", [&] {
        setCheckedQuietly(*mnuCheckSpelling(), on);
        if (m_checkSpelling == on)
            return;
        m_checkSpelling = on;
        storeSetting(kCheckSpellingValue, on);
        SpellingChanged();
        TellMissingDictionaries();
    });
}

void docResourceEditor::SetCheckWidths(bool on)
{
    qm::trap("SetCheckWidths", [&] {
        setCheckedQuietly(*mnuCheckWidths(), on);
        if (CheckWidths() == on)
            return;
        m_cellNotes.widths().setAgainstSource(on);
        storeSetting(kCheckWidthsValue, on);
        if (mShownTable)
            mShownTable->cellNotesChanged();
        if (m_chkProblems->isChecked())
            ApplyRowFilter();
    });
}

QList<spelling::Word> docResourceEditor::MisspeltWords(int Row, int Column, bool WaitForVerdicts) const
{
    const StringTableModel *table = mShownTable;
    if (!m_checkSpelling || !m_spelling || !table || table->held() || Column < 1 || !table->hasItemData(Row))
        return {};
    const qint32 locale = Languages().localeOf(Column);
    if (locale <= 0)
        return {};
    const QString text = table->cellText(Row, Column);
    // The source's own words are its own; a translation may use the names it holds.
    const QString source = SourceColumn() >= 1 && Column != SourceColumn() ? table->cellText(Row, SourceColumn()) : QString();
    return m_spelling->misspelt(locale, text, source,
                                WaitForVerdicts ? CellSpelling::Wait::ForVerdicts : CellSpelling::Wait::No);
}

QVariant docResourceEditor::SpellingCellRole(int row, int column, int role) const
{
    if (role != win32::SftTreeSource::UnderlinedRangesRole && role != Qt::AccessibleDescriptionRole &&
        role != Qt::ToolTipRole)
        return {};
    const QList<spelling::Word> words = MisspeltWords(row, column);
    if (words.isEmpty())
        return {};
    if (role == win32::SftTreeSource::UnderlinedRangesRole) {
        QList<win32::TextRange> ranges;
        for (const spelling::Word &word : words)
            ranges.append({word.position, word.length});
        return QVariant::fromValue(ranges);
    }
    QStringList names;
    for (const spelling::Word &word : words)
        names.append(word.word);
    return SubstituteParameters(lgv_string(kMisspelt), names.join(QStringLiteral(", ")));
}

void docResourceEditor::PrepareSpellingMenu(int row, int column)
{
    for (QAction *item : std::as_const(m_spellingItems)) {
        m_mnuColumnMenu->removeAction(item);
        item->deleteLater();
    }
    m_spellingItems.clear();
    m_spellingTarget = {};
    // The menu waits for the cell's verdicts, which drawing it has asked for.
    const QList<spelling::Word> words = MisspeltWords(row, column, true);
    if (words.isEmpty())
        return;
    const int position = m_sftTree->textPositionAt(m_sftTree->lastClickPosition(), row, column);
    const auto under = std::find_if(words.cbegin(), words.cend(), [&](const spelling::Word &word) {
        return position >= word.position && position < word.position + word.length;
    });
    const spelling::Word &word = under != words.cend() ? *under : words.first();
    const qint32 locale = Languages().localeOf(column);
    m_spellingTarget = {m_sftTree->itemData(row), locale, word};

    const auto item = [&](const QString &text, const QString &name) {
        auto *action = new QAction(text, m_mnuColumnMenu);
        action->setObjectName(name);
        m_spellingItems.append(action);
        return action;
    };
    QStringList suggestions = m_spelling->suggestions(locale, word.word);
    if (suggestions.size() > kMostSuggestions)
        suggestions.resize(kMostSuggestions);
    for (int i = 0; i < suggestions.size(); ++i) {
        QString text = suggestions[i];
        QAction *action = item(text.replace(u'&', QStringLiteral("&&")), QStringLiteral("mnuSuggestion%1").arg(i));
        QFont bold = action->font();
        bold.setBold(true);
        action->setFont(bold);
        connect(action, &QAction::triggered, this, [this, suggestion = suggestions[i]] { ReplaceMisspelt(suggestion); });
    }
    if (suggestions.isEmpty())
        item(lgv_string(kNoSuggestions), QStringLiteral("mnuNoSuggestions"))->setEnabled(false);
    QString shown = word.word;
    shown.replace(u'&', QStringLiteral("&&"));
    connect(item(SubstituteParameters(lgv_string(kAddToDictionary), shown), QStringLiteral("mnuAddToDictionary")),
            &QAction::triggered, this, &docResourceEditor::AddMisspeltToDictionary);
    connect(item(SubstituteParameters(lgv_string(kIgnoreWord), shown), QStringLiteral("mnuIgnoreWord")),
            &QAction::triggered, this, &docResourceEditor::IgnoreMisspelt);
    item(QString(), QStringLiteral("mnuSpellingSep"))->setSeparator(true);
    const QList<QAction *> existing = m_mnuColumnMenu->actions();
    m_mnuColumnMenu->insertActions(existing.isEmpty() ? nullptr : existing.first(), m_spellingItems);
}

void docResourceEditor::ReplaceMisspelt(const QString &replacement)
{
    qm::trap("ReplaceMisspelt", [&] {
        clsProject *project = EditableProject();
        const SpellingTarget target = m_spellingTarget;
        if (!project || target.id < 0)
            return;
        CommitPendingEdit();
        const QString before = project->ResourceFile()->Strings().TextOf(target.locale, target.id);
        const QString written = before.mid(target.word.position, target.word.length);
        // The text changed since the menu opened: the word is no longer where it was.
        if (before.isNull() || spelling::words(written).size() != 1 || spelling::words(written).first().word != target.word.word)
            return;
        QString after = before;
        after.replace(target.word.position, target.word.length, withAccessKey(written, replacement));
        std::vector<TextChange> change{{target.locale, target.id, before, after}};
        PushStringCommand(new TextChangeCommand(*project, kCorrectStep, QString::number(target.id), std::move(change)));
    });
}

void docResourceEditor::AddMisspeltToDictionary()
{
    qm::trap("AddMisspeltToDictionary", [&] {
        if (m_spellingTarget.id < 0)
            return;
        qm::checkExpected(m_spelling->addToDictionary(m_spellingTarget.locale, m_spellingTarget.word.word),
                          lgv_string(kNotAdded));
        SpellingChanged();
    });
}

void docResourceEditor::IgnoreMisspelt()
{
    qm::trap("IgnoreMisspelt", [&] {
        if (m_spellingTarget.id < 0)
            return;
        m_spelling->ignore(m_spellingTarget.locale, m_spellingTarget.word.word);
        SpellingChanged();
    });
}

void docResourceEditor::SpellingChanged()
{
    m_spelling->forget();
    if (mShownTable)
        mShownTable->cellRolesChanged();
}

void docResourceEditor::TellMissingDictionaries()
{
    if (!m_checkSpelling || !m_spelling)
        return;
    QStringList names;
    for (int i = 0; i <= Languages().last(); ++i) {
        const LanguageColumn &language = Languages()[i];
        if (!CellSpelling::checksLanguage(language.LocaleID) || m_toldNoDictionary.contains(language.LocaleID) ||
            m_spelling->hasDictionary(language.LocaleID))
            continue;
        m_toldNoDictionary.append(language.LocaleID);
        names.append(language.LanguageName);
    }
    if (names.isEmpty())
        return;
    m_spellingStatus = SubstituteParameters(lgv_string(kNoDictionary), names.join(QStringLiteral(", ")));
    if (m_vbe)
        m_vbe->ShowStatusText(m_spellingStatus);
}

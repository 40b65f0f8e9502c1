// The code's uses of the strings in the editor: the project's code read on a
// worker thread, the use counts and places on the ID cells, the reference
// rules in the grid's problems and the status line, the "Unused strings"
// filter and Show Uses.
#include "editor/docResourceEditor.h"

#include "coderefs/ProjectUses.h"
#include "editor/EditorCommands.h"
#include "editor/FindBar.h"
#include "editor/UsesDialog.h"
#include "editor/clsProject.h"
#include "platform/resutil/ResFile.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/win32/Interaction.h"
#include "platform/win32/SftTree.h"
#include "platform/win32core/Registry.h"
#include "support/ErrorTrap.h"
#include "support/REG_MODULE.h"
#include "uistrings/LgvStringModule.h"

#include <QAction>
#include <QCheckBox>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kUnusedOnly = 840;        // "Unused strings"
constexpr int kUnusedOnlyTip = 841;     // "Show only the strings no code of the project uses"
constexpr int kStatusUnreadable = 855;  // "The code of %0 could not be read: %1"
constexpr int kReadingCode = 856;       // "Reading the code of %0..."
constexpr int kNotReadYet = 862;        // "The code of the project has not been read yet. Try again in a moment."
constexpr int kNoStringChosen = 863;    // "Choose a string in the grid first."
constexpr int kUseCount = 864;          // "%0 uses"
constexpr int kCodeNotShown = 865;      // "The code could not be shown."
const QString kSettingsKey = QStringLiteral("Software\\Corvane\\Quillmark\\Editor");
const QString kCheckUnusedValue = QStringLiteral("CheckUnused");

bool storedCheckUnused()
{
    bool on = false;
    win32::HKEY key = 0;
    if (win32::RegOpenKeyEx(win32::HKEY_CURRENT_USER, kSettingsKey, 0, win32::KEY_QUERY_VALUE, &key) ==
        win32::ERROR_SUCCESS) {
        on = RegQueryBoolean(key, kCheckUnusedValue, false);
        win32::RegCloseKey(key);
    }
    return on;
}

void storeCheckUnused(bool on)
{
    win32::HKEY key = 0;
    (void)win32::RegCreateKeyEx(win32::HKEY_CURRENT_USER, kSettingsKey, 0, QString(), win32::REG_OPTION_NON_VOLATILE,
                                0x3F, nullptr, &key, nullptr);
    RegStoreBoolean(key, kCheckUnusedValue, on);
    win32::RegCloseKey(key);
}

// The count drawn beside the ID: a small grey figure, amber for none.
QPixmap useCountBadge(int count, const QFont &font, const QPalette &palette)
{
    QFont small = font;
    small.setPointSizeF(std::max(6.0, font.pointSizeF() * 0.8));
    const QString text = QString::number(count);
    const QFontMetrics metrics(small);
    const QSize size(metrics.horizontalAdvance(text) + 8, metrics.height());
    QPixmap badge(size);
    badge.fill(Qt::transparent);
    QPainter painter(&badge);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = count == 0 ? QColor(200, 120, 0) : palette.color(QPalette::Mid);
    painter.setPen(colour);
    painter.drawRoundedRect(QRectF(badge.rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    painter.setFont(small);
    painter.setPen(count == 0 ? colour : palette.color(QPalette::Text));
    painter.drawText(badge.rect(), Qt::AlignCenter, text);
    return badge;
}
} // namespace

QAction *docResourceEditor::mnuShowUses() const { return command(EditorCommand::ShowUses); }
QAction *docResourceEditor::mnuCheckUnused() const { return command(EditorCommand::CheckUnused); }

void docResourceEditor::CreateUses()
{
    m_projectUses = std::make_unique<coderefs::ProjectUses>();
    connect(m_projectUses.get(), &coderefs::ProjectUses::referencesRead, this, &docResourceEditor::ProjectCodeRead);

    m_chkUnused = m_findBar->addFilterToggle(QStringLiteral("chkUnused"), lgv_string(kUnusedOnly));
    m_find.setUnusedRule([this](const win32::SftTreeSource &grid, int row) {
        return m_uses.known() && grid.hasItemData(row) && m_uses.useCount(grid.itemData(row)) == 0;
    });
    m_uses.setCheckUnused(storedCheckUnused());
    {
        const QSignalBlocker quiet(mnuCheckUnused());
        mnuCheckUnused()->setChecked(m_uses.checkUnused());
    }
    UpdateUsesTexts();
}

void docResourceEditor::UpdateUsesTexts()
{
    if (!m_chkUnused)
        return;
    m_chkUnused->setText(lgv_string(kUnusedOnly));
    m_chkUnused->setToolTip(lgv_string(kUnusedOnlyTip));
    m_chkUnused->setAccessibleDescription(lgv_string(kUnusedOnlyTip));
    m_usesStatus.clear();
    CheckUses();
}

void docResourceEditor::WatchProjectCode()
{
    if (!m_projectUses)
        return;
    vbide::VBProject *project = mCurrentProject ? mCurrentProject->Project() : nullptr;
    const QString path = project ? project->FileName() : QString();
    if (path == m_projectUses->projectPath())
        return;
    m_uses.setReferences(nullptr);
    m_projectUses->watch(path);
    m_usesStatus.clear();
    if (project && m_vbe) {
        m_usesStatus = SubstituteParameters(lgv_string(kReadingCode), project->Name());
        m_vbe->ShowStatusText(m_usesStatus);
    }
    CheckUses();
}

void docResourceEditor::ProjectCodeRead()
{
    qm::trap("ProjectCodeRead", [&] {
        m_uses.setReferences(std::make_shared<const coderefs::CodeReferences>(m_projectUses->references()));
        m_usesStatus.clear();
        CheckUses();
        if (m_chkUnused->isChecked())
            ApplyRowFilter();
    });
}

void docResourceEditor::SetCheckUnused(bool on)
{
    qm::trap("SetCheckUnused", [&] {
        if (mnuCheckUnused()->isChecked() != on) {
            const QSignalBlocker quiet(mnuCheckUnused());
            mnuCheckUnused()->setChecked(on);
        }
        if (m_uses.checkUnused() == on)
            return;
        m_uses.setCheckUnused(on);
        storeCheckUnused(on);
        CheckUses();
        if (m_chkProblems->isChecked())
            ApplyRowFilter();
    });
}

void docResourceEditor::CheckUses()
{
    StringTableModel *table = mShownTable;
    clsProject *project = mCurrentProject;
    // A transfer works on the strings: they are checked once it has ended.
    if (table && table->held())
        return;
    if (table && project && project->ResourceFile())
        m_uses.check(*project->ResourceFile(), SourceLanguage(),
                     SourceColumn() >= 0 ? Languages()[Languages().indexOfColumn(SourceColumn())].LanguageName : QString());
    else
        m_uses.clearProblems();

    if (m_missingIdTable != table) {
        if (m_missingIdTable)
            DropMissingIdRows(*m_missingIdTable, {});
        m_missingIdRows.clear();
        m_missingIdTable = table;
    }
    if (table) {
        // An ID the code asks for and no language has gets an empty row, noted as missing, to be filled in.
        const std::vector<qint32> missing = m_uses.missingIds();
        DropMissingIdRows(*table, missing);
        for (qint32 id : missing) {
            if (table->insertRow(id))
                m_missingIdRows.push_back(id);
        }
        table->cellNotesChanged();
        table->cellRolesChanged();
    }

    if (!project || !project->Project() || !m_vbe || !m_projectUses)
        return;
    QString status;
    if (!m_uses.known())
        return;
    if (!m_projectUses->failure().isEmpty())
        status = SubstituteParameters(lgv_string(kStatusUnreadable), project->Project()->Name(), m_projectUses->failure());
    else
        status = m_uses.statusText(project->Project()->Name());
    if (status != m_usesStatus) {
        m_usesStatus = status;
        m_vbe->ShowStatusText(status);
    }
}

void docResourceEditor::DropMissingIdRows(StringTableModel &table, const std::vector<qint32> &missing)
{
    std::vector<qint32> kept;
    for (qint32 id : m_missingIdRows) {
        if (table.findItemData(id) < 0)
            continue;
        // A row with a text the user wrote is a string of the file, and stays while it has one.
        if (std::binary_search(missing.begin(), missing.end(), id) || table.rowHasTexts(id))
            kept.push_back(id);
        else
            table.removeRow(id);
    }
    m_missingIdRows = std::move(kept);
}

QString docResourceEditor::IdCellProblems(int Row) const
{
    const win32::SftTreeSource &grid = m_sftTree->source();
    if (!grid.hasItemData(Row))
        return {};
    return m_uses.problemsText(grid.itemData(Row));
}

QVariant docResourceEditor::IdCellRole(int row, int role) const
{
    const win32::SftTreeSource &grid = m_sftTree->source();
    if (!grid.hasItemData(row))
        return {};
    const qint32 id = grid.itemData(row);
    // What the translators are told of the string comes first, then its uses.
    const auto withNotes = [&](const QString &uses) -> QVariant {
        const QString notes = StringNotesText(id);
        const QString text = notes.isEmpty() ? uses : uses.isEmpty() ? notes : notes + QLatin1Char('\n') + uses;
        return text.isEmpty() ? QVariant() : QVariant(text);
    };
    switch (role) {
    case Qt::DecorationRole:
        if (!m_uses.known())
            return {};
        return useCountBadge(m_uses.useCount(id), m_sftTree->font(), m_sftTree->palette());
    case Qt::ToolTipRole:
        return withNotes(m_uses.known() ? m_uses.usesText(id) : QString());
    case Qt::AccessibleDescriptionRole:
        if (!m_uses.known())
            return withNotes({});
        return withNotes(SubstituteParameters(lgv_string(kUseCount), QString::number(m_uses.useCount(id))) +
                         QStringLiteral(". ") + m_uses.usesText(id));
    default:
        return {};
    }
}

void docResourceEditor::ShowUses()
{
    qm::trap("ShowUses", [&] {
        const QString title = QString::fromUtf8(kMessageTitle);
        const int row = m_sftTree->currentRow();
        if (row < 0 || !m_sftTree->source().hasItemData(row)) {
            win32::interaction().msgBox(lgv_string(kNoStringChosen), win32::vbInformation, title);
            return;
        }
        if (!m_uses.known()) {
            win32::interaction().msgBox(lgv_string(kNotReadYet), win32::vbInformation, title);
            return;
        }
        const qint32 id = m_sftTree->source().itemData(row);
        // The dialog keeps its own copy: a reading that ends meanwhile does not pull the uses away.
        const std::shared_ptr<const coderefs::CodeReferences> references =
            std::make_shared<const coderefs::CodeReferences>(m_uses.references());
        UsesDialog dialog(id, *references, this);
        win32::interaction().execDialog(dialog);
        if (dialog.chosen() < 0 || !m_vbe)
            return;
        const coderefs::ResourceUse &use = references->uses[dialog.chosen()];
        const coderefs::CodeMember &member = references->members[use.member];
        qm::checkExpected(m_vbe->ShowCode(member.path, use.line), lgv_string(kCodeNotShown));
    });
}

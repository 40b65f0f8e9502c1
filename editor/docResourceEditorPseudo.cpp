// Add Pseudo-Language: a Windows pseudo-locale's column filled with the source
// language's texts made long, accented and bracketed, so that a tester sees
// what the program cuts off; again, it replaces them.
#include "editor/docResourceEditor.h"

#include "editor/PseudoLanguageCommand.h"
#include "editor/PseudoLanguageDialog.h"
#include "editor/clsProject.h"
#include "platform/resutil/ResFile.h"
#include "platform/win32/Interaction.h"
#include "platform/win32/SftTree.h"
#include "pseudo/PseudoLocale.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

using LgvStringModule::lgv_string;

namespace {
constexpr int kPseudoStep = 1322;    // "Add Pseudo-Language %0"
constexpr int kNoSourceTexts = 1323; // "The source language has no texts to make pseudo texts from."
} // namespace

void docResourceEditor::AddPseudoLanguage()
{
    qm::trap("AddPseudoLanguage", [&] {
        if (!EditableProject())
            return;
        PseudoLanguageDialog dialog(this);
        if (win32::interaction().execDialog(dialog) != QDialog::Accepted || !pseudo::isPseudoLocale(dialog.pseudoLocale()))
            return;
        FillPseudoLanguage(dialog.pseudoLocale());
    });
}

void docResourceEditor::FillPseudoLanguage(qint32 pseudoLocale)
{
    qm::trap("FillPseudoLanguage", [&] {
        clsProject *project = EditableProject();
        StringTableModel *table = Table();
        if (!project || !table || !pseudo::isPseudoLocale(pseudoLocale))
            return;
        CommitPendingEdit();
        const qint32 source = SourceLanguage();
        const resutil::ResStrings &strings = project->ResourceFile()->Strings();
        std::vector<PseudoLanguageCommand::Change> changes;
        bool anySource = false;
        for (qint32 id : table->ids()) {
            const QString text = source > 0 && !pseudo::isPseudoLocale(source) ? strings.TextOf(source, id) : QString();
            const QString had = strings.TextOf(pseudoLocale, id);
            std::optional<QString> before = had.isNull() ? std::nullopt : std::optional(had);
            std::optional<QString> after;
            if (!text.isEmpty()) {
                anySource = true;
                after = pseudo::pseudoText(text, pseudoLocale);
            }
            if (before != after)
                changes.push_back({id, std::move(before), std::move(after)});
        }
        if (!anySource) {
            win32::interaction().msgBox(lgv_string(kNoSourceTexts), win32::vbExclamation, QString::fromUtf8(kMessageTitle));
            return;
        }
        if (changes.empty() && Languages().contains(pseudoLocale))
            return;
        PushStringCommand(new PseudoLanguageCommand(*project, kPseudoStep, pseudoLocale, LanguageTable::nameOf(pseudoLocale),
                                                    std::move(changes)));
        const int column = Languages().columnOf(pseudoLocale);
        m_sftTree->scrollToColumn(column);
        if (m_sftTree->shownItemCount() > 0)
            m_sftTree->setCurrentCell(m_sftTree->itemAtPosition(0), column);
    });
}

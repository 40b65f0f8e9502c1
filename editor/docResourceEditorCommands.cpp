// Dispatch from the toolbar and the column menu to the editing commands.
#include "editor/docResourceEditor.h"

#include "support/ErrorTrap.h"
#include "support/HelpModule.h"
#include "support/frmAbout.h"
#include "support/frmProperties.h"
#include "support/LanguageSelect.h"

#include <QAction>

void docResourceEditor::toolbar_ButtonClick(QAction *Button)
{
    qm::trap("toolbar_ButtonClick", [&] {
        if (!Button)
            return;
        const QString key = Button->data().toString();
        // From the host's menu with the window closed: the user sees what the
        // command does to the grid. The dialogs of their own need no grid.
        static const QStringList ownDialogs{QStringLiteral("properties"), QStringLiteral("info"),
                                            QStringLiteral("help"), QStringLiteral("switch")};
        if (!key.isEmpty() && !ownDialogs.contains(key))
            ShowOwnWindow();
        // A text still being typed belongs to the file the command works on.
        if (!key.isEmpty())
            CommitPendingEdit();
        if (key == QLatin1String("refresh"))
            Refresh();
        else if (key == QLatin1String("new"))
            NewResFile();
        else if (key == QLatin1String("save"))
            SaveResFile();
        else if (key == QLatin1String("insertstring"))
            NewResString();
        else if (key == QLatin1String("addlanguage"))
            AddLanguage();
        else if (key == QLatin1String("deletestring"))
            DelResString();
        else if (key == QLatin1String("removelanguage"))
            RemoveLanguage();
        else if (key == QLatin1String("excel"))
            ExcelImportExport();
        else if (key == QLatin1String("properties"))
            ShowPropertiesDialog(this);
        else if (key == QLatin1String("info"))
            ShowAboutDialog(this);
        else if (key == QLatin1String("help"))
            HelpModule::HtmlHelp(this, HelpModule::HH_DISPLAY_TOPIC);
        else if (key == QLatin1String("switch"))
            LanguageSelect::ShowDialog(false);
    });
    UpdateUnsavedMarks();
}

void docResourceEditor::mnuRemoveResourceString_Click() { DelResString(); }

void docResourceEditor::mnuAddLanguage_Click() { AddLanguage(); }

void docResourceEditor::mnuAddResourceString_Click() { NewResString(); }

// Dispatch from the toolbar and the column menu to the editing commands.
// The commands themselves are added with the editing commands; until then a
// click reaches these handlers and does nothing.
#include "editor/docResourceEditor.h"

#include <QAction>

void docResourceEditor::toolbar_ButtonClick(QAction *) {}

void docResourceEditor::mnuRemoveLanguage_Click() {}

void docResourceEditor::mnuChangeFont_Click() {}

void docResourceEditor::mnuRemoveResourceString_Click() {}

void docResourceEditor::mnuAddLanguage_Click() {}

void docResourceEditor::mnuAddResourceString_Click() {}

#pragma once

#include "editor/StringCommands.h"

#include <optional>
#include <vector>

// A pseudo-locale's column filled with the pseudo texts of the source, as one
// step: the column when it had none, and every text it gets, loses or changes.
class PseudoLanguageCommand : public StringCommand {
public:
    struct Change {
        qint32 id = 0;
        std::optional<QString> before;  // none: no text
        std::optional<QString> after;
    };
    PseudoLanguageCommand(clsProject &project, int nameId, qint32 localeId, QString name, std::vector<Change> changes);
    bool ChangesFile() const override { return !m_changes.empty(); }
    void redo() override;
    void undo() override;

private:
    qint32 m_localeId;
    QString m_name;
    std::vector<Change> m_changes;
    bool m_addedColumn = false;
};

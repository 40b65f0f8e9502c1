#pragma once

#include "editor/StringSnapshot.h"

#include <QList>
#include <QString>
#include <QUndoCommand>

#include <optional>
#include <vector>

class StringTableModel;
class clsProject;

// One undoable step on a project's strings, done and undone on the
// project's table. Its name is a UI string with one parameter, so it follows
// the UI language.
class StringCommand : public QUndoCommand {
public:
    StringCommand(clsProject &project, int nameId, QString nameArgument);
    // Whether the step changes the resource file (an empty new row or
    // language column does not).
    virtual bool ChangesFile() const { return true; }
    void Retranslate();

protected:
    StringTableModel &table() const;
    clsProject &m_project;

private:
    int m_nameId;
    QString m_nameArgument;
};

// New texts for cells: a cell edit or a paste.
struct TextChange {
    qint32 localeId = 0;
    qint32 id = 0;
    std::optional<QString> before;  // none: the cell had no entry
    QString after;
};

class TextChangeCommand : public StringCommand {
public:
    // `newRows`: string IDs the step gives a row that had none; undone, they go.
    TextChangeCommand(clsProject &project, int nameId, QString nameArgument,
                      std::vector<TextChange> changes, QList<qint32> newRows = {});
    void redo() override;
    void undo() override;

private:
    std::vector<std::pair<qint32, qint32>> cells() const;
    std::vector<TextChange> m_changes;
    QList<qint32> m_newRows;
};

// Removes every entry of one string ID, or of one language.
class RemoveEntriesCommand : public StringCommand {
public:
    enum Key { ByStringId, ByLocale };
    RemoveEntriesCommand(clsProject &project, int nameId, QString nameArgument, Key key,
                         qint32 value);
    // Removing a language that has no texts yet leaves the file as it was.
    bool ChangesFile() const override { return m_changesFile; }
    void redo() override;
    void undo() override;

private:
    bool m_changesFile = true;
    Key m_key;
    qint32 m_value;
    std::vector<std::pair<std::size_t, StringRecord>> m_removed;  // with their positions
    int m_languageIndex = -1;  // where the language's column was
    QString m_languageName;
};

// A step that replaced the collection as a whole (an import). It keeps the
// other state only, and swaps it in on each undo and redo.
class ReplaceStringsCommand : public StringCommand {
public:
    // Made after the replacement: `before` is what the collection held. The
    // wizard writes the import into the file itself, and putting the old
    // state back only for the first redo to undo that again would cost the
    // table's size twice, so the first redo only shows what the file holds.
    ReplaceStringsCommand(clsProject &project, int nameId, QString nameArgument,
                          StringSnapshot before);
    void redo() override;
    void undo() override;
    std::size_t KeptRecords() const { return m_other.size(); }

private:
    void swap();
    StringSnapshot m_other;
    bool m_done = true;
};

// A row for a new string ID, which holds no text yet.
class NewRowCommand : public StringCommand {
public:
    NewRowCommand(clsProject &project, int nameId, qint32 id);
    bool ChangesFile() const override { return false; }
    void redo() override;
    void undo() override;

private:
    qint32 m_id;
};

// A column for a new language, which holds no text yet.
class NewLanguageCommand : public StringCommand {
public:
    NewLanguageCommand(clsProject &project, int nameId, qint32 localeId, QString name);
    bool ChangesFile() const override { return false; }
    void redo() override;
    void undo() override;

private:
    qint32 m_localeId;
    QString m_name;
};

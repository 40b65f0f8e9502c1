#pragma once

// The Add-In Manager: lists the registered add-ins with their display name
// and description, and lets the user choose which are loaded and which load
// on start-up. The dialog only collects the choices; the caller applies them.

#include <QDialog>
#include <QList>
#include <QString>

#include <cstdint>

class QCheckBox;
class QPlainTextEdit;
class QTreeWidget;

namespace vbide {

class Addins;

class AddInManagerDialog : public QDialog {
    Q_OBJECT
public:
    struct Choice {
        QString progId;
        bool loaded = false;
        std::uint32_t loadBehavior = 0;
    };

    explicit AddInManagerDialog(Addins *addins, QWidget *parent = nullptr);

    // One row per add-in, in list order, with what the user chose.
    const QList<Choice> &choices() const { return m_choices; }

    QTreeWidget *list() const { return m_list; }
    QCheckBox *loadedBox() const { return m_loaded; }
    QCheckBox *startupBox() const { return m_startup; }
    QCheckBox *commandLineBox() const { return m_commandLine; }

    // The text of the "Load Behavior" column.
    static QString behaviorText(bool loaded, std::uint32_t loadBehavior);

private:
    void showCurrent();
    void takeChecks();
    void refreshRow(int row);

    QList<Choice> m_choices;
    QStringList m_descriptions;
    QTreeWidget *m_list;
    QPlainTextEdit *m_description;
    QCheckBox *m_loaded;
    QCheckBox *m_startup;
    QCheckBox *m_commandLine;
    bool m_updating = false;
};

} // namespace vbide

#pragma once

// The cells that both the user and another program changed, to different
// texts, before a merge with the file on disk: one row each with its ID,
// language, the text before, mine and theirs, and which it keeps. The user
// keeps mine or theirs for the chosen rows or for all; OK brings the choices
// into the merge, Cancel leaves it as it was.

#include "merge/ThreeWayMerge.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

class MergeConflictsDialog : public QDialog {
    Q_OBJECT
public:
    enum Column { IdColumn, LanguageColumn, BaseColumn, MineColumn, TheirsColumn, KeepsColumn, ColumnCount };

    MergeConflictsDialog(const QString &fileName, merge::MergeResult &result, QWidget *parent = nullptr);

    QTableWidget *table() const { return m_table; }
    QPushButton *keepMineButton() const { return m_keepMine; }
    QPushButton *keepTheirsButton() const { return m_keepTheirs; }
    QPushButton *allMineButton() const { return m_allMine; }
    QPushButton *allTheirsButton() const { return m_allTheirs; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    // The choice shown on a row.
    merge::Side chosen(int row) const { return m_choices[std::size_t(row)]; }

    void accept() override;

private:
    void addRow(const QString &id, const QString &language, const QString &base, const QString &mine,
                const QString &theirs);
    void keep(merge::Side side, bool all);
    void showChoice(int row);

    merge::MergeResult &m_result;
    std::vector<merge::Side> m_choices;  // per row: cell conflicts first, then resource conflicts
    QTableWidget *m_table = nullptr;
    QPushButton *m_keepMine = nullptr;
    QPushButton *m_keepTheirs = nullptr;
    QPushButton *m_allMine = nullptr;
    QPushButton *m_allTheirs = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

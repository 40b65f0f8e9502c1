#pragma once

#include "editor/LanguageTable.h"
#include "editor/StringSnapshot.h"
#include "platform/win32/SftTreeSource.h"

#include <QString>

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace resutil {
class ResStrings;
}
namespace reviewstate {
class ReviewStates;
enum class State : quint8;
}

// The string grid's table over one project's resource file: a row per string
// ID in ascending order, column 0 the ID and a column per language of the
// language table. The file's strings stay the only copy of the texts; rows
// and languages without texts yet are the table's own. Every change goes
// through the functions below, which change the strings and tell the views.
// A change of the languages resets the table, between languagesAboutToChange()
// and languagesChanged().
class StringTableModel : public win32::SftTreeSource {
    Q_OBJECT
public:
    // A language cell's review state (reviewstate::State as an int); none
    // without review states, while held, and for the ID column.
    static constexpr int ReviewStateRole = Qt::UserRole + 2;
    // Records removed from the strings, each with its position among them then.
    using Removed = std::vector<std::pair<std::size_t, StringRecord>>;
    struct RemovedLanguage {
        qint32 localeId = 0;
        QString name;
        int index = -1;  // in the language table
        Removed records;
    };

    // The rows and languages of the strings; the language table keeps `languageRoom` places.
    StringTableModel(resutil::ResStrings &strings, int languageRoom, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasItemData(int row) const override;
    qint32 itemData(int row) const override;
    int findItemData(qint32 id) const override;
    QString cellText(int row, int column) const override;
    QStringView cellTextView(int row, int column, QString &scratch) const override;
    QString cellFont(int row, int column) const override;
    QString columnCaption(int column) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // The review states kept beside the file; they go no earlier than the table.
    void setReviewStates(reviewstate::ReviewStates *states) { m_states = states; }
    reviewstate::ReviewStates *reviewStates() const { return m_held ? nullptr : m_states; }
    std::optional<reviewstate::State> reviewState(int row, int column) const;
    // A string's states, comment or maximum length changed: its row is drawn again.
    void reviewStatesChanged(qint32 id);

    const LanguageTable &languages() const { return m_languages; }
    const resutil::ResStrings &strings() const { return m_strings; }
    const std::vector<qint32> &ids() const { return m_ids; }
    void setIdCaption(const QString &caption);

    // The cell's text; none removes its entry. The ID gets a row and the
    // language a column when they have none.
    void setText(qint32 localeId, qint32 id, const std::optional<QString> &text);
    // An empty row for the ID; false when it has one.
    bool insertRow(qint32 id);
    bool rowHasTexts(qint32 id) const;
    // The row goes with every text in it.
    Removed removeRow(qint32 id);
    void restoreRow(qint32 id, const Removed &records);

    // A column at `index` of the language table (the end when out of range).
    void insertLanguage(qint32 localeId, const QString &name, int index = -1);
    // The column goes with every text in it; the rows stay.
    RemovedLanguage removeLanguage(qint32 localeId);
    void restoreLanguage(const RemovedLanguage &removed);
    void setLanguageFont(qint32 localeId, const QString &fontName);

    // The strings hold these records from now on; rows and languages are theirs alone.
    void replaceStrings(const StringSnapshot &records);
    // The same after the strings were replaced behind the table's back.
    void stringsReplaced();
    // Rows for the IDs of entries added behind the table's back. Returns the
    // locale of each entry whose language has no column, in the strings' order.
    std::vector<qint32> addRowsOfNewEntries();

    // While held, someone else (a transfer on another thread) works on the
    // strings: the table reads none of them, and shows the language cells empty.
    void setHeld(bool held);
    bool held() const { return m_held; }

signals:
    void languagesAboutToChange();
    void languagesChanged();

private:
    int insertionRow(qint32 id) const;
    int addRow(qint32 id);
    void readRowsAndLanguages();
    template <typename Change>
    void changeLanguages(Change &&change);
    Removed removeEntries(bool byLocale, qint32 value);

    resutil::ResStrings &m_strings;
    LanguageTable m_languages;
    std::vector<qint32> m_ids;  // ascending; a row's ID is found by binary search
    QString m_idCaption;
    bool m_held = false;
    reviewstate::ReviewStates *m_states = nullptr;
};

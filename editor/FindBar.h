#pragma once

#include "editor/TextMatcher.h"

#include <QList>
#include <QPair>
#include <QWidget>

class QCheckBox;
class QComboBox;
class FlowLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QTimer;
class QToolButton;

// The bar above the grid that says which rows to show: a text to find in
// the IDs and texts, with its options and the language to look in, and
// toggles for rows of one kind (missing translations, and more). It only
// collects the choice; the editor applies it.
class FindBar : public QWidget {
    Q_OBJECT
public:
    // How long typing must pause before the rows are filtered again.
    static constexpr int kTypingPauseMs = 150;

    explicit FindBar(QWidget *parent = nullptr);

    QLineEdit *findText() const { return m_text; }
    QCheckBox *matchCase() const { return m_matchCase; }
    QCheckBox *wholeWord() const { return m_wholeWord; }
    QCheckBox *regularExpression() const { return m_regularExpression; }
    QComboBox *scope() const { return m_scope; }
    QCheckBox *filterRows() const { return m_filterRows; }
    QCheckBox *missingTranslations() const { return m_missing; }
    QLabel *status() const { return m_status; }
    QToolButton *closeButton() const { return m_close; }

    FindOptions options() const;
    TextMatcher matcher() const;
    // The locale searched in, or -1 for all languages and the IDs.
    qint32 scopeLocale() const;
    // The languages to offer as scopes (locale, name); a chosen one still there stays chosen.
    void setLanguages(const QList<QPair<qint32, QString>> &languages);

    // A further toggle beside "Missing translations"; a change of it is a change of the criteria.
    QCheckBox *addFilterToggle(const QString &objectName, const QString &text);

    void setStatus(const QString &text, bool problem);
    // Shows the bar and puts the focus in the text, selected.
    void open();
    // The texts in the current UI language.
    void updateTexts();
    // Applies a pending change of the text now, instead of after the typing pause.
    void settle();

    // How many rows the controls take: more than one where the editor is narrow.
    int rowCount() const;
    // Arranges the bar for a width and gives the height it then needs.
    int arrangeForWidth(int width);

signals:
    void criteriaChanged();
    void findNextRequested(bool backwards);
    void closeRequested();
    // The controls need another height than the bar has: more rows or fewer.
    void rowsRearranged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    QCheckBox *newToggle(const QString &objectName);

    FlowLayout *m_flow;
    QHBoxLayout *m_rowsGroup;  // the toggles for kinds of rows
    QLabel *m_textLabel;
    QLineEdit *m_text;
    QCheckBox *m_matchCase;
    QCheckBox *m_wholeWord;
    QCheckBox *m_regularExpression;
    QLabel *m_scopeLabel;
    QComboBox *m_scope;
    QCheckBox *m_filterRows;
    QCheckBox *m_missing;
    QLabel *m_status;
    QToolButton *m_close;
    QTimer *m_typing;
};

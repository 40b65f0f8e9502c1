#pragma once

// The translation memory's suggestions for the grid's current cell: up to
// nine matches, best first, each with its percentage, where it came from and
// how its stored source differs from the cell's source text; below them the
// row's texts in the other languages. Enter or a double click takes one (the
// editor's Ctrl+1 to Ctrl+9 do too).

#include "memory/TranslationMemory.h"

#include <QString>
#include <QWidget>

#include <vector>

class QLabel;
class QListWidget;

class SuggestionsPane : public QWidget {
    Q_OBJECT
public:
    struct Reference {
        QString language;
        QString text;
    };

    explicit SuggestionsPane(QWidget *parent = nullptr);

    // No translation cell is current.
    void showNothing();
    // The cell's source text and the row's other languages, while the memory is asked.
    void showLookingUp(const QString &source, const std::vector<Reference> &reference);
    void showSuggestions(const std::vector<memory::Suggestion> &suggestions, bool available);
    const std::vector<memory::Suggestion> &suggestions() const { return m_suggestions; }
    const QString &source() const { return m_source; }
    void updateTexts();
    // A column beside the grid, not half of the window.
    QSize sizeHint() const override { return QSize(300, 400); }
    QSize minimumSizeHint() const override { return QSize(220, 160); }

    QListWidget *list() const { return m_list; }
    QLabel *status() const { return m_status; }
    QListWidget *reference() const { return m_reference; }
    // The reference's lines, "Language: text" each.
    QString referenceText() const;

signals:
    // index counts from 0.
    void takeRequested(int index);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    enum class Shown { Nothing, LookingUp, Suggestions, Unavailable };
    void fill();
    // Each suggestion as high as its wrapped text at the list's width.
    void fitItems();

    Shown m_shown = Shown::Nothing;
    QString m_source;
    std::vector<Reference> m_references;
    std::vector<memory::Suggestion> m_suggestions;
    QLabel *m_heading = nullptr;
    QListWidget *m_list = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_referenceTitle = nullptr;
    QListWidget *m_reference = nullptr;
};

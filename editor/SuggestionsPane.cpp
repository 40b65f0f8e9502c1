#include "editor/SuggestionsPane.h"

#include "editor/WordDiff.h"
#include "uistrings/LgvStringModule.h"

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kPaneName = 1203;         // "Suggestions"
constexpr int kPaneDescription = 1204;  // "Translation memory suggestions for the current cell"
constexpr int kNoCell = 1205;
constexpr int kLookingUp = 1206;
constexpr int kNoSuggestions = 1207;
constexpr int kUnavailable = 1208;
constexpr int kItemText = 1209;         // "Suggestion %0, %1%: %2"
constexpr int kFromString = 1210;       // "From %0, string %1"
constexpr int kFrom = 1211;             // "From %0"
constexpr int kStoredSource = 1212;     // "Stored source: %0"
constexpr int kRemoved = 1213;          // "Not in this text: %0"
constexpr int kAdded = 1214;            // "Only in this text: %0"
constexpr int kOtherLanguages = 1215;   // "In the other languages"
constexpr int kHeading = 1231;          // "Suggestions for: %0"
constexpr int kUnknownFile = 1235;      // "an unknown file"

QString origin(const memory::Suggestion &suggestion, bool fullPath)
{
    QString file = suggestion.file.isEmpty() ? lgv_string(kUnknownFile)
                                             : (fullPath ? suggestion.file : QFileInfo(suggestion.file).fileName());
    return suggestion.stringId >= 0 ? SubstituteParameters(lgv_string(kFromString), file, QString::number(suggestion.stringId))
                                    : SubstituteParameters(lgv_string(kFrom), file);
}

QString joined(const std::vector<DiffPart> &parts, DiffPart::Kind kind)
{
    QStringList texts;
    for (const DiffPart &part : parts) {
        if (part.kind == kind && !part.text.trimmed().isEmpty())
            texts << QLatin1Char('"') + part.text.trimmed() + QLatin1Char('"');
    }
    return texts.join(QStringLiteral(", "));
}
} // namespace

SuggestionsPane::SuggestionsPane(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SuggestionsPane"));
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("lblSuggestionsFor"));
    m_heading->setWordWrap(true);
    m_heading->setTextFormat(Qt::PlainText);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstSuggestions"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setWordWrap(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblSuggestionsStatus"));
    m_status->setWordWrap(true);
    m_referenceTitle = new QLabel(this);
    m_referenceTitle->setObjectName(QStringLiteral("lblOtherLanguages"));
    m_reference = new QListWidget(this);
    m_reference->setObjectName(QStringLiteral("lstReference"));
    m_reference->setWordWrap(true);
    m_reference->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_reference->setSelectionMode(QAbstractItemView::NoSelection);
    m_referenceTitle->setBuddy(m_reference);

    // Twenty languages of reference scroll; the suggestions keep most of the height.
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_list, 3);
    layout->addWidget(m_status);
    layout->addWidget(m_referenceTitle);
    layout->addWidget(m_reference, 1);

    connect(m_list, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { emit takeRequested(m_list->row(item)); });
    updateTexts();
}

void SuggestionsPane::showNothing()
{
    m_shown = Shown::Nothing;
    m_source.clear();
    m_references.clear();
    m_suggestions.clear();
    fill();
}

void SuggestionsPane::showLookingUp(const QString &source, const std::vector<Reference> &reference)
{
    m_shown = Shown::LookingUp;
    m_source = source;
    m_references = reference;
    m_suggestions.clear();
    fill();
}

void SuggestionsPane::showSuggestions(const std::vector<memory::Suggestion> &suggestions, bool available)
{
    if (m_shown == Shown::Nothing)
        return;
    m_shown = available ? Shown::Suggestions : Shown::Unavailable;
    m_suggestions = suggestions;
    fill();
}

void SuggestionsPane::updateTexts()
{
    setAccessibleName(lgv_string(kPaneName));
    setAccessibleDescription(lgv_string(kPaneDescription));
    m_list->setAccessibleName(lgv_string(kPaneName));
    m_list->setAccessibleDescription(lgv_string(kPaneDescription));
    m_referenceTitle->setText(lgv_string(kOtherLanguages));
    m_referenceTitle->setAccessibleName(lgv_string(kOtherLanguages));
    m_reference->setAccessibleName(QString(lgv_string(kOtherLanguages)).remove(QLatin1Char(':')));
    fill();
}

void SuggestionsPane::fill()
{
    m_list->clear();
    m_heading->setText(m_shown == Shown::Nothing ? QString() : SubstituteParameters(lgv_string(kHeading), m_source));
    m_heading->setAccessibleName(m_heading->text());
    m_heading->setVisible(m_shown != Shown::Nothing);
    m_list->setVisible(m_shown != Shown::Nothing);

    int number = 0;
    for (const memory::Suggestion &suggestion : m_suggestions) {
        ++number;
        const QString percent = QString::number(suggestion.percent);
        QString html = QStringLiteral("<b>%1</b>&nbsp;&nbsp;%2%&nbsp;&nbsp;%3<br><small>%4</small>")
                           .arg(number)
                           .arg(percent, suggestion.text.toHtmlEscaped(), origin(suggestion, false).toHtmlEscaped());
        QString description = origin(suggestion, true) + QLatin1Char('.');
        if (suggestion.storedSource != m_source) {
            const std::vector<DiffPart> parts = wordDiff(suggestion.storedSource, m_source);
            html += QStringLiteral("<br><small>") + diffHtml(parts) + QStringLiteral("</small>");
            description += QLatin1Char(' ') + SubstituteParameters(lgv_string(kStoredSource), suggestion.storedSource);
            if (const QString removed = joined(parts, DiffPart::Removed); !removed.isEmpty())
                description += QStringLiteral("; ") + SubstituteParameters(lgv_string(kRemoved), removed);
            if (const QString added = joined(parts, DiffPart::Added); !added.isEmpty())
                description += QStringLiteral("; ") + SubstituteParameters(lgv_string(kAdded), added);
        }
        auto *item = new QListWidgetItem(m_list);
        const QString text = SubstituteParameters(lgv_string(kItemText), QString::number(number), percent, suggestion.text);
        item->setData(Qt::AccessibleTextRole, text);
        item->setData(Qt::AccessibleDescriptionRole, description);
        item->setToolTip(description);
        auto *label = new QLabel(html);
        label->setObjectName(QStringLiteral("lblSuggestion%1").arg(number));
        label->setTextFormat(Qt::RichText);
        label->setWordWrap(true);
        label->setAccessibleName(text);
        label->setAccessibleDescription(description);
        label->setContentsMargins(4, 2, 4, 2);
        m_list->setItemWidget(item, label);
    }
    fitItems();
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);

    int status = 0;
    switch (m_shown) {
    case Shown::Nothing:
        status = kNoCell;
        break;
    case Shown::LookingUp:
        status = kLookingUp;
        break;
    case Shown::Suggestions:
        status = m_suggestions.empty() ? kNoSuggestions : 0;
        break;
    case Shown::Unavailable:
        status = kUnavailable;
        break;
    }
    m_status->setText(status ? lgv_string(status) : QString());
    m_status->setVisible(status != 0);

    m_reference->clear();
    for (const Reference &reference : m_references)
        m_reference->addItem(reference.language + QStringLiteral(": ") + reference.text);
    m_referenceTitle->setVisible(!m_references.empty());
    m_reference->setVisible(!m_references.empty());
}

QString SuggestionsPane::referenceText() const
{
    QStringList lines;
    for (int i = 0; i < m_reference->count(); ++i)
        lines << m_reference->item(i)->text();
    return lines.join(QLatin1Char('\n'));
}

void SuggestionsPane::fitItems()
{
    const int width = std::max(m_list->viewport()->width(), 80);
    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem *item = m_list->item(i);
        if (QWidget *label = m_list->itemWidget(item))
            item->setSizeHint(QSize(width, label->heightForWidth(width)));
    }
}

void SuggestionsPane::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitItems();
}

#include "platform/win32/SftTreeCellEditor.h"

#include "platform/common/LineBreak.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace win32 {

namespace {
QString lineBreakStyleOf(const QString &text)
{
    if (text.contains(qm::crlf()))
        return qm::crlf();
    if (text.contains(QLatin1Char('\n')))
        return QStringLiteral("\n");
    if (text.contains(QLatin1Char('\r')))
        return QStringLiteral("\r");
    return qm::crlf();
}
} // namespace

SftTreeCellEditor::SftTreeCellEditor(QWidget *parent) : QTextEdit(parent)
{
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    document()->setDocumentMargin(1);
    connect(document(), &QTextDocument::contentsChange, this, &SftTreeCellEditor::keepWithinMaxLength);
}

void SftTreeCellEditor::setText(const QString &text)
{
    m_original = text;
    m_lineBreak = lineBreakStyleOf(text);
    QString shown = text;
    shown.replace(qm::crlf(), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_cutting = true;  // what the file holds is never cut
    setPlainText(shown);
    m_cutting = false;
    m_shown = editedText();
}

QString SftTreeCellEditor::text() const
{
    QString edited = editedText();
    if (edited == m_shown)
        return m_original;
    edited.replace(QLatin1Char('\n'), m_lineBreak);
    return edited;
}

void SftTreeCellEditor::insertLineBreak() { textCursor().insertText(QStringLiteral("\n")); }

int SftTreeCellEditor::contentHeight(int width)
{
    QTextDocument *doc = document();
    doc->setTextWidth(std::max(width - 2 * frameWidth(), 1));
    return static_cast<int>(std::ceil(doc->size().height())) + 2 * frameWidth();
}

// The document's text with each paragraph break as "\n"; unlike its plain text,
// it keeps no-break spaces and line separators as they are.
QString SftTreeCellEditor::editedText() const
{
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

int SftTreeCellEditor::givenBackLength() const
{
    const int characters = document()->characterCount() - 1;
    const int breaks = document()->blockCount() - 1;
    return characters + breaks * (static_cast<int>(m_lineBreak.size()) - 1);
}

void SftTreeCellEditor::keepWithinMaxLength(int position, int, int added)
{
    if (m_cutting || added <= 0)
        return;
    const int excess = givenBackLength() - m_maxLength;
    if (excess <= 0)
        return;
    // Take back the end of what was just inserted, never half of a surrogate pair.
    const int end = std::min(position + added, document()->characterCount() - 1);
    int start = std::max(end - excess, position);
    if (start > position && document()->characterAt(start).isLowSurrogate())
        --start;
    m_cutting = true;
    QTextCursor cut(document());
    cut.setPosition(start);
    cut.setPosition(end, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    m_cutting = false;
    // A break is worth more than one unit; one cut may not be enough.
    if (givenBackLength() > m_maxLength && start > position)
        keepWithinMaxLength(position, 0, start - position);
}

} // namespace win32

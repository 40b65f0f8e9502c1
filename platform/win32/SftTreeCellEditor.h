#pragma once

#include "platform/common/LineBreak.h"

#include <QString>
#include <QTextEdit>

namespace win32 {

// The grid's cell editor: plain text over as many lines as it has, with a
// limit on the length of the text it gives back.
//
// Inside, a line break is one paragraph; text() gives it back in the style the
// text came with ("\r\n", as resource files hold them, for a text that had
// none), and a text left as it was comes back exactly as it was set.
class SftTreeCellEditor : public QTextEdit {
    Q_OBJECT
public:
    explicit SftTreeCellEditor(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;
    void insertLineBreak();

    // The longest text() may be, in UTF-16 units, line breaks counted as they are given back.
    void setMaxLength(int units) { m_maxLength = units; }
    int maxLength() const { return m_maxLength; }

    // The height that shows the whole text at the given width.
    int contentHeight(int width);

private:
    QString editedText() const;
    int givenBackLength() const;
    void keepWithinMaxLength(int position, int removed, int added);

    QString m_original;
    QString m_shown;
    QString m_lineBreak = qm::crlf();
    int m_maxLength = 32767;
    bool m_cutting = false;
};

} // namespace win32

#include "platform/vbide/CodeViewer.h"

#include "platform/common/InputFile.h"
#include "platform/vbproject/ProjectCodePage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QTextBlock>
#include <QVBoxLayout>

namespace vbide {

namespace {
constexpr qint64 kLargestMember = 64 * 1024 * 1024;
}

CodeViewer::CodeViewer(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmCodeViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("txtCode"));
    m_text->setReadOnly(true);
    // Read-only, yet the keys still move the cursor through the code.
    m_text->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFont(QStringLiteral("Monospace")));
    m_text->setAccessibleName(QStringLiteral("Code"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    resize(720, 480);
}

qm::Status CodeViewer::open(const QString &path)
{
    QFile file;
    qm::Result<qint64> size = qm::openInputFile(file, path, kLargestMember, QStringLiteral("code files"));
    if (!size)
        return qm::makeError(QStringLiteral("%1 could not be read: %2").arg(QDir::toNativeSeparators(path), size.errorString()));
    qm::Result<QByteArray> bytes = qm::readInputFile(file, *size, kLargestMember);
    if (!bytes)
        return qm::makeError(QStringLiteral("%1 could not be read: %2").arg(QDir::toNativeSeparators(path), bytes.errorString()));
    const QByteArray codec = detectCodePage(*bytes, {}, QFileInfo(path).absolutePath());
    QStringDecoder decoder(codec.constData());
    QString text = decoder.isValid() ? decoder.decode(*bytes) : QString::fromLatin1(*bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text->setPlainText(text);
    m_path = path;
    m_line = 0;
    updateTitle();
    return {};
}

void CodeViewer::markLine(int line)
{
    const QTextBlock block = m_text->document()->findBlockByNumber(line - 1);
    if (!block.isValid())
        return;
    m_line = line;
    QTextCursor cursor(block);
    QTextEdit::ExtraSelection mark;
    mark.cursor = cursor;
    mark.format.setBackground(palette().color(QPalette::Highlight).lighter(160));
    mark.format.setProperty(QTextFormat::FullWidthSelection, true);
    m_text->setExtraSelections({mark});
    m_text->setTextCursor(cursor);
    m_text->centerCursor();
    updateTitle();
}

void CodeViewer::updateTitle()
{
    const QString name = QFileInfo(m_path).fileName();
    const QString title = m_line > 0 ? QStringLiteral("%1 (read-only) - line %2").arg(name, QString::number(m_line))
                                     : QStringLiteral("%1 (read-only)").arg(name);
    setWindowTitle(title);
    setAccessibleName(title);
    m_text->setAccessibleDescription(QDir::toNativeSeparators(m_path));
}

void CodeViewer::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace vbide

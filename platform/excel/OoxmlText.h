#pragma once

#include "platform/excel/ByteSink.h"

#include <QString>

namespace excel::backend {

// Texts in .xlsx parts: XML escaping, and the format's own escape _xHHHH_
// for characters XML cannot carry (control characters, lone surrogates, and
// carriage returns, which XML parsers would turn into line feeds). A literal
// text that looks like such an escape gets its underscore escaped as _x005F_.
void appendEscapedText(ByteSink &out, const QString &text);
void appendEscapedText(QByteArray &out, const QString &text);
void appendEscapedAttribute(QByteArray &out, const QString &text);
QString decodeEscapes(const QString &text);
// The text of an element's UTF-8 content, escapes decoded.
QString textFromXml(const char *utf8, size_t size);

} // namespace excel::backend

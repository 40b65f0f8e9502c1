#pragma once

#include "platform/excel/io/ByteSink.h"

#include <QString>

namespace excel::backend {

// Texts in .xlsx parts: XML escaping, a carriage return (and, in attributes,
// tab and line feed) as a character reference, which every parser keeps, and
// the format's own escape _xHHHH_ only for what XML cannot carry at all
// (other control characters, lone surrogates). A literal text that looks like
// such an escape gets its underscore escaped as _x005F_. Reading decodes both.
void appendEscapedText(ByteSink &out, const QString &text);
void appendEscapedText(QByteArray &out, const QString &text);
void appendEscapedAttribute(QByteArray &out, const QString &text);
QString decodeEscapes(const QString &text);
// The text of an element's UTF-8 content, escapes decoded.
QString textFromXml(const char *utf8, size_t size);

} // namespace excel::backend

#pragma once

#include <QString>

// One language of the string grid: which locale, shown in which column, in which font.
struct LanguageColumn {
    qint32 LocaleID = 0;
    QString LanguageName;
    qint32 Column = 0;
    QString DefaultFont;
    QString FontName;
};

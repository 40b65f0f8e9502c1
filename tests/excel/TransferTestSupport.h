#pragma once

// Helpers shared by the export, import and round-trip tests.

#include "transfer/ExcelImport.h"
#include "platform/excel/Application.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Worksheet.h"
#include "platform/resutil/ResStrings.h"
#include "tests/testlib/TestFiles.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QtTest>

#include <memory>
#include <tuple>

using Entry = std::tuple<qint32, qint32, QString>; // locale ID, string ID, text

inline QList<Entry> entriesOf(const resutil::ResStrings &strings)
{
    QList<Entry> entries;
    for (const resutil::ResString *s : strings)
        entries.append({s->LocaleID(), s->ID(), s->Text()});
    return entries;
}

inline QList<Entry> entriesOf(const std::vector<ExcelTransfer::ImportedString> &imported)
{
    QList<Entry> entries;
    for (const auto &s : imported)
        entries.append({s.localeId, s.id, s.text});
    return entries;
}

inline void fill(resutil::ResStrings &strings, const QList<Entry> &entries)
{
    for (const Entry &e : entries)
        strings.Add(std::get<0>(e), std::get<1>(e), std::get<2>(e));
}

inline std::unique_ptr<excel::Application> startExcel()
{
    auto app = excel::Application::Create();
    if (!app)
        qFatal("the workbook back end does not start: %s", qPrintable(app.errorString()));
    return std::move(app).value();
}

// Fake names, so tests do not depend on the system's locale data.
inline QString testLanguageName(qint32 localeId)
{
    return localeId == 9999 ? QString() : QStringLiteral("Lang%1").arg(localeId);
}

// A sheet filled cell by cell: {row, column, value}.
struct SheetCell {
    int row;
    int column;
    excel::Value value;
};

inline void setCells(excel::Worksheet &sheet, const QList<SheetCell> &cells)
{
    for (const SheetCell &c : cells)
        QVERIFY2(sheet.Cells().Set(c.row, c.column, c.value).ok(), qPrintable(QString::number(c.row)));
}

// Opens a workbook into `var`, failing the test with the reader's message.
#define QM_OPEN_BOOK(var, app, file)                                                                                  \
    excel::Workbook *var = nullptr;                                                                                    \
    do {                                                                                                               \
        auto opened_ = (app).Workbooks().Open(file);                                                                   \
        QVERIFY2(opened_.ok(), qPrintable(opened_.errorString()));                                                     \
        var = opened_.value();                                                                                         \
    } while (false)

#pragma once

// Texts and helpers shared by the exchange format tests.

#include "tests/excel/TransferTestSupport.h"

#include "exchange/Exchange.h"
#include "platform/resutil/ResFile.h"

#include <QList>
#include <QString>

#include <algorithm>

inline QList<Entry> sortedEntries(QList<Entry> entries)
{
    std::sort(entries.begin(), entries.end());
    return entries;
}

inline QList<Entry> nonEmpty(QList<Entry> entries)
{
    entries.removeIf([](const Entry &e) { return std::get<2>(e).isEmpty(); });
    return entries;
}

inline QList<Entry> entriesOf(const exchange::Imported &imported)
{
    return entriesOf(imported.entries);
}

// The texts of the workbook round trip, and what only other formats hold:
// full 65,535-unit texts, unpaired surrogates, a NUL.
struct SampleTexts {
    QList<Entry> common;      // every format holds these
    QList<Entry> controls;    // control characters XML cannot hold
    QList<Entry> unpaired;    // unpaired surrogates UTF-8 cannot hold
    QList<Entry> longest;     // 65,535 units
};

inline SampleTexts sampleTexts()
{
    SampleTexts s;
    QString mixed;
    for (int i = 0; mixed.size() < 65535 - 16; ++i)
        mixed += QStringLiteral("row %1 \u00e9\u05d0\u0e01\r\n  x\t").arg(i);
    s.common = {
        {2057, 1, "Plain English"},
        {2057, 2, "=SUM(A1)"},
        {2057, 3, "'quoted"},
        {2057, 4, "''"},
        {2057, 5, "007"},
        {2057, 6, "1/2"},
        {2057, 7, "1e5"},
        {2057, 8, "TRUE"},
        {2057, 9, "Line one\r\nLine two\nLine three\rend"},
        {2057, 10, "  padded  "},
        {2057, 11, "tab\there"},
        {2057, 12, "_x0041_ looks escaped \\n \\x41 %s &amp; <b>"},
        {2057, 14, "-1"},
        {2057, 15, "#N/A"},
        {2057, 16, "3.14159265358979"},
        {2057, 19, "+49 30 1234"},
        {2057, 20, "@mention"},
        {2057, 21, "2024-03-01"},
        {2057, 22, "quote \" and \"\" doubled; semi, comma"},
        {2057, 23, "\n"},
        {2057, 24, "ends with space "},
        {2057, 65535, "last ID"},
        {2057, 0, "ID zero"},
        {1031, 1, QStringLiteral("Gr\u00fc\u00dfe aus M\u00fcnchen")},
        {1031, 2, QStringLiteral("=Summe")},
        {1032, 1, QStringLiteral("\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1")},
        {1049, 1, QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442")},
        {1025, 1, QStringLiteral("\u0645\u0631\u062d\u0628\u0627 \u0628\u0627\u0644\u0639\u0627\u0644\u0645")},
        {1037, 1, QStringLiteral("\u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd")},
        {1041, 1, QStringLiteral("\u3053\u3093\u306b\u3061\u306f\u4e16\u754c")},
        {2052, 1, QStringLiteral("\u4f60\u597d\uff0c\u4e16\u754c")},
        {1042, 1, QStringLiteral("\uc548\ub155\ud558\uc138\uc694")},
        {1054, 1, QStringLiteral("\u0e2a\u0e27\u0e31\u0e2a\u0e14\u0e35\u0e04\u0e23\u0e31\u0e1a")},
        {1081, 1, QStringLiteral("\u0928\u092e\u0938\u094d\u0924\u0947 \u0926\u0941\u0928\u093f\u092f\u093e")},
        {1066, 1, QStringLiteral("Xin ch\u00e0o th\u1ebf gi\u1edbi")},
        {1033, 1, QStringLiteral("emoji \U0001F600 and combining e\u0301")},
        {1033, 2, "=1+1"},
    };
    s.controls = {{2057, 13, QStringLiteral("bell\u0001 and\u001f more\u007f")}};
    s.unpaired = {{2057, 25, QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b")},
                  {2057, 26, QStringLiteral("end") + QChar(0xDC00)}};
    s.longest = {{2057, 17, QString(65535, QChar(0x4E2D))}, {2057, 18, mixed.left(65535)}};
    return s;
}

inline void writeResFile(const QString &path, const QList<Entry> &entries)
{
    resutil::ResFile file;
    file.setFileName(path);
    QVERIFY(file.Create().ok());
    fill(file.Strings(), entries);
    const qm::Status saved = file.Save(0);
    QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
}

inline QList<Entry> readResFile(const QString &path)
{
    resutil::ResFile file;
    file.setFileName(path);
    const qm::Status loaded = file.Load();
    [&] { QVERIFY2(loaded.ok(), qPrintable(loaded.errorString())); }();
    return entriesOf(file.Strings());
}

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// A text the wizard shows, kept as a UI string ID with the values of its
// placeholders until it is shown: what a step says can then be checked
// without a window, and it follows a change of the UI language.
struct UiText {
    int id = 0;
    QStringList values;   // %0, %1, ... of the UI string
    // With id 0: a library's English message, put into the UI language where it is shown.
    QString library;

    bool operator==(const UiText &) const = default;
};

inline UiText uiString(int id, QStringList values = {}) { return UiText{id, std::move(values), {}}; }
inline UiText libraryText(QString message) { return UiText{0, {}, std::move(message)}; }

// A message box: its lines, joined by CR LF, and its style (win32::MsgBoxStyle).
struct UiMessage {
    QList<UiText> lines;
    int style = 0;

    bool operator==(const UiMessage &) const = default;
};

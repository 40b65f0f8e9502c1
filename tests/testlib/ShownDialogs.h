#pragma once

#include <QStringList>

#include <functional>

class QWidget;

// Drives real modal windows from inside their own event loop, as a user would:
// schedule what to do with the next one that opens, then call what runs exec().

// Runs `act` on the next modal window shown that is not `notThis` (for a box
// that opens over a dialog already handled), however long it takes to open.
void whenModalShown(std::function<void(QWidget &)> act, const QWidget *notThis = nullptr);
// Every whenModalShown that has found no window by now, since the last call:
// ask once what should have opened them has returned. Those stop waiting.
QStringList takeShownDialogFailures();

// The user's gestures on a shown window.
void pressKey(QWidget &window, int key);   // to the window's focus widget, or the window
void clickCloseBox(QWidget &window);       // the title bar's close button: a spontaneous close

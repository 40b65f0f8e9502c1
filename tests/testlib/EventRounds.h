#pragma once

#include <QtTest>

#include <functional>

class QWidget;

// Waiting for what the event loop brings, without a clock: each round handles
// the events there are, and waits for the next one when there are none, so a
// slow machine takes longer but no more rounds. A condition that has not come
// true within the rounds fails; one the loop never wakes up for hangs until
// the suite ends the test.
namespace testlib {

constexpr int MaxEventRounds = 100000;

bool waitUntil(const std::function<bool()> &condition, int rounds = MaxEventRounds);
bool waitForExposed(QWidget *widget);
bool waitForActive(QWidget *widget);

} // namespace testlib

// QTRY_VERIFY and QTRY_COMPARE, counting rounds of the event loop instead of
// milliseconds.
#define QM_TRY_VERIFY(expr) QVERIFY(testlib::waitUntil([&] { return bool(expr); }))
#define QM_TRY_VERIFY2(expr, message) QVERIFY2(testlib::waitUntil([&] { return bool(expr); }), message)
#define QM_TRY_COMPARE(actual, expected)                                                                               \
    do {                                                                                                               \
        testlib::waitUntil([&] { return (actual) == (expected); });                                                    \
        QCOMPARE(actual, expected);                                                                                    \
    } while (false)

// Helpers shared by the day-entry tests.
#pragma once

#include <QApplication>
#include <QWidget>

// Shows a window and makes it the active one, so that focus moves can be observed.
inline void ShowActive(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    w.activateWindow();
    QApplication::processEvents();
}

// Texts that must survive the database and the windows unchanged.
#define ENTRY_ROUND_TRIP_ROWS                                                                      \
    QTest::newRow("double quotes") << QStringLiteral("He said \"hi\" and \"\"bye\"\"");            \
    QTest::newRow("single quotes") << QStringLiteral("it's O'Brien's");                            \
    QTest::newRow("line breaks") << QStringLiteral("first\nsecond\n\nfourth");                     \
    QTest::newRow("column names") << QStringLiteral("Schedule");                                   \
    QTest::newRow("other column") << QStringLiteral("Diary WhatDay Date");                         \
    QTest::newRow("sql") << QStringLiteral("'); DROP TABLE T_Schedule; --");                       \
    QTest::newRow("outside cp932") << QStringLiteral("한국어 😀 𠮷野家 €");                         \
    QTest::newRow("kanji") << QStringLiteral("会議（第３回）ｶﾀｶﾅ");                                \
    QTest::newRow("special spaces") << QStringLiteral("\u00a0a\u00a0b\u3000c\u2009d\u202fe"        \
                                                      "\u00a0");

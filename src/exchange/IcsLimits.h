// What one iCalendar import may take, so that any file, however made, is read in bounded
// memory and time. The README lists them.
#pragma once

#include <QtGlobal>

constexpr qint64 kIcsMaxFileBytes = 64 * 1024 * 1024;
// BEGIN lines open inside one another; the parser and its clean-up recurse per level.
constexpr int kIcsMaxNesting = 8;
// Occurrences of repeating events placed from one file, and the steps the rule iteration may
// take to find them (occurrences outside the range or excluded count as steps too).
constexpr int kIcsMaxOccurrences = 10000;
constexpr int kIcsMaxRecurrenceSteps = 1000000;
// Days one event may cover; a longer one is listed as not placed.
constexpr int kIcsMaxEventDays = 366;
// Lines (and whole texts) placed from one file, and the characters they bring.
constexpr int kIcsMaxPlacements = 100000;
constexpr qint64 kIcsMaxNewChars = 16 * 1024 * 1024;
// Time zone definitions (VTIMEZONE) in one calendar: libical expands each one it is asked about.
constexpr int kIcsMaxTimeZones = 100;
// Lines of the list of what could not be placed; the rest are counted in one more line.
constexpr int kIcsMaxNotPlacedLines = 1000;

// The present time, replaceable by tests.
#pragma once

#include <QDate>
#include <QDateTime>

#include <functional>

// The present time (default: the system clock).
QDateTime Now();
QDate Today();
void SetNowOverride(std::function<QDateTime()> now);

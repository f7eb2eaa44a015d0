// The present time, replaceable by tests.
#pragma once

#include <QDate>
#include <QDateTime>

#include <functional>

// The present time: the system clock unless a source has been set (tests set their own).
class Clock {
public:
    QDateTime now() const;
    QDate today() const;
    // Where the time comes from from now on; an empty function restores the system clock.
    void setSource(std::function<QDateTime()> source);

private:
    std::function<QDateTime()> m_source;
};

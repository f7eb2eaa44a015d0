#include "core/Clock.h"

QDateTime Clock::now() const {
    return m_source ? m_source() : QDateTime::currentDateTime();
}

QDate Clock::today() const {
    return now().date();
}

void Clock::setSource(std::function<QDateTime()> source) {
    m_source = std::move(source);
}

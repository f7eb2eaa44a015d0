#include "core/Clock.h"

namespace {
std::function<QDateTime()> g_now;
} // namespace

QDateTime Now() {
    return g_now ? g_now() : QDateTime::currentDateTime();
}

QDate Today() {
    return Now().date();
}

void SetNowOverride(std::function<QDateTime()> now) {
    g_now = std::move(now);
}

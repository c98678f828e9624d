#include "storage/Clock.h"

namespace {
QDateTime &fixedNow()
{
    static QDateTime value;
    return value;
}
} // namespace

QDateTime Clock::now()
{
    return fixedNow().isValid() ? fixedNow() : QDateTime::currentDateTime();
}

QDate Clock::today()
{
    return now().date();
}

void Clock::setNow(const QDateTime &fixed)
{
    fixedNow() = fixed;
}

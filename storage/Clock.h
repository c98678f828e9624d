#pragma once

#include <QDateTime>

/** The program's clock; tests fix it with setNow() and restore it with an invalid QDateTime. */
namespace Clock {
QDateTime now();
QDate today();
void setNow(const QDateTime &fixed);
} // namespace Clock

#pragma once

#include <QByteArray>
#include <QList>

#include <clocale>

// The locales a shop's computer may have. The C library's number functions follow the process locale,
// so the program's results must not change when it switches between these.
inline const QList<QByteArray> &shopLocales()
{
    static const QList<QByteArray> names { "C.UTF-8", "it_IT.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8", "en_US.UTF-8" };
    return names;
}

/** Switches the C library's locale for its lifetime; `active()` is false when the locale is not installed. */
class ScopedLocale
{
public:
    explicit ScopedLocale(const QByteArray &name)
        : m_previous(std::setlocale(LC_ALL, nullptr))
        , m_active(std::setlocale(LC_ALL, name.constData()) != nullptr)
    { }
    ~ScopedLocale() { std::setlocale(LC_ALL, m_previous.constData()); }
    bool active() const { return m_active; }

private:
    QByteArray m_previous;
    bool m_active;
};

#pragma once

#include "storage/Logging.h"

#include <QString>

#include <stdexcept>

/** Any failure to use an archive file: open, create, position, read, write, close. */
class ArchiveError : public std::runtime_error
{
public:
    enum class Reason {
        Failed, ///< the system refused a step
        Busy, ///< another copy of the program held the lock longer than the lock wait
        LinkedOutside ///< a write through a link that leads outside the program folder
    };

    explicit ArchiveError(const std::string &what, Reason reason = Reason::Failed)
        : std::runtime_error(what)
        , m_reason(reason)
    {
        // Every failed archive step passes here: the one place that logs them.
        qCWarning(lcStorage, "archive: %s (%s)", what.c_str(), reasonName(reason));
    }
    Reason reason() const { return m_reason; }

    static const char *reasonName(Reason reason)
    {
        switch (reason) {
        case Reason::Failed:
            return "failed";
        case Reason::Busy:
            return "busy";
        case Reason::LinkedOutside:
            return "linked outside";
        }
        return "?";
    }

private:
    Reason m_reason;
};

/** The one text for an archive held by another copy of the program, wherever it is shown. */
inline QString archiveBusyText()
{
    return QStringLiteral("L'archivio \u00e8 in uso da un'altra copia del programma. Riprovare tra qualche istante.");
}

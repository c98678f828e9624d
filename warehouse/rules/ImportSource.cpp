#include "warehouse/rules/ImportSource.h"

#include "warehouse/rules/ImportSourceParts.h"

namespace ImportSource {
namespace {
Limits g_limits;
} // namespace

// The kinds of file the import reads. A new reader goes in a file of its own, adds its Kind and one
// row here: with a signature before the readers whose signature it shares, or with none at the end.
const std::vector<FormatEntry> &formats()
{
    static const std::vector<FormatEntry> table = {
        { Kind::OldWorkbook, isCompound, describeOldWorkbook, openOldWorkbook },
        { Kind::OpenDocument, isOpenDocument, describeOpenDocument, openOpenDocument }, // some are ZIPs
        { Kind::Workbook, isWorkbook, describeWorkbook, openWorkbook },
        { Kind::Page, nullptr, nullptr, openPage },
        { Kind::Text, nullptr, nullptr, openText },
    };
    return table;
}

Limits limits()
{
    return g_limits;
}

void setLimits(const Limits &bounds)
{
    g_limits = bounds;
}

bool Reader::next(QStringList &cells)
{
    m_rowError = ImportError();
    if (m_error.failed() || !read(cells))
        return false;
    if (++m_rows > limits().rows) {
        m_error = ImportError(ImportError::Reason::TooManyRows, limits().rows);
        return false;
    }
    return true;
}

std::unique_ptr<Reader> open(const QString &path, const Format &format, ImportError *error)
{
    for (const FormatEntry &entry : formats())
        if (entry.kind == format.kind)
            return entry.open(path, format, error);
    if (error)
        *error = ImportError::Reason::CannotOpen;
    return nullptr;
}

QString encodingName(Encoding encoding)
{
    return encoding == Encoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1252 (ANSI)");
}

QString separatorName(QChar separator)
{
    switch (separator.unicode()) {
    case ';':
        return QStringLiteral("Punto e virgola");
    case ',':
        return QStringLiteral("Virgola");
    case '\t':
        return QStringLiteral("Tabulazione");
    case '|':
        return QStringLiteral("Barra verticale");
    default:
        return QString(separator);
    }
}
} // namespace ImportSource

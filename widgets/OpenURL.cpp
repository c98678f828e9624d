#include "widgets/OpenURL.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
std::function<void(const QString &)> &handler()
{
    static std::function<void(const QString &)> h;
    return h;
}
} // namespace

void TMisc::setHandler(std::function<void(const QString &)> h)
{
    handler() = std::move(h);
}

QString TMisc::targetUrl(const QString &sCommand)
{
    QString text = sCommand.trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2);
    if (text.startsWith(QLatin1Char('/')))
        return QUrl::fromLocalFile(text).toString(QUrl::FullyEncoded);
    return text;
}

void TMisc::Open(const QString &sCommand)
{
    if (handler()) {
        handler()(sCommand);
        return;
    }
    const QString target = targetUrl(sCommand);
    // openUrl's result says nothing reliable on this desktop; the shell reports its own failures.
    QDesktopServices::openUrl(target.startsWith(QLatin1String("file:")) ? QUrl(target, QUrl::StrictMode)
                                                                       : QUrl(target, QUrl::TolerantMode));
}

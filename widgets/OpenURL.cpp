#include "widgets/OpenURL.h"

#include "storage/platform/Os.h"

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
    Os::openWithDesktop(targetUrl(sCommand).toStdString());
}

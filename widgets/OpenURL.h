#pragma once

#include <QString>

#include <functional>

/** Hands a file path, web address or mail address to the system's default handler. */
struct TMisc
{
    /**
     * Opens `sCommand` with the default handler and never reports the outcome. A path may come
     * enclosed in double quotes; the quotes are dropped and a local path is opened as a file.
     */
    static void Open(const QString &sCommand);

    /** The URL handed to the desktop for a command text. */
    static QString targetUrl(const QString &sCommand);

    /** Test seam: receives the command text unchanged instead of the desktop. */
    static void setHandler(std::function<void(const QString &)> handler);
};

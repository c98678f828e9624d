#include "storage/LogFile.h"

#include "storage/Clock.h"
#include "storage/ProgramFiles.h"
#include "storage/ProgramFolder.h"
#include "storage/platform/Os.h"

#include <QFile>

#include <atomic>
#include <mutex>

namespace {
std::mutex lock;
std::atomic<qint64> limit { LogFile::DefaultLimit };
QtMessageHandler previous = nullptr;
// A line being written must not log again (a failing step below could), on any thread.
thread_local bool writing = false;

std::string encoded(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

const char *levelName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return "debug";
    case QtInfoMsg:
        return "info";
    case QtWarningMsg:
        return "warning";
    case QtCriticalMsg:
        return "critical";
    case QtFatalMsg:
        return "fatal";
    }
    return "?";
}

/** Warnings and above from anywhere; info lines only from the program's own categories. */
bool kept(QtMsgType type, const char *category)
{
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)
        return true;
    return type == QtInfoMsg && category && qstrncmp(category, "vetrinova.", 10) == 0;
}

/** The log opened for appending, never through a link; created when missing. */
Os::File openLog(const std::string &path)
{
    Os::File file = Os::openNoLink(path);
    if (file == Os::kNoFile && Os::lastError() == Os::Error::NotFound)
        file = Os::createNew(path);
    return file;
}

void writeLine(const QByteArray &line)
{
    const std::string path = encoded(programPath(ProgramFiles::logName()));
    Os::File file = openLog(path);
    if (file == Os::kNoFile)
        return;
    Os::Status status;
    if (!Os::status(file, status) || !status.regularFile) {
        (void)Os::close(file);
        return;
    }
    if (status.size > 0 && status.size + line.size() > limit.load()) {
        // Full: it becomes the previous log, whose own predecessor goes.
        (void)Os::close(file);
        if (!Os::replace(path, encoded(programPath(ProgramFiles::previousLogName()))))
            return;
        file = openLog(path);
        if (file == Os::kNoFile)
            return;
        status.size = 0;
    }
    // No flush to the disk: a line written survives the program's own end, and a log that waited
    // on the disk at every warning would slow the work it reports on.
    (void)Os::writeAt(file, status.size, line.constData(), line.size());
    (void)Os::close(file);
}

void handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    LogFile::append(type, context.category, message);
    if (previous)
        previous(type, context, message);
}
} // namespace

void LogFile::append(QtMsgType type, const char *category, const QString &message)
{
    if (!kept(type, category) || writing)
        return;
    writing = true;
    try {
        QByteArray line = Clock::now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toUtf8();
        line += ' ';
        line += levelName(type);
        line += ' ';
        line += category ? category : "default";
        line += ": ";
        // One message, one line: a reason with line breaks in it stays readable.
        QString text = message;
        text.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
        line += text.toUtf8();
        line += '\n';
        const std::lock_guard<std::mutex> guard(lock);
        writeLine(line);
    } catch (...) {
        // Out of memory, or worse: the log is not worth stopping the program for.
    }
    writing = false;
}

void LogFile::install()
{
    const QtMessageHandler was = qInstallMessageHandler(handler);
    if (was != handler)
        previous = was;
}

void LogFile::uninstall()
{
    qInstallMessageHandler(previous);
    previous = nullptr;
}

void LogFile::setLimit(qint64 bytes)
{
    limit = bytes > 0 ? bytes : DefaultLimit;
}

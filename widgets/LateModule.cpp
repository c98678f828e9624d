#include "widgets/LateModule.h"

#include "widgets/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

QFunctionPointer lateModuleSymbol(const QString &name, const char *symbol)
{
    QStringList folders { QCoreApplication::applicationDirPath() };
#ifdef VETRINOVA_MODULE_DIR
    folders << QStringLiteral(VETRINOVA_MODULE_DIR);
#endif
    QString problems;
    for (const QString &folder : folders) {
        QLibrary library(QDir(folder).filePath(QStringLiteral("lib%1").arg(name)));
        if (!library.load()) {
            problems += library.errorString() + QLatin1Char('\n');
            continue;
        }
        if (QFunctionPointer entry = library.resolve(symbol))
            return entry;
        problems += library.errorString() + QLatin1Char('\n');
    }
    qCWarning(lcUi, "module %s not loaded: %s", qUtf8Printable(name), qUtf8Printable(problems.trimmed()));
    return nullptr;
}

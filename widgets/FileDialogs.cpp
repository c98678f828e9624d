#include "widgets/FileDialogs.h"

#include "widgets/Messages.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
FileDialogs::Handler &handler()
{
    static FileDialogs::Handler h;
    return h;
}

QString run(QWidget *parent, FileDialogs::Kind kind, const QString &title, const QString &filter,
    const QString &proposed, const QString &suffix)
{
    if (handler())
        return handler()(kind, title, filter, proposed, suffix);
    QFileDialog dialog(parent, title);
    if (kind == FileDialogs::Kind::Folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    }
    dialog.setNameFilters(FileDialogs::toQtFilter(filter).split(QStringLiteral(";;")));
    if (kind == FileDialogs::Kind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(suffix);
        // A native dialog asks about overwriting before Qt adds the suffix, and saveFile() may add
        // it too: the question is asked there instead, about the name really written.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (!proposed.isEmpty())
            dialog.selectFile(proposed);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

/** The name the answer stands for: itself when it ends in an extension of the filter, else with the suffix. */
QString withSuffix(const QString &path, const QString &filter, const QString &suffix)
{
    if (suffix.isEmpty())
        return path;
    QStringList extensions { suffix };
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 1; i < parts.size(); i += 2) {
        for (const QString &pattern : parts[i].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (pattern.trimmed().startsWith(QLatin1String("*.")))
                extensions << pattern.trimmed().mid(2);
        }
    }
    const QString name = QFileInfo(path).fileName();
    for (const QString &extension : extensions) {
        if (extension != QLatin1String("*") && name.size() > extension.size() + 1
            && name.endsWith(QLatin1Char('.') + extension, Qt::CaseInsensitive))
            return path;
    }
    return path + QLatin1Char('.') + suffix;
}
} // namespace

QString FileDialogs::toQtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // The description may already show its patterns, "Immagine JPEG (*.jpg; *.jpeg)".
        description.remove(QRegularExpression(QStringLiteral("\\s*\\([^()]*\\)\\s*$")));
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << QStringLiteral("%1 (%2)").arg(description, patterns.simplified());
    }
    return out.join(QStringLiteral(";;"));
}

QString FileDialogs::openFile(QWidget *parent, const QString &title, const QString &filter)
{
    return run(parent, Kind::Open, title, filter, QString(), QString());
}

QString FileDialogs::openFolder(QWidget *parent, const QString &title)
{
    return run(parent, Kind::Folder, title, QString(), QString(), QString());
}

QString FileDialogs::saveFile(
    QWidget *parent, const QString &title, const QString &filter, const QString &proposedName, const QString &suffix)
{
    QString proposed = proposedName;
    for (;;) {
        const QString chosen = run(parent, Kind::Save, title, filter, proposed, suffix);
        if (chosen.isEmpty())
            return QString();
        const QString path = withSuffix(chosen, filter, suffix);
        if (!QFileInfo(path).isFile()
            || Msg::confirm(parent,
                QStringLiteral("Il file %1 esiste già.\r\n\r\nSi vuole sostituirlo?")
                    .arg(QDir::toNativeSeparators(path))))
            return path;
        proposed = path;
    }
}

void FileDialogs::setHandler(Handler h)
{
    handler() = std::move(h);
}

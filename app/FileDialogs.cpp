#include "app/FileDialogs.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace {
FileDialogs::Handler &handler()
{
    static FileDialogs::Handler h;
    return h;
}

QString run(QWidget *parent, FileDialogs::Kind kind, const QString &title, const QString &filter, const QString &proposed)
{
    if (handler())
        return handler()(kind, title, filter, proposed);
    QFileDialog dialog(parent, title);
    dialog.setNameFilters(FileDialogs::toQtFilter(filter).split(QStringLiteral(";;")));
    if (kind == FileDialogs::Kind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("jpg"));
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
    return run(parent, Kind::Open, title, filter, QString());
}

QString FileDialogs::saveFile(QWidget *parent, const QString &title, const QString &filter, const QString &proposedName)
{
    return run(parent, Kind::Save, title, filter, proposedName);
}

void FileDialogs::setHandler(Handler h)
{
    handler() = std::move(h);
}

#include "app/rules/HelpTopics.h"

#include <QFile>

QString HelpText::text() const
{
    return paragraphs.join(QStringLiteral("\r\n\r\n"));
}

namespace {
// Creating and opening a price list share one topic.
QString topicFile(HelpTopic topic)
{
    switch (topic) {
    case HelpTopic::Avvio:
        return QStringLiteral("avvio");
    case HelpTopic::Magazzino:
        return QStringLiteral("magazzino");
    case HelpTopic::ExpMagazzino:
        return QStringLiteral("expMagazzino");
    case HelpTopic::CreaCatalogo:
    case HelpTopic::ApriCatalogo:
        return QStringLiteral("cataloghi");
    case HelpTopic::ListinoPrezzi:
        return QStringLiteral("listinoPrezzi");
    case HelpTopic::ImportaSchede:
        return QStringLiteral("importaSchede");
    }
    return QString();
}
} // namespace

HelpText helpTopic(HelpTopic topic)
{
    // "# Title", then paragraphs separated by empty lines; a paragraph's lines are one line of text.
    QFile file(QStringLiteral(":/help/%1.md").arg(topicFile(topic)));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    HelpText help;
    const QStringList blocks = QString::fromUtf8(file.readAll()).split(QStringLiteral("\n\n"), Qt::SkipEmptyParts);
    for (const QString &block : blocks) {
        const QString paragraph = block.simplified();
        if (paragraph.isEmpty())
            continue;
        if (help.title.isEmpty() && help.paragraphs.isEmpty() && paragraph.startsWith(QLatin1String("# ")))
            help.title = paragraph.mid(2);
        else
            help.paragraphs.append(paragraph);
    }
    return help;
}

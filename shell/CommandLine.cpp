#include "shell/CommandLine.h"

namespace {
const char *const kUsage = "Uso: Vetrinova [--help | --version]\n";
} // namespace

QString CommandLine::version()
{
    return QStringLiteral(VETRINOVA_VERSION);
}

CommandLine::Outcome CommandLine::read(const QStringList &arguments)
{
    using Action = Outcome::Action;
    if (arguments.isEmpty())
        return {};
    const QString &first = arguments.first();
    if (arguments.size() == 1 && (first == QLatin1String("--help") || first == QLatin1String("-h")))
        return { Action::Print,
            QString::fromUtf8(kUsage)
                + QStringLiteral("Magazzino e listini prezzi per il negozio. Tutti i dati stanno nella\n"
                                 "cartella del programma, accanto all'eseguibile.\n"
                                 "\n"
                                 "Opzioni:\n"
                                 "  -h, --help     mostra questo aiuto ed esce\n"
                                 "  -v, --version  mostra la versione ed esce\n"
                                 "\n"
                                 "Senza opzioni si apre la finestra della password.\n"),
            0 };
    if (arguments.size() == 1 && (first == QLatin1String("--version") || first == QLatin1String("-v")))
        return { Action::Print, QStringLiteral("Vetrinova %1\n").arg(version()), 0 };
    for (const QString &argument : arguments) {
        if (argument != QLatin1String("--help") && argument != QLatin1String("-h")
            && argument != QLatin1String("--version") && argument != QLatin1String("-v"))
            return { Action::Refuse,
                (argument.startsWith(QLatin1Char('-')) ? QStringLiteral("Vetrinova: opzione non riconosciuta: %1\n")
                                                       : QStringLiteral("Vetrinova: argomento non previsto: %1\n"))
                        .arg(argument)
                    + QString::fromUtf8(kUsage),
                2 };
    }
    // Known options, but more than one.
    return { Action::Refuse, QStringLiteral("Vetrinova: una sola opzione alla volta\n") + QString::fromUtf8(kUsage),
        2 };
}

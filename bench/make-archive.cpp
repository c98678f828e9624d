// Writes a program folder full of realistic data for benchmarks and screenshots:
//   make-archive FOLDER [--cards N] [--photos K] [--photo-size WxH] [--lists L] [--pages P] [--seed S]
// Deterministic for a given seed.
#include "storage/FieldRules.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <cstdio>
#include <vector>

namespace {
const char *const kNames[] = { "Vaso", "Ciotola", "Lampada", "Sedia", "Tavolo", "Cuscino", "Tazza", "Bicchiere",
    "Piatto", "Candela", "Cornice", "Specchio", "Orologio", "Borsa", "Sciarpa", "Cappello", "Quaderno", "Penna",
    "Zaino", "Ombrello", "Teiera", "Caffettiera", "Tovaglia", "Coperta", "Grembiule", "Cestino", "Scatola", "Mensola" };
const char *const kAdjectives[]
    = { "in ceramica", "in vetro soffiato", "in legno di noce", "in ottone", "in lino", "in cotone", "di ferro battuto",
          "in porcellana", "fatto a mano", "decorato", "artigianale", "in pelle", "in rame", "con manici", "smaltato",
          "dipinto a mano", "in pietra lavica", "à la française", "con motivo floreale", "stile liberty" };
const char *const kCategories[] = { "Casalinghi", "Arredamento", "Illuminazione", "Tessili", "Cartoleria", "Accessori",
    "Oggettistica", "Bomboniere", "Articoli da regalo", "Cucina" };
const char *const kAppearance[] = { "Confezione regalo", "Scatola di cartone", "Sfuso", "Blister", "Sacchetto di juta",
    "Cassetta in legno", "Busta trasparente" };
const char *const kSuppliers[] = { "Ceramiche Vietresi S.r.l.", "Vetreria Muranese S.n.c.", "Falegnameria Bortolin",
    "Tessiture Comasche S.p.A.", "Ottoni & Rami di Lumezzane", "Cartiere Fabrianesi", "Pelletterie Fiorentine",
    "Distribuzione Nord-Est", "Artigianato Sardo Soc. Coop.", "Forniture Ingrosso Città di Castello" };
const char *const kAgents[] = { "Mario Rossi", "Giulia Bianchi", "Luca Ferrari", "Chiara Esposito", "Niccolò Greco",
    "Francesca Romano", "Andrea Colombo", "Sofia Ricci" };
const char *const kPayments[]
    = { "Bonifico 30 gg d.f.", "Ri.Ba. 60 gg", "Contanti", "Assegno", "Bonifico 90 gg f.m.", "Carta di credito" };
const char *const kPlaces[] = { "Scaffale A", "Scaffale B", "Scaffale C", "Magazzino retro", "Soppalco", "Vetrina" };

template <size_t N> QString pick(QRandomGenerator &r, const char *const (&list)[N])
{
    return QString::fromUtf8(list[r.bounded(int(N))]);
}

QString money(QRandomGenerator &r, int maxEuro)
{
    return normaliseMoney(QStringLiteral("%1,%2").arg(r.bounded(maxEuro)).arg(r.bounded(100), 2, 10, QLatin1Char('0')));
}

using F = TSchedaProdotto;

TSchedaProdotto makeCard(QRandomGenerator &r, int i)
{
    TSchedaProdotto c;
    c[TSchedaProdotto::Codice]
        = QStringLiteral("%1-%2").arg(QChar('A' + r.bounded(26))).arg(r.bounded(1000000), 6, 10, QLatin1Char('0'));
    c[TSchedaProdotto::Costo] = money(r, 500);
    c[TSchedaProdotto::Nome] = pick(r, kNames) + QLatin1Char(' ') + pick(r, kAdjectives);
    c[TSchedaProdotto::Giacenza] = QString::number(r.bounded(200));
    c[TSchedaProdotto::Avviso] = QString::number(r.bounded(30));
    c[TSchedaProdotto::UM] = pick(r, kAppearance);
    c[TSchedaProdotto::Tipologia] = pick(r, kCategories);
    QString features;
    const int parts = 1 + r.bounded(12);
    for (int k = 0; k < parts; ++k)
        features += pick(r, kAdjectives) + QStringLiteral(", ");
    c[TSchedaProdotto::Caratteristiche] = features.left(r.bounded(2) ? 250 : 80);
    c[TSchedaProdotto::Collocazione] = pick(r, kPlaces) + QStringLiteral(" ripiano %1").arg(1 + r.bounded(6));
    c[TSchedaProdotto::Ditta] = pick(r, kSuppliers);
    c[TSchedaProdotto::Agente] = pick(r, kAgents);
    c[TSchedaProdotto::Recapito] = QStringLiteral("0%1 %2").arg(r.bounded(10, 99)).arg(r.bounded(1000000, 9999999));
    c[TSchedaProdotto::Documento]
        = QStringLiteral("Fattura n. %1/%2").arg(1 + r.bounded(999)).arg(2015 + r.bounded(11));
    c[TSchedaProdotto::Pagamento] = pick(r, kPayments);
    if (r.bounded(3))
        c[TSchedaProdotto::DataSca] = QStringLiteral("%1/%2/%3")
                                          .arg(1 + r.bounded(28), 2, 10, QLatin1Char('0'))
                                          .arg(1 + r.bounded(12), 2, 10, QLatin1Char('0'))
                                          .arg(2020 + r.bounded(8));
    c[TSchedaProdotto::Note]
        = i % 7 == 0 ? QString(250, QLatin1Char('n')) : QStringLiteral("Nota n. %1 — è così").arg(i);
    c[TSchedaProdotto::Prezzo] = money(r, 900);
    c[TSchedaProdotto::Pagato] = TSchedaProdotto::paidText(r.bounded(4) != 0);
    if (i % 5 == 0) {
        c[TSchedaProdotto::File01] = QStringLiteral("scheda_tecnica_%1.pdf").arg(i);
        c[TSchedaProdotto::Desc01] = QStringLiteral("Scheda tecnica del fornitore");
    }
    if (i % 11 == 0) {
        // Every text filled to its full width, with letters beyond ASCII, as a long-kept card can be.
        static const QString filler = QStringLiteral(" àèéìòù ÀÈ perché più già — ");
        for (F::Field f : { F::Codice, F::Nome, F::UM, F::Tipologia, F::Caratteristiche, F::Collocazione, F::Ditta,
                 F::Agente, F::Recapito, F::Documento, F::Pagamento, F::Note }) {
            QString &text = c[f];
            const int width = F::info(f).width;
            while (text.size() < width)
                text += filler;
            text.truncate(width);
        }
    }
    return c;
}

QImage makePhoto(QRandomGenerator &r, const QSize &size, int i)
{
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, size.width(), size.height());
    g.setColorAt(0, QColor::fromHsv(r.bounded(360), 90, 240));
    g.setColorAt(1, QColor::fromHsv(r.bounded(360), 160, 120));
    p.fillRect(img.rect(), g);
    p.setPen(Qt::white);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(size.height() / 6);
    p.setFont(f);
    p.drawText(img.rect(), Qt::AlignCenter, QStringLiteral("#%1").arg(i));
    return img;
}
} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv); // the photos draw text
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("program folder to fill"));
    parser.addOption(
        { QStringLiteral("cards"), QStringLiteral("number of cards"), QStringLiteral("N"), QStringLiteral("1000") });
    parser.addOption(
        { QStringLiteral("photos"), QStringLiteral("cards with a photo"), QStringLiteral("K"), QStringLiteral("0") });
    parser.addOption({ QStringLiteral("photo-size"), QStringLiteral("photo size"), QStringLiteral("WxH"),
        QStringLiteral("800x600") });
    parser.addOption(
        { QStringLiteral("lists"), QStringLiteral("price lists"), QStringLiteral("L"), QStringLiteral("0") });
    parser.addOption(
        { QStringLiteral("pages"), QStringLiteral("pages per list"), QStringLiteral("P"), QStringLiteral("0") });
    parser.addOption(
        { QStringLiteral("seed"), QStringLiteral("random seed"), QStringLiteral("S"), QStringLiteral("1") });
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "usage: make-archive FOLDER [--cards N] [--photos K] [--lists L] [--pages P]\n");
        return 2;
    }
    const QString folder = parser.positionalArguments().constFirst();
    QDir().mkpath(folder);
    setProgramFolderOverride(folder);
    QRandomGenerator r(parser.value(QStringLiteral("seed")).toUInt());
    const int cards = parser.value(QStringLiteral("cards")).toInt();
    const int photos = parser.value(QStringLiteral("photos")).toInt();
    const QStringList wh = parser.value(QStringLiteral("photo-size")).split(QLatin1Char('x'));
    const QSize photoSize(wh.value(0).toInt(), wh.value(1).toInt());

    // One open file and one big buffer: the generator writes 100 000 cards in a blink.
    {
        QFile::remove(warehousePath());
        std::vector<char> all(size_t(cards) * TSchedaProdotto::RecordSize, '\0');
        for (int i = 0; i < cards; ++i)
            makeCard(r, i + 1).store(all.data() + size_t(i) * TSchedaProdotto::RecordSize);
        QFile out(warehousePath());
        if (!out.open(QIODevice::WriteOnly) || out.write(all.data(), qint64(all.size())) != qint64(all.size())) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(warehousePath()));
            return 1;
        }
    }
    for (int i = 1; i <= photos && i <= cards; ++i)
        makePhoto(r, photoSize, i).save(programPath(QStringLiteral("%1.jpg").arg(i)), "JPG");

    const int lists = parser.value(QStringLiteral("lists")).toInt();
    const int pages = parser.value(QStringLiteral("pages")).toInt();
    if (lists > 0)
        QDir().mkpath(programPath(QStringLiteral("Foto_Listino")));
    for (int l = 1; l <= lists; ++l) {
        const QString title = QStringLiteral("Listino %1").arg(l);
        const QString path = programPath(title + QStringLiteral(".lis"));
        QFile::remove(path);
        for (int p = 1; p <= pages; ++p) {
            TPaginaListino page;
            for (int s = 0; s < TPaginaListino::SlotCount; ++s) {
                const TSchedaProdotto c = makeCard(r, p * 8 + s);
                page.voci[s][TVoceListino::Codice] = c[TSchedaProdotto::Codice];
                page.voci[s][TVoceListino::Nome] = c[TSchedaProdotto::Nome];
                page.voci[s][TVoceListino::UM] = c[TSchedaProdotto::UM];
                page.voci[s][TVoceListino::Caratteristiche] = c[TSchedaProdotto::Caratteristiche];
                page.voci[s][TVoceListino::Prezzo] = c[TSchedaProdotto::Prezzo];
                makePhoto(r, QSize(366, 274), s)
                    .save(programPath(
                              QStringLiteral("Foto_Listino/%1_Foto_%2_%3.jpg").arg(title).arg(QChar('A' + s)).arg(p)),
                        "JPG");
            }
            PriceListFile::append(path, page);
        }
    }
    std::printf("%s: %d cards, %d photos, %d lists of %d pages\n", qPrintable(folder), cards, qMin(photos, cards),
        lists, pages);
    return 0;
}

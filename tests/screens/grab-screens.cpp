// Grabs every window of the program, in a meaningful state, from a sample program folder:
//   grab-screens PROGRAM_FOLDER OUTPUT_FOLDER
// Run offscreen on a 1280 x 1024 screen (`make screenshots` does it). The windows are driven
// through their own controls; each modal dialog is grabbed while it is up, then closed.
#include "app/CambiaPassword.h"
#include "app/Password.h"
#include "app/rules/Crypt.h"
#include "app/rules/PasswordStore.h"
#include "pricelist/ApriCatalogo.h"
#include "pricelist/CreaCatalogo.h"
#include "pricelist/ListinoPrezzi.h"
#include "report/ReportOutput.h"
#include "report/engine/ReportPainter.h"
#include "shell/Application.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/Clock.h"
#include "storage/Movements.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/CercaCodice.h"
#include "warehouse/ImportaSchede.h"
#include "warehouse/LabelEntries.h"
#include "warehouse/Magazzino.h"
#include "warehouse/Movimenti.h"
#include "warehouse/VariazionePrezzi.h"
#include "widgets/FileDialogs.h"
#include "widgets/Messages.h"
#include "widgets/OpenURL.h"
#include "widgets/ProgressWindow.h"
#include "widgets/WindowSet.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {
QString g_out;
int g_count = 0;
QList<PreparedReport> g_reports;

void settle(int ms = 60)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void shot(QWidget *w, const QString &name)
{
    settle();
    const QString path = QStringLiteral("%1/%2.png").arg(g_out, name);
    if (!w->grab().save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    else
        ++g_count;
}

QWidget *child(QWidget *w, const QString &name)
{
    QWidget *c = w->findChild<QWidget *>(name);
    if (!c)
        std::fprintf(stderr, "no control %s in %s\n", qPrintable(name), qPrintable(w->objectName()));
    return c;
}

/** A click as the mouse gives it, so picture buttons and push buttons alike respond. */
void click(QWidget *w, const QString &name)
{
    QWidget *c = child(w, name);
    if (!c)
        return;
    if (auto *button = qobject_cast<QAbstractButton *>(c)) {
        button->click();
        return;
    }
    const QPointF at = QRectF(c->rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, c->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, at, c->mapToGlobal(at), Qt::LeftButton, {}, {});
    QApplication::sendEvent(c, &press);
    QApplication::sendEvent(c, &release);
}

void setText(QWidget *w, const QString &name, const QString &text)
{
    if (auto *box = qobject_cast<QLineEdit *>(child(w, name)))
        box->setText(text);
}

void closeModal(QWidget *modal)
{
    if (auto *dialog = qobject_cast<QDialog *>(modal))
        dialog->reject();
    else
        modal->close();
}

/**
 * Runs `open` (which shows a modal dialog and returns when it closes); while the dialog is up,
 * `prepare` puts it in the state wanted, it is grabbed as `name` and closed, unless `prepare`
 * returns false because it closed the dialog itself.
 */
void modal(const QString &name, const std::function<void()> &open, const std::function<bool(QWidget *)> &prepare = {})
{
    QPointer<QWidget> before = QApplication::activeModalWidget();
    auto *timer = new QTimer(qApp);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, qApp, [timer, before, name, prepare] {
        QWidget *m = QApplication::activeModalWidget();
        if (!m || m == before)
            return;
        timer->stop();
        timer->deleteLater();
        settle();
        bool keep = true;
        if (prepare)
            keep = prepare(m);
        if (!keep)
            return;
        shot(m, name);
        closeModal(m);
    });
    timer->start();
    open();
}

void show(QWidget *w)
{
    w->activateWindow();
    settle(120);
}

void saveReport(const PreparedReport &report, const QString &name, int pages = 1)
{
    for (int i = 0; i < qMin(pages, int(report.pages.size())); ++i) {
        const QString path
            = QStringLiteral("%1/%2%3.png").arg(g_out, name, pages > 1 ? QStringLiteral("-%1").arg(i + 1) : QString());
        if (ReportPainter::pageImage(report.pages.at(i), 96).save(path))
            ++g_count;
    }
}

/** A product photo: a shape in the product's colour on a soft studio background. */
QImage productPhoto(const QColor &colour, int shape)
{
    QImage image(640, 480, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, 0, 480);
    back.setColorAt(0, QColor(0xF4, 0xF1, 0xEA));
    back.setColorAt(1, QColor(0xC9, 0xC2, 0xB4));
    p.fillRect(image.rect(), back);
    p.setBrush(QColor(0, 0, 0, 40));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(200, 400, 240, 40));
    QLinearGradient body(200, 0, 440, 0);
    body.setColorAt(0, colour.darker(130));
    body.setColorAt(0.4, colour.lighter(130));
    body.setColorAt(1, colour.darker(160));
    p.setBrush(body);
    QPainterPath path;
    switch (shape % 3) {
    case 0: // a vase
        path.moveTo(270, 90);
        path.cubicTo(180, 200, 190, 400, 250, 420);
        path.lineTo(390, 420);
        path.cubicTo(450, 400, 460, 200, 370, 90);
        path.closeSubpath();
        break;
    case 1: // a bowl
        path.moveTo(170, 250);
        path.cubicTo(180, 400, 460, 400, 470, 250);
        path.closeSubpath();
        break;
    default: // a lamp
        path.addRect(305, 200, 30, 210);
        path.addRect(250, 400, 140, 20);
        path.moveTo(230, 210);
        path.lineTo(270, 90);
        path.lineTo(370, 90);
        path.lineTo(410, 210);
        path.closeSubpath();
        break;
    }
    p.drawPath(path);
    return image;
}

/** A small shop: cards with photos (some under stock, some unpaid) and a list of two pages. */
void writeSample()
{
    using F = TSchedaProdotto;
    struct Sample
    {
        const char *code, *name, *appearance, *category, *traits, *cost, *price, *stock, *warning, *paid, *due;
        QColor colour;
    };
    const Sample cards[] = {
        { "VAS-001", "Vaso Anfora", "Scatola di cartone", "Ceramiche", "Ceramica smaltata, altezza 32 cm", "18,50",
            "39,90", "12", "3", "S\u00ec", "", QColor(0x2E, 0x6E, 0x9E) },
        { "CIO-014", "Ciotola Mare", "Confezione regalo", "Ceramiche", "Diametro 18 cm, lavabile in lavastoviglie",
            "6,20", "14,50", "2", "4", "No", "31/03/2025", QColor(0x3A, 0xA0, 0xA8) },
        { "LAM-220", "Lampada Gemma", "Scatola con maniglia", "Illuminazione", "Vetro soffiato, attacco E14", "42,00",
            "89,00", "5", "2", "S\u00ec", "", QColor(0xE0, 0xA0, 0x30) },
        { "VAS-002", "Vaso Bottiglia", "Scatola di cartone", "Ceramiche", "Terracotta dipinta a mano", "12,00", "27,00",
            "1", "2", "No", "15/04/2025", QColor(0xB0, 0x50, 0x30) },
        { "CIO-020", "Ciotola Bosco", "Sacchetto di juta", "Legno", "Legno di olivo, finitura a olio", "9,80", "22,00",
            "8", "2", "S\u00ec", "", QColor(0x8B, 0x5A, 0x2B) },
        { "LAM-305", "Lampada Nuvola", "Scatola di cartone", "Illuminazione", "Paralume in lino, base in ottone",
            "35,00", "74,00", "0", "1", "No", "28/02/2025", QColor(0xD8, 0xD0, 0xC0) },
        { "VAS-010", "Vaso Torre", "Cassetta in legno", "Vetro", "Vetro di Murano, pezzo unico", "60,00", "129,00", "3",
            "1", "S\u00ec", "", QColor(0x50, 0x90, 0x50) },
        { "CIO-031", "Ciotola Sole", "Confezione regalo", "Ceramiche", "Gres porcellanato giallo", "7,40", "16,90",
            "20", "5", "S\u00ec", "", QColor(0xE8, 0xC8, 0x20) },
    };
    int n = 0;
    for (const Sample &s : cards) {
        TSchedaProdotto c;
        c[F::Codice] = QString::fromUtf8(s.code);
        c[F::Nome] = QString::fromUtf8(s.name);
        c[F::UM] = QString::fromUtf8(s.appearance);
        c[F::Tipologia] = QString::fromUtf8(s.category);
        c[F::Caratteristiche] = QString::fromUtf8(s.traits);
        c[F::Costo] = QString::fromUtf8(s.cost);
        c[F::Prezzo] = QString::fromUtf8(s.price);
        c[F::Giacenza] = QString::fromUtf8(s.stock);
        c[F::Avviso] = QString::fromUtf8(s.warning);
        c[F::Pagato] = QString::fromUtf8(s.paid);
        c[F::DataSca] = QString::fromUtf8(s.due);
        c[F::Collocazione] = QStringLiteral("Scaffale %1").arg(n % 4 + 1);
        c[F::Ditta] = n % 2 ? QStringLiteral("Ceramiche Vietresi S.r.l.") : QStringLiteral("Vetreria Muranese S.n.c.");
        c[F::Agente] = n % 2 ? QStringLiteral("Giulia Bianchi") : QStringLiteral("Luca Ferrari");
        c[F::Recapito] = QStringLiteral("055 123 45%1").arg(n, 2, 10, QLatin1Char('0'));
        c[F::Documento] = QStringLiteral("Fattura %1/2025").arg(100 + n);
        c[F::Pagamento] = QStringLiteral("Bonifico 30 gg d.f.");
        c[F::Note] = n == 0 ? QStringLiteral("Riordinare prima di Pasqua") : QString();
        const qint64 number = WarehouseArchive::append(c);
        productPhoto(s.colour, n).save(programPath(QStringLiteral("%1.jpg").arg(number)), "JPG");
        ++n;
    }
    // The list: page 1 holds all eight cards, page 2 the first three.
    const QString title = QStringLiteral("Primavera");
    const QString list = programPath(title + QStringLiteral(".lis"));
    QDir().mkpath(programPath(QStringLiteral("Foto_Listino")));
    for (int page = 1; page <= 2; ++page) {
        TPaginaListino content;
        for (int slot = 0; slot < 8; ++slot) {
            if (page == 2 && slot >= 3) {
                content.voci[slot][TVoceListino::Prezzo] = QStringLiteral("0,00");
                continue;
            }
            const Sample &s = cards[slot];
            content.voci[slot][TVoceListino::Codice] = QString::fromUtf8(s.code);
            content.voci[slot][TVoceListino::Nome] = QString::fromUtf8(s.name);
            content.voci[slot][TVoceListino::UM] = QString::fromUtf8(s.appearance);
            content.voci[slot][TVoceListino::Caratteristiche] = QString::fromUtf8(s.traits);
            content.voci[slot][TVoceListino::Prezzo] = QString::fromUtf8(s.price);
            productPhoto(s.colour, slot)
                .scaled(366, 274, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .save(programPath(QStringLiteral("Foto_Listino/%1_Foto_%2_%3.jpg")
                                      .arg(title, QChar(QLatin1Char('A' + slot)))
                                      .arg(page)),
                    "JPG");
        }
        PriceListFile::append(list, content);
    }
    PriceListFile::append(programPath(QStringLiteral("Natale.lis")), TPaginaListino());

    // A few months of stock movements of the first cards, ending at the stock each card holds.
    std::vector<Movements::Movement> moves;
    for (int c = 0; c < 4; ++c) {
        const double changes[] = { 10, -3, 5, -2 };
        double stock
            = QString::fromUtf8(cards[c].stock).toDouble() - (changes[0] + changes[1] + changes[2] + changes[3]);
        for (int k = 0; k < 4; ++k) {
            Movements::Movement m;
            m.when = QDateTime(QDate(2025, 2 + 3 * k, 3 + c), QTime(9 + k, 15));
            m.card = c + 1;
            m.code = QString::fromUtf8(cards[c].code);
            m.name = QString::fromUtf8(cards[c].name);
            m.category = QString::fromUtf8(cards[c].category);
            m.before = stock;
            m.change = changes[k];
            m.after = stock + changes[k];
            stock = m.after;
            m.cost = QString::fromUtf8(cards[c].cost).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
            m.price = QString::fromUtf8(cards[c].price).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
            m.reason = k == 3    ? Movements::Reason::Rettifica
                : changes[k] > 0 ? Movements::Reason::Carico
                                 : Movements::Reason::Scarico;
            moves.push_back(m);
        }
    }
    (void)Movements::appendConfirmed(moves);
}

PreparedReport lastReport()
{
    return g_reports.isEmpty() ? PreparedReport() : g_reports.last();
}

void grabStart()
{
    QWidget *login = Forms::password();
    show(login);
    shot(login, QStringLiteral("01-password"));
    Forms::password()->btnCambiaPassword->click();
    QWidget *change = Forms::cambiaPassword();
    show(change);
    shot(change, QStringLiteral("02-cambia-password"));
    Forms::cambiaPassword()->cmdEsci->click();
    settle();
    Forms::password()->txtPassword->setText(QStringLiteral("VETRINOVA"));
    Forms::password()->cmdOK->click();

    QWidget *start = Forms::avvio();
    // The badges follow a count on another thread, started once the window is painted.
    bool counted = false;
    QEventLoop wait;
    QObject::connect(Forms::avvio(), &TfrmAvvio::attentionCounted, &wait, [&] {
        counted = true;
        wait.quit();
    });
    QTimer::singleShot(5000, &wait, &QEventLoop::quit);
    show(start);
    if (!counted)
        wait.exec();
    shot(start, QStringLiteral("03-avvio"));
    modal(QStringLiteral("04-info"), [start] { click(start, QStringLiteral("imgInfo")); });
    modal(QStringLiteral("05-crediti"), [start] { click(start, QStringLiteral("imgCrediti")); });
    modal(QStringLiteral("06-guida-avvio"), [start] { click(start, QStringLiteral("imgGuida")); });
    modal(
        QStringLiteral("07-importa-prodotti"), [start] { click(start, QStringLiteral("lnkImporta")); },
        [](QWidget *m) {
            const QString csv = programPath(QStringLiteral("elenco-da-importare.csv"));
            QFile file(csv);
            if (file.open(QIODevice::WriteOnly))
                file.write("Listino fornitore - gennaio 2025;;;;;;;;\r\n"
                           ";;;;;;;;\r\n"
                           "Codice;Descrizione;Costo;Prezzo;Aspetto esteriore del bene;Categoria merceologica;"
                           "Caratteristiche;Collocazione in magazzino;Quantit\xC3\xA0\r\n"
                           "V-100;Vaso in ceramica smaltata;EUR 1.012,50;\xE2\x82\xAC 29,90;Scatola;Casa;Smaltato "
                           "blu;Scaffale 3;1.200\r\n"
                           "V-101;Ciotola;4;9,90;Sfuso;Casa;Bordo dorato;Scaffale 3;12\r\n"
                           "V-102;Piatto fondo;;7,50;Sfuso;Casa;Bianco;Scaffale 4;\r\n");
            file.close();
            static_cast<TfrmImportaSchede *>(m)->loadFile(csv);
            shot(m, QStringLiteral("07-importa-prodotti"));
            click(m, QStringLiteral("btnVerifica"));
            shot(m, QStringLiteral("08-importa-verificato"));
            QFile::remove(csv);
            closeModal(m);
            return false;
        });
    {
        // The progress window every long job shows, here as a safety copy shows it.
        ProgressWindow progress(start, QStringLiteral("dlgCopiaInCorso"), QStringLiteral(" Crea copia di sicurezza"),
            QStringLiteral("Avanzamento della copia di sicurezza"));
        // The job waits at its step while the window is taken.
        ProgressWindow::setStepObserver([](QProgressDialog *window) {
            if (window)
                shot(window, QStringLiteral("09-avanzamento"));
        });
        progress.run([](Job &job) { job.step(37, 100, QStringLiteral("Copia di sicurezza in corso...")); });
        ProgressWindow::setStepObserver({});
    }
}

void grabWarehouse()
{
    QWidget *start = Forms::avvio();
    click(start, QStringLiteral("imgMagazzino"));
    QWidget *mag = Forms::magazzino();
    show(mag);
    click(mag, QStringLiteral("cmdPrimo"));
    shot(mag, QStringLiteral("10-magazzino"));
    modal(
        QStringLiteral("11-giacenza"), [mag] { click(mag, QStringLiteral("btnAggiungi")); },
        [](QWidget *m) {
            setText(m, QStringLiteral("txtAggiunta"), QStringLiteral("5"));
            return true;
        });
    modal(QStringLiteral("12-calendario"), [mag] {
        auto *date = mag->findChild<QLineEdit *>(QStringLiteral("txtDataSca"));
        date->setFocus();
        QKeyEvent key(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"));
        QApplication::sendEvent(date, &key);
    });
    modal(QStringLiteral("13-zoom"), [mag] { click(mag, QStringLiteral("btnZoomFoto")); });
    modal(QStringLiteral("14-webcam"), [mag] { click(mag, QStringLiteral("btnAcquisisciFoto")); });
    modal(QStringLiteral("15-allegati"), [mag] { click(mag, QStringLiteral("btnAllegati")); });
    modal(
        QStringLiteral("16-trova"), [mag] { click(mag, QStringLiteral("btnTrova")); },
        [](QWidget *m) {
            shot(m, QStringLiteral("16-trova"));
            setText(m, QStringLiteral("txtNome"), QStringLiteral("vaso"));
            click(m, QStringLiteral("btnCerca"));
            settle(150);
            shot(m, QStringLiteral("17-trova-risultati"));
            click(m, QStringLiteral("btnStampa"));
            saveReport(lastReport(), QStringLiteral("R3-riepilogo-magazzino"), 2);
            closeModal(m);
            return false;
        });
    modal(QStringLiteral("18-sottoscorta"), [mag] { click(mag, QStringLiteral("btnSottoscorta")); });
    modal(QStringLiteral("19-da-saldare"), [mag] { click(mag, QStringLiteral("btnScaduti")); });
    modal(
        QStringLiteral("20-esporta"), [mag] { click(mag, QStringLiteral("btnEsporta")); },
        [](QWidget *m) {
            shot(m, QStringLiteral("20-esporta"));
            modal(QStringLiteral("21-guida-esporta"), [m] { click(m, QStringLiteral("cmdGuida")); });
            closeModal(m);
            return false;
        });
    modal(
        QStringLiteral("22-stampa-scheda"), [mag] { click(mag, QStringLiteral("btnStampa")); },
        [](QWidget *m) {
            shot(m, QStringLiteral("22-stampa-scheda"));
            click(m, QStringLiteral("btnStampa"));
            saveReport(lastReport(), QStringLiteral("R1-scheda-con-foto"));
            return false;
        });
    modal(
        QStringLiteral("23-anteprima-scheda"), [mag] { click(mag, QStringLiteral("btnAnteprima")); },
        [](QWidget *m) {
            click(m, QStringLiteral("optDue"));
            shot(m, QStringLiteral("23-anteprima-scheda"));
            // The real preview window this time.
            ReportOutput::setHandler({});
            modal(QStringLiteral("24-anteprima-scheda-finestra"), [m] { click(m, QStringLiteral("btnStampa")); });
            ReportOutput::setHandler([](ReportOutput::Action, const PreparedReport &r) { g_reports << r; });
            return false;
        });
    // The layout without photo, from the print window.
    modal(
        QStringLiteral("x"), [mag] { click(mag, QStringLiteral("btnStampa")); },
        [](QWidget *m) {
            click(m, QStringLiteral("optDue"));
            click(m, QStringLiteral("btnStampa"));
            saveReport(lastReport(), QStringLiteral("R2-scheda-senza-foto"));
            return false;
        });
    modal(QStringLiteral("25-guida-magazzino"), [mag] { click(mag, QStringLiteral("btnGuida")); });
    modal(QStringLiteral("26-movimenti-scheda"),
        [mag] { TfrmMovimenti::showCard(mag, 1, QStringLiteral("VAS-001"), QStringLiteral("Vaso Anfora"), 12); });
    modal(
        QStringLiteral("27-movimenti-periodo"), [mag] { TfrmMovimenti::showPeriod(mag); },
        [](QWidget *m) {
            setText(m, QStringLiteral("txtDal"), QStringLiteral("01/01/2025"));
            setText(m, QStringLiteral("txtAl"), QStringLiteral("31/12/2025"));
            click(m, QStringLiteral("cmdMostra"));
            return true;
        });
    modal(
        QStringLiteral("28-inventario"), [mag] { TfrmMovimenti::showInventory(mag); },
        [](QWidget *m) {
            setText(m, QStringLiteral("txtAl"), QStringLiteral("30/06/2025"));
            click(m, QStringLiteral("cmdMostra"));
            return true;
        });
    click(mag, QStringLiteral("btnEsci"));
}

// The price change over the sample's cards, then the list's differences once two cards have changed.
void grabPriceChanges(QWidget *page)
{
    modal(
        QStringLiteral("50-variazione-prezzi"),
        [] {
            TfrmVariazionePrezzi::openFor(nullptr, { 1, 2, 3, 4, 5, 6, 7, 8 });
        },
        [](QWidget *m) {
            setText(m, QStringLiteral("txtValore"), QStringLiteral("10"));
            if (auto *rounding = m->findChild<QComboBox *>(QStringLiteral("cboArrotondamento")))
                rounding->setCurrentIndex(4);
            click(m, QStringLiteral("cmdAnteprima"));
            settle(150);
            return true;
        });
    TSchedaProdotto changed = WarehouseArchive::read(2);
    changed[TSchedaProdotto::Prezzo] = QStringLiteral("15,90");
    changed[TSchedaProdotto::Nome] = QStringLiteral("Ciotola Mare grande");
    WarehouseArchive::overwrite(2, changed);
    changed = WarehouseArchive::read(3);
    changed[TSchedaProdotto::Prezzo] = QStringLiteral("94,90");
    WarehouseArchive::overwrite(3, changed);
    modal(
        QStringLiteral("51-aggiorna-listino"), [page] { static_cast<TfrmListinoPrezzi *>(page)->cmdAggiornaClick(); });
}

void grabPriceLists()
{
    QWidget *start = Forms::avvio();
    click(start, QStringLiteral("imgCrea"));
    QWidget *create = Forms::creaCatalogo();
    show(create);
    setText(create, QStringLiteral("txtFile"), QStringLiteral("Saldi invernali"));
    shot(create, QStringLiteral("30-crea-listino"));
    modal(QStringLiteral("31-guida-crea-listino"), [create] { click(create, QStringLiteral("imgGuida")); });
    click(create, QStringLiteral("btnAnnulla"));

    click(start, QStringLiteral("imgApri"));
    QWidget *lists = Forms::apriCatalogo();
    show(lists);
    auto *files = lists->findChild<QListWidget *>(QStringLiteral("lstFiles"));
    const QList<QListWidgetItem *> found
        = files ? files->findItems(QStringLiteral("Primavera"), Qt::MatchStartsWith) : QList<QListWidgetItem *>();
    if (!found.isEmpty())
        files->setCurrentItem(found.first());
    shot(lists, QStringLiteral("32-apri-listino"));
    modal(QStringLiteral("33-guida-apri-listino"), [lists] { click(lists, QStringLiteral("imgGuida")); });
    click(lists, QStringLiteral("btnApri"));

    QWidget *page = Forms::listinoPrezzi();
    show(page);
    click(page, QStringLiteral("cmdPrimo"));
    shot(page, QStringLiteral("34-listino-prezzi"));
    modal(
        QStringLiteral("35-importa"), [page] { click(page, QStringLiteral("impProdotto_B")); },
        [](QWidget *m) {
            shot(m, QStringLiteral("35-importa"));
            setText(m, QStringLiteral("txtNome"), QStringLiteral("a"));
            click(m, QStringLiteral("btnCerca"));
            settle(150);
            shot(m, QStringLiteral("36-importa-risultati"));
            closeModal(m);
            return false;
        });
    modal(
        QStringLiteral("37-stampa-listino"), [page] { click(page, QStringLiteral("cmdStampa")); },
        [](QWidget *m) {
            shot(m, QStringLiteral("37-stampa-listino"));
            click(m, QStringLiteral("btnStampa"));
            saveReport(lastReport(), QStringLiteral("R0-pagina-listino"));
            return false;
        });
    modal(
        QStringLiteral("38-anteprima-listino"), [page] { click(page, QStringLiteral("cmdAnteprima")); },
        [](QWidget *m) {
            shot(m, QStringLiteral("38-anteprima-listino"));
            ReportOutput::setHandler({});
            modal(QStringLiteral("39-anteprima-listino-finestra"), [m] { click(m, QStringLiteral("btnStampa")); });
            ReportOutput::setHandler([](ReportOutput::Action, const PreparedReport &r) { g_reports << r; });
            return false;
        });
    modal(QStringLiteral("40-guida-listino"), [page] { click(page, QStringLiteral("cmdGuida")); });
    grabPriceChanges(page);
    click(page, QStringLiteral("cmdEsci"));
}
/** The label window over the warehouse editor, its copies by stock, and the code search. */
void grabLabels()
{
    TfrmMagazzino *editor = WindowSet::instance<TfrmMagazzino>();
    modal(QStringLiteral("E1-etichette"), [editor] { LabelEntries::labelsForRecords(editor, { 1, 2, 3, 4 }); });
    modal(
        QStringLiteral("E2-etichette-giacenza"),
        [editor] {
            LabelEntries::labelsForRecords(editor, { 1, 2, 3, 4 });
        },
        [](QWidget *m) {
            if (auto *sheet = qobject_cast<QComboBox *>(child(m, QStringLiteral("cboFoglio"))))
                sheet->setCurrentIndex(sheet->count() - 1);
            click(m, QStringLiteral("optGiacenza"));
            click(m, QStringLiteral("chkNegozio"));
            setText(m, QStringLiteral("txtNegozio"), QStringLiteral("Bottega di esempio"));
            shot(m, QStringLiteral("E2-etichette-giacenza"));
            closeModal(m);
            return false;
        });
    modal(
        QStringLiteral("E3-cerca-codice"),
        [editor] { TfrmCercaCodice::openFrom(editor, [](const TSchedaProdotto &, qint64) {}); },
        [](QWidget *m) {
            setText(m, QStringLiteral("txtCercaCodice"), QStringLiteral("NESSUNO"));
            click(m, QStringLiteral("btnCerca"));
            shot(m, QStringLiteral("E3-cerca-codice"));
            closeModal(m);
            return false;
        });
}
} // namespace

int main(int argc, char **argv)
{
    Application app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: grab-screens PROGRAM_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    QDir().mkpath(QString::fromLocal8Bit(argv[1]));
    setProgramFolderOverride(QString::fromLocal8Bit(argv[1]));
    g_out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(g_out);
    if (!QFileInfo::exists(programPath(QStringLiteral("Magazzino.pro"))))
        writeSample();
    if (!QFileInfo::exists(programPath(QStringLiteral("unins000.dll"))))
        (void)PasswordStore::write(
            programPath(QStringLiteral("unins000.dll")), Crypt::encode(PasswordStore::FirstAccessPassword));

    // Nothing may block: messages are logged, file dialogs cancelled, prints kept as pages.
    Msg::setHandler([](Msg::Kind kind, const QString &text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return kind == Msg::Kind::Confirm ? QMessageBox::No : QMessageBox::Ok;
    });
    FileDialogs::setHandler([](FileDialogs::Kind, const QString &, const QString &, const QString &, const QString &) {
        return QString();
    });
    TMisc::setHandler([](const QString &text) { std::fprintf(stderr, "open: %s\n", qPrintable(text)); });
    ReportOutput::setHandler([](ReportOutput::Action, const PreparedReport &r) { g_reports << r; });
    Clock::setNow(QDateTime(QDate(2025, 3, 14), QTime(9, 30)));

    QTimer::singleShot(0, [] {
        Forms::start();
        grabStart();
        grabWarehouse();
        grabPriceLists();
        grabLabels();
        std::printf("%d pictures in %s\n", g_count, qPrintable(g_out));
        Forms::destroyAll();
        QApplication::exit(0);
    });
    return app.exec();
}

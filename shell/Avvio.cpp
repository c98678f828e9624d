#include "shell/Avvio.h"

#include "app/Guida.h"
#include "app/Info.h"
#include "app/Splash.h"
#include "app/rules/Links.h"
#include "pricelist/ApriCatalogo.h"
#include "pricelist/CreaCatalogo.h"
#include "shell/CopiaSicurezza.h"
#include "shell/Forms.h"
#include "storage/Clock.h"
#include "storage/SafetyCopy.h"
#include "warehouse/DaSaldare.h"
#include "warehouse/ImportaSchede.h"
#include "warehouse/Magazzino.h"
#include "warehouse/Sottoscorta.h"
#include "widgets/LinkLabel.h"
#include "widgets/Messages.h"
#include "widgets/OpenURL.h"
#include "widgets/PictureButton.h"
#include "widgets/Resources.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QThread>
#include <QTimer>

#include <memory>

namespace {
QLabel *picture(QWidget *parent, const char *name, const QString &art, const QRect &geometry)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setPixmap(Resources::pixmap(art, geometry.size()));
    return label;
}

QPushButton *badge(QWidget *parent, const char *name, const QColor &colour, const QString &hint)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setCursor(Qt::PointingHandCursor);
    b->setFocusPolicy(Qt::TabFocus);
    b->setProperty("statusText", hint);
    b->setToolTip(hint);
    b->setAccessibleDescription(hint);
    b->setFont(QFont(QStringLiteral("Tahoma"), 11, QFont::Bold));
    b->setStyleSheet(QStringLiteral("QPushButton { color: white; background: %1; border: 1px solid %2;"
                                    " border-radius: 11px; padding: 2px 14px; }"
                                    "QPushButton:hover, QPushButton:focus { background: %2; }")
                         .arg(colour.name(), colour.darker(130).name()));
    b->hide();
    return b;
}

// The vertical middle of the bottom strip: the credits icon's.
constexpr int kStripMiddle = 671;

bool &countsAttention()
{
    static bool on = true;
    return on;
}

QString counted(qint64 n, const char *one, const char *many)
{
    return QLocale(QLocale::Italian).toString(n) + QLatin1Char(' ') + QString::fromUtf8(n == 1 ? one : many);
}
} // namespace

TfrmAvvio::TfrmAvvio()
    : Workspace(QStringLiteral(" Vetrinova"), QColor(0x5D, 0x85, 0xA6))
{
    setObjectName(QStringLiteral("frmAvvio"));
    QWidget *p = panel();

    picture(p, "imgTitolo", QStringLiteral("avvio-titolo"), QRect(100, 18, 796, 67));
    picture(p, "imgSottotitolo", QStringLiteral("avvio-sottotitolo"), QRect(17, 88, 961, 22));
    picture(p, "linSepara01", QStringLiteral("avvio-separa"), QRect(12, 399, 970, 10));
    picture(p, "linSepara02", QStringLiteral("avvio-separa"), QRect(12, 454, 970, 10));

    // The three ways in: picture, caption bar and note all lead to the same workspace.
    struct Way
    {
        const char *key;
        int x;
        const char *word;
        void (TfrmAvvio::*click)();
    };
    const Way ways[] = {
        { "Magazzino", 46, "Magazzino prodotti", &TfrmAvvio::imgMagazzinoClick },
        { "Crea", 373, "Crea nuovo listino", &TfrmAvvio::imgCreaClick },
        { "Apri", 700, "Apri listino esistente", &TfrmAvvio::imgApriClick },
    };
    for (const Way &way : ways) {
        const QString key = QLatin1String(way.key);
        const QString art = key.toLower();
        const QString word = QLatin1String(way.word);
        auto *img = new PictureButton(
            p, QStringLiteral("img") + key, QStringLiteral("avvio-") + art, QRect(way.x, 148, 248, 248), word);
        auto *btn = new PictureButton(
            p, QStringLiteral("btn") + key, QStringLiteral("avvio-btn-") + art, QRect(way.x - 30, 416, 308, 30), word);
        auto *app = new PictureButton(p, QStringLiteral("app") + key, QStringLiteral("avvio-nota-") + art,
            QRect(way.x + 19, 468, 215, 127), word);
        for (PictureButton *b : { img, btn, app })
            connect(b, &PictureButton::clicked, this, way.click);
    }

    auto *imgInfo = new PictureButton(p, QStringLiteral("imgInfo"), QStringLiteral("icona-info"), QRect(14, 14, 30, 30),
        QStringLiteral("Informazioni su Vetrinova"));
    connect(imgInfo, &PictureButton::clicked, this, &TfrmAvvio::imgInfoClick);
    auto *imgGuida = new PictureButton(
        p, QStringLiteral("imgGuida"), QStringLiteral("icona-guida"), QRect(952, 16, 29, 28), QStringLiteral("Guida"));
    connect(imgGuida, &PictureButton::clicked, this, &TfrmAvvio::imgGuidaClick);
    auto *imgCrediti = new PictureButton(p, QStringLiteral("imgCrediti"), QStringLiteral("icona-crediti"),
        QRect(16, 660, 23, 22), QStringLiteral("Riconoscimenti"));
    connect(imgCrediti, &PictureButton::clicked, this, &TfrmAvvio::imgCreditiClick);
    // Bringing an existing product list in, in the free space beside the credits. The bottom strip is one
    // row centred on the credits icon, its words in one font; the start window has no status line, so a
    // control's status text is its tooltip.
    const QString importStatus = QStringLiteral("Importa le schede prodotto da un file CSV, da una cartella di lavoro "
                                                "Excel o dal file Magazzino.xls.");
    auto *imgImporta = new PictureButton(p, QStringLiteral("imgImporta"), QStringLiteral("icona-importa"),
        QRect(52, 660, 23, 22), QStringLiteral("Importa prodotti da un file"), importStatus);
    auto *lnkImporta
        = new LinkLabel(p, QStringLiteral("lnkImporta"), QStringLiteral("Importa prodotti"), QPoint(80, 661));
    QFont stripFont(QStringLiteral("Tahoma"), 9);
    stripFont.setUnderline(true);
    lnkImporta->setFont(stripFont);
    lnkImporta->adjustSize();
    lnkImporta->move(82, kStripMiddle - lnkImporta->height() / 2);
    lnkImporta->setKeyboardReachable();
    lnkImporta->setAccessibleName(QStringLiteral("Importa prodotti da un file"));
    lnkImporta->setAccessibleDescription(importStatus);
    lnkImporta->setProperty("statusText", importStatus);
    lnkImporta->setToolTip(importStatus);
    imgImporta->setToolTip(importStatus);
    lnkImporta->attachIcon(imgImporta);
    connect(lnkImporta, &LinkLabel::clicked, this, &TfrmAvvio::imgImportaClick);
    auto *imgSito = new PictureButton(p, QStringLiteral("imgSito"), QStringLiteral("avvio-sito"),
        QRect(17, 628, 961, 22), QStringLiteral("Sito web di Orvenza Software"));
    connect(imgSito, &PictureButton::clicked, this, &TfrmAvvio::imgSitoClick);
    auto *imgEsci = new PictureButton(
        p, QStringLiteral("imgEsci"), QStringLiteral("icona-esci"), QRect(960, 662, 17, 18), QStringLiteral("Esci"));
    connect(imgEsci, &PictureButton::clicked, this, &TfrmAvvio::imgEsciClick);

    // Safety copies, in the free strip along the bottom between the credits and the exit icons.
    auto *imgCopia = new PictureButton(p, QStringLiteral("imgCopia"), QStringLiteral("avvio-copia"),
        QRect(236, kStripMiddle - 13, 212, 26), QStringLiteral("Crea copia di sicurezza"),
        QStringLiteral("Salva in un unico file ZIP tutti i dati del programma: schede, foto, listini e allegati."));
    connect(imgCopia, &PictureButton::clicked, this, &TfrmAvvio::imgCopiaClick);
    auto *imgRipristina = new PictureButton(p, QStringLiteral("imgRipristina"), QStringLiteral("avvio-ripristina"),
        QRect(460, kStripMiddle - 13, 212, 26), QStringLiteral("Ripristina da una copia"),
        QStringLiteral("Sostituisce i dati del programma con quelli di una copia di sicurezza."));
    connect(imgRipristina, &PictureButton::clicked, this, &TfrmAvvio::imgRipristinaClick);
    for (PictureButton *b : { imgCopia, imgRipristina }) {
        b->setKeyboardReachable();
        b->setToolTip(b->statusText());
    }
    auto *chkCopiaUscita = new QCheckBox(QStringLiteral("Copia automatica all'uscita"), p);
    chkCopiaUscita->setObjectName(QStringLiteral("chkCopiaUscita"));
    stripFont.setUnderline(false);
    chkCopiaUscita->setFont(stripFont);
    QPalette dark = chkCopiaUscita->palette();
    dark.setColor(QPalette::WindowText, LinkLabel::Normal);
    chkCopiaUscita->setPalette(dark);
    chkCopiaUscita->setGeometry(684, kStripMiddle - 11, 224, 22);
    chkCopiaUscita->setFocusPolicy(Qt::TabFocus);
    const QString hint = QStringLiteral("All'uscita, se qualcosa è cambiato, crea una copia di sicurezza nella "
                                        "cartella Copie e tiene le ultime dieci.");
    chkCopiaUscita->setProperty("statusText", hint);
    chkCopiaUscita->setAccessibleName(QStringLiteral("Copia automatica all'uscita"));
    chkCopiaUscita->setAccessibleDescription(hint);
    chkCopiaUscita->setToolTip(hint);
    chkCopiaUscita->setChecked(SafetyCopy::Settings::automatic());
    connect(chkCopiaUscita, &QCheckBox::toggled, this, [this, chkCopiaUscita](bool on) {
        const WriteResult stored = SafetyCopy::Settings::setAutomatic(on);
        if (stored)
            return;
        // The file keeps the previous choice, and so does the program: the box shows what is in force.
        const QSignalBlocker quiet(chkCopiaUscita);
        chkCopiaUscita->setChecked(!on);
        Msg::error(this,
            stored.error() == WriteError::LinkOutside
                ? Msg::linkOutsideMessage(QStringLiteral("Vetrinova.ini"))
                : QStringLiteral("Attenzione: non \u00e8 stato possibile salvare la scelta nel file Vetrinova.ini; il "
                                 "disco potrebbe essere pieno. Resta in vigore l'impostazione precedente."));
    });

    // What needs attention, in the free strip between the subtitle and the three pictures.
    auto *attention = new QWidget(p);
    attention->setObjectName(QStringLiteral("panAttenzione"));
    attention->setGeometry(17, 115, 961, 28);
    auto *row = new QHBoxLayout(attention);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(16);
    row->addStretch();
    btnAvvisoSottoscorta = badge(attention, "btnAvvisoSottoscorta", QColor(0xC8, 0x5A, 0x00),
        QStringLiteral("Apre il magazzino con l'elenco dei prodotti sotto scorta."));
    btnAvvisoScaduti = badge(attention, "btnAvvisoScaduti", QColor(0xB0, 0x2A, 0x2A),
        QStringLiteral("Apre il magazzino con l'elenco dei pagamenti scaduti."));
    row->addWidget(btnAvvisoSottoscorta);
    row->addWidget(btnAvvisoScaduti);
    row->addStretch();
    connect(btnAvvisoSottoscorta, &QPushButton::clicked, this, &TfrmAvvio::btnAvvisoSottoscortaClick);
    connect(btnAvvisoScaduti, &QPushButton::clicked, this, &TfrmAvvio::btnAvvisoScadutiClick);

    // Tab goes from the top down; the window itself holds the cursor at first, so Enter opens nothing.
    setTabOrder(btnAvvisoSottoscorta, btnAvvisoScaduti);
    setTabOrder(btnAvvisoScaduti, lnkImporta);
    setTabOrder(lnkImporta, imgCopia);
    setTabOrder(imgCopia, imgRipristina);
    setTabOrder(imgRipristina, chkCopiaUscita);
    setFocus(Qt::OtherFocusReason);
}

TfrmAvvio::~TfrmAvvio()
{
    // The count reads the archive for at most a moment; it must not outlive the window it reports to.
    if (m_counter) {
        m_counter->wait();
        delete m_counter;
    }
}

void TfrmAvvio::formShow()
{
    // Counted again each time the user comes back, once the window is on screen.
    m_countAfterPaint = true;
    update();
}

void TfrmAvvio::paintEvent(QPaintEvent *event)
{
    Workspace::paintEvent(event);
    if (m_countAfterPaint) {
        m_countAfterPaint = false;
        QTimer::singleShot(0, this, &TfrmAvvio::startAttentionCount);
    }
}

void TfrmAvvio::setCountsAttention(bool on)
{
    countsAttention() = on;
}

void TfrmAvvio::startAttentionCount()
{
    if (!countsAttention())
        return;
    if (m_counter) {
        m_countAgain = true;
        return;
    }
    const QDate today = Clock::today();
    auto result = std::make_shared<std::optional<AttentionCounts>>();
    m_counter = QThread::create([today, result] {
        try {
            *result = countAttention(today);
        } catch (...) {
            // An archive that cannot be read shows no badges; the warehouse says why when it is opened.
        }
    });
    connect(m_counter, &QThread::finished, this, [this, result] {
        m_counter->deleteLater();
        m_counter = nullptr;
        showAttention(*result);
        emit attentionCounted();
        if (m_countAgain) {
            m_countAgain = false;
            startAttentionCount();
        }
    });
    m_counter->start(QThread::LowPriority);
}

void TfrmAvvio::showAttention(const std::optional<AttentionCounts> &counts)
{
    const auto set = [](QPushButton *b, qint64 n, const char *one, const char *many) {
        b->setText(counted(n, one, many));
        b->setAccessibleName(b->text());
        b->setVisible(n > 0);
    };
    set(btnAvvisoSottoscorta, counts ? counts->underStock : 0, "prodotto sotto scorta", "prodotti sotto scorta");
    set(btnAvvisoScaduti, counts ? counts->overdue : 0, "pagamento scaduto", "pagamenti scaduti");
}

void TfrmAvvio::btnAvvisoSottoscortaClick()
{
    // Opened from the editor, as its own button does, so a double click shows the card there.
    TfrmMagazzino *editor = Forms::magazzino();
    editor->handOverFrom(this);
    TfrmSottoscorta::openFrom(editor);
}

void TfrmAvvio::btnAvvisoScadutiClick()
{
    TfrmMagazzino *editor = Forms::magazzino();
    editor->handOverFrom(this);
    TfrmDaSaldare::openFrom(editor, TfrmDaSaldare::Scope::Overdue);
}

void TfrmAvvio::imgMagazzinoClick()
{
    Forms::magazzino()->handOverFrom(this);
}

void TfrmAvvio::imgCreaClick()
{
    Forms::creaCatalogo()->handOverFrom(this);
}

void TfrmAvvio::imgApriClick()
{
    Forms::apriCatalogo()->handOverFrom(this);
}

void TfrmAvvio::imgEsciClick()
{
    Forms::endProgram();
}

void TfrmAvvio::imgSitoClick()
{
    TMisc::Open(Links::webSite());
}

void TfrmAvvio::imgInfoClick()
{
    TfrmInfo::showInfo(this);
}

void TfrmAvvio::imgGuidaClick()
{
    TfrmGuida::showTopic(this, HelpTopic::Avvio);
}

void TfrmAvvio::imgCreditiClick()
{
    TfrmSplash::showCredits(this);
}

void TfrmAvvio::imgCopiaClick()
{
    CopiaSicurezza::crea(this);
}

void TfrmAvvio::imgRipristinaClick()
{
    CopiaSicurezza::ripristina(this);
    // The archive may now be another one: the badges must not speak of the cards that were there.
    startAttentionCount();
}

void TfrmAvvio::imgImportaClick()
{
    TfrmImportaSchede::showFor(this);
    startAttentionCount();
}

void TfrmAvvio::formClose()
{
    // Closing the start window ends the program, whatever was open earlier in the run.
    Forms::endProgram();
}

#include "warehouse/AllegaCartella.h"

#include "storage/Codepage.h"
#include "storage/FileReplace.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "storage/TextField.h"
#include "warehouse/Magazzino.h"
#include "widgets/ArtLabel.h"
#include "widgets/FileDialogs.h"
#include "widgets/Messages.h"
#include "widgets/OneLine.h"
#include "widgets/OpenURL.h"
#include "widgets/PictureButton.h"
#include "widgets/ShapeWidget.h"
#include "widgets/WindowSet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const char16_t *const kOrdinal[] = { u"1\u00b0", u"2\u00b0", u"3\u00b0" };

QString slotName(const char *stem, int slot)
{
    return QStringLiteral("%1%2").arg(QLatin1String(stem)).arg(slot + 1, 2, 10, QLatin1Char('0'));
}

// Why the card could not keep `name` as an attachment name, or nothing. The card stores the name
// trimmed, in Windows-1252, cut at the field's width: a name it would change would no longer find
// its copy, and a name that is not a plain file name could reach outside the attachments folder.
QString nameRefusal(const QString &name)
{
    const QString again = QStringLiteral("\r\n\r\nRinominare il file e sceglierlo di nuovo.");
    if (!isPlainFileName(name) || trimText(name) != name)
        return QStringLiteral("Attenzione: il nome del file scelto non pu\u00f2 essere utilizzato per un allegato.")
            + again;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const bool pair = name.at(i).isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate();
        const QString ch = name.mid(i, pair ? 2 : 1);
        if (!fitsCp1252(ch))
            return QStringLiteral("Attenzione: il nome del file scelto contiene il carattere \"%1\", che non pu\u00f2 "
                                  "essere memorizzato nella scheda.")
                       .arg(ch)
                + again;
    }
    const int width = TSchedaProdotto::info(TSchedaProdotto::File01).width;
    if (name.size() > width)
        return QStringLiteral("Attenzione: il nome del file scelto \u00e8 troppo lungo; pu\u00f2 contenere al massimo "
                              "%1 caratteri.")
                   .arg(width)
            + again;
    return QString();
}

// Copies through a new file that replaces the target only when whole, so a failed copy leaves a file
// of the same name untouched.
bool copyReplacing(const QString &source, const QString &target)
{
    if (!writeStaysInside(target))
        return false;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    FileReplace out(target);
    if (!out.open())
        return false;
    QByteArray block;
    while (!(block = in.read(1 << 20)).isEmpty())
        if (!out.write(block))
            return false;
    return in.error() == QFileDevice::NoError && out.commit();
}
} // namespace

TfrmAllegaCartella::TfrmAllegaCartella(QWidget *owner)
    : DialogWindow(owner, QStringLiteral(" Allega file"), QSize(634, 534), QColor(0xEB, 0xE9, 0xE9), Qt::white)
{
    setObjectName(QStringLiteral("frmAllegaCartella"));
    auto *panel = new ShapeWidget(this, QRect(12, 15, 609, 503), Qt::white, QColor(), QColor(0xC8, 0xC8, 0xC8));
    panel->setObjectName(QStringLiteral("panContainer"));
    artLabel(panel, QStringLiteral("imgSpiega"), QStringLiteral("allega-header"), QRect(16, 8, 577, 64),
        QStringLiteral("Per allegare un file premere Sfoglia, poi Applica e chiudi e infine Salva nella scheda; "
                       "per aprire un allegato premere Apri."));

    const QFont boxFont(QStringLiteral("Verdana"), 12, QFont::Bold);
    for (int s = 0; s < Slots; ++s) {
        const int dy = 120 * s;
        auto *frame = new ShapeWidget(
            panel, QRect(16, 80 + dy, 577, 113), QColor(0xDD, 0xEA, 0xF6), Qt::white, QColor(0xA9, 0xC4, 0xDE));
        frame->setObjectName(slotName("shpAllegato", s));

        auto *lblNome
            = new QLabel(QStringLiteral("Nome %1 file allegato:").arg(QString::fromUtf16(kOrdinal[s])), panel);
        lblNome->move(28, 90 + dy);
        lblNome->adjustSize();

        auto *txtFile = new QLineEdit(panel);
        txtFile->setObjectName(slotName("txtFile", s));
        txtFile->setGeometry(28, 108 + dy, 338, 22);
        txtFile->setReadOnly(true);
        QFont fileFont(QStringLiteral("Verdana"));
        fileFont.setBold(true);
        txtFile->setFont(fileFont);
        QPalette grey = txtFile->palette();
        grey.setColor(QPalette::Text, QColor(0x80, 0x80, 0x80));
        txtFile->setPalette(grey);
        m_txtFile[s] = txtFile;

        auto *imgCancella = new PictureButton(panel, slotName("imgCancella", s), QStringLiteral("allega-cancella"),
            QRect(370, 108 + dy, 22, 22), QStringLiteral("Togli allegato"));
        connect(imgCancella, &PictureButton::clicked, this, [this, s] { imgCancellaClick(s); });

        auto *btnSfoglia = new QPushButton(QStringLiteral("Sfoglia..."), panel);
        btnSfoglia->setObjectName(slotName("btnSfoglia", s));
        btnSfoglia->setGeometry(400, 104 + dy, 86, 28);
        connect(btnSfoglia, &QPushButton::clicked, this, [this, s] { btnSfogliaClick(s); });

        auto *btnApri = new QPushButton(QStringLiteral("Apri"), panel);
        btnApri->setObjectName(slotName("btnApri", s));
        btnApri->setGeometry(494, 104 + dy, 86, 28);
        btnApri->setEnabled(false);
        connect(btnApri, &QPushButton::clicked, this, [this, s] { btnApriClick(s); });
        m_btnApri[s] = btnApri;
        connect(txtFile, &QLineEdit::textChanged, btnApri,
            [btnApri](const QString &text) { btnApri->setEnabled(!trimText(text).isEmpty()); });

        auto *lblDesc
            = new QLabel(QStringLiteral("Descrizione %1 file allegato:").arg(QString::fromUtf16(kOrdinal[s])), panel);
        lblDesc->move(28, 140 + dy);
        lblDesc->adjustSize();

        auto *txtDesc = new QLineEdit(panel);
        txtDesc->setObjectName(slotName("txtDesc", s));
        txtDesc->setGeometry(28, 158 + dy, 552, 22);
        txtDesc->setFont(boxFont);
        keepOneLine(txtDesc);
        m_txtDesc[s] = txtDesc;
    }

    auto *btnAnnulla = new QPushButton(QStringLiteral("Annulla"), panel);
    btnAnnulla->setObjectName(QStringLiteral("btnAnnulla"));
    btnAnnulla->setGeometry(312, 456, 126, 32);
    connect(btnAnnulla, &QPushButton::clicked, this, &TfrmAllegaCartella::btnAnnullaClick);

    auto *btnApplica = new QPushButton(QStringLiteral("Applica e chiudi"), panel);
    btnApplica->setObjectName(QStringLiteral("btnApplica"));
    btnApplica->setGeometry(447, 456, 154, 32);
    connect(btnApplica, &QPushButton::clicked, this, &TfrmAllegaCartella::btnApplicaClick);

    m_lblMemory = new QLabel(panel);
    m_lblMemory->setObjectName(QStringLiteral("lblMemory"));
    m_lblMemory->hide();

    for (int s = 0; s < Slots; ++s) {
        setTabOrder(s == 0 ? static_cast<QWidget *>(m_txtFile[0]) : m_txtDesc[s - 1], m_txtFile[s]);
        setTabOrder(m_txtFile[s], m_txtDesc[s]);
    }
}

void TfrmAllegaCartella::showFor(TfrmMagazzino *editor)
{
    TfrmAllegaCartella w(editor);
    w.fillFrom(editor);
    w.exec();
}

void TfrmAllegaCartella::fillFrom(const TfrmMagazzino *editor)
{
    const TfrmMagazzino::Attachments attachments = editor->attachments();
    for (int s = 0; s < Slots; ++s) {
        m_txtFile[s]->setText(attachments[size_t(s)].file);
        m_txtDesc[s]->setText(attachments[size_t(s)].description);
    }
    m_lblMemory->setText(QStringLiteral("magazzino"));
}

QString TfrmAllegaCartella::folder()
{
    return programPath(QStringLiteral("Documenti_Allegati"));
}

void TfrmAllegaCartella::btnSfogliaClick(int slot)
{
    const QString chosen = FileDialogs::openFile(
        this, QStringLiteral("Selezionare il file da allegare:"), QStringLiteral("Tutti i file (*.*)|*"));
    if (chosen.isEmpty())
        return;
    const QString name = QFileInfo(chosen).fileName();
    if (const QString refusal = nameRefusal(name); !refusal.isEmpty()) {
        // The slot keeps the name it had.
        Msg::warning(this, refusal);
        return;
    }
    m_txtFile[slot]->setText(name);

    // Every failure from here on is silent and leaves the folder as it was; the name stays in the box.
    const QString dir = folder();
    const bool made = !QFileInfo::exists(dir);
    if (made && !QDir().mkpath(dir))
        return;
    const QString target = dir + QLatin1Char('/') + name;
    const bool present = QFileInfo::exists(target);
    if (present
        && !Msg::confirm(this,
            QStringLiteral("Attenzione: nella cartella dei documenti allegati \u00e8 presente un "
                           "file con lo stesso nome.\r\n\r\nSi vuole sovrascrivere il file "
                           "esistente?")))
        return;
    // A file chosen from the attachments folder itself is already where it belongs.
    if (present && QFileInfo(chosen).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return;
    if (!copyReplacing(chosen, target) && made)
        QDir().rmdir(dir);
}

void TfrmAllegaCartella::btnApriClick(int slot)
{
    // The name comes from the archive, which anyone may have edited: only a file of the attachments
    // folder itself is ever handed to the desktop.
    const QString name = trimText(m_txtFile[slot]->text());
    if (!isPlainFileName(name)) {
        Msg::warning(
            this, QStringLiteral("Il nome del file allegato non \u00e8 valido: il file non pu\u00f2 essere aperto."));
        return;
    }
    const QString path = folder() + QLatin1Char('/') + name;
    TMisc::Open(QLatin1Char('"') + path + QLatin1Char('"'));
}

void TfrmAllegaCartella::imgCancellaClick(int slot)
{
    m_txtFile[slot]->clear();
}

void TfrmAllegaCartella::btnApplicaClick()
{
    if (trimText(m_lblMemory->text()) != QLatin1String("magazzino"))
        return;
    if (TfrmMagazzino *editor = WindowSet::instance<TfrmMagazzino>()) {
        TfrmMagazzino::Attachments attachments;
        for (int s = 0; s < Slots; ++s)
            attachments[size_t(s)] = { trimText(m_txtFile[s]->text()), trimText(m_txtDesc[s]->text()) };
        editor->setAttachments(attachments);
    }
    close();
}

void TfrmAllegaCartella::btnAnnullaClick()
{
    close();
}

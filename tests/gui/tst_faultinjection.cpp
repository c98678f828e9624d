#include "app/CambiaPassword.h"
#include "app/rules/AccessRules.h"
#include "app/rules/PasswordStore.h"
#include "pricelist/ListinoPrezzi.h"
#include "shell/Application.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/ArchiveFile.h"
#include "storage/FileReplace.h"
#include "storage/PaginaListino.h"
#include "storage/SchedaProdotto.h"
#include "storage/platform/Faults.h"
#include "tests/support/DiskFaults.h"
#include "tests/support/TestSupport.h"
#include "warehouse/ExpMagazzino.h"
#include "warehouse/Magazzino.h"
#include "warehouse/TrovaMagazzino.h"
#include "warehouse/rules/ExportWriter.h"
#include "widgets/DialogWindow.h"
#include "widgets/PhotoBox.h"

#include <QAbstractItemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRegularExpression>
#include <QTableView>

#include <array>
#include <map>

// Every step of every operation that touches a file, failed in turn as a failing disk would fail it.
// A dry run counts the calls each operation makes, so the table holds exactly the fault points there are.

namespace {
using F = TSchedaProdotto::Field;

enum class Op {
    CardAppend,
    CardOverwrite,
    CardNavigate,
    PageAppend,
    PageOverwrite,
    PageNavigate,
    Search,
    ExportFill,
    ExportWrite,
    PasswordChange
};
const std::array<std::pair<Op, const char *>, 10> kOps = { {
    { Op::CardAppend, "card append" },
    { Op::CardOverwrite, "card overwrite" },
    { Op::CardNavigate, "card navigate" },
    { Op::PageAppend, "page append" },
    { Op::PageOverwrite, "page overwrite" },
    { Op::PageNavigate, "page navigate" },
    { Op::Search, "search" },
    { Op::ExportFill, "export, grid filling" },
    { Op::ExportWrite, "export, file writing" },
    { Op::PasswordChange, "password change" },
} };

using Os::Faults::Kind;

// The files a fault can be on, each picked at the seam by its name.
enum class Target { Cards, Pages, Export, Photo, Password };
constexpr Target kTargets[] = { Target::Cards, Target::Pages, Target::Export, Target::Photo, Target::Password };

Os::Faults::Fault faultOn(Target target)
{
    switch (target) {
    case Target::Cards:
        return { .path = "Magazzino.pro", .wholeName = true };
    case Target::Pages:
        return { .path = "Fiori.lis", .wholeName = true };
    case Target::Export:
        return { .path = "Magazzino.xls" }; // its temporary too
    case Target::Photo:
        return { .path = ".jpg" };
    case Target::Password:
        return { .path = "unins000.dll" };
    }
    return {};
}

// A fault point, as one number for the data table: the file, the kind of call, and whether a failing
// write stores half its bytes.
int pointOf(Target target, Kind kind, bool partial)
{
    return int(target) * 100 + int(kind) * 2 + int(partial);
}
Target targetOf(int point)
{
    return Target(point / 100);
}
Kind kindOf(int point)
{
    return Kind(point % 100 / 2);
}
bool partialOf(int point)
{
    return point % 2;
}

QString pointName(int point)
{
    static const char *targets[] = { "archive", "list", "export", "photo", "password store" };
    static const char *kinds[]
        = { "open", "create", "read", "write", "flush", "rename", "truncate", "remove", "lock", "close", "status" };
    return QStringLiteral("%1 %2%3").arg(QLatin1String(targets[int(targetOf(point))]),
        QLatin1String(kinds[int(kindOf(point))]), partialOf(point) ? QStringLiteral(" (half)") : QString());
}

/** A failure on a photo: the record before it is saved. */
bool onAPhoto(int point)
{
    return point >= 0 && targetOf(point) == Target::Photo;
}

const QString kInserted = QStringLiteral("La scheda corrente \u00e8 stata inserita in archivio.");
const QString kSaved = QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio.");
const QString kExportFailed = QStringLiteral("Attenzione: il sistema non permette di esportare i dati.\n\r\n\r"
                                             "Accertarsi che il file di Excel non sia gi\u00e0 aperto.");
const QString kAskExport = QStringLiteral("L'esportazione dei dati in Excel pu\u00f2 richiedere diversi minuti a "
                                          "seconda del numero di schede presenti in archivio.\r\n\r\n"
                                          "Si vuole esportare i dati adesso?");
const QString kExported = QStringLiteral("Le schede in archivio sono state esportate con successo.\r\n\r\n"
                                         "Si vuole aprire il file di Excel?");
const QString kPasswordFailed = QStringLiteral("Attenzione: si \u00e8 verificato un errore durante la procedura di "
                                               "modifica della password. Si consiglia di reinstallare il software.");
const QString kPasswordChanged = QStringLiteral("Modifica della password completata con successo.");
const QString kPhotoAfterInsert
    = QStringLiteral("Attenzione: la scheda corrente \u00e8 stata inserita in archivio, ma "
                     "non \u00e8 stato possibile salvarne la foto; il disco potrebbe essere "
                     "pieno. Dopo aver liberato spazio premere di nuovo Salva.");
const QString kPhotoAfterSave
    = QStringLiteral("Attenzione: le modifiche apportate alla scheda corrente sono state "
                     "salvate in archivio, ma non \u00e8 stato possibile salvarne la foto; il "
                     "disco potrebbe essere pieno. Dopo aver liberato spazio premere di "
                     "nuovo Salva.");
const QString kPhotosAfterInsert = QStringLiteral("Attenzione: la scheda corrente \u00e8 stata inserita in archivio, "
                                                  "ma non \u00e8 stato possibile salvare una o pi\u00f9 foto; il disco "
                                                  "potrebbe essere pieno. Dopo aver liberato spazio premere di nuovo "
                                                  "Salva.");
const QString kPhotosAfterSave = QStringLiteral("Attenzione: le modifiche apportate alla scheda corrente sono state "
                                                "salvate in archivio, ma non \u00e8 stato possibile salvare una o "
                                                "pi\u00f9 foto; il disco potrebbe essere pieno. Dopo aver liberato "
                                                "spazio premere di nuovo Salva.");

QString slotPhoto(QChar slot, int page)
{
    return QStringLiteral("Foto_Listino/Fiori_Foto_%1_%2.jpg").arg(slot).arg(page);
}

template <typename T> T *named(QWidget *window, const QString &name)
{
    T *w = window->findChild<T *>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

/** Watches every call to the system and counts, for each fault point, the calls it picks. */
struct Counter
{
    std::map<int, int> calls;

    void install()
    {
        Os::Faults::Fault watch;
        watch.hook = [this](Kind kind, int, const std::string &path) {
            // A removal that fails only leaves a temporary for the start-up clean-up: no point to check.
            if (kind == Kind::Remove)
                return;
            for (Target target : kTargets)
                if (!path.empty() && Os::Faults::concerns(faultOn(target), path)) {
                    ++calls[pointOf(target, kind, false)];
                    if (kind == Kind::Write && target != Target::Cards && target != Target::Pages)
                        ++calls[pointOf(target, kind, true)];
                }
        };
        Os::Faults::arm(watch);
    }
};

/** Fails the `call`-th call at `point`. */
void armAt(int point, int call)
{
    Os::Faults::Fault fault = faultOn(targetOf(point));
    fault.kind = kindOf(point);
    fault.call = call;
    fault.partial = partialOf(point);
    Os::Faults::arm(fault);
}
} // namespace

class TestFaultInjection : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> sb;
    std::unique_ptr<QWidget> m_own; // a window the test made (search, export)
    QWidget *m_window = nullptr;

    QString listPath() const { return sb->path(QStringLiteral("Fiori.lis")); }

    void click(const QString &name) { QTest::mouseClick(named<QWidget>(m_window, name), Qt::LeftButton); }
    QLineEdit *box(const QString &name) const { return named<QLineEdit>(m_window, name); }

    void activate(QWidget *w)
    {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
    }

    void start()
    {
        sb = std::make_unique<Sandbox>();
        Forms::createAll();
        for (int i = 1; i <= 3; ++i) {
            TSchedaProdotto c;
            c[F::Codice] = QStringLiteral("C%1").arg(i);
            c[F::Costo] = QStringLiteral("1,00");
            c[F::Nome] = QStringLiteral("Nome %1").arg(i);
            c[F::Giacenza] = QStringLiteral("5");
            c[F::Avviso] = QStringLiteral("1");
            c[F::UM] = QStringLiteral("Sfuso");
            c[F::Tipologia] = QStringLiteral("Varie");
            c[F::Caratteristiche] = QStringLiteral("Blu");
            c[F::Prezzo] = QStringLiteral("2,00");
            WarehouseArchive::append(c);
            TPaginaListino page;
            page.voci[0][TVoceListino::Nome] = QStringLiteral("Pagina %1").arg(i);
            PriceListFile::append(listPath(), page);
        }
        Sandbox::writeFile(ExportWriter::exportPath(), QByteArrayLiteral("old export"));
        QVERIFY(Access::store(QStringLiteral("ABC")));
        QDir(sb->folder()).mkdir(QStringLiteral("Foto_Listino"));
        for (int i = 1; i <= 3; ++i) {
            makeJpeg(sb->path(QStringLiteral("%1.jpg").arg(i)), QSize(40, 30), QColor(80 * i, 0, 0));
            makeJpeg(sb->path(slotPhoto('A', i)), QSize(366, 274), QColor(0, 80 * i, 0));
        }
    }

    void stop()
    {
        Os::Faults::disarm();
        m_own.reset();
        m_window = nullptr;
        Forms::destroyAll();
        sb.reset();
    }

    /** Opens the window of `op` and brings it to the state the operation starts from. */
    void prepare(Op op)
    {
        switch (op) {
        case Op::CardAppend:
        case Op::CardOverwrite:
        case Op::CardNavigate: {
            auto *m = Forms::magazzino();
            m_window = m;
            m->handOverFrom(nullptr);
            activate(m);
            click(QStringLiteral("cmdPrimo"));
            click(QStringLiteral("cmdAvanti"));
            QCOMPARE(named<QLabel>(m, "lblPosizione")->text(), QStringLiteral("2"));
            if (op == Op::CardAppend) {
                click(QStringLiteral("btnDuplica"));
                box("txtCodice")->setText(QStringLiteral("NUOVA"));
            } else if (op == Op::CardOverwrite) {
                box("txtNome")->setText(QStringLiteral("Cambiato"));
            }
            break;
        }
        case Op::PageAppend:
        case Op::PageOverwrite:
        case Op::PageNavigate: {
            auto *ed = Forms::listinoPrezzi();
            m_window = ed;
            named<QLabel>(ed, "lblFile")->setText(listPath());
            named<QLabel>(ed, "lblNome")->setText(QStringLiteral("Fiori"));
            Forms::avvio()->show();
            ed->handOverFrom(Forms::avvio());
            activate(ed);
            if (op != Op::PageAppend) {
                click(QStringLiteral("cmdPrimo"));
                click(QStringLiteral("cmdAvanti"));
                QCOMPARE(named<QLabel>(ed, "lblPosizione")->text(), QStringLiteral("2"));
            }
            if (op != Op::PageNavigate) {
                const QStringList values { "Rosa", "Vaso", "Profumata", "ROS-18", "12,50" };
                const QStringList stems { "txtNome_A", "txtUM_A", "txtCaratteristiche_A", "txtCodice_A",
                    "txtPrezzo_A" };
                for (int i = 0; i < 5; ++i)
                    box(stems[i])->setText(values[i]);
            }
            break;
        }
        case Op::Search: {
            auto *m = Forms::magazzino();
            m->handOverFrom(nullptr);
            m_own = std::make_unique<TfrmTrovaMagazzino>(m);
            m_window = m_own.get();
            named<QLabel>(m_window, "lblMemory")->setText(QStringLiteral("magazzino"));
            m_window->show();
            activate(m_window);
            box("txtCodice")->setText(QStringLiteral("C"));
            break;
        }
        case Op::ExportFill:
            break;
        case Op::ExportWrite:
            m_own = std::make_unique<TfrmExpMagazzino>(nullptr);
            m_window = m_own.get();
            m_window->show();
            QVERIFY(QTest::qWaitForWindowExposed(m_window));
            break;
        case Op::PasswordChange:
            m_window = Forms::cambiaPassword();
            m_window->show();
            activate(m_window);
            box("txtPasswordOld")->setText(QStringLiteral("abc"));
            box("txtPasswordNew")->setText(QStringLiteral("nuova"));
            box("txtConferma")->setText(QStringLiteral("nuova"));
            break;
        }
        sb->clearMessages();
    }

    void act(Op op)
    {
        switch (op) {
        case Op::CardAppend:
        case Op::CardOverwrite:
            click(QStringLiteral("btnSalva"));
            break;
        case Op::PageAppend:
        case Op::PageOverwrite:
            click(QStringLiteral("cmdSalva"));
            break;
        case Op::CardNavigate:
        case Op::PageNavigate:
            click(QStringLiteral("cmdAvanti"));
            break;
        case Op::Search:
            click(QStringLiteral("btnCerca"));
            break;
        case Op::ExportFill:
            m_own = std::make_unique<TfrmExpMagazzino>(nullptr);
            m_window = m_own.get();
            m_window->show();
            QVERIFY(QTest::qWaitForWindowExposed(m_window));
            break;
        case Op::ExportWrite:
            sb->answers = { QMessageBox::Yes, QMessageBox::No };
            click(QStringLiteral("cmdEsporta"));
            break;
        case Op::PasswordChange:
            QTest::mouseClick(named<QWidget>(m_window, "cmdOK"), Qt::LeftButton);
            break;
        }
    }

    /** What the window shows: every box and label, the search panels' visibility, the grid's rows. */
    QStringList screen() const
    {
        QStringList out;
        if (!m_window)
            return out;
        for (QLineEdit *e : m_window->findChildren<QLineEdit *>())
            if (!e->objectName().isEmpty())
                out << e->objectName() + QLatin1Char('=') + e->text();
        for (QLabel *l : m_window->findChildren<QLabel *>())
            // The search shows how many boxes it uses before it reads anything.
            if (l->objectName().startsWith(QLatin1String("lbl")) && l->objectName() != QLatin1String("lblConta"))
                out << l->objectName() + QLatin1Char('=') + l->text();
        if (auto *avvio = m_window->findChild<QWidget *>(QStringLiteral("panAvvio")))
            out << QStringLiteral("panAvvio=%1").arg(avvio->isVisible());
        return out;
    }

    /**
     * The bytes of every file the operation may touch, record by record; `skip` names the record written.
     * A failing slot photo is one of eight: the page's other photos may be written, so `step` leaves them out.
     */
    QStringList protectedBytes(Op op, int step = -1) const
    {
        QStringList out;
        auto records = [&](const QString &path, int size, int skip) {
            const QByteArray all = Sandbox::readFile(path);
            for (int i = 0; i * size < all.size(); ++i)
                if (i + 1 != skip)
                    out << QStringLiteral("%1#%2:%3")
                               .arg(QFileInfo(path).fileName())
                               .arg(i + 1)
                               .arg(QString::fromLatin1(all.mid(i * size, size).toHex()));
        };
        const int card = op == Op::CardOverwrite ? 2 : op == Op::CardAppend ? 4 : 0;
        const int page = op == Op::PageOverwrite ? 2 : op == Op::PageAppend ? 4 : 0;
        records(warehousePath(), TSchedaProdotto::RecordSize, card);
        records(listPath(), TPaginaListino::RecordSize, page);
        out << QString::fromLatin1(Sandbox::readFile(ExportWriter::exportPath()));
        out << QString::fromLatin1(Sandbox::readFile(PasswordStore::path()));
        // A photo is written only after its record: a failed save leaves the card's photo as it was.
        QStringList photos { "1.jpg", "2.jpg", "3.jpg", "4.jpg", slotPhoto('A', 1), slotPhoto('A', 3) };
        if (op != Op::PageOverwrite || !onAPhoto(step))
            photos << slotPhoto('A', 2);
        for (const QString &photo : std::as_const(photos))
            out << photo + QLatin1Char(':')
                    + (QFile::exists(sb->path(photo)) ? QString::fromLatin1(Sandbox::readFile(sb->path(photo)).toHex())
                                                      : QStringLiteral("none"));
        return out;
    }

    /** The message a failure of `op` at `step` shows; null when it shows none. */
    static QString failureMessage(Op op, int step)
    {
        // The record is saved by then; only its photos are not.
        if (onAPhoto(step)) {
            switch (op) {
            case Op::CardAppend:
                return kPhotoAfterInsert;
            case Op::CardOverwrite:
                return kPhotoAfterSave;
            case Op::PageAppend:
                return kPhotosAfterInsert;
            case Op::PageOverwrite:
                return kPhotosAfterSave;
            default:
                break;
            }
        }
        switch (op) {
        case Op::ExportFill:
            return QString();
        case Op::ExportWrite:
            return kExportFailed;
        case Op::PasswordChange:
            return kPasswordFailed;
        default:
            return Msg::archiveMessage();
        }
    }

    /** Checks that `op`, run again without a fault, does its work. */
    void checkWorks(Op op, bool appendedBefore)
    {
        switch (op) {
        case Op::CardAppend:
        case Op::PageAppend:
            QCOMPARE(sb->messageTexts(), QStringList { appendedBefore ? kSaved : kInserted });
            break;
        case Op::CardOverwrite:
        case Op::PageOverwrite:
            QCOMPARE(sb->messageTexts(), QStringList { kSaved });
            break;
        case Op::CardNavigate:
        case Op::PageNavigate:
            QCOMPARE(sb->messageTexts(), QStringList());
            QCOMPARE(named<QLabel>(m_window, "lblPosizione")->text(), QStringLiteral("3"));
            break;
        case Op::Search:
            QCOMPARE(sb->messageTexts(), QStringList());
            QCOMPARE(named<QListView>(m_window, "lstRecords")->model()->rowCount(), 3);
            break;
        case Op::ExportFill:
            QCOMPARE(sb->messageTexts(), QStringList());
            QCOMPARE(named<QTableView>(m_window, "grdRecords")->model()->rowCount(), 3);
            break;
        case Op::ExportWrite:
            QCOMPARE(sb->messageTexts(), (QStringList { kAskExport, kExported }));
            QVERIFY(Sandbox::readFile(ExportWriter::exportPath()).contains("C3"));
            break;
        case Op::PasswordChange:
            QCOMPARE(sb->messageTexts(), QStringList { kPasswordChanged });
            QCOMPARE(Access::stored().value(), QStringLiteral("NUOVA"));
            break;
        }
        if (op == Op::CardAppend || op == Op::CardOverwrite) {
            // Three cards before: a failed save and its retry add at most one.
            QCOMPARE(WarehouseArchive::count(), op == Op::CardAppend ? 4 : 3);
            const qint64 n = named<QLabel>(m_window, "lblPosizione")->text().toLongLong();
            QVERIFY(n >= 2);
            QCOMPARE(WarehouseArchive::read(n)[F::Codice], box("txtCodice")->text());
            QCOMPARE(WarehouseArchive::read(n)[F::Nome], box("txtNome")->text());
        }
        if (op == Op::PageAppend || op == Op::PageOverwrite) {
            QCOMPARE(PriceListFile::pageCount(listPath()), op == Op::PageAppend ? 4 : 3);
            const qint64 n = named<QLabel>(m_window, "lblPosizione")->text().toLongLong();
            QVERIFY(n >= 2);
            QCOMPARE(PriceListFile::read(listPath(), n).voci[0][TVoceListino::Nome], QStringLiteral("Rosa"));
        }
    }

private slots:
    void cleanup() { stop(); }

    void everyFaultPointKeepsDataAndScreen_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("call");
        int points = 0;
        for (const auto &[op, name] : kOps) {
            start();
            prepare(op);
            Counter counter;
            counter.install();
            act(op);
            Os::Faults::disarm();
            const std::map<int, int> calls = counter.calls;
            stop();
            for (const auto &[step, count] : calls)
                for (int call = 1; call <= count; ++call) {
                    QTest::addRow("%s, %s #%d", name, qPrintable(pointName(step)), call) << int(op) << step << call;
                    ++points;
                }
        }
        qInfo("%d fault points", points);
    }

    void everyFaultPointKeepsDataAndScreen()
    {
        QFETCH(int, op);
        QFETCH(int, step);
        QFETCH(int, call);
        const Op o = Op(op);
        start();
        prepare(o);
        const QStringList shownBefore = screen();
        const QStringList bytesBefore = protectedBytes(o, step);

        armAt(step, call);
        act(o);
        const bool fired = Os::Faults::fired();
        Os::Faults::disarm();
        QVERIFY(fired);

        const QString message = failureMessage(o, step);
        QStringList expected;
        if (o == Op::ExportWrite)
            expected << kAskExport;
        if (!message.isNull())
            expected << message;
        QCOMPARE(sb->messageTexts(), expected);
        const bool saving
            = o == Op::CardAppend || o == Op::CardOverwrite || o == Op::PageAppend || o == Op::PageOverwrite;
        const bool photoFailed = saving && onAPhoto(step);
        if (!message.isNull()) {
            // The editors show an error box, or a warning when only a photo failed; the search, the export
            // and the password window a plain one.
            const Msg::Kind kind = o > Op::PageNavigate ? Msg::Kind::Plain : Msg::Kind::Error;
            QCOMPARE(sb->messages.last().kind, photoFailed ? Msg::Kind::Warning : kind);
        }
        if (o != Op::ExportFill) {
            QStringList shownAfter = screen();
            // Both editors show the record's number once it is written; a failing close and the photos come
            // later.
            const bool flushing = kindOf(step) == Kind::Sync || kindOf(step) == Kind::Close;
            const bool written = saving && (flushing || photoFailed);
            if (written)
                shownAfter.replaceInStrings(QRegularExpression(QStringLiteral("^lblPosizione=.*")),
                    shownBefore.filter(QRegularExpression(QStringLiteral("^lblPosizione="))).value(0));
            QCOMPARE(shownAfter, shownBefore);
        }
        QCOMPARE(protectedBytes(o, step), bytesBefore);

        // The program goes on: the same operation without the fault succeeds.
        // A record whose write succeeded before a failing close is on screen with its number: saving again
        // rewrites it rather than adding it twice.
        const bool appendedBefore = (o == Op::CardAppend || o == Op::PageAppend)
            && !named<QLabel>(m_window, "lblPosizione")->text().isEmpty();
        sb->clearMessages();
        if (o == Op::ExportFill)
            m_own.reset();
        act(o);
        checkWorks(o, appendedBefore);
    }

    // Saving a new photo over a card's or a slot's old one on a full disk: the old file stays whole, the
    // user is told, the new picture stays on screen, and once there is room Salva writes it.
    void aPhotoOnAFullDiskKeepsItsOldFile_data()
    {
        QTest::addColumn<bool>("page");
        QTest::addColumn<int>("failing");
        const std::pair<DiskFault, const char *> steps[] = {
            { DiskFault::Write, "nothing written" },
            { DiskFault::ShortWrite, "half written" },
            { DiskFault::Flush, "flush fails" },
        };
        for (bool page : { false, true })
            for (const auto &[step, name] : steps)
                QTest::addRow("%s, %s", page ? "slot photo" : "card photo", name) << page << int(step);
    }
    void aPhotoOnAFullDiskKeepsItsOldFile()
    {
        QFETCH(bool, page);
        QFETCH(int, failing);
        start();
        const Op op = page ? Op::PageOverwrite : Op::CardOverwrite;
        prepare(op);
        const QString box = page ? QStringLiteral("imgFoto_A") : QStringLiteral("imgFoto");
        sb->nextFiles << makeJpeg(sb->path(QStringLiteral("nuova.jpg")), QSize(50, 40), Qt::blue);
        page ? click(box) : click(QStringLiteral("btnCaricaFoto"));
        QCOMPARE(named<PhotoBox>(m_window, box)->picture().size(), QSize(50, 40));
        const QString target = sb->path(page ? slotPhoto('A', 2) : QStringLiteral("2.jpg"));
        const QByteArray before = Sandbox::readFile(target);
        const QStringList filesBefore = QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden);

        Os::Faults::Fault full = diskFault(DiskFault(failing), 1, ".jpg");
        full.lasting = true;
        Os::Faults::arm(full);
        act(op);
        Os::Faults::disarm();
        QCOMPARE(Sandbox::readFile(target), before);
        QCOMPARE(QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
        QCOMPARE(sb->messageTexts(), QStringList { page ? kPhotosAfterSave : kPhotoAfterSave });
        QCOMPARE(named<PhotoBox>(m_window, box)->picture().size(), QSize(50, 40));

        sb->clearMessages();
        act(op);
        QCOMPARE(sb->messageTexts(), QStringList { kSaved });
        const QImage written = loadPicture(target);
        QVERIFY(!written.isNull());
        QVERIFY(written.pixelColor(written.width() / 2, written.height() / 2).blue() > 200);
    }
};

VETRINOVA_TEST_MAIN(TestFaultInjection)
#include "tst_faultinjection.moc"

#include "tests/support/TestSupport.h"

#include "pricelist/ListinoPrezzi.h"
#include "pricelist/StampaProdotto.h"
#include "report/ReportOutput.h"
#include "report/engine/ListReport.h"
#include "shell/Application.h"
#include "shell/Forms.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/Magazzino.h"
#include "warehouse/Sottoscorta.h"
#include "warehouse/StampaMag.h"
#include "warehouse/TrovaMagazzino.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>

#include <csignal>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

/*
 * Prints through real CUPS queues: a private scheduler with its own configuration, socket and
 * folders, started by the test (as root) and stopped at the end, with the two kinds of queue a shop
 * meets: cups-filters' generic PDF printer (the road of driverless and PDF printers) and the
 * cups-pdf virtual printer. Only the print dialog is answered by the test; the QPrinter is Qt's CUPS
 * one, and the pages are read back from what the queues wrote.
 */

namespace {
using F = TSchedaProdotto;

const QString GenericQueue = QStringLiteral("Vetrinova_PDF");
const QString CupsPdfQueue = QStringLiteral("Vetrinova_CUPS_PDF");
const QString GenericPpd = QStringLiteral("/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd");
const QString CupsPdfPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
const QString CupsPdfBackend = QStringLiteral("/usr/lib/cups/backend/cups-pdf");
constexpr int JobSeconds = 40;

/** Runs a tool to its end (bounded); its output, or a null text when it cannot run or fails. */
QString tool(const QString &program, const QStringList &arguments, QString *errors = nullptr)
{
    QProcess process;
    // The CUPS tools translate what they print; the test reads their English.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(20000);
    if (errors)
        *errors = QString::fromUtf8(process.readAllStandardError());
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    return out.isNull() ? QStringLiteral("") : out;
}

QString findTool(const QString &name)
{
    return QStandardPaths::findExecutable(name, { QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin") });
}

/** What a queue wrote, as a reader sees it. */
struct Sheet
{
    int pages = 0;
    /** The page as it lies, in points. */
    QSizeF paper;
    /** The page turned so that its text runs left to right. */
    QSizeF reading;
    QString text;
};

Sheet readPdf(const QString &path)
{
    Sheet sheet;
    const QString info = tool(QStringLiteral("pdfinfo"), { path });
    sheet.pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();
    const auto size = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(info);
    sheet.paper = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    const int rotation = QRegularExpression(QStringLiteral("Page rot:\\s+(\\d+)")).match(info).captured(1).toInt();
    if (rotation % 180 == 90)
        sheet.paper.transpose();

    // A page printed turned on the sheet carries its words upright in the other direction.
    int across = 0;
    int down = 0;
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]{4,})</word>"));
    const QString boxes = tool(QStringLiteral("pdftotext"), { QStringLiteral("-bbox"), path, QStringLiteral("-") });
    for (auto it = word.globalMatch(boxes); it.hasNext();) {
        const auto m = it.next();
        const double width = m.captured(3).toDouble() - m.captured(1).toDouble();
        const double height = m.captured(4).toDouble() - m.captured(2).toDouble();
        ++(width > height ? across : down);
    }
    sheet.reading = down > across ? sheet.paper.transposed() : sheet.paper;
    sheet.text = tool(QStringLiteral("pdftotext"), { path, QStringLiteral("-") });
    return sheet;
}

TSchedaProdotto card(const QString &code, const QString &name, const QString &cost)
{
    TSchedaProdotto c;
    c[F::Codice] = code;
    c[F::Nome] = name;
    c[F::Tipologia] = QStringLiteral("Piante da esterno fiorite");
    c[F::Costo] = cost;
    c[F::Prezzo] = QStringLiteral("19,90");
    c[F::Giacenza] = QStringLiteral("2");
    c[F::Avviso] = QStringLiteral("5");
    c[F::Pagato] = QStringLiteral("No");
    c[F::DataSca] = QStringLiteral("31/12/2025");
    return c;
}

// Types into a box or label of a window, as the user (or the program) would have filled it.
void setBox(QWidget *window, const QString &name, const QString &text)
{
    if (auto *edit = window->findChild<QLineEdit *>(name))
        edit->setText(text);
    else if (auto *label = window->findChild<QLabel *>(name))
        label->setText(text);
    else
        QFAIL(qPrintable(QStringLiteral("no box ") + name));
}

void click(QWidget *window, const QString &name)
{
    window->findChild<QPushButton *>(name)->click();
}
} // namespace

class TestPrintQueues : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_cupsd;
    QString m_cupsPdfConfig;
    std::unique_ptr<Sandbox> m_sandbox;

    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    QString outputFolder(const QString &queue) const
    {
        return path(queue == GenericQueue ? QStringLiteral("generic") : QStringLiteral("cups-pdf"));
    }

    /** Sets up the scheduler and its queues; the reason when this machine cannot, else an empty text. */
    QString startCups()
    {
        if (geteuid() != 0)
            return QStringLiteral("a private CUPS scheduler needs root (CI runs this test as root)");
        for (const QString &name : QStringList { "cupsd", "lpadmin", "lpstat", "pdfinfo", "pdftotext" }) {
            if (findTool(name).isEmpty())
                return name + QStringLiteral(" is missing: install cups, cups-client and poppler-utils");
        }
        for (const QString &file : { GenericPpd, CupsPdfPpd, CupsPdfBackend }) {
            if (!QFileInfo::exists(file))
                return file + QStringLiteral(" is missing: install cups-filters and printer-driver-cups-pdf");
        }
        QFile apparmor(QStringLiteral("/sys/kernel/security/apparmor/profiles"));
        if (apparmor.open(QIODevice::ReadOnly) && apparmor.readAll().contains("/usr/sbin/cupsd (enforce)"))
            return QStringLiteral("AppArmor keeps cupsd to the system's own folders here");

        m_dir = std::make_unique<QTemporaryDir>();
        // The filters run as the scheduler's user lp, and must reach the folders below.
        QFile::setPermissions(m_dir->path(),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                | QFile::ReadOther | QFile::ExeOther);
        for (const QString &folder :
            QStringList { "root", "spool", "cache", "state", "tmp", "log", "generic", "cups-pdf" })
            QDir(m_dir->path()).mkpath(folder);
        // cupsd gives its own folders the rights it wants, but not the temporary one, where the filters write.
        chmod(QFile::encodeName(path(QStringLiteral("tmp"))).constData(), 01777);
        const QString socket = path(QStringLiteral("cups.sock"));
        Sandbox::writeFile(path(QStringLiteral("root/cupsd.conf")),
            QStringLiteral("Listen %1\n"
                           "LogLevel info\n"
                           "Browsing No\n"
                           "WebInterface No\n"
                           "DefaultPolicy open\n"
                           "<Policy open>\n<Limit All>\nOrder deny,allow\nAllow all\n</Limit>\n</Policy>\n"
                           "<Location />\nOrder allow,deny\nAllow all\n</Location>\n")
                .arg(socket)
                .toUtf8());
        Sandbox::writeFile(path(QStringLiteral("root/cups-files.conf")),
            QStringLiteral("ServerRoot %1/root\nRequestRoot %1/spool\nCacheDir %1/cache\nStateDir %1/state\n"
                           "TempDir %1/tmp\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                           "PageLog %1/log/page_log\nPrintcap %1/printcap\nFileDevice Yes\n"
                           "User lp\nGroup lp\nSystemGroup root\n")
                .arg(m_dir->path())
                .toUtf8());

        QString errors;
        if (tool(findTool(QStringLiteral("cupsd")),
                { QStringLiteral("-t"), QStringLiteral("-c"), path(QStringLiteral("root/cupsd.conf")),
                    QStringLiteral("-s"), path(QStringLiteral("root/cups-files.conf")) },
                &errors)
                .isNull())
            return QStringLiteral("cupsd refuses its configuration: ") + errors;

        m_cupsd = std::make_unique<QProcess>();
        // The scheduler goes with the test, even when the test is killed.
        m_cupsd->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_cupsd->setProcessChannelMode(QProcess::MergedChannels);
        m_cupsd->start(findTool(QStringLiteral("cupsd")),
            { QStringLiteral("-f"), QStringLiteral("-c"), path(QStringLiteral("root/cupsd.conf")), QStringLiteral("-s"),
                path(QStringLiteral("root/cups-files.conf")) });
        if (!m_cupsd->waitForStarted(10000))
            return QStringLiteral("cupsd cannot be started: ") + m_cupsd->errorString();

        // Qt's CUPS support and the tools below all talk to this scheduler only.
        qputenv("CUPS_SERVER", socket.toLocal8Bit());
        qputenv("PRINTER", GenericQueue.toLocal8Bit());
        const QDeadlineTimer ready(10000);
        while (!tool(findTool(QStringLiteral("lpstat")), { QStringLiteral("-r") })
                    .startsWith(QLatin1String("scheduler is running"))) {
            if (ready.hasExpired() || m_cupsd->state() != QProcess::Running)
                return QStringLiteral("cupsd did not start: ") + QString::fromUtf8(m_cupsd->readAll())
                    + QString::fromUtf8(Sandbox::readFile(path(QStringLiteral("log/error_log"))));
            QTest::qWait(50);
        }

        // cups-pdf reads its settings from /etc/cups only: one file named after this instance.
        const QString instance = QStringLiteral("vetrinova-test-%1").arg(QCoreApplication::applicationPid());
        m_cupsPdfConfig = QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(instance);
        Sandbox::writeFile(m_cupsPdfConfig,
            QStringLiteral("Out %1/cups-pdf\nSpool %1/cups-pdf-spool\nAnonDirName %1/cups-pdf\nLog %1/log\nGrp root\n")
                .arg(m_dir->path())
                .toUtf8());

        const QString lpadmin = findTool(QStringLiteral("lpadmin"));
        const QList<QStringList> queues = {
            { QStringLiteral("-p"), GenericQueue, QStringLiteral("-E"), QStringLiteral("-v"),
                QStringLiteral("file://") + path(QStringLiteral("generic/out.pdf")), QStringLiteral("-P"), GenericPpd,
                QStringLiteral("-o"), QStringLiteral("PageSize=A4") },
            // Rendered through Poppler's Cairo rather than Ghostscript, whose fonts pdftotext cannot read.
            { QStringLiteral("-p"), CupsPdfQueue, QStringLiteral("-E"), QStringLiteral("-v"),
                QStringLiteral("cups-pdf:/") + instance, QStringLiteral("-P"), CupsPdfPpd, QStringLiteral("-o"),
                QStringLiteral("PageSize=A4"), QStringLiteral("-o"),
                QStringLiteral("pdftops-renderer-default=pdftocairo") },
            { QStringLiteral("-d"), GenericQueue },
        };
        for (const QStringList &arguments : queues) {
            if (tool(lpadmin, arguments, &errors).isNull())
                return QStringLiteral("lpadmin %1 failed: %2").arg(arguments.join(QLatin1Char(' ')), errors);
        }
        if (QPrinterInfo::printerInfo(GenericQueue).isNull() || QPrinterInfo::printerInfo(CupsPdfQueue).isNull())
            return QStringLiteral("Qt does not see the CUPS queues: is its CUPS plugin (libqt6printsupport6) there?");
        return QString();
    }

    void stopCups()
    {
        if (m_cupsd) {
            m_cupsd->terminate();
            if (!m_cupsd->waitForFinished(10000))
                m_cupsd->kill();
            m_cupsd.reset();
        }
        if (!m_cupsPdfConfig.isEmpty())
            QFile::remove(m_cupsPdfConfig);
    }

    /** The PDF the queue wrote for the last job, once the queue has finished it; empty after the wait. */
    QString waitForOutput(const QString &queue)
    {
        const QString lpstat = findTool(QStringLiteral("lpstat"));
        const QDeadlineTimer deadline(JobSeconds * 1000);
        while (!deadline.hasExpired()) {
            const QStringList written = QDir(outputFolder(queue)).entryList({ QStringLiteral("*.pdf") }, QDir::Files);
            const QString pending = tool(lpstat, { QStringLiteral("-o"), queue });
            if (!written.isEmpty() && pending.isEmpty())
                return QDir(outputFolder(queue)).filePath(written.constFirst());
            // A queue that fails a job stops: no need to wait for it.
            if (tool(lpstat, { QStringLiteral("-p"), queue }).contains(QLatin1String("disabled")))
                break;
            QTest::qWait(100);
        }
        return QString();
    }

    QString schedulerLog() const
    {
        const QStringList lines
            = QString::fromUtf8(Sandbox::readFile(path(QStringLiteral("log/error_log")))).split(QLatin1Char('\n'));
        return lines.mid(std::max<qsizetype>(0, lines.size() - 20)).join(QLatin1Char('\n'));
    }

private slots:
    void initTestCase()
    {
        const QString reason = startCups();
        if (!reason.isEmpty()) {
            stopCups();
            QSKIP(qPrintable(QStringLiteral("No private CUPS scheduler: ") + reason));
        }
    }

    void cleanupTestCase() { stopCups(); }

    void init()
    {
        m_sandbox = std::make_unique<Sandbox>();
        ReportOutput::setHandler({});
        Forms::createAll();
        for (const QString &queue : { GenericQueue, CupsPdfQueue }) {
            QDir folder(outputFolder(queue));
            for (const QString &name : folder.entryList(QDir::Files))
                folder.remove(name);
        }
    }

    void cleanup()
    {
        ReportOutput::setDialogHandler({});
        Forms::destroyAll();
        m_sandbox.reset();
    }

    void reportsKeepTheirPaperOnEveryQueue_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QStringList>("chosen"); // printers picked in the dialog, in order; the last prints
        QTest::addColumn<bool>("turnedInProperties");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<QStringList>("words");

        const QStringList generic = { GenericQueue };
        const QStringList cupsPdf = { CupsPdfQueue };
        const QStringList list = { "Pagato:", "Scad.", "Costo:", "1234,50", "ROS-CANINA-RAMPICANTE",
            "Stampa eseguita in data 07/01/2025" };
        const QStringList card = { "SCHEDA PRODOTTO", "ROS-18", "Stampa eseguita in data 07/01/2025" };
        const QStringList page = { "Fiori", "Ortensia", "9,90" };
        QTest::newRow("under-stock list, PDF printer")
            << "under stock" << generic << false << true << (list + QStringList { "Materiali in esaurimento" });
        QTest::newRow("search list, cups-pdf chosen in the dialog")
            << "search" << cupsPdf << false << true << (list + QStringList { "Riepilogo prodotti in magazzino" });
        QTest::newRow("search list, PDF printer chosen after cups-pdf")
            << "search" << (cupsPdf + generic) << false << true << list;
        QTest::newRow("under-stock list, portrait chosen in the properties")
            << "under stock" << generic << true << true << list;
        QTest::newRow("product card, landscape chosen in the properties") << "card" << generic << true << false << card;
        QTest::newRow("price-list page, cups-pdf") << "price list" << cupsPdf << false << false << page;
    }

    void reportsKeepTheirPaperOnEveryQueue()
    {
        QFETCH(QString, report);
        QFETCH(QStringList, chosen);
        QFETCH(bool, turnedInProperties);
        QFETCH(bool, landscape);
        QFETCH(QStringList, words);
        const QPageLayout::Orientation orientation = landscape ? QPageLayout::Landscape : QPageLayout::Portrait;

        QString startedOn;
        QPageLayout::Orientation shown = QPageLayout::Portrait;
        ReportOutput::setDialogHandler([&](QPrinter &printer) {
            startedOn = printer.printerName();
            shown = printer.pageLayout().orientation();
            for (const QString &queue : chosen)
                printer.setPrinterName(queue);
            if (turnedInProperties)
                printer.setPageOrientation(landscape ? QPageLayout::Portrait : QPageLayout::Landscape);
            return true;
        });

        if (report == QLatin1String("under stock") || report == QLatin1String("search")) {
            WarehouseArchive::append(card(QStringLiteral("ROS-CANINA-RAMPICANTE"),
                QStringLiteral("Rosa canina rampicante a fiore doppio"), QStringLiteral("1234,50")));
            WarehouseArchive::append(card(QStringLiteral("ORT-7"), QStringLiteral("Ortensia"), QStringLiteral("3,10")));
            if (report == QLatin1String("under stock")) {
                TfrmSottoscorta window(Forms::magazzino());
                window.show();
                click(&window, QStringLiteral("btnStampa"));
            } else {
                TfrmTrovaMagazzino window(Forms::magazzino());
                window.show();
                click(&window, QStringLiteral("btnCerca"));
                click(&window, QStringLiteral("btnStampa"));
            }
        } else if (report == QLatin1String("card")) {
            TfrmMagazzino *editor = Forms::magazzino();
            editor->clearCard();
            setBox(editor, QStringLiteral("txtCodice"), QStringLiteral("ROS-18"));
            setBox(editor, QStringLiteral("txtGiacenza"), QStringLiteral("2"));
            TfrmStampaMag window(editor);
            window.btnStampaClick();
        } else {
            TfrmListinoPrezzi *editor = Forms::listinoPrezzi();
            setBox(editor, QStringLiteral("lblNome"), QStringLiteral("Fiori"));
            setBox(editor, QStringLiteral("lblPosizione"), QStringLiteral("1"));
            setBox(editor, QStringLiteral("txtNome_H"), QStringLiteral("Ortensia"));
            setBox(editor, QStringLiteral("txtPrezzo_H"), QStringLiteral("9,90"));
            TfrmStampaProdotto window(editor);
            window.btnStampaClick();
        }

        QCOMPARE(startedOn, GenericQueue);
        QVERIFY2(m_sandbox->messages.isEmpty(), qPrintable(m_sandbox->messageTexts().join(QLatin1Char('\n'))));
        const QString queue = chosen.constLast();
        const QString pdf = waitForOutput(queue);
        QVERIFY2(!pdf.isEmpty(), qPrintable(QStringLiteral("no output from %1:\n%2").arg(queue, schedulerLog())));

        const Sheet sheet = readPdf(pdf);
        QCOMPARE(sheet.pages, 1);
        // An A4 sheet, however the queue lays it ...
        QVERIFY2(qAbs(std::min(sheet.paper.width(), sheet.paper.height()) - 595) < 1
                && qAbs(std::max(sheet.paper.width(), sheet.paper.height()) - 842) < 1,
            qPrintable(QStringLiteral("%1 x %2 pt").arg(sheet.paper.width()).arg(sheet.paper.height())));
        // ... that reads in the report's orientation, with nothing cut at an edge.
        QCOMPARE(sheet.reading.width() > sheet.reading.height(), landscape);
        for (const QString &word : words)
            QVERIFY2(
                sheet.text.contains(word), qPrintable(word + QStringLiteral(" is not on the page:\n") + sheet.text));
        // The dialog opened on the report's own orientation.
        QCOMPARE(shown, orientation);
    }

    void aStoppedJobIsHeldNotPrinted()
    {
        ReportTemplate list = makeListReport();
        QStringList lines;
        for (int i = 0; i < 260; ++i)
            lines.append(QStringLiteral("Cod. A-%1  Vaso in ceramica").arg(i + 1));
        fillListReport(list, QStringLiteral("Risultati della ricerca"), lines);
        const PreparedReport report = list.prepare();
        QCOMPARE(report.pages.size(), 5);
        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(GenericQueue);

        ProgressWatcher watcher(QStringLiteral("pagina 2 di"));
        QVERIFY(!ReportOutput::printOn(nullptr, printer, report));
        QCOMPARE(watcher.labels.constLast(), QStringLiteral("Stampa in corso: pagina 2 di 5"));
        QVERIFY(m_sandbox->messages.isEmpty());

        // The two pages done wait in the queue on hold: nothing is printed, and nothing counts as done.
        const QString lpstat = findTool(QStringLiteral("lpstat"));
        QTRY_VERIFY_WITH_TIMEOUT(!tool(lpstat, { QStringLiteral("-o"), GenericQueue }).isEmpty(), 10000);
        const QString job = tool(lpstat, { QStringLiteral("-l"), QStringLiteral("-o"), GenericQueue });
        QVERIFY2(job.contains(QLatin1String("job-hold-until-specified")), qPrintable(job));
        const QString id = job.section(QLatin1Char(' '), 0, 0);
        QVERIFY(!tool(lpstat, { QStringLiteral("-W"), QStringLiteral("completed"), QStringLiteral("-o"), GenericQueue })
                     .contains(id + QLatin1Char(' ')));
        QVERIFY(QDir(outputFolder(GenericQueue)).entryList(QDir::Files).isEmpty());
        tool(findTool(QStringLiteral("cancel")), { QStringLiteral("-a"), GenericQueue });
    }
};

VETRINOVA_TEST_MAIN(TestPrintQueues)
#include "tst_printqueues.moc"

#include "tests/support/TestSupport.h"

#include "report/ReportOutput.h"
#include "report/engine/ListReport.h"
#include "report/engine/ReportPainter.h"

#include <QPrinter>
#include <QProcess>

#include <csignal>
#include <sys/resource.h>

namespace {
QStringList listLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(QStringLiteral("Cod. A-%1  Vaso in ceramica  Giac. 12").arg(i + 1, 6, 10, QLatin1Char('0')));
    return lines;
}

/** Pages of a PDF file as pdfinfo reads them, or -1. */
int pdfPages(const QString &path)
{
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), { path });
    if (!pdfinfo.waitForFinished(20000) || pdfinfo.exitCode() != 0)
        return -1;
    const QString out = QString::fromUtf8(pdfinfo.readAllStandardOutput());
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

/** A printer that jams after `pages` sheets. */
class JammingPrinter : public QPrinter
{
public:
    explicit JammingPrinter(int pages)
        : QPrinter(QPrinter::HighResolution)
        , m_left(pages)
    { }
    bool newPage() override { return --m_left > 0 && QPrinter::newPage(); }

private:
    int m_left;
};

/**
 * Files this process writes cannot grow past `bytes` while it lives, as under a file-size limit: a
 * write past it fails, after storing what fits, the way a disk that fills up fails one.
 */
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_before;
        limit.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_signal);
    }
    bool set() const { return m_set; }

private:
    rlimit m_before {};
    void (*m_signal)(int) = nullptr;
    bool m_set = false;
};
} // namespace

class TestPrintProgress : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> m_sandbox;

private slots:
    void init() { m_sandbox = std::make_unique<Sandbox>(); }
    void cleanup() { m_sandbox.reset(); }

    void aLongJobShowsItsProgressAndAnnullaKeepsThePreviousFile_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("cancelAtPage");
        QTest::addColumn<int>("pagesOut"); // pages of the new file, or 0 where the previous file stays
        QTest::addColumn<bool>("previousFile");
        QTest::newRow("one page: no progress window") << 10 << 0 << 1 << true;
        QTest::newRow("five pages printed") << 260 << 0 << 5 << true;
        QTest::newRow("Annulla on page 1") << 260 << 1 << 0 << true;
        QTest::newRow("Annulla on page 3") << 260 << 3 << 0 << true;
        QTest::newRow("Annulla on page 3, no file before") << 260 << 3 << 0 << false;
        // On the last page there is nothing left to stop: the job is whole.
        QTest::newRow("Annulla on the last page") << 260 << 5 << 5 << true;
    }
    void aLongJobShowsItsProgressAndAnnullaKeepsThePreviousFile()
    {
        QFETCH(int, lines);
        QFETCH(int, cancelAtPage);
        QFETCH(int, pagesOut);
        QFETCH(bool, previousFile);
        if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("pdfinfo (poppler-utils) is not installed");

        ReportTemplate list = makeListReport();
        fillListReport(list, QStringLiteral("Materiali in esaurimento"), listLines(lines));
        const PreparedReport report = list.prepare();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = m_sandbox->path(QStringLiteral("lista.pdf"));
        if (previousFile)
            Sandbox::writeFile(path, "earlier PDF");
        printer.setOutputFileName(path);

        ProgressWatcher watcher(cancelAtPage > 0 ? QStringLiteral("pagina %1 di").arg(cancelAtPage) : QString());
        QCOMPARE(bool(ReportOutput::printOn(nullptr, printer, report)), pagesOut > 0);

        // Stopping is not a failure: no error box; the file is the whole job, or what was there before.
        QVERIFY(m_sandbox->messages.isEmpty());
        if (pagesOut > 0)
            QCOMPARE(pdfPages(path), pagesOut);
        else if (previousFile)
            QCOMPARE(Sandbox::readFile(path), QByteArray("earlier PDF"));
        else
            QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(QDir(m_sandbox->folder()).entryList({ "lista.pdf?*" }, QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(printer.outputFileName(), path);
        QVERIFY(!QApplication::activeModalWidget());
        if (report.pages.size() == 1) {
            QVERIFY(watcher.labels.isEmpty());
            return;
        }
        QCOMPARE(report.pages.size(), 5);
        QCOMPARE(watcher.accessibleName, QStringLiteral("Avanzamento della stampa"));
        QVERIFY(watcher.wasModal);
        QCOMPARE(watcher.labels.constFirst(), QStringLiteral("Stampa in corso: pagina 1 di 5"));
        QCOMPARE(watcher.labels.constLast(),
            QStringLiteral("Stampa in corso: pagina %1 di 5").arg(cancelAtPage ? cancelAtPage : 5));
    }

    // "Salva PDF" and printing to a file, when the file cannot be written whole (a disk that fills up,
    // a file-size limit): the previous file stays, nothing is left beside it, and the failure is said.
    void aPdfThatCannotBeWrittenWholeKeepsThePreviousFile_data()
    {
        QTest::addColumn<bool>("printing");
        QTest::newRow("Salva PDF") << false;
        QTest::newRow("printing to a file") << true;
    }
    void aPdfThatCannotBeWrittenWholeKeepsThePreviousFile()
    {
        QFETCH(bool, printing);
        ReportTemplate list = makeListReport();
        fillListReport(list, QStringLiteral("Materiali in esaurimento"), listLines(260));
        const PreparedReport report = list.prepare();
        const QString path = m_sandbox->path(QStringLiteral("lista.pdf"));
        Sandbox::writeFile(path, "earlier PDF");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        bool written = true;
        {
            FileSizeLimit limit(4096);
            QVERIFY(limit.set());
            ProgressWatcher watcher { QString() };
            if (printing) {
                const ReportResult printed = ReportOutput::printOn(nullptr, printer, report);
                written = bool(printed);
                QVERIFY(written || printed.error() == ReportFailure::FileNotSaved);
            } else {
                written = bool(ReportPainter::writePdf(report, path));
            }
        }
        QVERIFY(!written);
        QCOMPARE(Sandbox::readFile(path), QByteArray("earlier PDF"));
        QCOMPARE(QDir(m_sandbox->folder()).entryList({ "lista.pdf?*" }, QDir::Files | QDir::Hidden), QStringList());
        if (printing)
            QCOMPARE(m_sandbox->messageTexts(),
                QStringList { QStringLiteral("Impossibile salvare il file PDF: controllare la cartella scelta e "
                                             "riprovare. Il file precedente non \u00e8 stato modificato.") });

        // With room on the disk the same job, printed again, replaces it.
        m_sandbox->clearMessages();
        ProgressWatcher watcher { QString() };
        QPrinter again(QPrinter::HighResolution);
        again.setOutputFormat(QPrinter::PdfFormat);
        again.setOutputFileName(path);
        QVERIFY(printing ? bool(ReportOutput::printOn(nullptr, again, report))
                         : bool(ReportPainter::writePdf(report, path)));
        QVERIFY(Sandbox::readFile(path).startsWith("%PDF"));
        QVERIFY(m_sandbox->messages.isEmpty());
    }

    void aPrinterThatJamsMidJobIsReportedAndReleasesTheProgram()
    {
        ReportTemplate list = makeListReport();
        fillListReport(list, QStringLiteral("Materiali in esaurimento"), listLines(260));
        JammingPrinter printer(3);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_sandbox->path(QStringLiteral("lista.pdf")));
        ProgressWatcher watcher { QString() };
        QVERIFY(!ReportOutput::printOn(nullptr, printer, list.prepare()));
        QCOMPARE(m_sandbox->messageTexts(),
            QStringList { QStringLiteral("Impossibile stampare il documento: controllare la stampante e riprovare.") });
        QCOMPARE(m_sandbox->messages.at(0).kind, Msg::Kind::Error);
        QCOMPARE(watcher.labels.constLast(), QStringLiteral("Stampa in corso: pagina 4 di 5"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void largePageCountsAreGroupedAsTheProgramWritesThem()
    {
        ReportTemplate list = makeListReport();
        fillListReport(list, QStringLiteral("Risultati della ricerca"), listLines(56 * 1000));
        const PreparedReport report = list.prepare();
        QVERIFY(report.pages.size() > 1000);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_sandbox->path(QStringLiteral("lunga.pdf")));
        ProgressWatcher watcher(QStringLiteral("pagina 1 di"));
        QVERIFY(!ReportOutput::printOn(nullptr, printer, report));
        QCOMPARE(watcher.labels.constFirst(),
            QStringLiteral("Stampa in corso: pagina 1 di 1.%1")
                .arg(report.pages.size() - 1000, 3, 10, QLatin1Char('0')));
    }
};

VETRINOVA_TEST_MAIN(TestPrintProgress)
#include "tst_printprogress.moc"

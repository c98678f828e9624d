#include "tests/support/TestSupport.h"

#include "report/ReportOutput.h"
#include "report/engine/ListReport.h"

#include <QPrinter>
#include <QProcess>

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
} // namespace

class TestPrintProgress : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> m_sandbox;

private slots:
    void init() { m_sandbox = std::make_unique<Sandbox>(); }
    void cleanup() { m_sandbox.reset(); }

    void aLongJobShowsItsProgressAndAnnullaStopsAfterThePageInProgress_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("cancelAtPage");
        QTest::addColumn<int>("pagesOut");
        QTest::addColumn<bool>("printed");
        QTest::newRow("one page: no progress window") << 10 << 0 << 1 << true;
        QTest::newRow("five pages printed") << 260 << 0 << 5 << true;
        QTest::newRow("Annulla on page 1") << 260 << 1 << 1 << false;
        QTest::newRow("Annulla on page 3") << 260 << 3 << 3 << false;
        // On the last page there is nothing left to stop: the job is whole.
        QTest::newRow("Annulla on the last page") << 260 << 5 << 5 << true;
    }
    void aLongJobShowsItsProgressAndAnnullaStopsAfterThePageInProgress()
    {
        QFETCH(int, lines);
        QFETCH(int, cancelAtPage);
        QFETCH(int, pagesOut);
        QFETCH(bool, printed);
        if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("pdfinfo (poppler-utils) is not installed");

        ReportTemplate list = makeListReport();
        fillListReport(list, QStringLiteral("Materiali in esaurimento"), listLines(lines));
        const PreparedReport report = list.prepare();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = m_sandbox->path(QStringLiteral("lista.pdf"));
        printer.setOutputFileName(path);

        ProgressWatcher watcher(cancelAtPage > 0 ? QStringLiteral("pagina %1 di").arg(cancelAtPage) : QString());
        QCOMPARE(ReportOutput::printOn(nullptr, printer, report), printed);

        // Stopping is not a failure: no error box, and the file holds only whole pages.
        QVERIFY(m_sandbox->messages.isEmpty());
        QCOMPARE(pdfPages(path), pagesOut);
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

#include "pricelist/ListinoPrezzi.h"
#include "shell/Application.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/ArchiveFile.h"
#include "storage/PaginaListino.h"
#include "storage/SchedaProdotto.h"
#include "storage/platform/Faults.h"
#include "tests/support/TestSupport.h"
#include "warehouse/ExpMagazzino.h"
#include "warehouse/Magazzino.h"
#include "warehouse/Sottoscorta.h"
#include "warehouse/TrovaMagazzino.h"
#include "warehouse/rules/Attention.h"

#include <QAbstractItemView>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>

#include <atomic>
#include <thread>

// Another copy of the program, played by a helper process, holds an archive: each window waits a
// moment, says so, changes nothing, and the same action works once the other copy lets go.

namespace {
using F = TSchedaProdotto::Field;

const QString kBusy
    = QStringLiteral("L'archivio \u00e8 in uso da un'altra copia del programma. Riprovare tra qualche istante.");
constexpr int kWait = 200;

template <typename T = QWidget> T *named(QWidget *window, const char *name)
{
    T *w = window->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

void click(QWidget *window, const char *name)
{
    QTest::mouseClick(named(window, name), Qt::LeftButton);
}

enum class Action { CardSave, CardLast, PageSave, Search, UnderStockList, ExportGrid };
} // namespace

class TestArchiveBusy : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> sb;
    std::unique_ptr<QProcess> m_holder;
    std::unique_ptr<QWidget> m_own;

    QString listPath() const { return sb->path(QStringLiteral("Fiori.lis")); }

    void holdLock(const QString &path)
    {
        m_holder = std::make_unique<QProcess>();
        m_holder->start(QStringLiteral(LOCKHOLDER_PATH), { path });
        QVERIFY(m_holder->waitForStarted());
        while (!m_holder->canReadLine())
            QVERIFY(m_holder->waitForReadyRead(10000));
        QCOMPARE(m_holder->readLine().trimmed(), QByteArray("locked"));
    }

    void letGo()
    {
        m_holder->closeWriteChannel();
        QVERIFY(m_holder->waitForFinished(10000));
        QCOMPARE(m_holder->exitCode(), 0);
    }

    /** Opens the window of `action` ready to act; returns it. */
    QWidget *prepare(Action action)
    {
        switch (action) {
        case Action::CardSave:
        case Action::CardLast: {
            TfrmMagazzino *m = Forms::magazzino();
            m->handOverFrom(nullptr);
            if (action == Action::CardSave) {
                const char *boxes[] = { "txtCodice", "txtCosto", "txtNome", "txtUM", "txtTipologia",
                    "txtCaratteristiche", "txtPrezzo" };
                for (const char *b : boxes)
                    named<QLineEdit>(m, b)->setText(QStringLiteral("7"));
            }
            return m;
        }
        case Action::PageSave: {
            TfrmListinoPrezzi *ed = Forms::listinoPrezzi();
            named<QLabel>(ed, "lblFile")->setText(listPath());
            named<QLabel>(ed, "lblNome")->setText(QStringLiteral("Fiori"));
            Forms::avvio()->show();
            ed->handOverFrom(Forms::avvio());
            for (const char *b : { "txtNome_A", "txtUM_A", "txtCaratteristiche_A", "txtCodice_A" })
                named<QLineEdit>(ed, b)->setText(QStringLiteral("Rosa"));
            named<QLineEdit>(ed, "txtPrezzo_A")->setText(QStringLiteral("1,00"));
            return ed;
        }
        case Action::Search: {
            Forms::magazzino()->handOverFrom(nullptr);
            m_own = std::make_unique<TfrmTrovaMagazzino>(Forms::magazzino());
            named<QLabel>(m_own.get(), "lblMemory")->setText(QStringLiteral("magazzino"));
            m_own->show();
            return m_own.get();
        }
        case Action::UnderStockList:
        case Action::ExportGrid:
            return nullptr;
        }
        return nullptr;
    }

    /** Does `action`; returns the window it showed, if it made one. */
    QWidget *act(Action action, QWidget *window)
    {
        switch (action) {
        case Action::CardSave:
            click(window, "btnSalva");
            break;
        case Action::CardLast:
            click(window, "cmdUltimo");
            break;
        case Action::PageSave:
            click(window, "cmdSalva");
            break;
        case Action::Search:
            click(window, "btnCerca");
            break;
        case Action::UnderStockList:
            m_own = std::make_unique<TfrmSottoscorta>(Forms::magazzino());
            m_own->show();
            return m_own.get();
        case Action::ExportGrid:
            m_own = std::make_unique<TfrmExpMagazzino>(nullptr);
            m_own->show();
            return m_own.get();
        }
        return window;
    }

private slots:
    void init()
    {
        sb = std::make_unique<Sandbox>();
        ArchiveFile::setLockWait(kWait);
        Forms::createAll();
        TSchedaProdotto card;
        card[F::Codice] = QStringLiteral("C1");
        card[F::Nome] = QStringLiteral("Vaso");
        card[F::Giacenza] = QStringLiteral("1");
        card[F::Avviso] = QStringLiteral("2");
        WarehouseArchive::append(card);
        PriceListFile::append(listPath(), TPaginaListino());
    }

    void cleanup()
    {
        if (m_holder) {
            m_holder->closeWriteChannel();
            m_holder->waitForFinished(10000);
            m_holder.reset();
        }
        m_own.reset();
        Forms::destroyAll();
        Os::Faults::disarm();
        ArchiveFile::setLockWait(2000);
        sb.reset();
    }

    void aWindowReportsTheArchiveInUseAndWorksOnceItIsFree_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("archive");
        QTest::addColumn<Msg::Kind>("kind");
        QTest::newRow("card editor, save") << Action::CardSave << "Magazzino.pro" << Msg::Kind::Error;
        QTest::newRow("card editor, last") << Action::CardLast << "Magazzino.pro" << Msg::Kind::Error;
        QTest::newRow("page editor, save") << Action::PageSave << "Fiori.lis" << Msg::Kind::Error;
        QTest::newRow("search") << Action::Search << "Magazzino.pro" << Msg::Kind::Plain;
        QTest::newRow("under-stock list") << Action::UnderStockList << "Magazzino.pro" << Msg::Kind::Plain;
        QTest::newRow("export grid") << Action::ExportGrid << "Magazzino.pro" << Msg::Kind::Plain;
    }

    void aWindowReportsTheArchiveInUseAndWorksOnceItIsFree()
    {
        QFETCH(Action, action);
        QFETCH(QString, archive);
        QFETCH(Msg::Kind, kind);
        QWidget *window = prepare(action);
        const QByteArray before = Sandbox::readFile(sb->path(archive));
        const bool editor = action == Action::CardSave || action == Action::CardLast || action == Action::PageSave;
        const QString position = editor ? named<QLabel>(window, "lblPosizione")->text() : QString();
        holdLock(sb->path(archive));
        sb->clearMessages();

        QElapsedTimer waited;
        waited.start();
        QWidget *shown = act(action, window);
        QVERIFY2(waited.elapsed() >= kWait - 20, qPrintable(QString::number(waited.elapsed())));
        QCOMPARE(sb->messageTexts(), QStringList { kBusy });
        QCOMPARE(sb->messages.first().kind, kind);
        QCOMPARE(Sandbox::readFile(sb->path(archive)), before);
        if (editor)
            QCOMPARE(named<QLabel>(window, "lblPosizione")->text(), position);
        if (action == Action::ExportGrid) // an empty grid must not be exported over a good file
            QTRY_VERIFY(!shown->isVisible());

        letGo();
        sb->clearMessages();
        act(action, window);
        switch (action) {
        case Action::CardSave:
            QCOMPARE(sb->messageTexts(),
                QStringList { QStringLiteral("La scheda corrente \u00e8 stata inserita in archivio.") });
            QCOMPARE(WarehouseArchive::count(), 2);
            break;
        case Action::CardLast:
            QCOMPARE(sb->messageTexts(), QStringList());
            QCOMPARE(named<QLabel>(window, "lblPosizione")->text(), QStringLiteral("1"));
            break;
        case Action::PageSave:
            QCOMPARE(sb->messageTexts(),
                QStringList { QStringLiteral("La scheda corrente \u00e8 stata inserita in archivio.") });
            QCOMPARE(PriceListFile::pageCount(listPath()), 2);
            break;
        case Action::Search:
        case Action::UnderStockList:
            QCOMPARE(sb->messageTexts(), QStringList());
            QCOMPARE(named<QAbstractItemView>(m_own.get(), "lstRecords")->model()->rowCount(), 1);
            break;
        case Action::ExportGrid:
            QCOMPARE(sb->messageTexts(), QStringList());
            QVERIFY(m_own->isVisible());
            QCOMPARE(named<QAbstractItemView>(m_own.get(), "grdRecords")->model()->index(0, 1).data().toString(),
                QStringLiteral("C1"));
            break;
        }
    }

    // The start window's count on a slow disk (a USB stick, a network folder) takes seconds; the user's
    // own Salva meanwhile must get the archive, not be told another copy is using it.
    void aSlowCountNeverRefusesTheUsersSave()
    {
        ArchiveFile::setLockWait(2000);
        QByteArray record(TSchedaProdotto::RecordSize, '\0');
        QFile archive(sb->path(QStringLiteral("Magazzino.pro")));
        QVERIFY(archive.open(QIODevice::ReadOnly));
        QCOMPARE(archive.read(record.data(), record.size()), record.size());
        archive.close();
        QVERIFY(archive.open(QIODevice::WriteOnly));
        for (int i = 0; i < 2560; ++i) // ten blocks of the count's reading
            archive.write(record);
        archive.close();

        const std::thread::id main = std::this_thread::get_id();
        std::atomic<int> slowReads { 0 };
        Os::Faults::Fault slowDisk;
        slowDisk.kind = Os::Faults::Kind::Read;
        slowDisk.path = "Magazzino.pro";
        slowDisk.hook = [&](Os::Faults::Kind, int, const std::string &) {
            if (std::this_thread::get_id() != main) {
                ++slowReads;
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            }
        };
        Os::Faults::arm(slowDisk);
        std::optional<AttentionCounts> counted;
        std::thread count([&] {
            try {
                counted = countAttention(QDate(2024, 1, 1));
            } catch (const ArchiveError &) { }
        });
        QTRY_VERIFY(slowReads > 0);

        QWidget *editor = prepare(Action::CardSave);
        sb->clearMessages();
        act(Action::CardSave, editor);
        const int readsDuringSave = slowReads;
        count.join();
        Os::Faults::disarm();
        QCOMPARE(sb->messageTexts(),
            QStringList { QStringLiteral("La scheda corrente \u00e8 stata inserita in archivio.") });
        QCOMPARE(WarehouseArchive::count(), 2561);
        QVERIFY2(readsDuringSave < 10, "the save came only after the count");
        QVERIFY(counted.has_value());
        QVERIFY(counted->underStock >= 2560);
    }
};

VETRINOVA_TEST_MAIN(TestArchiveBusy)
#include "tst_archivebusy.moc"

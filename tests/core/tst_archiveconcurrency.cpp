#include "storage/ArchiveFile.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

// Copies of the program sharing one folder, played by a helper process started several times.
class TestArchiveConcurrency : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString folder() const { return m_dir->path() + QLatin1Char('/'); }

    QString listPath() const { return folder() + QStringLiteral("Fiori.lis"); }

    std::unique_ptr<QProcess> startCopy(const QString &tag, int cards, const QString &mode = QString())
    {
        auto process = std::make_unique<QProcess>();
        QStringList args = { folder(), tag, QString::number(cards) };
        if (!mode.isEmpty())
            args << mode;
        process->start(QStringLiteral(APPENDER_PATH), args);
        if (!process->waitForStarted())
            qWarning() << process->errorString();
        return process;
    }

    static void finish(QProcess &process)
    {
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == 0, process.readAllStandardOutput().constData());
    }

    /** The codes of the archive's cards in file order. */
    QStringList codes() const
    {
        setProgramFolderOverride(folder());
        QStringList out;
        WarehouseArchive::forEachRaw([&](qint64, const char *raw) {
            out << TSchedaProdotto::load(raw)[TSchedaProdotto::Codice];
            return true;
        });
        return out;
    }

    /** True when another process holds the archive's lock right now. */
    bool lockedElsewhere() const
    {
        const int fd = ::open(QFile::encodeName(folder() + QStringLiteral("Magazzino.pro")).constData(), O_RDWR);
        if (fd < 0)
            return false;
        const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        ::close(fd);
        return locked;
    }

    /** A helper process holding the lock of `path` for at most `ms`; returns once it holds it. */
    static std::unique_ptr<QProcess> holdLock(const QString &path, int ms)
    {
        auto holder = std::make_unique<QProcess>();
        holder->start(QStringLiteral(LOCKHOLDER_PATH), { path, QString::number(ms) });
        holder->waitForStarted();
        while (!holder->canReadLine() && holder->waitForReadyRead(10000)) { }
        if (holder->readLine().trimmed() != "locked")
            qWarning("the helper did not take the lock");
        return holder;
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { setProgramFolderOverride(QString()); }

    void twoCopiesAppendingAtOnceLoseNothing()
    {
        // Two copies append cards, two append pages to one list, and a fifth keeps reading both
        // meanwhile, checking every record it reads against the digest the record carries.
        constexpr int PerCopy = 500;
        std::vector<std::unique_ptr<QProcess>> copies;
        copies.push_back(startCopy(QStringLiteral("A"), PerCopy));
        copies.push_back(startCopy(QStringLiteral("B"), PerCopy));
        copies.push_back(startCopy(QStringLiteral("P"), PerCopy, QStringLiteral("pages")));
        copies.push_back(startCopy(QStringLiteral("Q"), PerCopy, QStringLiteral("pages")));
        copies.push_back(startCopy(QStringLiteral("R"), 2 * PerCopy, QStringLiteral("reader")));
        for (auto &copy : copies)
            copy->write("go\n");
        for (auto &copy : copies)
            finish(*copy);
        QCOMPARE(QFileInfo(folder() + QStringLiteral("Magazzino.pro")).size(),
            qint64(2 * PerCopy) * TSchedaProdotto::RecordSize);
        QCOMPARE(QFileInfo(listPath()).size(), qint64(2 * PerCopy) * TPaginaListino::RecordSize);
        // Every record of each copy is there once, whole, in the order that copy wrote it.
        const QStringList cards = codes();
        QStringList pages;
        for (qint64 n = 1; n <= PriceListFile::pageCount(listPath()); ++n) {
            const TPaginaListino page = PriceListFile::read(listPath(), n);
            for (int s = 1; s < TPaginaListino::SlotCount; ++s)
                QCOMPARE(page.voci[s][TVoceListino::Codice], page.voci[0][TVoceListino::Codice]);
            QCOMPARE(page.voci[7][TVoceListino::Nome].size(), 32);
            pages << page.voci[0][TVoceListino::Codice];
        }
        for (const QString &tag : QStringList { "A", "B", "P", "Q" }) {
            QStringList expected, mine;
            for (int i = 1; i <= PerCopy; ++i)
                expected << QStringLiteral("%1-%2").arg(tag).arg(i);
            for (const QString &code : (tag < "P" ? cards : pages))
                if (code.startsWith(tag))
                    mine << code;
            QCOMPARE(mine, expected);
        }
        int whole = 0;
        WarehouseArchive::forEachRaw([&](qint64, const char *raw) {
            const TSchedaProdotto card = TSchedaProdotto::load(raw);
            whole += card[TSchedaProdotto::Note] == QString(200, card[TSchedaProdotto::Codice].at(0));
            return true;
        });
        QCOMPARE(whole, 2 * PerCopy);
    }

    void anAppendHoldsTheArchiveUntilItEnds()
    {
        auto a = startCopy(QStringLiteral("A"), 1, QStringLiteral("pause"));
        a->write("go\n");
        // A has counted the records and stopped just before writing.
        while (!a->canReadLine())
            QVERIFY(a->waitForReadyRead(60000));
        QCOMPARE(a->readLine().trimmed(), QByteArray("paused"));
        QVERIFY(lockedElsewhere());

        // B starts meanwhile; it must wait for A instead of taking the same record number.
        auto b = startCopy(QStringLiteral("B"), 1);
        b->write("go\n");
        a->write("\n");
        finish(*a);
        finish(*b);
        QVERIFY(!lockedElsewhere());
        QCOMPARE(codes(), (QStringList { QStringLiteral("A-1"), QStringLiteral("B-1") }));
    }

    void aLockHeldTooLongFailsAsBusyAfterTwoSeconds()
    {
        const QString path = folder() + QStringLiteral("Magazzino.pro");
        auto holder = holdLock(path, 30000);
        QElapsedTimer waited;
        waited.start();
        try {
            ArchiveFile file(path, TSchedaProdotto::RecordSize);
            QFAIL("opened while another copy held the lock");
        } catch (const ArchiveError &e) {
            QCOMPARE(e.reason(), ArchiveError::Reason::Busy);
        }
        QVERIFY2(waited.elapsed() >= 1950 && waited.elapsed() < 4000, qPrintable(QString::number(waited.elapsed())));
        finish(*holder);
    }

    void aLockLetGoWithinTheWaitIsTaken()
    {
        const QString path = listPath();
        auto holder = holdLock(path, 300);
        QElapsedTimer waited;
        waited.start();
        PriceListFile::append(path, TPaginaListino());
        QVERIFY2(waited.elapsed() >= 200, qPrintable(QString::number(waited.elapsed())));
        QCOMPARE(PriceListFile::pageCount(path), 1);
        QVERIFY(holder->waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(TestArchiveConcurrency)
#include "tst_archiveconcurrency.moc"

#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

// Two copies of the program sharing one folder, played by a helper process started twice.
class TestArchiveConcurrency : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString folder() const { return m_dir->path() + QLatin1Char('/'); }

    std::unique_ptr<QProcess> startCopy(const QString &tag, int cards, bool pause = false)
    {
        auto process = std::make_unique<QProcess>();
        QStringList args = { folder(), tag, QString::number(cards) };
        if (pause)
            args << QStringLiteral("pause");
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
        QCOMPARE(process.exitCode(), 0);
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

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { setProgramFolderOverride(QString()); }

    void twoCopiesAppendingAtOnceLoseNothing()
    {
        constexpr int PerCopy = 400;
        auto a = startCopy(QStringLiteral("A"), PerCopy);
        auto b = startCopy(QStringLiteral("B"), PerCopy);
        a->write("go\n");
        b->write("go\n");
        finish(*a);
        finish(*b);
        QCOMPARE(QFileInfo(folder() + QStringLiteral("Magazzino.pro")).size(),
            qint64(2 * PerCopy) * TSchedaProdotto::RecordSize);
        // Every card of each copy is there once, whole, in the order that copy wrote them.
        const QStringList all = codes();
        for (const QString &tag : QStringList { QStringLiteral("A"), QStringLiteral("B") }) {
            QStringList expected, mine;
            for (int i = 1; i <= PerCopy; ++i)
                expected << QStringLiteral("%1-%2").arg(tag).arg(i);
            for (const QString &code : all)
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
        auto a = startCopy(QStringLiteral("A"), 1, true);
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
};

QTEST_GUILESS_MAIN(TestArchiveConcurrency)
#include "tst_archiveconcurrency.moc"

// An import or a restore killed at any step, then the start-up recovery run on its folder: the folder
// is wholly as before or wholly as the change meant it, never a mix, and nothing of the change's own
// is left behind. A helper process runs the real code and kills itself at step N, for every N.
#include "storage/Journal.h"
#include "storage/Leftovers.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SafetyCopy.h"
#include "storage/SchedaProdotto.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

/** Every file and folder under `folder`, by relative path, with a file's bytes. */
QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        const QString name = QDir(folder).relativeFilePath(path);
        if (it.fileInfo().isDir())
            out.insert(name + QLatin1Char('/'), QByteArray());
        else
            out.insert(name, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>"));
    }
    return out;
}

QString describe(const QMap<QString, QByteArray> &files)
{
    QStringList out;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        out << QStringLiteral("%1 (%2)").arg(it.key()).arg(it.value().size());
    return out.join(QStringLiteral(", "));
}

TSchedaProdotto card(const QString &code, const QString &price)
{
    TSchedaProdotto c;
    c[TSchedaProdotto::Codice] = code;
    c[TSchedaProdotto::Costo] = QStringLiteral("10,00");
    c[TSchedaProdotto::Nome] = QStringLiteral("Vaso ") + code;
    c[TSchedaProdotto::Giacenza] = QStringLiteral("3");
    c[TSchedaProdotto::Avviso] = QStringLiteral("0");
    c[TSchedaProdotto::UM] = QStringLiteral("Ceramica");
    c[TSchedaProdotto::Tipologia] = QStringLiteral("Casa");
    c[TSchedaProdotto::Caratteristiche] = QStringLiteral("Smaltato");
    c[TSchedaProdotto::Prezzo] = price;
    c[TSchedaProdotto::Pagato] = QStringLiteral("No");
    return c;
}

struct Run
{
    bool killed = false;
    bool done = false;
};
} // namespace

class TestJournal : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString folder() const { return m_dir->path() + QStringLiteral("/Vetrinova/"); }

    Run runWorker(const QString &mode, const QString &input, int stopAt)
    {
        QProcess p;
        p.start(QStringLiteral(JOURNAL_WORKER_PATH), { mode, folder(), input, QString::number(stopAt) });
        Run run;
        if (!p.waitForFinished(30000))
            return run;
        run.killed = p.exitStatus() == QProcess::CrashExit;
        run.done = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0
            && p.readAllStandardOutput().trimmed() == "done";
        return run;
    }

    /**
     * Kills the change at every step in turn, each time on a folder freshly made by `prepare`, runs the
     * start-up recovery and checks the folder against the old and the new state. Returns the kills.
     */
    int killAtEveryStep(const QString &mode, const QString &input, const std::function<void()> &prepare,
        bool killedWithAJournalMeansOld, const QString &byProduct = QString())
    {
        const auto snapshot = [&](const QString &path) {
            auto files = ::snapshot(path);
            files.remove(byProduct);
            return files;
        };
        const auto reset = [&] {
            QDir(folder()).removeRecursively();
            QDir().mkpath(folder());
            setProgramFolderOverride(folder());
            prepare();
        };
        reset();
        const auto before = snapshot(folder());
        if (!runWorker(mode, input, 0).done)
            return -1;
        const auto after = snapshot(folder());
        if (after == before)
            return -1;
        int kills = 0;
        for (int stop = 1; stop < 400; ++stop) {
            reset();
            const Run run = runWorker(mode, input, stop);
            if (run.done)
                break;
            if (!run.killed)
                return -1;
            ++kills;
            const bool journalled = QFile::exists(Journal::path());
            // As the start does: settle the change, then remove the temporaries of saves cut short.
            const QString message = Journal::recover();
            Leftovers::removeInterruptedSaves();
            const auto found = snapshot(folder());
            if (found != before && found != after) {
                qWarning() << "killed at step" << stop << "found" << describe(found) << "\nbefore" << describe(before)
                           << "\nafter" << describe(after);
                return -1;
            }
            // A message exactly when there was something to settle.
            if (journalled == message.isEmpty() || (killedWithAJournalMeansOld && journalled && found != before)) {
                qWarning() << "killed at step" << stop << "journal" << journalled << "message" << message;
                return -1;
            }
        }
        return kills;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir().mkpath(folder());
        setProgramFolderOverride(folder());
    }

    void cleanup()
    {
        setProgramFolderOverride(QString());
        m_dir.reset();
    }

    // Three cards and a stray tail: the import updates one and appends three; killed, it is undone to
    // the last byte, tail included. Its copy of the archive, Magazzino.pro.bak, is kept either way.
    void killedImportIsUndoneAtStart()
    {
        const QString csv = m_dir->path() + QStringLiteral("/schede.csv");
        QByteArray rows = "Codice;Costo;Nome;Aspetto;Categoria;Caratteristiche;Prezzo\n";
        for (const char *code : { "B", "X1", "X2", "X3" })
            rows += QByteArray(code) + ";10,00;Vaso;Ceramica;Casa;Smaltato;99,00\n";
        write(csv, rows);
        const int kills = killAtEveryStep(
            QStringLiteral("import"), csv,
            [&] {
                for (const char *code : { "A", "B", "C" })
                    WarehouseArchive::append(card(QLatin1String(code), QStringLiteral("25,00")));
                QFile archive(warehousePath());
                QVERIFY(archive.open(QIODevice::Append));
                archive.write(QByteArray(100, 'z'));
            },
            true, QStringLiteral("Magazzino.pro.bak"));
        QVERIFY2(kills >= 6, qPrintable(QString::number(kills)));
    }

    // A shop with every kind of file the restore moves, replaced by a copy that lacks some and adds others.
    void killedRestoreIsFinishedOrUndoneAtStart()
    {
        const QString zip = m_dir->path() + QStringLiteral("/copia.zip");
        QDir().mkpath(folder());
        WarehouseArchive::append(card(QStringLiteral("NUOVA"), QStringLiteral("5,00")));
        PriceListFile::append(folder() + QStringLiteral("Rose.lis"), TPaginaListino());
        write(folder() + QStringLiteral("unins000.dll"), "password nuova");
        write(folder() + QStringLiteral("Foto_Listino/Rose_Foto_A_1.jpg"), "foto nuova");
        QCOMPARE(SafetyCopy::create(zip), SafetyCopy::Problem::None);

        const int kills = killAtEveryStep(
            QStringLiteral("restore"), zip,
            [&] {
                for (const char *code : { "A", "B" })
                    WarehouseArchive::append(card(QLatin1String(code), QStringLiteral("25,00")));
                PriceListFile::append(folder() + QStringLiteral("Fiori.lis"), TPaginaListino());
                write(folder() + QStringLiteral("unins000.dll"), "password vecchia");
                write(folder() + QStringLiteral("1.jpg"), "foto 1");
                write(folder() + QStringLiteral("Documenti_Allegati/Fattura.pdf"), "%PDF");
                write(folder() + QStringLiteral("Guida.pdf"), "non della bottega");
            },
            false);
        QVERIFY2(kills >= 8, qPrintable(QString::number(kills)));
    }

    // A price change and an import run the same pass: the message at start names the one interrupted.
    void interruptedPassIsNamedByItsCopy_data()
    {
        QTest::addColumn<QString>("copy");
        QTest::addColumn<QString>("named");
        QTest::newRow("import") << QStringLiteral("Magazzino.pro.bak") << QStringLiteral("importazione");
        QTest::newRow("price change") << QStringLiteral("Magazzino.pro.variazione")
                                      << QStringLiteral("variazione dei prezzi");
    }
    void interruptedPassIsNamedByItsCopy()
    {
        QFETCH(QString, copy);
        QFETCH(QString, named);
        WarehouseArchive::append(card(QStringLiteral("A"), QStringLiteral("1,00")));
        const QByteArray before = read(folder() + QStringLiteral("Magazzino.pro"));
        write(folder() + copy, before);
        {
            Journal stopped;
            QVERIFY(stopped.begin(Journal::Kind::Import, { copy, QString::number(before.size()) }));
            WarehouseArchive::append(card(QStringLiteral("B"), QStringLiteral("2,00")));
        } // left unfinished, as by a stop half-way
        const QString message = Journal::recover();
        QVERIFY2(message.contains(named) && message.contains(QStringLiteral("annullat")), qPrintable(message));
        QCOMPARE(read(folder() + QStringLiteral("Magazzino.pro")), before);
        QVERIFY(!QFile::exists(Journal::path()));
    }

    // Another copy of the program that is still importing holds its journal: a start beside it leaves
    // the change alone.
    void aJournalHeldByARunningCopyIsLeftAlone()
    {
        WarehouseArchive::append(card(QStringLiteral("A"), QStringLiteral("1,00")));
        Journal running;
        QVERIFY(running.begin(Journal::Kind::Import, { QStringLiteral("Magazzino.pro.bak"), QStringLiteral("0") }));
        QVERIFY(Journal::recover().isEmpty());
        QCOMPARE(WarehouseArchive::count(), 1);
        QVERIFY(QFile::exists(Journal::path()));
        // One change at a time: a second one does not overwrite the first's record.
        Journal second;
        QVERIFY(!second.begin(Journal::Kind::Restore, {}));
        QVERIFY(running.finish());
        QVERIFY(!QFile::exists(Journal::path()));
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"

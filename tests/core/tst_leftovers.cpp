#include "storage/Leftovers.h"
#include "storage/ProgramFolder.h"

#include <QDirIterator>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
struct Item
{
    const char *path; ///< relative to the program folder; "@/" for the automatic copies' chosen folder
    bool leftover;
};

// What start-up finds after saves were killed halfway, beside files that only look like it.
const Item kItems[] = {
    // The temporaries of every file the program writes in its folder.
    { "Magazzino.pro.bak.QwErTy", true },
    { "Magazzino.xls.xYzWvU", true },
    { "Magazzino.xlsx.kLmNoP", true },
    { "Magazzino.xlsx.tmp", true },
    { "Vetrinova.ini.aBcDeF", true },
    { "Vetrinova.diario.aBcDeF", true }, // a journal killed while written: its change never began
    { "unins000.dll.pQrStU", true },
    { "Magazzino.pro.variazione.aBcDeF", true }, // the copies and records kept to undo a price change
    { "Listino-precedente.bak.aBcDeF", true },
    { "Vetrinova-aggiornamento.txt.aBcDeF", true },
    { "12.jpg.gHiJkL", true },
    { "Rose.LIS.aBcDeF", true },
    { "Orari 10:30.lis.aBcDeF", true },
    { ".Segreto.lis.aBcDeF", true },
    { "Listino di giugno.pdf.mNoPqR", true },
    { "Vetrinova-copia-2025-01-07-1030.zip.aBcDeF", true },
    { "Foto_Listino/Orari 10:30_Foto_A_3.jpg.aBcDeF", true },
    { "Foto_Listino/Rose_Anteprima_H.jpg.aBcDeF", true },
    { "Documenti_Allegati/Fattura.pdf.aBcDeF", true },
    // The copies' folders, with the ZIP library's own temporaries (small letters and digits).
    { "Copie/Vetrinova-copia-2025-01-07-1030.zip.0yg4tj", true },
    { "Copie/Vetrinova-copia-2025-01-07-1030-2.zip.QwErTy", true },
    { "@/Vetrinova-copia-2025-01-07-1030.zip.xj0p06", true },
    // The user's own names and the program's files: never touched.
    { "Fiori.lis.Backup", false },
    { "Fiori.lis.BACKUP", false },
    { "x.pdf.giugno", false },
    { "Note.txt.aBcDeF", false },
    { "Magazzino.pro.bak", false },
    { "Magazzino.pro.variazione", false },
    { "Vetrinova-variazione.txt", false },
    { "Magazzino.pro.journal", false },
    { "Fiori.lis", false },
    { "Foto_Listino/vacanze.jpg.aBcDeF", false },
    { "Foto_Listino/Rose_Foto_A_1.jpg", false },
    { "Copie/Vetrinova-copia-2025-01-07-1030.zip", false },
    { "Copie/Vetrinova-copia-2025-01-07-1030.zip.giugno", false },
    { "Copie/mia.zip.a1b2c3", false },
    { "@/Vetrinova-copia-2025-01-07-1030.zip.tenere", false },
    { "@/Fiori.lis.aBcDeF", false },
    // What a restore is working on is its own business.
    { "Ripristino-in-corso/Magazzino.pro.aBcDeF", false },
    { "Ripristino-precedente-2025-01-07-103000/Fiori.lis.aBcDeF", false },
};

void write(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
}
} // namespace

class TestLeftovers : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder; // the program folder
    QString m_chosen; // the folder the user chose for the automatic copies

    QString pathOf(const char *item) const
    {
        const QString name = QString::fromUtf8(item);
        return name.startsWith(QLatin1String("@/")) ? m_chosen + name.mid(2) : m_folder + name;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_folder = m_dir->filePath(QStringLiteral("Vetrinova/"));
        m_chosen = m_dir->filePath(QStringLiteral("Copie automatiche/"));
        QDir().mkpath(m_folder);
        QDir().mkpath(m_chosen);
        setProgramFolderOverride(m_folder);
        QSettings(m_folder + QStringLiteral("Vetrinova.ini"), QSettings::IniFormat)
            .setValue(QStringLiteral("CopieDiSicurezza/CartellaAutomatica"), m_chosen);
    }

    void cleanup()
    {
        setProgramFolderOverride(QString());
        m_dir.reset();
    }

    void removesWhatKilledSavesLeftAndNothingElse()
    {
        for (const Item &item : kItems)
            write(pathOf(item.path));
        // A link in a temporary's name goes nowhere: neither it nor what it points to is removed.
        QVERIFY(QFile::link(m_folder + QStringLiteral("Fiori.lis"), m_folder + QStringLiteral("Vasi.lis.aBcDeF")));

        const QStringList removed = Leftovers::removeInterruptedSaves();
        for (const Item &item : kItems)
            QVERIFY2(QFileInfo::exists(pathOf(item.path)) != item.leftover, item.path);
        QVERIFY(QFileInfo(m_folder + QStringLiteral("Vasi.lis.aBcDeF")).isSymLink());
        QCOMPARE(removed.size(),
            std::count_if(std::begin(kItems), std::end(kItems), [](const Item &i) { return i.leftover; }));
        QVERIFY(removed.contains(QStringLiteral("Foto_Listino/Rose_Anteprima_H.jpg.aBcDeF")));
        QVERIFY(removed.contains(QStringLiteral("Copie/Vetrinova-copia-2025-01-07-1030.zip.0yg4tj")));
    }
};

QTEST_GUILESS_MAIN(TestLeftovers)
#include "tst_leftovers.moc"

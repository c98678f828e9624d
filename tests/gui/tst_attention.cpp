#include "shell/Application.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/ArchiveFile.h"
#include "storage/SafetyCopy.h"
#include "storage/SchedaProdotto.h"
#include "tests/support/TestSupport.h"
#include "warehouse/Magazzino.h"
#include "widgets/PictureButton.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>

using F = TSchedaProdotto::Field;

namespace {
// The sandbox's clock reads 7 January 2025.
struct Card
{
    const char *code;
    const char *stock;
    const char *warning;
    const char *paid;
    const char *due;
    bool underStock;
    bool overdue;
};
const Card kCards[] = {
    { "SOTTO", "2", "5", "Sì", "", true, false },
    { "AL-LIVELLO", "5", "5", "Sì", "", true, false },
    { "SOPRA", "6", "5", "Sì", "", false, false },
    { "TANTI", "tanti", "5", "Sì", "", false, false },
    { "DECIMALI", "4,5", "4,5", "Sì", "", true, false },
    { "PAGATO", "9", "1", "Sì", "06/01/2025", false, false },
    { "IERI", "9", "1", "No", "06/01/2025", false, true },
    { "ANNO-SCORSO", "0", "1", "No", "31/12/2024", true, true },
    { "OGGI", "9", "1", "No", "07/01/2025", false, false },
    { "DOMANI", "9", "1", "No", "08/01/2025", false, false },
    { "SENZA-DATA", "9", "1", "No", "", false, false },
    { "DATA-STORTA", "9", "1", "No", "32/13/2024", false, false },
};

void appendCards()
{
    for (const Card &c : kCards) {
        TSchedaProdotto card;
        card[F::Codice] = QString::fromUtf8(c.code);
        card[F::Nome] = QStringLiteral("Prodotto ") + QString::fromUtf8(c.code);
        card[F::Giacenza] = QString::fromUtf8(c.stock);
        card[F::Avviso] = QString::fromUtf8(c.warning);
        card[F::Pagato] = QString::fromUtf8(c.paid);
        card[F::DataSca] = QString::fromUtf8(c.due);
        WarehouseArchive::append(card);
    }
}

QStringList shownLines(QWidget *window)
{
    QStringList lines;
    QAbstractItemModel *model = window->findChild<QListView *>(QStringLiteral("lstRecords"))->model();
    for (int i = 0; i < model->rowCount(); ++i)
        lines << model->index(i, 0).data().toString();
    return lines;
}
} // namespace

class TestAttention : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> sb;
    TfrmAvvio *avvio = nullptr;

    QPushButton *underStock() const { return avvio->findChild<QPushButton *>(QStringLiteral("btnAvvisoSottoscorta")); }
    QPushButton *overdue() const { return avvio->findChild<QPushButton *>(QStringLiteral("btnAvvisoScaduti")); }

    /** Shows the start window and waits for its count. */
    void showAndCount()
    {
        QSignalSpy counted(avvio, &TfrmAvvio::attentionCounted);
        avvio->show();
        QTRY_COMPARE(counted.size(), 1);
    }

    /** Clicks `badge` and returns the codes of the cards in the list it opens. */
    QStringList listedBy(QPushButton *badge, QString *caption)
    {
        QStringList codes;
        onNextModal([&](QWidget *list) {
            *caption = list->windowTitle();
            for (const QString &line : shownLines(list))
                for (const Card &c : kCards)
                    if (line.contains(QStringLiteral(" %1 ").arg(QString::fromUtf8(c.code))))
                        codes << QString::fromUtf8(c.code);
            list->close();
        });
        QTest::mouseClick(badge, Qt::LeftButton);
        return codes;
    }

private slots:
    void init()
    {
        sb = std::make_unique<Sandbox>();
        TfrmAvvio::setCountsAttention(true);
        Forms::createAll();
        avvio = Forms::avvio();
    }

    void cleanup()
    {
        ArchiveFile::setLockWait(2000);
        Forms::destroyAll();
        sb.reset();
    }

    void countsByTheClockAndOpensTheirLists()
    {
        appendCards();
        QStringList under, late;
        for (const Card &c : kCards) {
            if (c.underStock)
                under << QString::fromUtf8(c.code);
            if (c.overdue)
                late << QString::fromUtf8(c.code);
        }
        showAndCount();
        QVERIFY(underStock()->isVisible());
        QCOMPARE(underStock()->text(), QStringLiteral("%1 prodotti sotto scorta").arg(under.size()));
        QCOMPARE(overdue()->text(), QStringLiteral("%1 pagamenti scaduti").arg(late.size()));
        QCOMPARE(overdue()->accessibleName(), overdue()->text());
        QVERIFY(!overdue()->accessibleDescription().isEmpty());

        // Each badge opens the warehouse with its own list: all the cards under stock, only the overdue payments.
        QString caption;
        QStringList listed = listedBy(underStock(), &caption);
        QCOMPARE(caption, QStringLiteral(" Materiali in esaurimento"));
        listed.sort();
        under.sort();
        QCOMPARE(listed, under);
        QVERIFY(Forms::magazzino()->isVisible());
        QVERIFY(!avvio->isVisible());

        Forms::magazzino()->close();
        QVERIFY(avvio->isVisible());
        listed = listedBy(overdue(), &caption);
        QCOMPARE(caption, QStringLiteral(" Riepilogo pagamenti scaduti"));
        listed.sort();
        late.sort();
        QCOMPARE(listed, late);
        QVERIFY(sb->messages.isEmpty());
    }

    void oneAndNoneAndComingBack()
    {
        showAndCount();
        QVERIFY2(!QFile::exists(warehousePath()), "looking does not make the archive");
        QVERIFY(!underStock()->isVisible());
        QVERIFY(!overdue()->isVisible());

        // Back from the warehouse, the start window counts again.
        Forms::magazzino()->handOverFrom(avvio);
        TSchedaProdotto card;
        card[F::Codice] = QStringLiteral("UNO");
        card[F::Giacenza] = QStringLiteral("0");
        card[F::Avviso] = QStringLiteral("0");
        card[F::Pagato] = QStringLiteral("Sì");
        WarehouseArchive::append(card);
        QSignalSpy counted(avvio, &TfrmAvvio::attentionCounted);
        Forms::magazzino()->close();
        QTRY_COMPARE(counted.size(), 1);
        QVERIFY(underStock()->isVisible());
        QCOMPARE(underStock()->text(), QStringLiteral("1 prodotto sotto scorta"));
        QVERIFY(!overdue()->isVisible());
    }

    // An import or a restore started here changes the archive under the start window, which stays open.
    void countedAgainAfterAnImportOrARestore()
    {
        const QTemporaryDir outside;
        const QString copy = outside.filePath(QStringLiteral("copia senza schede.zip"));
        QCOMPARE(SafetyCopy::create(copy), SafetyCopy::Problem::None);
        showAndCount();
        QVERIFY(!underStock()->isVisible());

        QSignalSpy counted(avvio, &TfrmAvvio::attentionCounted);
        onNextModal([](QWidget *import) {
            appendCards();
            import->close();
        });
        QTest::mouseClick(avvio->findChild<PictureButton *>(QStringLiteral("imgImporta")), Qt::LeftButton);
        QTRY_COMPARE(counted.size(), 1);
        QCOMPARE(underStock()->text(), QStringLiteral("4 prodotti sotto scorta"));
        QCOMPARE(overdue()->text(), QStringLiteral("2 pagamenti scaduti"));

        sb->nextFiles = { copy };
        sb->answers = { QMessageBox::Yes };
        QTest::mouseClick(avvio->findChild<PictureButton *>(QStringLiteral("imgRipristina")), Qt::LeftButton);
        QCOMPARE(sb->messageTexts().last(), QStringLiteral("Ripristino completato."));
        QTRY_COMPARE(counted.size(), 2);
        QVERIFY(!underStock()->isVisible());
        QVERIFY(!overdue()->isVisible());
    }

    void damagedAndUnreadableArchives()
    {
        appendCards();
        // A card cut short at the end (a copy interrupted): the whole cards still count.
        QFile file(warehousePath());
        QVERIFY(file.open(QIODevice::Append));
        file.write(QByteArray(TSchedaProdotto::RecordSize / 2, '\x01'));
        file.close();
        showAndCount();
        QCOMPARE(underStock()->text(), QStringLiteral("4 prodotti sotto scorta"));
        QCOMPARE(overdue()->text(), QStringLiteral("2 pagamenti scaduti"));

        // An archive that cannot be read hides the badges, quietly.
        avvio->hide();
        QVERIFY(QFile::remove(warehousePath()));
        QVERIFY(QDir(sb->folder()).mkdir(QStringLiteral("Magazzino.pro")));
        showAndCount();
        QVERIFY(!underStock()->isVisible());
        QVERIFY(!overdue()->isVisible());
        QVERIFY(sb->messages.isEmpty());
    }

    // The count waits for the archive's lock on its own thread; the window goes on meanwhile.
    void aHeldArchiveDoesNotBlockTheWindow()
    {
        appendCards();
        ArchiveFile::setLockWait(60000);
        auto held = std::make_unique<ArchiveFile>(warehousePath(), TSchedaProdotto::RecordSize);
        avvio->show();
        QTRY_VERIFY(avvio->countingAttention());
        bool ticked = false;
        QTimer::singleShot(50, [&ticked] { ticked = true; });
        QTRY_VERIFY(ticked);
        QVERIFY(avvio->countingAttention());
        QVERIFY(!underStock()->isVisible());
        held->close();
        held.reset();
        QTRY_VERIFY(underStock()->isVisible());
        QCOMPARE(overdue()->text(), QStringLiteral("2 pagamenti scaduti"));
    }
};

VETRINOVA_TEST_MAIN(TestAttention)
#include "tst_attention.moc"

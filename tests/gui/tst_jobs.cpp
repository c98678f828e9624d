#include "tests/support/TestSupport.h"

#include "shell/Avvio.h"
#include "shell/CopiaSicurezza.h"
#include "shell/Forms.h"
#include "storage/SafetyCopy.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/ImportaSchede.h"
#include "widgets/PictureButton.h"
#include "widgets/ProgressWindow.h"

#include <QLabel>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSemaphore>

#include <atomic>
#include <stdexcept>

// Long work runs on a worker: while it runs, the progress window paints and its Annulla is heard.
class TestJobs : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> m_box;
    std::unique_ptr<QTemporaryDir> m_elsewhere;

    /** What the test saw of the progress window `name` while the work was held at its first step. */
    struct Seen
    {
        bool painted = false;
        bool annullaPressed = false;
    };

    /**
     * Holds the work at its first step; once the window `name` has painted meanwhile, presses its Annulla
     * and lets the work go on. `start` starts the work and returns when it has ended.
     */
    static Seen cancelWhileHeld(const QString &name, const std::function<void()> &start)
    {
        QSemaphore held;
        QSemaphore release;
        std::atomic_bool first = true;
        ProgressWindow::setStepPause([&] {
            if (!first.exchange(false))
                return;
            held.release();
            // A broken build fails here instead of hanging.
            release.tryAcquire(1, 10000);
        });
        Seen seen;
        PaintWatch watch(name, [&](QProgressDialog *dialog) {
            // The work is at its step: this paint happened while it was under way.
            if (seen.painted || !held.tryAcquire(1, 10000))
                return;
            seen.painted = true;
            QPointer<QProgressDialog> shown(dialog);
            QTimer::singleShot(0, dialog, [&seen, shown, &release] {
                for (QPushButton *button : shown->findChildren<QPushButton *>())
                    if (button->text() == QLatin1String("Annulla")) {
                        QTest::mouseClick(button, Qt::LeftButton);
                        seen.annullaPressed = shown->wasCanceled();
                    }
                release.release();
            });
        });
        start();
        ProgressWindow::setStepPause({});
        // Whatever happened, the worker is not left waiting.
        release.release();
        return seen;
    }

    /** Calls `painted` on the window's thread for each paint of the progress window `name`. */
    class PaintWatch : public QObject
    {
    public:
        PaintWatch(const QString &name, std::function<void(QProgressDialog *)> painted)
            : m_name(name)
            , m_painted(std::move(painted))
        {
            qApp->installEventFilter(this);
        }
        ~PaintWatch() override { qApp->removeEventFilter(this); }

    protected:
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Paint && watched->objectName() == m_name)
                if (auto *dialog = qobject_cast<QProgressDialog *>(watched))
                    m_painted(dialog);
            return QObject::eventFilter(watched, event);
        }

    private:
        QString m_name;
        std::function<void(QProgressDialog *)> m_painted;
    };

private slots:
    void init()
    {
        m_box = std::make_unique<Sandbox>();
        m_elsewhere = std::make_unique<QTemporaryDir>();
    }
    void cleanup()
    {
        ProgressWindow::setStepPause({});
        Forms::destroyAll();
        m_elsewhere.reset();
        m_box.reset();
    }

    void safetyCopyPaintsAndStopsOnAnnulla()
    {
        Forms::createAll();
        Forms::avvio()->show();
        TSchedaProdotto card;
        card[TSchedaProdotto::Codice] = QStringLiteral("A1");
        WarehouseArchive::append(card);
        Sandbox::writeFile(m_box->path(QStringLiteral("1.jpg")), QByteArray(1 << 20, 'x'));
        m_box->nextFiles = { m_elsewhere->filePath(QStringLiteral("copia.zip")) };
        const Seen seen = cancelWhileHeld(QStringLiteral("dlgCopiaInCorso"), [] {
            QTest::mouseClick(Forms::avvio()->findChild<PictureButton *>(QStringLiteral("imgCopia")), Qt::LeftButton);
        });
        QVERIFY(seen.painted);
        QVERIFY(seen.annullaPressed);
        QCOMPARE(QDir(m_elsewhere->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(m_box->messageTexts(), QStringList());
    }

    void importPaintsAndStopsOnAnnulla()
    {
        TSchedaProdotto card;
        card[TSchedaProdotto::Codice] = QStringLiteral("A1");
        card[TSchedaProdotto::Nome] = QStringLiteral("Vaso");
        WarehouseArchive::append(card);
        const QByteArray before = Sandbox::readFile(warehousePath());
        const QString list = m_elsewhere->filePath(QStringLiteral("elenco.csv"));
        Sandbox::writeFile(list,
            "Codice;Descrizione;Costo;Prezzo;Aspetto;Categoria;Caratteristiche;Quantit\xC3\xA0\n"
            "B1;Tazza;1;2,50;Scatola;Casa;Bianca;4\nB2;Piatto;4,5;9,90;Scatola;Casa;Fondo;12\n");
        TfrmImportaSchede w(nullptr);
        w.show();
        w.loadFile(list);
        w.findChild<QPushButton *>(QStringLiteral("btnVerifica"))->click();
        auto *importa = w.findChild<QPushButton *>(QStringLiteral("btnImporta"));
        QVERIFY2(importa->isEnabled(), qPrintable(w.findChild<QLabel *>(QStringLiteral("panInfo"))->text()));
        const Seen seen = cancelWhileHeld(QStringLiteral("dlgImportazione"), [importa] { importa->click(); });
        QVERIFY(seen.painted);
        QVERIFY(seen.annullaPressed);
        QCOMPARE(Sandbox::readFile(warehousePath()), before);
        QVERIFY2(m_box->messageTexts().contains(QStringLiteral("Importazione interrotta.")),
            qPrintable(m_box->messageTexts().join(QLatin1Char('|'))));
    }

    void automaticCopyRunsAfterTheMainLoopHasEnded()
    {
        TSchedaProdotto card;
        card[TSchedaProdotto::Codice] = QStringLiteral("A1");
        WarehouseArchive::append(card);
        QVERIFY(SafetyCopy::automaticCopyDue());
        // As at the program's end: the main loop has returned before the copy starts.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        qApp->exec();
        CopiaSicurezza::copiaAllUscita();
        QCOMPARE(QDir(m_box->path(QStringLiteral("Copie"))).entryList(QDir::Files).size(), 1);
        QCOMPARE(m_box->messageTexts(), QStringList());
    }

    void resultAndExceptionComeBackToTheCaller()
    {
        ProgressWindow progress(nullptr, QStringLiteral("dlgProva"), QStringLiteral(" Prova"), QStringLiteral("Prova"));
        const Qt::HANDLE caller = QThread::currentThreadId();
        Qt::HANDLE worker = caller;
        QCOMPARE(progress.run([&](Job &) {
            worker = QThread::currentThreadId();
            return 42;
        }),
            42);
        QVERIFY(worker != caller);
        bool caught = false;
        try {
            progress.run([](Job &) { throw std::runtime_error("guasto"); });
        } catch (const std::runtime_error &e) {
            caught = QByteArray(e.what()) == "guasto";
        }
        QVERIFY(caught);
        QVERIFY(!progress.canceled());
    }
};

VETRINOVA_TEST_MAIN(TestJobs)
#include "tst_jobs.moc"

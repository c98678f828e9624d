#include "pricelist/ListinoPrezzi.h"
#include "shell/Application.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/SchedaProdotto.h"
#include "tests/support/TestSupport.h"
#include "warehouse/AllegaCartella.h"
#include "warehouse/Magazzino.h"
#include "warehouse/TrovaMagazzino.h"

#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>

// Text with line breaks or tabs brought into a one-line box lands there as one line, whichever way
// it comes: pasted with the keyboard or from the box's menu, or dropped.

namespace {
const QString kPasted = QStringLiteral("riga1\nriga2\r\nriga3\tfine");
const QString kOneLine = QStringLiteral("riga1 riga2 riga3 fine");

enum class Way { KeyboardPaste, MenuPaste, Drop };
} // namespace

class TestOneLine : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> sb;
    std::unique_ptr<QWidget> m_own;

    QLineEdit *boxOf(const QString &window, const QString &name)
    {
        QWidget *w = nullptr;
        if (window == QLatin1String("card editor")) {
            w = Forms::magazzino();
            Forms::magazzino()->handOverFrom(nullptr);
        } else if (window == QLatin1String("page editor")) {
            w = Forms::listinoPrezzi();
            Forms::avvio()->show();
            Forms::listinoPrezzi()->handOverFrom(Forms::avvio());
        } else if (window == QLatin1String("search")) {
            m_own = std::make_unique<TfrmTrovaMagazzino>(Forms::magazzino());
            w = m_own.get();
        } else {
            auto *dialog = new TfrmAllegaCartella(Forms::magazzino());
            dialog->fillFrom(Forms::magazzino());
            m_own.reset(dialog);
            w = dialog;
        }
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("window not active");
        auto *box = w->findChild<QLineEdit *>(name);
        if (!box)
            qFatal("no box %s", qPrintable(name));
        box->setFocus();
        return box;
    }

    static void bringIn(QLineEdit *box, Way way, const QString &text)
    {
        switch (way) {
        case Way::KeyboardPaste:
            QGuiApplication::clipboard()->setText(text);
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            break;
        case Way::MenuPaste:
            QGuiApplication::clipboard()->setText(text);
            box->paste();
            break;
        case Way::Drop: {
            // As the window system delivers a drop: entering first, which makes the box the target.
            QMimeData data;
            data.setText(text);
            const QPoint at(box->width() - 2, box->height() / 2);
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(box, &enter);
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(box, &drop);
            break;
        }
        }
    }

private slots:
    void init()
    {
        sb = std::make_unique<Sandbox>();
        Forms::createAll();
    }
    void cleanup()
    {
        m_own.reset();
        Forms::destroyAll();
        sb.reset();
    }

    void textBroughtInIsOneLine_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("box");
        QTest::addColumn<Way>("way");
        QTest::newRow("card name, keyboard") << "card editor"
                                             << "txtNome" << Way::KeyboardPaste;
        QTest::newRow("card notes, menu") << "card editor"
                                          << "txtNote" << Way::MenuPaste;
        QTest::newRow("card supplier, dropped") << "card editor"
                                                << "txtDitta" << Way::Drop;
        QTest::newRow("slot characteristics, keyboard") << "page editor"
                                                        << "txtCaratteristiche_A" << Way::KeyboardPaste;
        QTest::newRow("slot name, dropped") << "page editor"
                                            << "txtNome_H" << Way::Drop;
        QTest::newRow("search box, keyboard") << "search"
                                              << "txtNome" << Way::KeyboardPaste;
        QTest::newRow("search box, dropped") << "search"
                                             << "txtCaratteristiche" << Way::Drop;
        QTest::newRow("find in the results, menu") << "search"
                                                   << "txtTrova" << Way::MenuPaste;
        QTest::newRow("attachment description, keyboard") << "attachments"
                                                          << "txtDesc02" << Way::KeyboardPaste;
    }

    void textBroughtInIsOneLine()
    {
        QFETCH(QString, window);
        QFETCH(QString, box);
        QFETCH(Way, way);
        QLineEdit *edit = boxOf(window, box);
        bringIn(edit, way, kPasted);
        QCOMPARE(edit->text(), kOneLine);
        QCOMPARE(edit->cursorPosition(), kOneLine.size());

        // Brought into the middle, the cursor stays after what arrived.
        edit->setText(QStringLiteral("ab"));
        edit->setCursorPosition(1);
        QGuiApplication::clipboard()->setText(QStringLiteral("\r\nx\t"));
        edit->paste();
        QCOMPARE(edit->text(), QStringLiteral("a x b"));
        QCOMPARE(edit->cursorPosition(), 4);
    }

    void aPastedCardIsStoredOnOneLine()
    {
        QLineEdit *name = boxOf(QStringLiteral("card editor"), QStringLiteral("txtNome"));
        for (const char *b : { "txtCodice", "txtCosto", "txtUM", "txtTipologia", "txtCaratteristiche", "txtPrezzo" })
            Forms::magazzino()->findChild<QLineEdit *>(QLatin1String(b))->setText(QStringLiteral("1"));
        bringIn(name, Way::KeyboardPaste, kPasted);
        QTest::mouseClick(Forms::magazzino()->findChild<QWidget *>(QStringLiteral("btnSalva")), Qt::LeftButton);
        QCOMPARE(sb->messageTexts(),
            QStringList { QStringLiteral("La scheda corrente \u00e8 stata inserita in archivio.") });
        QCOMPARE(WarehouseArchive::read(1)[TSchedaProdotto::Nome], kOneLine);
    }
};

VETRINOVA_TEST_MAIN(TestOneLine)
#include "tst_oneline.moc"

#include "tests/support/TestSupport.h"

#include "shell/Application.h"
#include "widgets/BoxBehaviour.h"
#include "widgets/HighlightRect.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

// Three boxes as the windows use them: a money box, a quantity box and a plain box, chained by Enter.
class TestBoxBehaviour : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QWidget> m_window;
    QLineEdit *m_money = nullptr;
    QLineEdit *m_quantity = nullptr;
    QLineEdit *m_plain = nullptr;
    QStringList m_exits;

    QLineEdit *box(const QString &kind) const
    {
        return kind == QLatin1String("money") ? m_money : kind == QLatin1String("quantity") ? m_quantity : m_plain;
    }
    QWidget *highlight(QLineEdit *box) const
    {
        return m_window->findChild<QWidget *>(QStringLiteral("eff") + box->objectName().mid(3));
    }
    void focus(QLineEdit *box)
    {
        box->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), box);
    }

private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(300, 200);
        m_money = new QLineEdit(m_window.get());
        m_money->setObjectName(QStringLiteral("txtPrezzo"));
        m_money->setGeometry(20, 20, 120, 22);
        m_quantity = new QLineEdit(m_window.get());
        m_quantity->setObjectName(QStringLiteral("txtGiacenza"));
        m_quantity->setGeometry(20, 60, 120, 22);
        m_plain = new QLineEdit(m_window.get());
        m_plain->setObjectName(QStringLiteral("txtNome"));
        m_plain->setGeometry(20, 100, 120, 22);
        m_exits.clear();
        BoxBehaviour::attach(m_money, new HighlightRect(m_money, QStringLiteral("effPrezzo")))
            ->money()
            ->next(m_quantity)
            ->onExit([this] { m_exits << m_money->text(); });
        BoxBehaviour::attach(m_quantity, new HighlightRect(m_quantity, QStringLiteral("effGiacenza")))
            ->quantity()
            ->next(m_plain);
        BoxBehaviour::attach(m_plain, new HighlightRect(m_plain, QStringLiteral("effNome")))->next(m_money);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void cleanup() { m_window.reset(); }

    void typing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("money takes digits and comma") << "money"
                                                      << "12,50"
                                                      << "12,50";
        QTest::newRow("money drops letters, stop, sign, blank") << "money"
                                                                << "a1.2 -b3+"
                                                                << "123";
        QTest::newRow("quantity drops the comma") << "quantity"
                                                  << "1,5"
                                                  << "15";
        QTest::newRow("quantity drops sign and letters") << "quantity"
                                                         << "-4x2"
                                                         << "42";
        QTest::newRow("plain box takes any key") << "plain"
                                                 << "a,b.c -1"
                                                 << "a,b.c -1";
    }
    void typing()
    {
        QFETCH(QString, kind);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        focus(box(kind));
        QTest::keyClicks(box(kind), keys);
        QCOMPARE(box(kind)->text(), text);
    }

    void editingKeysReachTheBox()
    {
        focus(m_money);
        QTest::keyClicks(m_money, "1234");
        QTest::keyClick(m_money, Qt::Key_Left);
        QTest::keyClick(m_money, Qt::Key_Backspace); // removes the 3
        QTest::keyClick(m_money, Qt::Key_Left);
        QTest::keyClick(m_money, Qt::Key_Delete); // removes the 2
        QTest::keyClick(m_money, Qt::Key_Right);
        QTest::keyClicks(m_money, "9");
        QCOMPARE(m_money->text(), QStringLiteral("149"));
    }

    void otherKeysAreDiscarded()
    {
        focus(m_quantity);
        QTest::keyClicks(m_quantity, "12");
        for (Qt::Key key : { Qt::Key_Home, Qt::Key_End, Qt::Key_Up, Qt::Key_Escape, Qt::Key_Space })
            QTest::keyClick(m_quantity, key);
        QTest::keyClicks(m_quantity, "3");
        QCOMPARE(m_quantity->text(), QStringLiteral("123"));
        QCOMPARE(QApplication::focusWidget(), m_quantity);
        // Characters beyond ASCII never reach a money box; a plain box takes them.
        focus(m_money);
        m_money->clear();
        for (const QString &ch : { QStringLiteral("\u00e8"), QStringLiteral("\u20ac"), QStringLiteral("\u00b2") })
            QTest::sendKeyEvent(QTest::Click, m_money, Qt::Key_unknown, ch, Qt::NoModifier);
        QCOMPARE(m_money->text(), QString());
        focus(m_plain);
        QTest::sendKeyEvent(QTest::Click, m_plain, Qt::Key_unknown, QStringLiteral("\u00e8"), Qt::NoModifier);
        QCOMPARE(m_plain->text(), QStringLiteral("\u00e8"));
    }

    void enterMovesAlongTheChain()
    {
        focus(m_money);
        QVERIFY(highlight(m_money)->isVisible());
        QTest::keyClicks(m_money, "7");
        QTest::keyClick(m_money, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), m_quantity);
        QCOMPARE(m_money->text(), QStringLiteral("7,00"));
        QVERIFY(!highlight(m_money)->isVisible());
        QVERIFY(highlight(m_quantity)->isVisible());
        QTest::keyClick(m_quantity, Qt::Key_Enter);
        QTRY_COMPARE(QApplication::focusWidget(), m_plain);
        QCOMPARE(m_quantity->text(), QStringLiteral("0"));
        QTest::keyClick(m_plain, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), m_money);
        QCOMPARE(m_plain->text(), QString());
    }

    void leavingNormalises_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("cost 7") << "money"
                                << "7"
                                << "7,00";
        QTest::newRow("cost 7,") << "money"
                                 << "7,"
                                 << "7,00";
        QTest::newRow("cost ,75") << "money"
                                  << ",75"
                                  << "0,75";
        QTest::newRow("price 3,999") << "money"
                                     << "3,999"
                                     << "4,00";
        QTest::newRow("price 1,005") << "money"
                                     << "1,005"
                                     << "1,00";
        QTest::newRow("price 1,115") << "money"
                                     << "1,115"
                                     << "1,11";
        QTest::newRow("emptied price") << "money"
                                       << ""
                                       << "0,00";
        QTest::newRow("stock 0004") << "quantity"
                                    << "0004"
                                    << "4";
        QTest::newRow("emptied stock") << "quantity"
                                       << ""
                                       << "0";
    }
    void leavingNormalises()
    {
        QFETCH(QString, kind);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        focus(box(kind));
        QTest::keyClicks(box(kind), keys);
        QTest::mouseClick(m_plain, Qt::LeftButton);
        QTRY_COMPARE(QApplication::focusWidget(), m_plain);
        QCOMPARE(box(kind)->text(), text);
    }

    void pastedTextIsCleanedOnLeaving_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("text");
        QTest::newRow("full stop") << "12.50"
                                   << "0,00";
        QTest::newRow("minus") << "-5"
                               << "-5,00";
    }
    void pastedTextIsCleanedOnLeaving()
    {
        QFETCH(QString, clip);
        QFETCH(QString, text);
        QApplication::clipboard()->setText(clip);
        focus(m_money);
        QTest::keyClick(m_money, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_money->text(), clip);
        focus(m_plain);
        QCOMPARE(m_money->text(), text);
    }

    void contextMenuOrOtherWindowIsNotLeaving()
    {
        focus(m_money);
        QTest::keyClicks(m_money, "7");
        // The box's own context menu takes the focus for a moment: nothing is normalised or run.
        QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
        QApplication::sendEvent(m_money, &popup);
        QCOMPARE(m_money->text(), QStringLiteral("7"));
        QVERIFY(highlight(m_money)->isVisible());
        QVERIFY(m_exits.isEmpty());
        // Another window comes in front: the highlight goes, the value stays as typed.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(m_money->text(), QStringLiteral("7"));
        QVERIFY(!highlight(m_money)->isVisible());
        QVERIFY(m_exits.isEmpty());
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTRY_VERIFY(highlight(m_money)->isVisible());
        // Really leaving runs the rule, then the exit handler.
        focus(m_plain);
        QCOMPARE(m_money->text(), QStringLiteral("7,00"));
        QCOMPARE(m_exits, QStringList { QStringLiteral("7,00") });
    }

    void aWarningThatMovesTheCursorOnIsLeaving()
    {
        // A required-field warning comes in front, then the window puts the cursor in another box.
        focus(m_money);
        QTest::keyClicks(m_money, "6");
        onNextModal([](QWidget *box) { static_cast<QDialog *>(box)->accept(); });
        QMessageBox::warning(m_window.get(), QString(), QStringLiteral("Campo obbligatorio"));
        // The desktop gives the window back its activation a moment after the box closes.
        QTimer::singleShot(0, m_window.get(), [this] { m_window->activateWindow(); });
        m_plain->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), m_plain);
        QCOMPARE(m_money->text(), QStringLiteral("6,00"));
        QCOMPARE(m_exits, QStringList { QStringLiteral("6,00") });
    }

    void enterSelectsWhatItLandsOn()
    {
        m_quantity->setText(QStringLiteral("07"));
        focus(m_money);
        QTest::keyClick(m_money, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), m_quantity);
        QCOMPARE(m_quantity->selectedText(), QStringLiteral("07"));
        QTest::keyClicks(m_quantity, "12");
        QCOMPARE(m_quantity->text(), QStringLiteral("12"));
    }

    // A click into a box puts the caret where it lands; into a money or quantity box still holding the
    // program's value it chooses that value, so what is typed replaces it.
    void clickChoosesOnlyTheProgramsValue_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("before"); // how the user left the box: "" untouched, "typed", "focused"
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left"); // the text once the box is left
        const auto row
            = [](const char *name, const char *kind, const char *before, const char *typed, const char *left) {
                  QTest::newRow(name) << QString(kind) << QString(before) << QString(typed) << QString(left);
              };
        row("money, program's 0,00", "money", "", "49,9", "49,90");
        row("quantity, program's 0", "quantity", "", "12", "12");
        row("money, the user's own price", "money", "typed", "5", "512,00");
        row("money, cursor already there", "money", "focused", "5", "50,00");
        row("plain box", "plain", "", "x", "xabc");
    }
    void clickChoosesOnlyTheProgramsValue()
    {
        QFETCH(QString, kind);
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(QString, left);
        QLineEdit *b = box(kind);
        b->setText(kind == QLatin1String("money")   ? QStringLiteral("0,00")
                : kind == QLatin1String("quantity") ? QStringLiteral("0")
                                                    : QStringLiteral("abc"));
        if (before == QLatin1String("typed")) {
            focus(b);
            b->selectAll();
            QTest::keyClicks(b, "12");
            focus(m_plain);
            QCOMPARE(b->text(), QStringLiteral("12,00"));
        } else if (before == QLatin1String("focused")) {
            focus(b);
        } else {
            focus(b == m_plain ? m_money : m_plain);
        }
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, b->height() / 2));
        QTRY_COMPARE(QApplication::focusWidget(), b);
        QTest::keyClicks(b, qPrintable(typed));
        focus(b == m_plain ? m_money : m_plain);
        QCOMPARE(b->text(), left);
    }

    void typingStopsAtTheLimitButTheProgramsTextIsWhole()
    {
        BoxBehaviour::of(m_money)->limit(12);
        BoxBehaviour::of(m_plain)->limit(5);
        focus(m_plain);
        QTest::keyClicks(m_plain, "abcdefg");
        QCOMPARE(m_plain->text(), QStringLiteral("abcde"));
        QApplication::clipboard()->setText(QStringLiteral("xyz"));
        QTest::keyClick(m_plain, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_plain->text(), QStringLiteral("abcde"));

        // Set by the program: whole; typing cannot make it longer still.
        m_plain->setText(QStringLiteral("Rosa rossa a stelo lungo"));
        QCOMPARE(m_plain->text(), QStringLiteral("Rosa rossa a stelo lungo"));
        QTest::keyClicks(m_plain, "x");
        QCOMPARE(m_plain->text(), QStringLiteral("Rosa rossa a stelo lungo"));
        QTest::keyClick(m_plain, Qt::Key_Backspace);
        QTest::keyClicks(m_plain, "o");
        QCOMPARE(m_plain->text(), QStringLiteral("Rosa rossa a stelo lung"));

        // The money rule's own result is the program's text too.
        focus(m_money);
        m_money->clear();
        QTest::keyClicks(m_money, "9999999999999");
        QCOMPARE(m_money->text(), QStringLiteral("999999999999"));
        focus(m_plain);
        QCOMPARE(m_money->text(), QStringLiteral("999999999999,00"));
    }
};

VETRINOVA_TEST_MAIN(TestBoxBehaviour)
#include "tst_boxbehaviour.moc"

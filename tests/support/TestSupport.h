#pragma once

#include "report/ReportOutput.h"
#include "widgets/FileDialogs.h"
#include "widgets/Messages.h"

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

/**
 * Everything a window test needs from the outside world, replaced: a fresh program folder, message
 * boxes recorded and answered, file dialogs answered in advance, the shell open recorded and a
 * fixed clock; the start window counts no cards unless a test turns it on
 * (TfrmAvvio::setCountsAttention). Make one in init(), drop it in cleanup().
 */
class Sandbox
{
public:
    struct Shown
    {
        Msg::Kind kind;
        QString text;
    };

    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox &) = delete;
    Sandbox &operator=(const Sandbox &) = delete;

    /** The program folder, with its trailing separator. */
    QString folder() const;
    QString path(const QString &relative) const { return folder() + relative; }

    /** Messages shown since the last clear. */
    QList<Shown> messages;
    /** Answers to the next confirmation and Yes/No/Cancel boxes, in order; Yes when the queue is empty. */
    QList<QMessageBox::StandardButton> answers;
    /** Answers to the next file dialogs, in order; an empty text cancels. Cancel when the queue is empty. */
    QStringList nextFiles;
    /** Title, filter, proposed name and suffix (empty for an open dialog) of each file dialog shown. */
    QList<QStringList> fileDialogs;
    /** Every text handed to TMisc::Open. */
    QStringList opened;
    /** Every report previewed or printed, instead of the screen and the printer. */
    QList<QPair<ReportOutput::Action, PreparedReport>> reports;

    QStringList messageTexts() const;
    void clearMessages() { messages.clear(); }

    static QByteArray readFile(const QString &path);
    static void writeFile(const QString &path, const QByteArray &bytes);

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

/**
 * Runs `action` on the next modal window as soon as it is shown (a dialog opened with exec()),
 * so a test can answer or close it without blocking.
 */
void onNextModal(std::function<void(QWidget *)> action);

/**
 * Watches a progress window between steps: records its texts and presses its Annulla once its text
 * contains `cancelAt` (empty: never). The print one, dlgStampaInCorso, by default.
 */
class ProgressWatcher
{
    Q_DISABLE_COPY_MOVE(ProgressWatcher)
public:
    explicit ProgressWatcher(const QString &cancelAt, const QString &objectName = QStringLiteral("dlgStampaInCorso"));
    ~ProgressWatcher();

    /** Every text the window showed, in order. */
    QStringList labels;
    QString accessibleName;
    bool wasModal = false;
};

/** A JPEG file of `size` in one colour, for photo tests. */
QString makeJpeg(const QString &path, const QSize &size, const QColor &color = Qt::red);

/** main() for window tests: the program's own application object, Italian catalogue, no display. */
#define VETRINOVA_TEST_MAIN(TestClass)                                                                                 \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        Application app(argc, argv);                                                                                   \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestClass tc;                                                                                                  \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
#include "shell/Application.h"

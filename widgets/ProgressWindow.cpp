#include "widgets/ProgressWindow.h"

#include "widgets/DialogWindow.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMutex>
#include <QProgressBar>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QWaitCondition>

#include <atomic>

namespace {
// The window shows how far the work got at most ten times a second: more would only cost the work time.
constexpr int kRefreshMs = 100;
// Work that ends sooner never flashes a window.
constexpr qint64 kShowAfterMs = 300;

ProgressWindow::StepObserver &stepObserver()
{
    static ProgressWindow::StepObserver observer;
    return observer;
}
std::function<void()> &stepPause()
{
    static std::function<void()> pause;
    return pause;
}
} // namespace

struct Job::State
{
    QMutex mutex;
    QWaitCondition seen;
    qint64 done = 0;
    qint64 total = 0;
    QString label;
    quint64 reported = 0;
    quint64 observed = 0;
    std::atomic_bool cancel = false;
    // Set when a test observes every step: the window's thread then shows each one before the work goes on.
    std::function<void()> showStep;
};

bool Job::step(qint64 done, qint64 total, const QString &label)
{
    QMutexLocker lock(&m_state.mutex);
    m_state.done = done;
    m_state.total = total;
    m_state.label = label;
    const quint64 mine = ++m_state.reported;
    if (!m_state.showStep) {
        lock.unlock();
        if (const std::function<void()> &pause = stepPause())
            pause();
        return !m_state.cancel;
    }
    // Annulla pressed while this step is on screen stops the work at the next one: this step is carried out.
    const bool stop = m_state.cancel;
    m_state.showStep();
    while (m_state.observed < mine)
        m_state.seen.wait(&m_state.mutex);
    return !stop;
}

bool Job::canceled() const
{
    return m_state.cancel;
}

ProgressWindow::ProgressWindow(
    QWidget *parent, const QString &objectName, const QString &title, const QString &accessibleName)
    : m_parent(parent)
    , m_objectName(objectName)
    , m_title(title)
    , m_accessibleName(accessibleName)
{ }

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::setStepObserver(StepObserver observer)
{
    stepObserver() = std::move(observer);
}

void ProgressWindow::setStepPause(std::function<void()> pause)
{
    stepPause() = std::move(pause);
}

bool ProgressWindow::canceled() const
{
    return m_canceled;
}

void ProgressWindow::makeDialog(const QString &label)
{
    // The bar counts in thousandths, so any total fits its int range.
    m_dialog = std::make_unique<QProgressDialog>(m_parent);
    m_dialog->setObjectName(m_objectName);
    m_dialog->setWindowTitle(m_title);
    m_dialog->setAccessibleName(m_accessibleName);
    if (m_cancelable)
        m_dialog->setCancelButtonText(QStringLiteral("Annulla"));
    else
        m_dialog->setCancelButton(nullptr);
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setAutoReset(false);
    m_dialog->setAutoClose(false);
    m_dialog->setMinimumDuration(0);
    // The bar is set directly: the dialog's own setValue() would pump events in the middle of ours.
    m_bar = new QProgressBar(m_dialog.get());
    m_dialog->setBar(m_bar);
    m_bar->setRange(0, 1000);
    m_dialog->setLabelText(label);
    // Wide enough for the whole title beside the title-bar buttons, and for a label that grows.
    const QFontMetrics title(QGuiApplication::font());
    m_dialog->setMinimumWidth(std::max(360, title.horizontalAdvance(m_title) + 160));
    m_dialog->adjustSize();
    const QRect area = centringArea(m_parent);
    if (area.isValid())
        m_dialog->move(area.center() - m_dialog->rect().center());
    m_dialog->show();
}

void ProgressWindow::show(qint64 done, qint64 total, const QString &label)
{
    if (m_dialog->wasCanceled())
        return;
    m_dialog->setLabelText(label);
    m_dialog->setAccessibleDescription(label);
    // Work that cannot tell how much is left shows a bar that only says it is busy.
    m_bar->setRange(0, total > 0 ? 1000 : 0);
    m_bar->setValue(total > 0 ? int(done * 1000 / total) : 0);
}

void ProgressWindow::runJob(const std::function<void(Job &)> &body)
{
    Job::State state;
    m_canceled = false;
    QObject context; // receives the job's news on this thread
    QEventLoop loop;
    bool ended = false;
    std::exception_ptr thrown;
    QElapsedTimer clock;
    clock.start();

    // Shows the job's last step, making the window when the work has lasted long enough (or at once).
    const auto refresh = [&](bool atOnce) {
        qint64 done = 0;
        qint64 total = 0;
        QString label;
        {
            QMutexLocker lock(&state.mutex);
            if (state.reported == 0)
                return;
            done = state.done;
            total = state.total;
            label = state.label;
        }
        if (!m_dialog) {
            if (!atOnce && clock.elapsed() < kShowAfterMs)
                return;
            makeDialog(label);
            QObject::connect(m_dialog.get(), &QProgressDialog::canceled, &context, [&] {
                state.cancel = true;
                m_canceled = true;
                // Back to a loop that lets no click through while the work reaches its next step.
                loop.quit();
            });
            // Now the window is up, Annulla may be pressed: the loop starts again with user input.
            loop.quit();
        }
        show(done, total, label);
    };
    if (const StepObserver observer = stepObserver()) {
        state.showStep = [this, &state, &context, &refresh, observer] {
            QMetaObject::invokeMethod(
                &context,
                [&state, &refresh, observer, this] {
                    refresh(true);
                    observer(m_dialog.get());
                    QMutexLocker lock(&state.mutex);
                    state.observed = state.reported;
                    state.seen.wakeAll();
                },
                Qt::QueuedConnection);
        };
    }

    QTimer ticker;
    ticker.setInterval(kRefreshMs);
    QObject::connect(&ticker, &QTimer::timeout, &context, [&] { refresh(false); });
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            Job job(state);
            body(job);
        } catch (...) {
            thrown = std::current_exception();
        }
    }));
    QObject::connect(worker.get(), &QThread::finished, &context, [&] {
        ended = true;
        loop.quit();
    });
    ticker.start();
    worker->start();
    while (!ended) {
        // Until the window is up, clicks and keys wait: nothing may change what the job reads or writes.
        const bool open = m_dialog && m_dialog->isVisible() && !m_canceled;
        loop.exec(open ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    }
    worker->wait();
    ticker.stop();
    m_dialog.reset();
    if (thrown)
        std::rethrow_exception(thrown);
}

#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

class QProgressBar;
class QProgressDialog;
class QWidget;

/**
 * The handle a piece of long work holds while it runs on its worker thread: how it says how far it got,
 * and how it learns that Annulla was pressed. Safe to use from any thread.
 */
class Job
{
public:
    /** Reports `done` of `total` finished under `label`; false once Annulla has been pressed. */
    bool step(qint64 done, qint64 total, const QString &label);
    /** Whether Annulla has been pressed, for work that stops at once rather than at its next step. */
    bool canceled() const;

    struct State;

private:
    friend class ProgressWindow;
    explicit Job(State &state)
        : m_state(state)
    { }
    State &m_state;
};

/**
 * The program's window for long work: a label saying how far the work got, a bar and Annulla. The
 * work runs on a worker thread as a job; the window's thread waits in an event loop, so the program
 * keeps painting, and shows the window only once the work has reported a step and lasted long enough
 * to need it. The window is modal, and nothing the user does reaches the other windows while a job
 * runs, so nothing else changes what is being written or printed.
 */
class ProgressWindow
{
public:
    ProgressWindow(QWidget *parent, const QString &objectName, const QString &title, const QString &accessibleName);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow &) = delete;
    ProgressWindow &operator=(const ProgressWindow &) = delete;

    /**
     * Runs `work(job)` on a worker thread and returns its result once it has ended, on the caller's
     * thread. The work touches no widget and shows nothing: what it needs from the windows is read before,
     * what it has to say is shown after. An exception it throws is thrown again here.
     */
    template <class Work> std::invoke_result_t<Work &, Job &> run(Work work)
    {
        using T = std::invoke_result_t<Work &, Job &>;
        if constexpr (std::is_void_v<T>) {
            runJob([&work](Job &job) { work(job); });
        } else {
            std::optional<T> result;
            runJob([&work, &result](Job &job) { result.emplace(work(job)); });
            return std::move(*result);
        }
    }

    /** For work that cannot stop half way: the window has no Annulla. */
    void setCancelable(bool cancelable) { m_cancelable = cancelable; }

    /** Whether Annulla was pressed during the last job. */
    bool canceled() const;

    /**
     * Test seam: while set, every step a job reports shows the window at once and waits until this has
     * been called with it on the window's thread, so a test sees each step and may press Annulla there.
     */
    using StepObserver = std::function<void(QProgressDialog *)>;
    static void setStepObserver(StepObserver observer);

    /**
     * Test seam: called on the worker thread at every step, once the window can know of it and before the
     * step says whether to go on; a test holds the work there to look at the window meanwhile.
     */
    static void setStepPause(std::function<void()> pause);

private:
    void runJob(const std::function<void(Job &)> &body);
    void makeDialog(const QString &label);
    void show(qint64 done, qint64 total, const QString &label);

    QWidget *m_parent;
    QString m_objectName;
    QString m_title;
    QString m_accessibleName;
    std::unique_ptr<QProgressDialog> m_dialog;
    QProgressBar *m_bar = nullptr;
    bool m_canceled = false;
    bool m_cancelable = true;
};

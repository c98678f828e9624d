#pragma once

#include <functional>

class QWidget;

/**
 * What every window may ask of the set of long-lived windows without knowing who made it: the one
 * instance of a window class, whether the program is ending, and the way back to the start window.
 * The shell fills it in at start-up.
 */
namespace WindowSet {
/** The long-lived instance of window class W; null before start-up and after the end. */
template <typename W> W *&instance()
{
    static W *window = nullptr;
    return window;
}

/** True while the program is ending: closing windows then hands nothing over. */
bool ending();
void setEnding(bool ending);
/** Ends the program at once: every window closes, nothing is saved or asked. */
void endProgram();

/** Installs what showing the start window means; the shell sets it, so no window names the start window. */
void setStartWindow(std::function<void(QWidget *previous)> show);
/** Shows the start window in place of `previous`. */
void showStartWindow(QWidget *previous);
} // namespace WindowSet

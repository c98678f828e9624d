#pragma once

#include <functional>

class QWidget;

/**
 * What every window may ask of the set of long-lived windows without knowing who made it: the one
 * instance of a window class, whether the program is ending, and the way back to the start window.
 * The shell fills it in at start-up.
 */
namespace WindowSet {
/** True while the program is ending: closing windows then hands nothing over. */
bool ending();

/** How instance<W>() makes window W when first asked for it; the shell sets it, and empties it at the end. */
template <typename W> std::function<W *()> &maker()
{
    static std::function<W *()> make;
    return make;
}

/**
 * The long-lived instance of window class W, made on first use when the shell has set its maker;
 * null before start-up and after the end.
 */
template <typename W> W *&instance()
{
    static W *window = nullptr;
    if (!window && !ending() && maker<W>())
        window = maker<W>()();
    return window;
}

void setEnding(bool ending);
/** Ends the program at once: every window closes, nothing is saved or asked. */
void endProgram();

/** Installs what showing the start window means; the shell sets it, so no window names the start window. */
void setStartWindow(std::function<void(QWidget *previous)> show);
/** Shows the start window in place of `previous`. */
void showStartWindow(QWidget *previous);
} // namespace WindowSet

#include "widgets/WindowSet.h"

#include <QApplication>
#include <QWidget>

namespace {
bool s_ending = false;

std::function<void(QWidget *)> &startWindow()
{
    static std::function<void(QWidget *)> show;
    return show;
}
} // namespace

bool WindowSet::ending()
{
    return s_ending;
}

void WindowSet::setEnding(bool ending)
{
    s_ending = ending;
}

void WindowSet::endProgram()
{
    s_ending = true;
    for (QWidget *w : QApplication::topLevelWidgets())
        w->hide();
    QApplication::quit();
}

void WindowSet::setStartWindow(std::function<void(QWidget *)> show)
{
    startWindow() = std::move(show);
}

void WindowSet::showStartWindow(QWidget *previous)
{
    if (startWindow())
        startWindow()(previous);
}

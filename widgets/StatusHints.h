#pragma once

class QLabel;
class QWidget;

/**
 * The status line of a workspace: moving the mouse over a control writes its hint (its
 * "statusText" property) into `panInfo`; over the background, panels and pictures without a hint
 * it empties `panInfo`; over text boxes it leaves it unchanged. Call after the controls are made.
 */
void installStatusHints(QWidget *window, QLabel *panInfo);

#pragma once

#include <QImage>
#include <QWidget>

/**
 * A clickable picture: the program's picture buttons, icons and links drawn from its artwork.
 * It takes no keyboard focus, so a click leaves the cursor where it was. Its word is its
 * accessible name and its status-line hint its accessible description.
 */
class PictureButton : public QWidget
{
    Q_OBJECT
public:
    /** `art` names an SVG under resources/art; `word` is what the picture says ("Salva"). */
    PictureButton(QWidget *parent, const QString &name, const QString &art, const QRect &geometry,
        const QString &word = QString(), const QString &statusText = QString());

    void setArt(const QString &art);
    QString art() const { return m_art; }
    void setStatusText(const QString &text);
    QString statusText() const;
    /**
     * For the controls added to windows that had none: Tab reaches the picture, which then shows a
     * focus frame, and Space or Enter clicks it.
     */
    void setKeyboardReachable();

signals:
    void clicked();
    void pressed();
    void released();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_art;
    bool m_down = false;
};

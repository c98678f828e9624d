#pragma once

#include <QImage>
#include <QObject>

#include <functional>

/**
 * A source of camera frames. Frames arrive as pictures on the user-interface thread, one per
 * frame, at the camera's own size, between start() and stop() only. A source that has no camera,
 * or whose camera fails or goes away, simply delivers nothing: callers need not check.
 */
class CameraSource : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void start() = 0;
    virtual void stop() = 0;
    /** True between start() and stop() (a camera that failed may still count as started). */
    virtual bool isStarted() const = 0;

    /** The program's camera: the system's default video input, unless a test replaced it. */
    static CameraSource *create(QObject *parent);
    /** Whether the camera module is found and loads (loading it, if not yet done). */
    static bool systemCameraLoads();

    /** Test seam: makes every later create() call this instead (an empty factory restores the real camera). */
    using Factory = std::function<CameraSource *(QObject *parent)>;
    static void setFactory(Factory factory);

signals:
    void frameArrived(const QImage &frame);
};

#pragma once

#include "widgets/CameraSource.h"

#include <QPointer>

/** A camera that tests feed frames to; like a real one it delivers only while started. */
class FakeCamera : public CameraSource
{
public:
    using CameraSource::CameraSource;

    void start() override { m_started = true; }
    void stop() override { m_started = false; }
    bool isStarted() const override { return m_started; }

    void feed(const QImage &frame)
    {
        if (m_started)
            emit frameArrived(frame);
    }

private:
    bool m_started = false;
};

/** While it lives, every camera the program makes is a FakeCamera; `last` is the newest one. */
struct FakeCameras
{
    FakeCameras()
    {
        CameraSource::setFactory([this](QObject *parent) {
            auto *camera = new FakeCamera(parent);
            last = camera;
            return camera;
        });
    }
    ~FakeCameras() { CameraSource::setFactory({}); }
    FakeCameras(const FakeCameras &) = delete;
    FakeCameras &operator=(const FakeCameras &) = delete;

    QPointer<FakeCamera> last;
};

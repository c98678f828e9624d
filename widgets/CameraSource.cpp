#include "widgets/CameraSource.h"

#include <QCamera>
#include <QCameraDevice>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoFrame>
#include <QVideoSink>

#include <memory>

namespace {
CameraSource::Factory &factory()
{
    static CameraSource::Factory f;
    return f;
}

/** The system's default video input through Qt Multimedia. */
class SystemCamera : public CameraSource
{
public:
    using CameraSource::CameraSource;
    ~SystemCamera() override { release(); }

    void start() override
    {
        if (m_started)
            return;
        m_started = true;
        // Each start looks for the default device afresh, so a camera plugged in (or swapped)
        // since the last one is found. Without any, QCamera would stay silent: check first.
        release();
        if (QMediaDevices::videoInputs().isEmpty())
            return;
        m_camera = std::make_unique<QCamera>(QMediaDevices::defaultVideoInput());
        m_sink = std::make_unique<QVideoSink>();
        m_session = std::make_unique<QMediaCaptureSession>();
        m_session->setCamera(m_camera.get());
        m_session->setVideoSink(m_sink.get());
        // `this` as context: if the backend signals from its own thread, the frame is queued to ours.
        connect(m_sink.get(), &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame &frame) {
            if (!m_started || !frame.isValid())
                return;
            const QImage image = frame.toImage();
            if (!image.isNull())
                emit frameArrived(image);
        });
        // A camera that fails or is unplugged just stops delivering; the last picture stays.
        m_camera->start();
    }

    void stop() override
    {
        m_started = false;
        if (m_camera)
            m_camera->stop();
    }

    bool isStarted() const override { return m_started; }

private:
    void release()
    {
        if (m_session) {
            m_session->setVideoSink(nullptr);
            m_session->setCamera(nullptr);
        }
        m_session.reset();
        m_camera.reset();
        m_sink.reset();
    }

    bool m_started = false;
    std::unique_ptr<QCamera> m_camera;
    std::unique_ptr<QVideoSink> m_sink;
    std::unique_ptr<QMediaCaptureSession> m_session;
};
} // namespace

CameraSource *CameraSource::create(QObject *parent)
{
    if (factory())
        return factory()(parent);
    return new SystemCamera(parent);
}

void CameraSource::setFactory(Factory f)
{
    factory() = std::move(f);
}

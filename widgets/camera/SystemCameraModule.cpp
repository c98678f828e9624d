// The camera module: the system's default video input through Qt Multimedia. It is a library of its
// own, loaded when a window first asks for the camera, so that Qt Multimedia and the sound and video
// libraries it pulls in are not loaded before the password window.
#include "widgets/CameraBackend.h"

#include <QCamera>
#include <QCameraDevice>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QObject>
#include <QVideoFrame>
#include <QVideoSink>

#include <memory>

namespace {
class SystemCamera final : public CameraBackend
{
public:
    explicit SystemCamera(std::function<void(const QImage &)> deliver)
        : m_deliver(std::move(deliver))
    { }
    ~SystemCamera() override { release(); }

    void start() override
    {
        // Each start looks for the default device afresh, so a camera plugged in (or swapped)
        // since the last one is found. Without any, QCamera would stay silent: check first.
        release();
        if (QMediaDevices::videoInputs().isEmpty())
            return;
        m_context = std::make_unique<QObject>();
        m_camera = std::make_unique<QCamera>(QMediaDevices::defaultVideoInput());
        m_sink = std::make_unique<QVideoSink>();
        m_session = std::make_unique<QMediaCaptureSession>();
        m_session->setCamera(m_camera.get());
        m_session->setVideoSink(m_sink.get());
        // A context object of this thread: if the backend signals from its own, the frame is queued to ours.
        QObject::connect(
            m_sink.get(), &QVideoSink::videoFrameChanged, m_context.get(), [this](const QVideoFrame &frame) {
                if (!frame.isValid())
                    return;
                const QImage image = frame.toImage();
                if (!image.isNull())
                    m_deliver(image);
            });
        // A camera that fails or is unplugged just stops delivering; the last picture stays.
        m_camera->start();
    }

    void stop() override
    {
        if (m_camera)
            m_camera->stop();
    }

private:
    void release()
    {
        m_context.reset(); // no frame is delivered past this point
        if (m_session) {
            m_session->setVideoSink(nullptr);
            m_session->setCamera(nullptr);
        }
        m_session.reset();
        m_camera.reset();
        m_sink.reset();
    }

    std::function<void(const QImage &)> m_deliver;
    std::unique_ptr<QObject> m_context;
    std::unique_ptr<QCamera> m_camera;
    std::unique_ptr<QVideoSink> m_sink;
    std::unique_ptr<QMediaCaptureSession> m_session;
};
} // namespace

extern "C" __attribute__((visibility("default"))) CameraBackend *vetrinova_camera_open(
    std::function<void(const QImage &)> deliver)
{
    return new SystemCamera(std::move(deliver));
}

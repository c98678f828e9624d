#include "widgets/CameraSource.h"

#include "widgets/CameraBackend.h"
#include "widgets/LateModule.h"

#include <memory>

namespace {
CameraSource::Factory &factory()
{
    static CameraSource::Factory f;
    return f;
}

// The camera module's entry point, looked for once, on the first camera made.
CameraBackendOpen backendOpen()
{
    static const auto open = reinterpret_cast<CameraBackendOpen>(
        lateModuleSymbol(QStringLiteral("vetrinova-camera.so"), "vetrinova_camera_open"));
    return open;
}

/** The system's default video input, through the camera module; without the module, no camera at all. */
class SystemCamera : public CameraSource
{
public:
    using CameraSource::CameraSource;

    void start() override
    {
        if (m_started)
            return;
        m_started = true;
        if (!m_backend) {
            if (CameraBackendOpen open = backendOpen())
                m_backend.reset(open([this](const QImage &frame) {
                    if (m_started)
                        emit frameArrived(frame);
                }));
        }
        if (m_backend)
            m_backend->start();
    }

    void stop() override
    {
        m_started = false;
        if (m_backend)
            m_backend->stop();
    }

    bool isStarted() const override { return m_started; }

private:
    bool m_started = false;
    std::unique_ptr<CameraBackend> m_backend;
};
} // namespace

CameraSource *CameraSource::create(QObject *parent)
{
    if (factory())
        return factory()(parent);
    return new SystemCamera(parent);
}

bool CameraSource::systemCameraLoads()
{
    return backendOpen() != nullptr;
}

void CameraSource::setFactory(Factory f)
{
    factory() = std::move(f);
}

#pragma once

#include <QImage>

#include <functional>

/**
 * What the camera module (libvetrinova-camera.so, loaded on the first camera use) gives the program:
 * a camera that hands every frame to `deliver` on the user-interface thread. Only virtual calls
 * cross the module's border, so the program needs none of its symbols and none of Qt Multimedia.
 */
class CameraBackend
{
public:
    virtual ~CameraBackend() = default;
    /** Looks for the default video input afresh and starts it; without one, nothing arrives. */
    virtual void start() = 0;
    virtual void stop() = 0;
};

/** The module's one entry point, `vetrinova_camera_open`. */
using CameraBackendOpen = CameraBackend *(*)(std::function<void(const QImage &)> deliver);

#pragma once

#include <QImage>

class QMimeData;
class QUrl;

/**
 * A picture handed over by the clipboard or by drag and drop: image files (the first one that loads
 * wins), encoded image data, or a picture another part of this program put there. Files and data go
 * through loadPicture(), so the result is what loading the same file gives, within the same limits.
 */
struct PictureOffer
{
    enum class Status {
        Picture, ///< `picture` holds the first usable picture
        Nothing, ///< nothing that could be a picture: no data, only folders or files on the network
        Unusable ///< there were pictures, but none could be used (damaged, too large, not a picture)
    };
    Status status = Status::Nothing;
    QImage picture;

    /** Takes the first usable picture out of `mime`. */
    static PictureOffer take(const QMimeData *mime);
    /** A quick look, without decoding: whether `mime` holds anything that may be a picture. */
    static bool mayHold(const QMimeData *mime);
};

/** True for a place the program does not take pictures from: a remote address or a network file system. */
bool isRemotePicturePlace(const QUrl &url);

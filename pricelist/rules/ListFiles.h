#pragma once

#include <QString>
#include <QStringList>

/**
 * The price-list files themselves: which titles may name one, creating an empty list, listing and
 * removing them. Every list is a file "<title>.lis" directly in the program folder.
 */
namespace ListFiles {
/** The characters the name box never accepts: " * / : < > ? \ ° Ç Ñ ç ñ */
bool isForbiddenChar(QChar c);
/** The text with every forbidden character removed (what pasting may bring in). */
QString withoutForbidden(const QString &text);

enum class TitleCheck {
    Ok,
    Empty, ///< nothing left after trimming
    Unusable, ///< "." or "..", or a character no file name may hold here
    TooLong ///< the list file or its photo files would exceed the file system's name length
};
/** Whether a trimmed title can name a list file and its photo files in this folder. */
TitleCheck checkTitle(const QString &title);

/** The list file of a title: program folder + title + ".lis". */
QString pathOf(const QString &title);

struct Creation
{
    enum Result { Created, Exists, NameRefused, Failed } result;
    QString errorText; ///< the system's own words when the result is Failed
};
/** Creates the list file empty, never replacing an existing one (any case the file system equates). */
Creation create(const QString &path);

struct Listing
{
    QStringList names; ///< every list ("*.lis" directly in the program folder), in list order
    /**
     * "*.lis" files left out because their name cannot be used: bytes that are no text in the file
     * system's encoding, a separator or a control character. As shown to the user, control
     * characters as "?".
     */
    QStringList leftOut;
};
/** The lists of the program folder, and the files that look like lists but cannot be used as one. */
Listing scan();
/** scan().names */
QStringList names();

/** Removes the list file `fileName` of the program folder. False when it is not removed. */
bool remove(const QString &fileName);
} // namespace ListFiles

#pragma once

#include <QByteArray>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

#include <optional>

namespace lanzhou::skin {

// Pictures come from files and the network: bounded in bytes and pixels.
inline constexpr qint64 kMaxPictureBytes = 64LL * 1024 * 1024;
inline constexpr qint64 kMaxPicturePixels = 40LL * 1000 * 1000;

// The picture in `bytes` (JPEG, PNG, BMP, GIF, ...), or nothing when it
// cannot be read or is too large.
std::optional<QImage> readPicture(const QByteArray& bytes);
std::optional<QImage> readPictureFile(const QString& path);

// A tab icon from image bytes with every size the file holds (an icon file
// may hold several; tabIconPixmap picks the one for the screen's scale); a
// null icon when there is none.
QIcon readTabIcon(const QByteArray& bytes);

// The exact mean of the picture's pixels (invalid for an empty picture).
QColor meanColour(const QImage& image);

}  // namespace lanzhou::skin

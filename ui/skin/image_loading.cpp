#include "ui/skin/image_loading.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <algorithm>

namespace lanzhou::skin {
namespace {

bool sizeAllowed(const QSize& size) {
    return !size.isValid() || qint64(size.width()) * size.height() <= kMaxPicturePixels;
}

std::optional<QImage> readFrom(QIODevice* device) {
    QImageReader reader(device);
    if (!sizeAllowed(reader.size())) {
        return std::nullopt;
    }
    QImage image = reader.read();
    if (image.isNull() || !sizeAllowed(image.size())) {
        return std::nullopt;
    }
    return image;
}

}  // namespace

std::optional<QImage> readPicture(const QByteArray& bytes) {
    if (bytes.isEmpty() || bytes.size() > kMaxPictureBytes) {
        return std::nullopt;
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readFrom(&buffer);
}

std::optional<QImage> readPictureFile(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxPictureBytes) {
        return std::nullopt;
    }
    return readFrom(&file);
}

QIcon readTabIcon(const QByteArray& bytes) {
    if (bytes.isEmpty() || bytes.size() > kMaxPictureBytes) {
        return {};
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QIcon icon;
    // An icon file holds a few sizes, each an image of its own to jump to
    // (reading one does not move on to the next); one image for other formats.
    const int count = std::clamp(reader.imageCount(), 1, 32);
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i)) {
            break;
        }
        if (!sizeAllowed(reader.size())) {
            break;
        }
        const QImage image = reader.read();
        if (image.isNull()) {
            break;
        }
        if (!icon.availableSizes().contains(image.size())) {  // not a later frame
            icon.addPixmap(QPixmap::fromImage(image));
        }
    }
    return icon;
}

QColor meanColour(const QImage& image) {
    if (image.isNull()) {
        return {};
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    quint64 red = 0;
    quint64 green = 0;
    quint64 blue = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            red += qRed(line[x]);
            green += qGreen(line[x]);
            blue += qBlue(line[x]);
        }
    }
    const quint64 count = quint64(rgb.width()) * quint64(rgb.height());
    const auto mean = [count](quint64 sum) { return int((sum + count / 2) / count); };
    return QColor(mean(red), mean(green), mean(blue));
}

}  // namespace lanzhou::skin

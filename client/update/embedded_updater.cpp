#include "client/update/embedded_updater.h"

#include <QFile>

#ifndef LANZHOU_EXECUTABLE_SUFFIX
#define LANZHOU_EXECUTABLE_SUFFIX ""
#endif

namespace lanzhou::update {

std::string updaterFileName() {
    return std::string("update") + LANZHOU_EXECUTABLE_SUFFIX;
}

QString embeddedUpdaterResource() {
    return QStringLiteral(":/lanzhou/updater/update");
}

QByteArray embeddedUpdater() {
    QFile file(embeddedUpdaterResource());
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

}  // namespace lanzhou::update

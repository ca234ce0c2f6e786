#include "client/app/font_setup.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include "ui/look/song_face.h"

namespace lanzhou::app {

QString setUpSongFace() {
    const QString face = look::mapSongFace();
    if (!face.isEmpty()) {
        QWebEngineSettings* settings = QWebEngineProfile::defaultProfile()->settings();
        settings->setFontFamily(QWebEngineSettings::StandardFont, face);
        settings->setFontFamily(QWebEngineSettings::SerifFont, face);
        settings->setDefaultTextEncoding(QStringLiteral("GBK"));
    }
    return face.isEmpty() ? QStringLiteral("宋体") : face;
}

}  // namespace lanzhou::app

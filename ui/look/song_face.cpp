#include "ui/look/song_face.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

#include "ui/look/look_log.h"

namespace lanzhou::look {

namespace {

const QString kSongName = QStringLiteral("宋体");

// In order of preference: the face itself under its Latin name, then Song
// (Ming) style faces, then any CJK face at all.
const QStringList kCandidates = {
    QStringLiteral("SimSun"),
    QStringLiteral("NSimSun"),
    QStringLiteral("Noto Serif CJK SC"),
    QStringLiteral("Source Han Serif SC"),
    QStringLiteral("AR PL UMing CN"),
    QStringLiteral("Noto Sans CJK SC"),
    QStringLiteral("WenQuanYi Zen Hei"),
    QStringLiteral("Droid Sans Fallback"),
};

}  // namespace

QString mapSongFace() {
    const QStringList installed = QFontDatabase::families();
    QString face = kSongName;
    if (!installed.contains(kSongName)) {
        face.clear();
        for (const QString& candidate : kCandidates) {
            if (installed.contains(candidate)) {
                face = candidate;
                break;
            }
        }
        if (!face.isEmpty()) {
            QFont::insertSubstitution(kSongName, face);
        } else {
            qCDebug(lookLog, "no Song-style face installed: the default face stands in");
        }
    }

    QFont font(kSongName);
    font.setPixelSize(12);
    QApplication::setFont(font);
    return face;
}

}  // namespace lanzhou::look

#pragma once

#include <QString>

namespace lanzhou::app {

// The client's texts are set in "宋体" (12 pixels). Where the platform has no
// face of that name, the name is mapped to an installed Song-style face
// (Noto Serif CJK SC and its kin), for widgets and for the embedded browser.
// Returns the face "宋体" resolves to (the Widgets part is look::mapSongFace). Call after
// QApplication exists.
QString setUpSongFace();

}  // namespace lanzhou::app

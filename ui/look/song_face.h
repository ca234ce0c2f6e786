#pragma once

#include <QString>

namespace lanzhou::look {

// The programs' texts are set in "宋体" (12 pixels). Where the platform has
// no face of that name, the name is mapped to an installed Song-style face
// (Noto Serif CJK SC and its kin) and made the application font. Returns the
// installed face "宋体" now stands for, or empty when none was found. Call
// after QApplication exists.
QString mapSongFace();

}  // namespace lanzhou::look

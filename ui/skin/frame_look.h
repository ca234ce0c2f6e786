#pragma once

#include <QColor>
#include <QImage>

#include <cstdint>

namespace lanzhou::skin {

// The look every attached window shares. `generation` grows with each
// change, so that cached drawings know when they are stale.
struct FrameLook {
    QColor colour{178, 0, 0};
    QImage picture;     // null: none
    QColor baseColour;  // invalid: the system's button face colour
    std::uint64_t generation = 1;
};

// The colours the frame draws with, derived from the frame colour.
struct FramePalette {
    QColor frame;        // the frame colour itself
    QColor light;        // highlights, hover
    QColor dark;         // border, pressed
    QColor text;         // texts on the frame
    QColor halo;         // the one-pixel halo around those texts
    QColor content;      // the area between banner and status bar
    QColor contentLine;  // the line around that area

    static FramePalette from(const QColor& frameColour);
};

// The colour behind restyled controls: the base colour, or the system's
// button face colour when it is invalid.
QColor resolvedBaseColour(const FrameLook& look);

// A colour between `a` (at 0) and `b` (at 1).
QColor mixColours(const QColor& a, const QColor& b, double amount);
// Perceived brightness from 0 (black) to 1 (white).
double lightness(const QColor& colour);

}  // namespace lanzhou::skin

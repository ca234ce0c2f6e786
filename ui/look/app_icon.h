#pragma once

#include <QIcon>

namespace lanzhou::look {

// The application's icon, drawn at the usual sizes (16 to 256 pixels): a
// rising line over a wave on a deep blue tile. Shown in the frame's banner,
// the task bar and the window switcher.
QIcon applicationIcon();

}  // namespace lanzhou::look

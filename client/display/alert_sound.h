#pragma once

#include <string>

namespace lanzhou::display {

class SoundPlayer;

// PlayAlertSound: reads the whole sound file (GBK path text, bounded size)
// and starts playing it as WAV or MIDI without waiting. A missing, empty,
// unreadable or unplayable file plays nothing and says nothing. False when
// nothing plays.
bool playAlertSound(SoundPlayer& player, const std::string& soundFileGbk);

}  // namespace lanzhou::display

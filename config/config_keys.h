#pragma once

#include <string_view>

namespace lanzhou::config {

// The settings file in the run directory.
inline constexpr std::string_view kFileName = "k_config.ini";

// The keys of its section "config". Values are GBK text.
namespace key {
inline constexpr std::string_view kLine = "xl";             // "1" the netcom line, else telecom
inline constexpr std::string_view kRemember = "zx";         // "1" keeps the credentials below
inline constexpr std::string_view kAccount = "username";    // enciphered
inline constexpr std::string_view kPassword = "userpass";   // enciphered
inline constexpr std::string_view kSkinKind = "bx";         // "0" a colour, else a picture
inline constexpr std::string_view kSkinColour = "bcolour";  // 0x00BBGGRR as decimal text
inline constexpr std::string_view kSkinPicture = "bpic";    // a run path
inline constexpr std::string_view kSoundFile = "pmusic";    // a run path
inline constexpr std::string_view kSoundHint = "hint1";     // "1" plays the alert sound
inline constexpr std::string_view kPopupHint = "hint2";     // "1" opens popups
// Written only when the member changes them; missing reads as off.
inline constexpr std::string_view kReconnect = "reconnect";   // "1" retries a lost connection
inline constexpr std::string_view kQuietFrom = "quiet_from";  // "HH:MM", quiet hours start
inline constexpr std::string_view kQuietTo = "quiet_to";      // "HH:MM", quiet hours end
inline constexpr std::string_view kAutostart = "autostart";   // "1" starts with the computer
}  // namespace key

// The texts of the switches: "1" on, "0" off; only "1" reads as on.
inline constexpr std::string_view kOn = "1";
inline constexpr std::string_view kOff = "0";

inline constexpr std::string_view flagText(bool on) {
    return on ? kOn : kOff;
}

}  // namespace lanzhou::config

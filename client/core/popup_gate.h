#pragma once

namespace lanzhou::core {

// Asked before a popup opens (and its sound plays): while it holds them,
// alerts and notices are listed without one.
class PopupGate {
public:
    virtual ~PopupGate() = default;
    [[nodiscard]] virtual bool holdsPopups() = 0;
};

}  // namespace lanzhou::core

#include "cli/loop_gate.h"

namespace lanzhou::cli {

bool LoopGate::post(std::function<void()> work) {
    std::lock_guard lock(m_mutex);
    if (m_loop == nullptr) {
        return false;
    }
    m_loop->post(std::move(work));
    return true;
}

void LoopGate::close() {
    std::lock_guard lock(m_mutex);
    m_loop = nullptr;
}

}  // namespace lanzhou::cli

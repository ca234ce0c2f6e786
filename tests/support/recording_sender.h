#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "client/core/request_sender.h"

namespace lanzhou::test {

// Keeps every request text (GBK) in the order it was sent.
class RecordingSender final : public core::RequestSender {
public:
    void sendRequest(std::string_view gbkText) override {
        std::lock_guard lock(m_mutex);
        m_sent.emplace_back(gbkText);
    }

    std::vector<std::string> sent() const {
        std::lock_guard lock(m_mutex);
        return m_sent;
    }

    // The requests sent so far, forgotten.
    std::vector<std::string> take() {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_sent, {});
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_sent;
};

}  // namespace lanzhou::test

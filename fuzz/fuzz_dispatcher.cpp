// The dispatcher acting on arbitrary server messages, one per line (GBK
// text, as unpacked): the handshake, logins, alert lists and live changes,
// notices, channel and page tables, forced logouts. Each message is followed
// by the actions it armed. A recording view and list observer take the
// effects; every row the observer is told about must exist, and every row of
// the lists must be found by its id.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "client/core/alert_list_model.h"
#include "client/core/client_session.h"
#include "client/core/heartbeat.h"
#include "client/core/message_dispatcher.h"
#include "client/core/session_actions.h"
#include "config/config_file.h"
#include "config/run_paths.h"
#include "platform/paths.h"
#include "platform/process_list.h"
#include "tests/support/fake_session_view.h"
#include "tests/support/manual_scheduler.h"
#include "tests/support/recording_sender.h"

namespace fs = std::filesystem;
using namespace lanzhou;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// A run directory of this process, memory-backed where there is such a
// folder: the actions write k_config.ini.
const fs::path& runDirectory() {
    static const fs::path made = [] {
        std::error_code error;
        const fs::path memory = "/dev/shm";
        const fs::path base = fs::is_directory(memory, error) ? memory : fs::temp_directory_path();
        const fs::path path =
            base / ("lanzhou-fuzz-dispatcher-" + std::to_string(platform::currentProcessId()));
        fs::create_directories(path, error);
        return path;
    }();
    return made;
}

// Checks each change against the lists as they stand after it.
class CheckingObserver final : public core::AlertListObserver {
public:
    explicit CheckingObserver(const core::AlertListModel& alerts) : m_alerts(alerts) {}

    void rowInserted(core::AlertListId list, int row) override { within(list, row); }
    void rowChanged(core::AlertListId list, int row) override { within(list, row); }
    void rowRemoved(core::AlertListId list, int row) override {
        check(row >= 0 && row <= m_alerts.list(list).rowCount());
    }
    void listsReset() override {}

private:
    void within(core::AlertListId list, int row) const {
        check(row >= 0 && row < m_alerts.list(list).rowCount());
    }

    const core::AlertListModel& m_alerts;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    core::ClientSession session;
    session.runDirectory = platform::gbkFromPath(runDirectory());
    session.popupHint = true;
    config::ConfigFile config(config::configFilePath(runDirectory()));
    config.ensure();
    test::ManualScheduler scheduler;
    test::FakeSessionView view(&session);
    test::RecordingSender sender;
    core::AlertListModel alerts;
    CheckingObserver observer(alerts);
    alerts.setObserver(&observer);
    core::Heartbeat heartbeat(scheduler, sender);
    core::SessionActions actions(scheduler, session, view, config);
    core::MessageDispatcher dispatcher(
        core::DispatcherContext{session, view, actions, alerts, sender, config, heartbeat,
                                [] { return std::string("00-1A-2B-3C-4D-5E"); }});

    std::size_t start = 0;
    while (start <= input.size()) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        dispatcher.dispatch(input.substr(start, end - start));
        scheduler.runAll();
        start = end + 1;
    }

    for (const auto id : {core::AlertListId::Today, core::AlertListId::History}) {
        const core::AlertList& list = alerts.list(id);
        for (int row = 0; row < list.rowCount(); ++row) {
            const int found = list.findRow(list.row(row).id);
            check(found >= 0 && found <= row);
        }
    }
    return 0;
}

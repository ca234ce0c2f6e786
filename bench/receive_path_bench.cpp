// The client's receive path for pushed alerts, against the bare zlib work it
// cannot avoid. A batch of "#ai" messages is packed, framed and chunked as a
// server sends them; the receive path reassembles the chunks, unpacks each
// payload, parses the message and places the alert in the lists.
//
//   BM_ReceivePath        ChunkDecoder -> unpack -> parseServerMessage ->
//                         audience test -> AlertListModel::place
//   BM_ReceivePathDispatcher  the same through MessageDispatcher (popup record
//                         filled, action armed), as the session runs it: the
//                         alerts of a batch share one reading of the clock
//   BM_BareUncompress     zlib uncompress of the same payloads, nothing else:
//                         the reference floor (a stream set up per message)
//   BM_ReusedInflate      the same with one inflate stream reset per message
//                         (inflateReset), as the product inflates
//   BM_Stage...           chunks + unpack, parse, place: each stage alone
//
// items/s is messages per second.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "client/core/alert_list_model.h"
#include "client/core/client_session.h"
#include "client/core/heartbeat.h"
#include "client/core/message_dispatcher.h"
#include "client/core/request_sender.h"
#include "client/core/scheduler.h"
#include "client/core/session_actions.h"
#include "client/core/session_view.h"
#include "config/config_file.h"
#include "config/run_paths.h"
#include "platform/gbk.h"
#include "protocol/date_time.h"
#include "protocol/frame_codec.h"
#include "protocol/message_catalogue.h"
#include "protocol/packed_payload.h"

namespace {

using namespace lanzhou;

const protocol::DateTime kServerTime{2024, 3, 15, 10, 30, 0};

// One pushed alert as the service sends it: today's date for most, some of
// earlier days, GBK stock names, prices with decimals, a remark.
std::string alertText(int index) {
    static const char* const names[] = {"浦发银行", "万科Ａ", "贵州茅台", "中国平安",
                                        "招商银行", "五粮液", "格力电器", "比亚迪"};
    static const char* const operations[] = {"买入", "卖出", "加仓", "减仓"};
    protocol::AlertRecord record;
    record.id = std::to_string(100000 + index);
    const int day = index % 5 == 0 ? 14 : 15;
    record.time = "2024-03-" + std::to_string(day) + " 09:" + std::to_string(10 + index % 50) +
                  ":" + std::to_string(10 + index % 49);
    record.code = std::to_string(600000 + index % 4000);
    record.name = platform::gbkFromUtf8(names[index % 8]);
    record.operation = platform::gbkFromUtf8(operations[index % 4]);
    record.buy = std::to_string(10 + index % 90) + "." + std::to_string(10 + index % 89);
    record.sell = std::to_string(11 + index % 90) + "." + std::to_string(20 + index % 79);
    record.remark = platform::gbkFromUtf8("短线关注，注意控制仓位，止损位设在前低附近");
    record.audience = "1";
    record.popup = index % 3 == 0 ? "1" : "0";
    return protocol::answer::alert(protocol::ServerCode::AlertAdded, record);
}

struct Batch {
    std::vector<std::string> payloads;  // packed payloads
    std::string wire;                   // framed and chunked, as on the socket
};

Batch makeBatch(int count) {
    Batch batch;
    protocol::FrameEncoder encoder;
    for (int i = 0; i < count; ++i) {
        batch.payloads.push_back(protocol::pack(alertText(i)));
        batch.wire += encoder.encode(batch.payloads.back());
    }
    return batch;
}

// Every message of the batch must have become a row; otherwise the figure
// would measure a path that drops work.
bool allPlaced(benchmark::State& state, const core::AlertListModel& model) {
    const int rows = model.list(core::AlertListId::Today).rowCount() +
                     model.list(core::AlertListId::History).rowCount();
    if (rows == state.range(0)) {
        return true;
    }
    state.SkipWithError(
        ("only " + std::to_string(rows) + " of " + std::to_string(state.range(0)) + " rows")
            .c_str());
    return false;
}

// Feeds the wire bytes in socket-sized reads and hands on the messages of
// each read together.
template <typename OnRead>
void receiveReads(const std::string& wire, OnRead&& onRead) {
    protocol::ChunkDecoder decoder;
    std::vector<protocol::FrameEvent> events;
    for (std::size_t offset = 0; offset < wire.size(); offset += protocol::kMaxReadSize) {
        const auto piece = std::string_view(wire).substr(offset, protocol::kMaxReadSize);
        decoder.feed(piece, events);
        onRead(events);
        events.clear();
    }
}

// The same, handing on each message.
template <typename OnMessage>
void receive(const std::string& wire, OnMessage&& onMessage) {
    receiveReads(wire, [&](const std::vector<protocol::FrameEvent>& events) {
        for (const auto& event : events) {
            onMessage(event);
        }
    });
}

void BM_ReceivePath(benchmark::State& state) {
    const Batch batch = makeBatch(static_cast<int>(state.range(0)));
    const std::string audience = "1";
    // One model for the run, emptied between rounds outside the timing: a
    // running client keeps its lists and their storage.
    core::AlertListModel model;
    for (auto _ : state) {
        state.PauseTiming();
        model.clear();
        state.ResumeTiming();
        receive(batch.wire, [&](const protocol::FrameEvent& event) {
            const std::string bytes = protocol::unpack(event.data);
            const std::string_view text(bytes.c_str());  // up to a zero byte
            const auto message = protocol::parseServerMessage(text);
            const auto* record = std::get_if<protocol::AlertRecord>(&message.body);
            if (record != nullptr && record->audience == audience) {
                model.place(*record, kServerTime);
            }
        });
        if (!allPlaced(state, model)) {
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReceivePath)->Arg(1000)->Arg(10000);

// ---- the dispatcher, with everything around it doing nothing

class IdleTimer final : public core::PeriodicTimer {
public:
    void start(std::chrono::milliseconds) override {}
    void stop() override {}
};

class IdleScheduler final : public core::Scheduler {
public:
    void post(std::function<void()>) override {}
    std::unique_ptr<core::DeferredAction> makeDeferredAction(std::function<void()>) override {
        return nullptr;
    }
    std::unique_ptr<core::PeriodicTimer> makePeriodicTimer(std::function<void()>) override {
        return std::make_unique<IdleTimer>();
    }
};

class NoSender final : public core::RequestSender {
public:
    void sendRequest(std::string_view) override {}
};

class CountingArmer final : public core::ActionArmer {
public:
    void arm(core::SessionAction) override { ++arms; }
    std::int64_t arms = 0;
};

class SilentView final : public core::SessionView {
public:
    void applyLoginConfig(const core::LoginWindowConfig&) override {}
    core::LoginFormState loginForm() const override { return {}; }
    void setLoginCredentials(const core::Credentials&) override {}
    void showBulletin(const std::string&) override {}
    void setRetrievedPassword(const std::string&) override {}
    std::optional<core::Credentials> takeRegisterWindowCredentials() override { return {}; }
    std::optional<core::Credentials> takeAccountServiceCredentials() override { return {}; }
    void showPrompt(const std::string&) override {}
    void showCountdownPrompt(const std::string&) override {}
    void enterMain() override {}
    void closeMainOrLogin() override {}
    void offerUpdate() override {}
    void openPopup() override {}
    void connectionClosed(const std::string&) override {}
    void showReconnecting(int, std::chrono::milliseconds) override {}
    void showReconnected() override {}
    void showSummary(core::SummaryReason, int) override {}
};

void BM_ReceivePathDispatcher(benchmark::State& state) {
    const Batch batch = makeBatch(static_cast<int>(state.range(0)));
    IdleScheduler scheduler;
    NoSender sender;
    CountingArmer armer;
    SilentView view;
    core::Heartbeat heartbeat(scheduler, sender);
    // Never read or written for alerts; a path that does not exist is safe.
    const config::ConfigFile config(
        config::configFilePath(std::filesystem::temp_directory_path() / "lanzhou-bench-unused"));
    core::ClientSession session;
    session.userType = core::kPayingUser;
    session.popupHint = true;
    session.serverTime.start(kServerTime);
    core::AlertListModel model;
    core::MessageDispatcher dispatcher(core::DispatcherContext{
        session, view, armer, model, sender, config, heartbeat, [] { return std::string(); }});
    for (auto _ : state) {
        state.PauseTiming();
        model.clear();
        state.ResumeTiming();
        // The messages of one read (at most 10240 bytes) as a batch: the
        // session's batches are larger (up to 256 events).
        receiveReads(batch.wire, [&](const std::vector<protocol::FrameEvent>& events) {
            dispatcher.holdServerTime(true);
            for (const auto& event : events) {
                dispatcher.onConnectionEvent(transport::EventKind::Data, event.data);
            }
            dispatcher.holdServerTime(false);
        });
        if (!allPlaced(state, model)) {
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["popups"] =
        benchmark::Counter(static_cast<double>(armer.arms), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ReceivePathDispatcher)->Arg(1000)->Arg(10000);

// ---- the stages of the receive path one at a time, to show where it spends

void BM_StageChunksAndUnpack(benchmark::State& state) {
    const Batch batch = makeBatch(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        receive(batch.wire, [&](const protocol::FrameEvent& event) {
            benchmark::DoNotOptimize(protocol::unpack(event.data));
        });
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StageChunksAndUnpack)->Arg(1000);

void BM_StageParse(benchmark::State& state) {
    std::vector<std::string> texts;
    for (int i = 0; i < state.range(0); ++i) {
        texts.push_back(alertText(i));
    }
    for (auto _ : state) {
        for (const auto& text : texts) {
            benchmark::DoNotOptimize(protocol::parseServerMessage(text));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StageParse)->Arg(1000);

void BM_StagePlace(benchmark::State& state) {
    std::vector<protocol::AlertRecord> records;
    for (int i = 0; i < state.range(0); ++i) {
        records.push_back(
            std::get<protocol::AlertRecord>(protocol::parseServerMessage(alertText(i)).body));
    }
    core::AlertListModel model;
    for (auto _ : state) {
        state.PauseTiming();
        model.clear();
        state.ResumeTiming();
        for (const auto& record : records) {
            model.place(record, kServerTime);
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StagePlace)->Arg(1000);

// The uncompressed length a packed payload announces.
std::uint32_t announcedLength(const std::string& payload) {
    const auto* header = reinterpret_cast<const unsigned char*>(payload.data());
    return header[4] | header[5] << 8 | header[6] << 16 |
           static_cast<std::uint32_t>(header[7]) << 24;
}

void BM_BareUncompress(benchmark::State& state) {
    const Batch batch = makeBatch(static_cast<int>(state.range(0)));
    std::string output;
    for (auto _ : state) {
        for (const auto& payload : batch.payloads) {
            const std::uint32_t length = announcedLength(payload);
            output.resize(length);
            uLongf outputLength = length;
            const int result = uncompress(
                reinterpret_cast<Bytef*>(output.data()), &outputLength,
                reinterpret_cast<const Bytef*>(payload.data() + protocol::kPayloadHeaderSize),
                static_cast<uLong>(payload.size() - protocol::kPayloadHeaderSize));
            benchmark::DoNotOptimize(result);
            benchmark::DoNotOptimize(output.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BareUncompress)->Arg(1000)->Arg(10000);

void BM_ReusedInflate(benchmark::State& state) {
    const Batch batch = makeBatch(static_cast<int>(state.range(0)));
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        state.SkipWithError("inflateInit failed");
        return;
    }
    std::string output;
    bool failed = false;
    for (auto _ : state) {
        for (const auto& payload : batch.payloads) {
            const std::uint32_t length = announcedLength(payload);
            output.resize(length);
            if (inflateReset(&stream) != Z_OK) {
                failed = true;
                break;
            }
            stream.next_in = reinterpret_cast<Bytef*>(
                const_cast<char*>(payload.data() + protocol::kPayloadHeaderSize));
            stream.avail_in = static_cast<uInt>(payload.size() - protocol::kPayloadHeaderSize);
            stream.next_out = reinterpret_cast<Bytef*>(output.data());
            stream.avail_out = length;
            const int result = inflate(&stream, Z_FINISH);
            failed = failed || result != Z_STREAM_END;
            benchmark::DoNotOptimize(output.data());
        }
        if (failed) {
            state.SkipWithError("inflate failed");
            break;
        }
    }
    inflateEnd(&stream);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReusedInflate)->Arg(1000)->Arg(10000);

}  // namespace

BENCHMARK_MAIN();

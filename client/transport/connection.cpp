#include "client/transport/connection.h"

#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "base/diagnostics.h"
#include "protocol/packed_payload.h"

namespace lanzhou::transport {

namespace {

// What one take moves out of the event queue: enough for one wake-up to
// serve many small messages, little enough to keep the session responsive.
constexpr std::size_t kBatchEvents = 256;
constexpr std::size_t kBatchBytes = std::size_t{1} << 20;

}  // namespace

std::shared_ptr<Connection> Connection::open(const asio::ip::tcp::endpoint& endpoint,
                                             std::chrono::milliseconds connectLimit,
                                             std::chrono::milliseconds idle,
                                             EventQueue::Marks marks, const Tls* tls) {
    std::shared_ptr<Connection> connection(new Connection(idle, marks));
    // Connected on the connection's own context before its I/O thread runs
    // it, so that a peer that never answers (its packets dropped on the way)
    // costs at most `connectLimit`, not the system's minutes of retries.
    asio::error_code error;
    bool finished = false;
    connection->m_socket.async_connect(endpoint, [&](const asio::error_code& result) {
        error = result;
        finished = true;
    });
    if (!connection->runUntil(finished, std::chrono::steady_clock::now() + connectLimit)) {
        error = asio::error::timed_out;
    }
    if (error) {
        connection->m_socket.close(error);
        return nullptr;
    }
    // Messages are short and often answered at once; do not hold them back.
    connection->m_socket.set_option(asio::ip::tcp::no_delay(true), error);
    if (tls != nullptr && !connection->handshake(*tls)) {
        return nullptr;
    }
    return connection;
}

bool Connection::runUntil(const bool& finished, std::chrono::steady_clock::time_point deadline) {
    while (!finished && m_io.run_one_until(deadline) > 0) {
    }
    if (finished) {
        return true;
    }
    asio::error_code ignored;
    m_socket.close(ignored);
    // The cancelled operation still calls its handler, which refers to the
    // caller's frame: wait for it.
    while (!finished && m_io.run_one() > 0) {
    }
    return false;
}

bool Connection::handshake(const Tls& tls) {
    auto made = makeClientTlsStream(m_socket, tls.context, tls.host);
    if (!made) {
        reportDiagnostic("transport", "TLS to " + tls.host + ": " + made.error());
        return false;
    }
    m_tls = std::move(*made);
    asio::error_code error;
    bool finished = false;
    m_tls->asyncHandshake([&](const asio::error_code& result) {
        error = result;
        finished = true;
    });
    if (!runUntil(finished, std::chrono::steady_clock::now() + tls.handshakeLimit)) {
        reportDiagnostic("transport", "TLS to " + tls.host + ": no handshake within " +
                                          std::to_string(tls.handshakeLimit.count()) + " ms");
        return false;
    }
    if (error) {
        reportDiagnostic("transport", "TLS to " + tls.host + ": " + m_tls->failureText(error));
        asio::error_code ignored;
        m_socket.close(ignored);
        return false;
    }
    return true;
}

Connection::Connection(std::chrono::milliseconds idle, EventQueue::Marks marks)
    : m_idle(idle),
      m_work(asio::make_work_guard(m_io)),
      m_socket(m_io),
      m_events(marks),
      m_partialTimer(m_io),
      m_writeTimer(m_io) {}

Connection::~Connection() {
    // The owner joins or detaches both threads before the last reference
    // goes; this only covers a start() that failed half-way.
    if (m_ioThread.joinable()) {
        m_io.stop();
        m_ioThread.join();
    }
    if (m_eventThread.joinable()) {
        m_eventThread.detach();
    }
}

bool Connection::start(EventHandler handler, ClosedHandled closedHandled) {
    m_handler = std::move(handler);
    m_closedHandled = std::move(closedHandled);
    return startThreads(true);
}

bool Connection::start(EventsReady ready) {
    m_ready = std::move(ready);
    return startThreads(false);
}

bool Connection::startThreads(bool eventThread) {
    try {
        if (eventThread) {
            m_eventThread = std::thread(&Connection::eventLoop, this, shared_from_this());
            m_eventThreadId = m_eventThread.get_id();
        }
        asio::post(m_io, [this] { startRead(); });
        m_ioThread = std::thread([this] { m_io.run(); });
    } catch (const std::system_error&) {
        requestStop();
        shutdown();
        if (m_eventThread.joinable()) {
            m_eventThread.join();
        }
        return false;
    }
    return true;
}

void Connection::send(std::string_view message) {
    bool post = false;
    {
        std::lock_guard lock(m_sendMutex);
        if (m_sendStopped) {
            return;
        }
        m_sendQueue.emplace_back(message);
        post = !std::exchange(m_kickPosted, true);
    }
    if (post) {
        asio::post(m_io, [this] { onKick(); });
    }
}

void Connection::requestStop() {
    m_events.stop();
    std::lock_guard lock(m_sendMutex);
    m_sendStopped = true;
}

void Connection::shutdown() {
    {
        std::lock_guard lock(m_sendMutex);
        m_sendQueue.clear();
    }
    if (m_ioThread.joinable()) {
        // The socket is closed on the I/O thread, which then runs the
        // aborted reads, writes and timers to their end and returns: nothing
        // stays pending in the io_context. (Stopping it with operations in
        // flight would leave Windows to finish them, into buffers this object
        // is about to free.)
        asio::post(m_io, [this] {
            closeSocket();
            m_work.reset();
        });
        m_ioThread.join();
    } else {
        closeSocket();
    }
    m_events.clear();
}

void Connection::closeSocket() {
    disarmPartialTimer();
    disarmWriteTimer();
    asio::error_code ignored;
    m_socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    m_socket.close(ignored);
}

bool Connection::isEventThread() const {
    return std::this_thread::get_id() == m_eventThreadId;
}

bool Connection::joinEventThread() {
    if (isEventThread()) {
        return false;
    }
    if (m_eventThread.joinable()) {
        m_eventThread.join();
    }
    return true;
}

void Connection::detachEventThread() {
    if (m_eventThread.joinable()) {
        m_eventThread.detach();
    }
}

// ------------------------------------------------------------- receiving

void Connection::startRead() {
    auto done = [this](const asio::error_code& error, std::size_t size) { onRead(error, size); };
    if (m_tls) {
        m_tls->asyncReadSome(asio::buffer(m_readBuffer), std::move(done));
        return;
    }
    m_socket.async_read_some(asio::buffer(m_readBuffer), std::move(done));
}

void Connection::onRead(const asio::error_code& error, std::size_t size) {
    if (error == asio::error::operation_aborted) {
        return;
    }
    if (error) {
        // Peer closed (EOF) or the network failed.
        disarmPartialTimer();
        m_readEnded = true;
        pushEvent({EventKind::Closed, {}});
        return;
    }
    std::vector<protocol::FrameEvent> frames;
    const auto status = m_decoder.feed(std::string_view(m_readBuffer.data(), size), frames);
    bool carryOn = true;
    bool closed = false;
    for (auto& frame : frames) {
        if (frame.kind == protocol::FrameEvent::Kind::Closed) {
            closed = true;
            break;
        }
        carryOn = pushEvent({EventKind::Data, std::move(frame.data)}) && carryOn;
    }
    if (closed || status == protocol::ChunkDecoder::Status::ConnectionGone) {
        // Nothing after a closed event is ever delivered: stop reading.
        disarmPartialTimer();
        m_readEnded = true;
        pushEvent({EventKind::Closed, {}});
        return;
    }
    if (!carryOn) {
        // The handler is behind: stop reading until the queue drains. The
        // silence is ours, so the partial chunk is not timed meanwhile.
        m_readPaused = true;
        disarmPartialTimer();
        return;
    }
    if (m_decoder.hasPartial()) {
        armPartialTimer();
    } else {
        disarmPartialTimer();
    }
    startRead();
}

bool Connection::pushEvent(ConnectionEvent event) {
    const auto pushed = m_events.push(std::move(event));
    if (pushed.becameReady && m_ready) {
        m_ready();
    }
    return pushed.carryOn;
}

void Connection::resumeRead() {
    if (!m_readPaused || m_readEnded) {
        return;
    }
    m_readPaused = false;
    if (m_decoder.hasPartial()) {
        armPartialTimer();
    }
    startRead();
}

void Connection::armPartialTimer() {
    const auto generation = ++m_partialGeneration;
    m_partialTimer.expires_after(m_idle);
    m_partialTimer.async_wait([this, generation](const asio::error_code& error) {
        if (error || generation != m_partialGeneration) {
            return;
        }
        // The peer went silent in the middle of a chunk: drop what we have
        // and wait for a fresh chunk on the same connection.
        m_decoder.discardPartial();
    });
}

void Connection::disarmPartialTimer() {
    ++m_partialGeneration;
    m_partialTimer.cancel();
}

// --------------------------------------------------------------- sending

void Connection::onKick() {
    {
        std::lock_guard lock(m_sendMutex);
        m_kickPosted = false;
    }
    if (!m_writing) {
        writeNext();
    }
}

void Connection::writeNext() {
    for (;;) {
        std::string message;
        {
            std::lock_guard lock(m_sendMutex);
            if (m_sendQueue.empty()) {
                return;
            }
            message = std::move(m_sendQueue.front());
            m_sendQueue.pop_front();
        }
        m_out = m_encoder.encode(message);
        if (m_out.empty()) {
            continue;  // an empty message puts nothing on the wire
        }
        m_outPos = 0;
        m_abandoned = false;
        m_writing = true;
        writeSome();
        return;
    }
}

void Connection::writeSome() {
    armWriteTimer();
    const auto rest = asio::buffer(m_out.data() + m_outPos, m_out.size() - m_outPos);
    auto done = [this](const asio::error_code& error, std::size_t size) { onWritten(error, size); };
    if (m_tls) {
        m_tls->asyncWriteSome(rest, std::move(done));
        return;
    }
    m_socket.async_write_some(rest, std::move(done));
}

void Connection::onWritten(const asio::error_code& error, std::size_t size) {
    disarmWriteTimer();
    if (error == asio::error::operation_aborted) {
        m_writing = false;
        return;
    }
    m_outPos += size;
    // A failed write or an abandoned message loses the rest of the message,
    // silently; the next message is tried all the same.
    if (error || m_abandoned || m_outPos >= m_out.size()) {
        m_writing = false;
        m_out.clear();
        m_out.shrink_to_fit();
        writeNext();
        return;
    }
    writeSome();
}

void Connection::armWriteTimer() {
    const auto generation = ++m_writeGeneration;
    m_writeTimer.expires_after(m_idle);
    m_writeTimer.async_wait([this, generation](const asio::error_code& error) {
        if (!error && generation == m_writeGeneration) {
            m_abandoned = true;
        }
    });
}

void Connection::disarmWriteTimer() {
    ++m_writeGeneration;
    m_writeTimer.cancel();
}

// ---------------------------------------------------------------- events

bool Connection::takeEvents(std::vector<ConnectionEvent>& batch) {
    const auto taken = m_events.take(batch, kBatchEvents, kBatchBytes);
    afterTake(taken);
    return taken.more;
}

void Connection::afterTake(const EventQueue::Taken& taken) {
    if (taken.resumeProducer) {
        asio::post(m_io, [this] { resumeRead(); });
    }
}

void Connection::eventLoop(std::shared_ptr<Connection> self) {
    std::vector<ConnectionEvent> batch;
    for (;;) {
        batch.clear();
        const auto taken = m_events.waitTake(batch, kBatchEvents, kBatchBytes);
        if (taken.stopped) {
            return;
        }
        afterTake(taken);
        for (const ConnectionEvent& event : batch) {
            if (m_events.stopped()) {
                return;
            }
            m_handler(&event);
            if (event.kind == EventKind::Closed) {
                if (!m_events.stopped()) {
                    m_closedHandled(self);
                }
                return;
            }
        }
    }
}

}  // namespace lanzhou::transport

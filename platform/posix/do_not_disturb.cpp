#include "platform/do_not_disturb.h"

#include <dbus/dbus.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

namespace lanzhou::platform {

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kObject = "/org/freedesktop/Notifications";

// The session bus as its address, or "" when this session has none. Only the
// address the session names, or the usual socket in the runtime folder: a bus
// is never started for the question.
std::string sessionBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        address != nullptr && *address != '\0') {
        return address;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0') {
        return {};
    }
    const std::string socket = std::string(runtime) + "/bus";
    struct stat status {};
    if (::stat(socket.c_str(), &status) != 0 || !S_ISSOCK(status.st_mode)) {
        return {};
    }
    char* escaped = dbus_address_escape_value(socket.c_str());
    if (escaped == nullptr) {
        return {};
    }
    std::string address = std::string("unix:path=") + escaped;
    dbus_free(escaped);
    return address;
}

struct ConnectionCloser {
    void operator()(DBusConnection* connection) const {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
};
using Connection = std::unique_ptr<DBusConnection, ConnectionCloser>;

struct MessageUnref {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

// A bus or service that let a question run out of time is left alone this
// long, so that a hung one does not hold the caller up at every question.
constexpr std::chrono::minutes kRestAfterNoAnswer{1};

// Set by call() when a question ran out of time.
bool g_noAnswer = false;

// A method call and its reply within the limit; nullptr for an error or no
// reply in time. Whatever else came in meanwhile is dropped: nothing here
// listens for it.
Message call(DBusConnection* connection, DBusMessage* request) {
    DBusError error;
    dbus_error_init(&error);
    Message reply(dbus_connection_send_with_reply_and_block(
        connection, request, static_cast<int>(kDoNotDisturbCallLimit.count()), &error));
    if (!reply && dbus_error_has_name(&error, DBUS_ERROR_NO_REPLY)) {
        g_noAnswer = true;
    }
    dbus_error_free(&error);
    while (DBusMessage* other = dbus_connection_pop_message(connection)) {
        dbus_message_unref(other);
    }
    return reply;
}

// A private connection to the bus, registered with its "Hello" under the same
// limit as every call (the library's own registration would wait 25 s).
Connection connect(const std::string& address) {
    DBusError error;
    dbus_error_init(&error);
    Connection connection(dbus_connection_open_private(address.c_str(), &error));
    dbus_error_free(&error);
    if (!connection) {
        return nullptr;
    }
    dbus_connection_set_exit_on_disconnect(connection.get(), FALSE);
    Message hello(dbus_message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS,
                                               DBUS_INTERFACE_DBUS, "Hello"));
    if (!hello) {
        return nullptr;
    }
    Message reply = call(connection.get(), hello.get());
    const char* name = nullptr;
    if (!reply ||
        !dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID) ||
        !dbus_bus_set_unique_name(connection.get(), name)) {
        return nullptr;
    }
    return connection;
}

// The notification service's Inhibited property; false without one.
bool inhibited(DBusConnection* connection) {
    Message request(
        dbus_message_new_method_call(kService, kObject, DBUS_INTERFACE_PROPERTIES, "Get"));
    if (!request) {
        return false;
    }
    const char* interface = kService;
    const char* property = "Inhibited";
    if (!dbus_message_append_args(request.get(), DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING,
                                  &property, DBUS_TYPE_INVALID)) {
        return false;
    }
    // A desktop without a running notification service is not asked to start one.
    dbus_message_set_auto_start(request.get(), FALSE);
    Message reply = call(connection, request.get());
    if (!reply || dbus_message_get_type(reply.get()) != DBUS_MESSAGE_TYPE_METHOD_RETURN) {
        return false;
    }
    DBusMessageIter arguments;
    if (!dbus_message_iter_init(reply.get(), &arguments) ||
        dbus_message_iter_get_arg_type(&arguments) != DBUS_TYPE_VARIANT) {
        return false;
    }
    DBusMessageIter value;
    dbus_message_iter_recurse(&arguments, &value);
    if (dbus_message_iter_get_arg_type(&value) != DBUS_TYPE_BOOLEAN) {
        return false;
    }
    dbus_bool_t on = FALSE;
    dbus_message_iter_get_basic(&value, &on);
    return on != FALSE;
}

// The bus asked last: its address, the connection kept between questions
// and, after a question ran out of time, when it may be asked again.
struct Bus {
    std::string address;
    Connection connection;
    std::chrono::steady_clock::time_point restUntil{};
};

bool ask(Bus& bus) {
    if (!bus.connection) {
        bus.connection = connect(bus.address);
        if (!bus.connection) {
            return false;
        }
    }
    return inhibited(bus.connection.get());
}

}  // namespace

bool askDesktopDoNotDisturb() {
    static Bus bus;
    const std::string address = sessionBusAddress();
    if (address != bus.address) {
        bus = Bus{address, nullptr, {}};
    }
    if (bus.connection && !dbus_connection_get_is_connected(bus.connection.get())) {
        bus.connection.reset();
    }
    const auto now = std::chrono::steady_clock::now();
    if (address.empty() || now < bus.restUntil) {
        return false;
    }
    g_noAnswer = false;
    const bool on = ask(bus);
    if (g_noAnswer) {
        bus.restUntil = now + kRestAfterNoAnswer;
    }
    return on;
}

}  // namespace lanzhou::platform

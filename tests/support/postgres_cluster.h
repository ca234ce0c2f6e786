#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

struct pg_conn;

namespace lanzhou::test {

// A throwaway PostgreSQL cluster for tests: made with initdb in a fresh
// temporary folder, served by its own postgres process on a free loopback
// port (its socket in the folder too), stopped and removed with the object.
// Nothing depends on a system service. PostgreSQL refuses to run as root, so
// a test run by root runs the cluster as the unprivileged "postgres" user;
// the postgres process also ends when the test program dies.
//
// The superuser (kUser) needs a password over TCP: passwordFile() holds it,
// for the storage's [database] password_file. Over the socket no password
// is asked (for setting up databases).
class PostgresCluster final {
public:
    static constexpr std::string_view kUser = "lanzhou_test";

    // Nothing, with what went wrong in `error`, when the cluster cannot be
    // made or does not start within 60 seconds.
    static std::unique_ptr<PostgresCluster> start(std::string& error);
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;

    // A fresh empty database; its name, or empty with a message in `error`.
    std::string createDatabase(std::string& error);
    // The TCP URI of a database, without a password.
    std::string uri(std::string_view database) const;
    const std::filesystem::path& passwordFile() const { return m_clientPasswordFile; }
    // Runs SQL as the superuser over the socket; false with the message.
    bool execute(std::string_view database, std::string_view sql, std::string& error) const;
    int port() const { return m_port; }

    // The database going away and coming back: stop() ends the server at
    // once (as a crash would), startAgain() serves the same data on the same port.
    void stop() { stopServer(); }
    bool startAgain(std::string& error) { return startServer(error); }

private:
    PostgresCluster() = default;
    bool startServer(std::string& error);
    void stopServer();
    std::string socketConnection(std::string_view database) const;

    std::filesystem::path m_folder;
    std::filesystem::path m_clientPasswordFile;
    std::filesystem::path m_binaries;
    int m_port = 0;
    int m_pid = -1;
    unsigned m_databases = 0;
};

// The cluster of this test program, started on first use and removed when
// the program's tests are over (a GoogleTest environment); nullptr, with a
// message in `error`, when it cannot start.
PostgresCluster* sharedPostgresCluster(std::string& error);

}  // namespace lanzhou::test

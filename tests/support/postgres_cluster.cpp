#include "tests/support/postgres_cluster.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <optional>
#include <random>
#include <system_error>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lanzhou::test {
namespace {

constexpr const char* kPassword = "throwaway-cluster-secret";
constexpr auto kStartTimeout = std::chrono::seconds(60);

// Who runs the cluster's programs: nobody else when the tests are not root.
struct RunAs {
    bool switchUser = false;
    uid_t uid = 0;
    gid_t gid = 0;
};

std::optional<RunAs> clusterUser(std::string& error) {
    RunAs who;
    if (::geteuid() != 0) {
        return who;
    }
    const passwd* user = ::getpwnam("postgres");
    if (user == nullptr) {
        error = "tests run as root need the \"postgres\" user (Debian's postgresql package)";
        return std::nullopt;
    }
    who.switchUser = true;
    who.uid = user->pw_uid;
    who.gid = user->pw_gid;
    return who;
}

// The newest installed server programs (Debian keeps them per version).
std::filesystem::path serverBinaries() {
    std::filesystem::path best;
    int bestVersion = -1;
    std::error_code code;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", code)) {
        const std::string name = entry.path().filename().string();
        const int version = std::atoi(name.c_str());
        if (version > bestVersion && std::filesystem::exists(entry.path() / "bin" / "initdb")) {
            bestVersion = version;
            best = entry.path() / "bin";
        }
    }
    return best;
}

// A base folder every user can pass through (the cluster's user must reach
// its folder inside): the system's temporary folder unless one of its
// parents is closed to others.
std::filesystem::path reachableTemp() {
    std::error_code code;
    std::filesystem::path temp = std::filesystem::temp_directory_path(code);
    if (code) {
        return "/tmp";
    }
    for (std::filesystem::path at = temp; !at.empty(); at = at.parent_path()) {
        struct stat info {};
        if (::stat(at.c_str(), &info) != 0 || (info.st_mode & S_IXOTH) == 0) {
            return "/tmp";
        }
        if (at == at.parent_path()) {
            break;
        }
    }
    return temp;
}

bool writePrivateFile(const std::filesystem::path& file, std::string_view text) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return written;
}

// A loopback port nobody listens on at the moment.
int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return port;
}

// Starts `arguments` as the cluster's user, output to `log`; the child gets
// SIGQUIT (PostgreSQL's immediate stop) when this thread ends. The pid, or -1.
int spawn(const RunAs& who, const std::vector<std::string>& arguments,
          const std::filesystem::path& log) {
    std::vector<char*> argv;
    std::vector<std::string> words = arguments;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const std::string logPath = log.string();
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid != 0) {
        return pid;
    }
    // The child: only async-signal-safe calls from here on.
    const int null = ::open("/dev/null", O_RDONLY);
    const int out = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (null < 0 || out < 0 || ::dup2(null, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(out, 2) < 0) {
        ::_exit(126);
    }
    if (who.switchUser && (::fchown(out, who.uid, who.gid) != 0 || ::setgroups(0, nullptr) != 0 ||
                           ::setgid(who.gid) != 0 || ::setuid(who.uid) != 0)) {
        ::_exit(126);
    }
    // Set after the change of user, which clears it.
    ::prctl(PR_SET_PDEATHSIG, SIGQUIT);
    if (::getppid() != parent) {
        ::_exit(126);  // the tests ended already
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

int waitFor(int pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string tail(const std::filesystem::path& log) {
    std::ifstream in(log);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.size() > 2000 ? text.substr(text.size() - 2000) : text;
}

}  // namespace

std::unique_ptr<PostgresCluster> PostgresCluster::start(std::string& error) {
    const auto who = clusterUser(error);
    if (!who) {
        return nullptr;
    }
    std::unique_ptr<PostgresCluster> cluster(new PostgresCluster());
    cluster->m_binaries = serverBinaries();
    if (cluster->m_binaries.empty()) {
        error = "no PostgreSQL server programs under /usr/lib/postgresql (Debian's postgresql)";
        return nullptr;
    }
    const std::filesystem::path base = reachableTemp();
    std::random_device random;
    std::error_code code;
    do {
        cluster->m_folder = base / ("lanzhou-pg-" + std::to_string(random() % 1000000000u));
    } while (!std::filesystem::create_directory(cluster->m_folder, code) && !code);
    if (code) {
        error = "cannot make a folder in " + base.string() + ": " + code.message();
        cluster->m_folder.clear();
        return nullptr;
    }
    const auto& folder = cluster->m_folder;
    ::chmod(folder.c_str(), 0700);
    if (who->switchUser && ::chown(folder.c_str(), who->uid, who->gid) != 0) {
        error = "cannot hand " + folder.string() + " to the postgres user";
        return nullptr;
    }
    // initdb reads its password file as the cluster's user; the clients'
    // copy stays private to the tests.
    const auto initPassword = folder / "initdb-password";
    cluster->m_clientPasswordFile = folder / "password";
    if (!writePrivateFile(initPassword, kPassword) ||
        !writePrivateFile(cluster->m_clientPasswordFile, kPassword) ||
        (who->switchUser && ::chown(initPassword.c_str(), who->uid, who->gid) != 0)) {
        error = "cannot write the password files in " + folder.string();
        return nullptr;
    }
    const auto log = folder / "server.log";
    const int initdb = spawn(
        *who,
        {(cluster->m_binaries / "initdb").string(), "-D", (folder / "data").string(), "-U",
         std::string(kUser), "--pwfile=" + initPassword.string(), "--auth-local=trust",
         "--auth-host=scram-sha-256", "-E", "UTF8", "--locale=C", "--no-sync", "--no-instructions"},
        log);
    if (initdb < 0 || waitFor(initdb) != 0) {
        error = "initdb failed:\n" + tail(log);
        return nullptr;
    }
    std::filesystem::remove(initPassword, code);
    if (!cluster->startServer(error)) {
        return nullptr;
    }
    return cluster;
}

bool PostgresCluster::startServer(std::string& error) {
    std::string ignored;
    const auto who = clusterUser(ignored);
    const auto log = m_folder / "server.log";
    // fsync=off: nothing is forced to disk, which a throwaway cluster does not
    // need; commits still reach the operating system, so a crash of postgres
    // (stop()) loses none of them.
    // A port found free may be taken before postgres binds it: then again.
    // A restart keeps the port, where the clients look for the server.
    const bool restart = m_port != 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!restart || attempt > 0) {
            m_port = freePort();
        }
        m_pid =
            spawn(*who,
                  {(m_binaries / "postgres").string(), "-D", (m_folder / "data").string(), "-p",
                   std::to_string(m_port), "-k", m_folder.string(), "-c",
                   "listen_addresses=127.0.0.1", "-c", "fsync=off", "-c", "full_page_writes=off",
                   "-c", "max_connections=60", "-c", "shared_buffers=16MB"},
                  log);
        if (m_pid < 0) {
            break;
        }
        const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
        const std::string ping = socketConnection("postgres");
        while (std::chrono::steady_clock::now() < deadline) {
            if (PQping(ping.c_str()) == PQPING_OK) {
                return true;
            }
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                break;  // it stopped: perhaps the port was taken
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        stopServer();
    }
    error = "postgres did not start:\n" + tail(log);
    return false;
}

void PostgresCluster::stopServer() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGQUIT);
        waitFor(m_pid);
        m_pid = -1;
    }
}

PostgresCluster::~PostgresCluster() {
    stopServer();
    if (!m_folder.empty()) {
        std::error_code code;
        std::filesystem::remove_all(m_folder, code);
    }
}

std::string PostgresCluster::socketConnection(std::string_view database) const {
    return "host=" + m_folder.string() + " port=" + std::to_string(m_port) +
           " user=" + std::string(kUser) + " dbname=" + std::string(database) +
           " connect_timeout=10";
}

std::string PostgresCluster::uri(std::string_view database) const {
    return "postgresql://" + std::string(kUser) + "@127.0.0.1:" + std::to_string(m_port) + "/" +
           std::string(database);
}

bool PostgresCluster::execute(std::string_view database, std::string_view sql,
                              std::string& error) const {
    PGconn* conn = PQconnectdb(socketConnection(database).c_str());
    bool ok = PQstatus(conn) == CONNECTION_OK;
    if (ok) {
        PGresult* result = PQexec(conn, std::string(sql).c_str());
        const auto status = PQresultStatus(result);
        ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
        PQclear(result);
    }
    if (!ok) {
        error = PQerrorMessage(conn);
    }
    PQfinish(conn);
    return ok;
}

std::string PostgresCluster::createDatabase(std::string& error) {
    const std::string name = "test" + std::to_string(++m_databases);
    if (!execute("postgres", "CREATE DATABASE " + name, error)) {
        return {};
    }
    return name;
}

namespace {

// Owns the shared cluster; GoogleTest tears it down after the last test.
class ClusterEnvironment final : public ::testing::Environment {
public:
    void TearDown() override { cluster.reset(); }

    std::unique_ptr<PostgresCluster> cluster;
    std::string startError;
    bool tried = false;
};

ClusterEnvironment* const environment =
    static_cast<ClusterEnvironment*>(::testing::AddGlobalTestEnvironment(new ClusterEnvironment));

}  // namespace

PostgresCluster* sharedPostgresCluster(std::string& error) {
    if (!environment->tried) {
        environment->tried = true;
        environment->cluster = PostgresCluster::start(environment->startError);
    }
    error = environment->startError;
    return environment->cluster.get();
}

}  // namespace lanzhou::test

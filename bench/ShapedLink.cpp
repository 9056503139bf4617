#include "ShapedLink.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <arpa/inet.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <future>
#include <list>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace ShapedLink {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kPrefix = "cmrtt";
constexpr int kCommandMs = 5000;
constexpr int kStartMs = 5000;
constexpr int kConnectMs = 3000;
// However the bench ends, the namespace outlives it by no more than this.
constexpr int kLifetimeMs = 15 * 60 * 1000;
constexpr unsigned kWatcherCleanupSeconds = 10;
constexpr std::size_t kChunk = 64 * 1024;
// Past this much held in one direction the relay stops reading it.
constexpr std::size_t kMostHeld = 4 * 1024 * 1024;
constexpr auto kOneWay = std::chrono::milliseconds(1);

// Runs a command, bounded in time; its output goes to output either way.
bool Run(const QString& program, const QStringList& args, QString* output = nullptr) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    const bool finished = process.waitForStarted(kCommandMs) && process.waitForFinished(kCommandMs);
    if (!finished) {
        process.kill();
        process.waitForFinished(kCommandMs);
    }
    if (output != nullptr) {
        *output = program + QLatin1Char(' ') + args.join(QLatin1Char(' ')) + QStringLiteral(": ") +
                  (finished ? QString::fromLocal8Bit(process.readAll()).trimmed()
                            : QStringLiteral("no answer in 5 s"));
    }
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString Dotted(quint32 address) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 255)
        .arg((address >> 8) & 255)
        .arg(address & 255);
}

// Namespaces and links left by earlier runs whose process is gone.
void RemoveStale() {
    QString listed, links;
    Run(QStringLiteral("ip"), {QStringLiteral("netns"), QStringLiteral("list")}, &listed);
    Run(QStringLiteral("ip"),
        {QStringLiteral("-o"), QStringLiteral("link"), QStringLiteral("show")}, &links);
    const QRegularExpression name(QStringLiteral("\\b%1(\\d+)").arg(QLatin1String(kPrefix)));
    std::set<pid_t> gone;
    for (const QString& text : {listed, links}) {
        for (const QRegularExpressionMatch& match : name.globalMatch(text)) {
            const pid_t pid = match.captured(1).toInt();
            if (pid > 0 && pid != getpid() && kill(pid, 0) != 0 && errno == ESRCH) {
                gone.insert(pid);
            }
        }
    }
    for (const pid_t pid : gone) {
        const QString ns = QLatin1String(kPrefix) + QString::number(pid);
        Run(QStringLiteral("ip"), {QStringLiteral("link"), QStringLiteral("del"), ns + 'a'});
        Run(QStringLiteral("ip"), {QStringLiteral("netns"), QStringLiteral("del"), ns});
    }
}

// A process apart that removes the namespace once the bench is gone, however
// it ended (a signal, SIGKILL included, or a crash), or once kLifetimeMs
// passed. Its cleanup runs outside any signal handler.
class TWatcher {
  public:
    TWatcher() = default;
    TWatcher(const TWatcher&) = delete;
    TWatcher& operator=(const TWatcher&) = delete;

    ~TWatcher() {
        if (pid_ <= 0) {
            return;
        }
        close(write_);
        // glibc's own declaration of pidfd_open lacks C linkage for C++.
        const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
        pollfd ended{pidfd, POLLIN, 0};
        if (pidfd < 0 || poll(&ended, 1, kWatcherCleanupSeconds * 1000) != 1) {
            kill(pid_, SIGKILL);
        }
        if (pidfd >= 0) {
            close(pidfd);
        }
        waitpid(pid_, nullptr, 0);
    }

    bool Start(const std::string& ip, const std::string& ns, const std::string& link) {
        // After a fork in a threaded process only async-signal-safe calls are
        // allowed: everything the child needs is made before.
        std::string words[] = {ip, "link", "del", link, ip, "netns", "del", ns};
        char* delLink[] = {words[0].data(), words[1].data(), words[2].data(), words[3].data(),
                           nullptr};
        char* delNs[] = {words[4].data(), words[5].data(), words[6].data(), words[7].data(),
                         nullptr};
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return false;
        }
        pid_ = fork();
        if (pid_ == 0) {
            // Out of the bench's session and deaf to the terminal's signals,
            // so that what ends the bench does not end this too.
            setsid();
            struct sigaction ignore {};
            ignore.sa_handler = SIG_IGN;
            for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
                sigaction(signal, &ignore, nullptr);
            }
            // Holding none of the bench's sockets open.
            dup2(fds[0], STDIN_FILENO);
            close_range(3, ~0U, 0);
            pollfd benchGone{STDIN_FILENO, POLLIN, 0};
            poll(&benchGone, 1, kLifetimeMs);
            alarm(kWatcherCleanupSeconds);
            RunQuietly(delLink);
            RunQuietly(delNs);
            _exit(0);
        }
        close(fds[0]);
        if (pid_ < 0) {
            close(fds[1]);
            return false;
        }
        write_ = fds[1];
        return true;
    }

  private:
    static void RunQuietly(char* const argv[]) {
        const pid_t child = fork();
        if (child == 0) {
            const int null = open("/dev/null", O_RDWR);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            execv(argv[0], argv);
            _exit(127);
        }
        if (child > 0) {
            waitpid(child, nullptr, 0);
        }
    }

    pid_t pid_ = -1;
    int write_ = -1;
};

struct TChunk {
    Clock::time_point due;
    std::string bytes;
    std::size_t sent = 0;
};

// One way through the relay: what was read and is held until its time.
struct TDirection {
    std::deque<TChunk> held;
    std::size_t heldBytes = 0;
    bool ended = false;    // the sender closed its side
    bool shut = false;     // and that was passed on
    bool blocked = false;  // the receiver takes no more for now
};

struct TPair {
    int client = -1;
    int server = -1;
    TDirection up;    // client to server
    TDirection down;  // server to client
    bool broken = false;
};

void NoDelay(int fd) {
    const int on = 1;
    // Fails harmlessly on a unix socket.
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// Connects without waiting longer than kConnectMs.
int ConnectWithin(int family, const sockaddr* address, socklen_t length) {
    const int fd = socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    if (connect(fd, address, length) == 0) {
        return fd;
    }
    pollfd writable{fd, POLLOUT, 0};
    int error = 0;
    socklen_t size = sizeof error;
    if (errno == EINPROGRESS && poll(&writable, 1, kConnectMs) == 1 &&
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0) {
        return fd;
    }
    close(fd);
    return -1;
}

// Sends what is due; false when the receiver is gone.
bool Flush(TDirection& d, int to, Clock::time_point now) {
    d.blocked = false;
    while (!d.held.empty() && d.held.front().due <= now) {
        TChunk& chunk = d.held.front();
        const ssize_t n = send(to, chunk.bytes.data() + chunk.sent, chunk.bytes.size() - chunk.sent,
                               MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            d.blocked = errno == EAGAIN || errno == EWOULDBLOCK;
            return d.blocked;
        }
        chunk.sent += static_cast<std::size_t>(n);
        d.heldBytes -= static_cast<std::size_t>(n);
        if (chunk.sent == chunk.bytes.size()) {
            d.held.pop_front();
        }
    }
    if (d.held.empty() && d.ended && !d.shut) {
        shutdown(to, SHUT_WR);
        d.shut = true;
    }
    return true;
}

// Reads one chunk and holds it for delay; false when the sender failed.
bool Receive(TDirection& d, int from, Clock::time_point now, Clock::duration delay) {
    char buffer[kChunk];
    const ssize_t n = recv(from, buffer, sizeof buffer, 0);
    if (n > 0) {
        d.held.push_back({now + delay, std::string(buffer, static_cast<std::size_t>(n))});
        d.heldBytes += static_cast<std::size_t>(n);
    } else if (n == 0) {
        d.ended = true;
    }
    return n >= 0 || errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

bool Reading(const TDirection& d) {
    return !d.ended && d.heldBytes < kMostHeld;
}

pollfd Watch(int fd, const TDirection& in, const TDirection& out) {
    const short events =
        static_cast<short>((Reading(in) ? POLLIN : 0) | (out.blocked ? POLLOUT : 0));
    // A socket watched for nothing would still wake the loop on a hang-up.
    return {events != 0 ? fd : -1, events, 0};
}

std::optional<Clock::time_point> Earliest(std::optional<Clock::time_point> next,
                                          const TDirection& d) {
    if (d.held.empty() || d.blocked) {
        return next;
    }
    const Clock::time_point due = d.held.front().due;
    return next && *next <= due ? next : std::optional<Clock::time_point>(due);
}

// Listens inside the namespace and passes every connection on to the server
// from this process's own namespace, holding each chunk for delay.
class TRelay {
  public:
    TRelay(const TRelay&) = delete;
    TRelay& operator=(const TRelay&) = delete;
    TRelay(std::string upstreamHost, int upstreamPort, Clock::duration delay)
        : upstreamHost_(std::move(upstreamHost)), upstreamPort_(upstreamPort), delay_(delay) {}

    ~TRelay() {
        if (thread_.joinable()) {
            const std::uint64_t one = 1;
            (void)!write(stop_, &one, sizeof one);
            thread_.join();
        }
        for (const int fd : {stop_, listen_}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }

    bool Start(const std::string& nsPath, const std::string& address, QString& error) {
        stop_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (stop_ < 0) {
            error = QStringLiteral("eventfd: %1").arg(QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        std::promise<std::string> ready;
        std::future<std::string> listening = ready.get_future();
        thread_ = std::thread([this, nsPath, address, ready = std::move(ready)]() mutable {
            const std::string failure = Listen(nsPath, address);
            ready.set_value(failure);
            if (failure.empty()) {
                Serve();
            }
        });
        if (listening.wait_for(std::chrono::milliseconds(kStartMs)) != std::future_status::ready) {
            error = QStringLiteral("the relay did not listen within 5 s");
            return false;
        }
        error = QString::fromStdString(listening.get());
        return error.isEmpty();
    }

    int Port() const { return port_; }

  private:
    std::string Listen(const std::string& nsPath, const std::string& address) {
        const int own = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        const int inside = open(nsPath.c_str(), O_RDONLY | O_CLOEXEC);
        std::string failure;
        // Namespaces are per thread: only this one moves, and only for as
        // long as it takes to make the socket that listens inside.
        if (own < 0 || inside < 0 || setns(inside, CLONE_NEWNET) != 0) {
            failure = "cannot enter " + nsPath + ": " + strerror(errno);
        } else {
            sockaddr_in at{};
            at.sin_family = AF_INET;
            socklen_t size = sizeof at;
            listen_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (inet_pton(AF_INET, address.c_str(), &at.sin_addr) != 1 || listen_ < 0 ||
                bind(listen_, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 ||
                listen(listen_, 16) != 0 ||
                getsockname(listen_, reinterpret_cast<sockaddr*>(&at), &size) != 0) {
                failure = "cannot listen on " + address + ": " + strerror(errno);
            }
            port_ = ntohs(at.sin_port);
            // The server is reached from the bench's own namespace.
            if (setns(own, CLONE_NEWNET) != 0) {
                failure = std::string("cannot leave the namespace: ") + strerror(errno);
            }
        }
        for (const int fd : {own, inside}) {
            if (fd >= 0) {
                close(fd);
            }
        }
        return failure;
    }

    int ConnectUpstream() const {
        const std::string port = std::to_string(upstreamPort_);
        if (!upstreamHost_.empty() && upstreamHost_.front() == '/') {
            sockaddr_un at{};
            at.sun_family = AF_UNIX;
            const std::string path = upstreamHost_ + "/.s.PGSQL." + port;
            if (path.size() >= sizeof at.sun_path) {
                return -1;
            }
            std::memcpy(at.sun_path, path.c_str(), path.size() + 1);
            return ConnectWithin(AF_UNIX, reinterpret_cast<const sockaddr*>(&at), sizeof at);
        }
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(upstreamHost_.empty() ? "localhost" : upstreamHost_.c_str(), port.c_str(),
                        &hints, &found) != 0) {
            return -1;
        }
        int fd = -1;
        for (const addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
            fd = ConnectWithin(a->ai_family, a->ai_addr, a->ai_addrlen);
        }
        freeaddrinfo(found);
        return fd;
    }

    void Accept(std::list<TPair>& pairs) const {
        for (;;) {
            const int client = accept4(listen_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (client < 0) {
                return;
            }
            const int server = ConnectUpstream();
            if (server < 0) {
                close(client);
                continue;
            }
            NoDelay(client);
            NoDelay(server);
            TPair& pair = pairs.emplace_back();
            pair.client = client;
            pair.server = server;
        }
    }

    void Serve() {
        std::list<TPair> pairs;
        std::vector<pollfd> fds;
        for (;;) {
            const Clock::time_point now = Clock::now();
            std::optional<Clock::time_point> next;
            for (auto p = pairs.begin(); p != pairs.end();) {
                p->broken =
                    p->broken || !Flush(p->up, p->server, now) || !Flush(p->down, p->client, now);
                if (p->broken || (p->up.shut && p->down.shut)) {
                    close(p->client);
                    close(p->server);
                    p = pairs.erase(p);
                } else {
                    next = Earliest(Earliest(next, p->up), p->down);
                    ++p;
                }
            }
            fds.assign({{stop_, POLLIN, 0}, {listen_, POLLIN, 0}});
            for (const TPair& p : pairs) {
                fds.push_back(Watch(p.client, p.up, p.down));
                fds.push_back(Watch(p.server, p.down, p.up));
            }
            timespec wait{};
            if (next) {
                const auto left = std::max(Clock::duration::zero(), *next - now);
                wait.tv_sec = std::chrono::duration_cast<std::chrono::seconds>(left).count();
                wait.tv_nsec = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   left - std::chrono::seconds(wait.tv_sec))
                                   .count();
            }
            if (ppoll(fds.data(), fds.size(), next ? &wait : nullptr, nullptr) < 0 &&
                errno != EINTR) {
                break;
            }
            if (fds[0].revents != 0) {
                break;
            }
            const Clock::time_point arrived = Clock::now();
            constexpr short kReadable = POLLIN | POLLHUP | POLLERR;
            std::size_t i = 2;
            for (TPair& p : pairs) {
                const pollfd& client = fds[i++];
                const pollfd& server = fds[i++];
                if ((client.events & POLLIN) && (client.revents & kReadable)) {
                    p.broken = p.broken || !Receive(p.up, p.client, arrived, delay_);
                }
                if ((server.events & POLLIN) && (server.revents & kReadable)) {
                    p.broken = p.broken || !Receive(p.down, p.server, arrived, delay_);
                }
            }
            if (fds[1].revents & POLLIN) {
                Accept(pairs);
            }
        }
        for (const TPair& p : pairs) {
            close(p.client);
            close(p.server);
        }
    }

    std::string upstreamHost_;
    int upstreamPort_ = 0;
    Clock::duration delay_;
    int stop_ = -1;
    int listen_ = -1;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace

struct TLink::TImpl {
    QString failure;
    QString host;
    int port = 0;
    QString how;
    QString ns;
    QString outer;
    bool made = false;
    TWatcher watcher;
    std::unique_ptr<TRelay> relay;

    ~TImpl() { Remove(); }

    void Remove() {
        relay.reset();
        if (made) {
            Run(QStringLiteral("ip"), {QStringLiteral("link"), QStringLiteral("del"), outer});
            Run(QStringLiteral("ip"), {QStringLiteral("netns"), QStringLiteral("del"), ns});
            made = false;
        }
    }

    bool Make(const QString& upstreamHost, int upstreamPort) {
        const QString ip = QStandardPaths::findExecutable(QStringLiteral("ip"));
        if (geteuid() != 0 || ip.isEmpty()) {
            failure = geteuid() != 0 ? QStringLiteral("the bench does not run as root")
                                     : QStringLiteral("there is no ip command");
            return false;
        }
        RemoveStale();
        const pid_t pid = getpid();
        ns = QLatin1String(kPrefix) + QString::number(pid);
        outer = ns + QLatin1Char('a');
        const QString inner = ns + QLatin1Char('b');
        // 127.x addresses, which never leave the machine, drawn from the
        // process id so that runs side by side differ; never 127.0.0.x.
        const auto id = static_cast<quint32>(pid);
        const quint32 base = (127U << 24) | ((64U + ((id >> 14) & 63U)) << 16) |
                             (((id >> 6) & 255U) << 8) | ((id & 63U) << 2);
        const QString outerAddress = Dotted(base + 1);
        const QString innerAddress = Dotted(base + 2);
        if (!watcher.Start(ip.toStdString(), ns.toStdString(), outer.toStdString())) {
            failure = QStringLiteral("cannot start the process that removes the namespace");
            return false;
        }
        made = true;
        const QString localnet = QStringLiteral("net.ipv4.conf.%1.route_localnet=1");
        const auto inside = [this](QStringList command) {
            return QStringList{QStringLiteral("netns"), QStringLiteral("exec"), ns} + command;
        };
        // The kernel drops 127.x packets on a device unless route_localnet
        // allows them; and the local table sends all of 127.0.0.0/8 to lo
        // unless the peer's address has a route of its own there.
        const std::pair<QString, QStringList> steps[] = {
            {ip, {QStringLiteral("netns"), QStringLiteral("add"), ns}},
            {ip,
             {QStringLiteral("link"), QStringLiteral("add"), outer, QStringLiteral("type"),
              QStringLiteral("veth"), QStringLiteral("peer"), QStringLiteral("name"), inner}},
            {ip,
             {QStringLiteral("link"), QStringLiteral("set"), inner, QStringLiteral("netns"), ns}},
            {QStringLiteral("sysctl"), {QStringLiteral("-qw"), localnet.arg(outer)}},
            {ip, inside({QStringLiteral("sysctl"), QStringLiteral("-qw"), localnet.arg(inner)})},
            {ip,
             {QStringLiteral("addr"), QStringLiteral("add"), outerAddress + QStringLiteral("/30"),
              QStringLiteral("dev"), outer}},
            {ip, inside({ip, QStringLiteral("addr"), QStringLiteral("add"),
                         innerAddress + QStringLiteral("/30"), QStringLiteral("dev"), inner})},
            {ip, {QStringLiteral("link"), QStringLiteral("set"), outer, QStringLiteral("up")}},
            {ip, inside({ip, QStringLiteral("link"), QStringLiteral("set"), inner,
                         QStringLiteral("up")})},
            {ip,
             {QStringLiteral("route"), QStringLiteral("add"), innerAddress + QStringLiteral("/32"),
              QStringLiteral("dev"), outer, QStringLiteral("src"), outerAddress,
              QStringLiteral("table"), QStringLiteral("local")}},
        };
        for (const auto& [program, args] : steps) {
            if (!Run(program, args, &failure)) {
                return false;
            }
        }
        const QString delay[] = {QStringLiteral("root"), QStringLiteral("netem"),
                                 QStringLiteral("delay"), QStringLiteral("1ms")};
        const QStringList onOuter = QStringList{QStringLiteral("qdisc"), QStringLiteral("add"),
                                                QStringLiteral("dev"), outer} +
                                    QStringList(std::begin(delay), std::end(delay));
        const QStringList onInner =
            QStringList{QStringLiteral("tc"), QStringLiteral("qdisc"), QStringLiteral("add"),
                        QStringLiteral("dev"), inner} +
            QStringList(std::begin(delay), std::end(delay));
        const bool netem = Run(QStringLiteral("tc"), onOuter) && Run(ip, inside(onInner));
        if (!netem) {
            Run(QStringLiteral("tc"), {QStringLiteral("qdisc"), QStringLiteral("del"),
                                       QStringLiteral("dev"), outer, QStringLiteral("root")});
        }
        relay =
            std::make_unique<TRelay>(upstreamHost.toStdString(), upstreamPort,
                                     netem ? Clock::duration::zero() : Clock::duration(kOneWay));
        if (!relay->Start("/run/netns/" + ns.toStdString(), innerAddress.toStdString(), failure)) {
            return false;
        }
        host = innerAddress;
        port = relay->Port();
        how = netem ? QStringLiteral("netem on the veth pair, 1 ms each way")
                    : QStringLiteral(
                          "a relay in the namespace holding each chunk 1 ms each way, since this "
                          "kernel has no netem");
        return true;
    }
};

TLink::TLink(const QString& upstreamHost, int upstreamPort) : impl_(std::make_unique<TImpl>()) {
    if (!impl_->Make(upstreamHost, upstreamPort)) {
        impl_->Remove();
    }
}

TLink::~TLink() = default;

bool TLink::Ready() const {
    return !impl_->host.isEmpty();
}

QString TLink::Failure() const {
    return impl_->failure;
}

QString TLink::Host() const {
    return impl_->host;
}

int TLink::Port() const {
    return impl_->port;
}

QString TLink::How() const {
    return impl_->how;
}

}  // namespace ShapedLink

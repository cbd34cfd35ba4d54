#include "tests/transport/tcp/proxy/socks_test_peers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/platform/net/posix_helpers.h"

extern char** environ;

namespace testposix {

namespace {
constexpr int kStepWaitMs = 5000;

bool ReadExactly(int fd, Bytes& into, int count) {
  while (count > 0) {
    std::uint8_t chunk[512];
    const int n = ReceiveWithin(fd, chunk, std::min<int>(count, sizeof chunk), kStepWaitMs);
    if (n <= 0) return false;
    into.insert(into.end(), chunk, chunk + n);
    count -= n;
  }
  return true;
}

sockaddr_in Loopback(int port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  return addr;
}

bool Readable(int fd, int timeoutMs) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, timeoutMs) == 1;
}
}  // namespace

ScriptedPeer::ScriptedPeer(std::vector<Step> script) {
  listener_ = ListenLoopback(1, port_);
  thread_ = std::thread([this, s = std::move(script)]() mutable { Run(std::move(s)); });
}

ScriptedPeer::~ScriptedPeer() {
  if (thread_.joinable()) thread_.join();
  CloseFd(listener_);
}

void ScriptedPeer::Run(std::vector<Step> script) {
  const int fd = AcceptWithin(listener_, kStepWaitMs);
  if (fd < 0) return;
  bool ok = true;
  for (const Step& step : script) {
    if (step.read > 0 && !ReadExactly(fd, received_, step.read)) {
      ok = false;
      break;
    }
    if (!step.reply.empty()) SendAll(fd, step.reply.data(), static_cast<int>(step.reply.size()));
  }
  // The rest, until the client closes: a test sees bytes it did not expect.
  while (ok) {
    std::uint8_t chunk[512];
    const int n = ReceiveWithin(fd, chunk, sizeof chunk, kStepWaitMs);
    if (n <= 0) break;
    received_.insert(received_.end(), chunk, chunk + n);
  }
  CloseFd(fd);
}

Bytes ScriptedPeer::Received() {
  if (thread_.joinable()) thread_.join();
  return received_;
}

TcpEcho::TcpEcho() {
  listener_ = ListenLoopback(8, port_);
  thread_ = std::thread([this] {
    std::vector<int> clients;
    while (!stop_) {
      std::vector<pollfd> fds{{listener_, POLLIN, 0}};
      for (int c : clients) fds.push_back({c, POLLIN, 0});
      if (poll(fds.data(), fds.size(), 50) <= 0) continue;
      if (fds[0].revents & POLLIN) {
        const int c = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (c >= 0) clients.push_back(c);
      }
      for (std::size_t i = 1; i < fds.size(); ++i) {
        if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        char chunk[4096];
        const ssize_t n = recv(fds[i].fd, chunk, sizeof chunk, 0);
        if (n <= 0 || !SendAll(fds[i].fd, chunk, static_cast<int>(n))) {
          CloseFd(fds[i].fd);
          clients.erase(std::find(clients.begin(), clients.end(), fds[i].fd));
        }
      }
    }
    for (int c : clients) CloseFd(c);
  });
}

TcpEcho::~TcpEcho() {
  stop_ = true;
  thread_.join();
  CloseFd(listener_);
}

UdpEcho::UdpEcho() {
  socket_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr = Loopback(0);
  socklen_t len = sizeof addr;
  bind(socket_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  getsockname(socket_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  thread_ = std::thread([this] {
    while (!stop_) {
      if (!Readable(socket_, 50)) continue;
      char chunk[65536];
      sockaddr_storage from{};
      socklen_t fromLen = sizeof from;
      const ssize_t n = recvfrom(socket_, chunk, sizeof chunk, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
      if (n >= 0) sendto(socket_, chunk, static_cast<size_t>(n), 0, reinterpret_cast<sockaddr*>(&from), fromLen);
    }
  });
}

UdpEcho::~UdpEcho() {
  stop_ = true;
  thread_.join();
  CloseFd(socket_);
}

bool SendDatagram(int port, const Bytes& data) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  const sockaddr_in addr = Loopback(port);
  const bool sent = sendto(fd, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) ==
                    static_cast<ssize_t>(data.size());
  CloseFd(fd);
  return sent;
}

int ConnectLoopback(int port, int timeoutMs) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  const sockaddr_in addr = Loopback(port);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 && errno != EINPROGRESS) {
    CloseFd(fd);
    return -1;
  }
  pollfd p{fd, POLLOUT, 0};
  int error = 0;
  socklen_t len = sizeof error;
  if (poll(&p, 1, timeoutMs) != 1 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) {
    CloseFd(fd);
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

int LocalPort(int fd) {
  sockaddr_in addr{};
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  return ntohs(addr.sin_port);
}

// --- SOCKS server processes -------------------------------------------------

namespace {
std::string FindProgram(const std::string& name) {
  for (const char* dir : {"/usr/sbin", "/usr/bin", "/sbin", "/bin", "/usr/local/sbin", "/usr/local/bin"}) {
    const std::string path = std::string(dir) + "/" + name;
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

std::string UserName() {
  const passwd* pw = getpwuid(geteuid());
  return pw ? pw->pw_name : "root";
}

int FreeLoopbackPort() {
  int port = 0;
  const int fd = ListenLoopback(1, port);
  CloseFd(fd);
  return port;
}

bool Exited(int pid) {
  int status = 0;
  return waitpid(pid, &status, WNOHANG) == pid;
}
}  // namespace

SocksServer::SocksServer(Kind kind, std::string user, std::string password)
    : kind_(kind), user_(std::move(user)), password_(std::move(password)) {
  std::string tmpl = (std::filesystem::temp_directory_path() / "socks_XXXXXX").string();
  if (mkdtemp(tmpl.data())) folder_ = tmpl;
}

SocksServer::~SocksServer() {
  Stop();
  std::error_code ec;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
}

std::string SocksServer::Start() {
  if (folder_.empty()) return "no temporary folder for the server";
  std::string why;
  // Another process may take the port between our probe and the server's
  // bind; a few tries get past that.
  for (int attempt = 0; attempt < 5; ++attempt) {
    why = TryStart(FreeLoopbackPort());
    if (why.empty()) return {};
  }
  return why;
}

std::string SocksServer::TryStart(int port) {
  const std::string program = FindProgram(kind_ == Dante ? "danted" : "microsocks");
  if (program.empty())
    return kind_ == Dante ? "danted not found: install dante-server (scripts/setup)"
                          : "microsocks not found: install microsocks (scripts/setup)";
  const std::string log = folder_ + "/server.log";
  std::vector<std::string> args{program};
  if (kind_ == Dante) {
    const std::string config = folder_ + "/danted.conf";
    const std::string user = UserName();
    std::ofstream(config) << "logoutput: " << log << "\n"
                          << "internal: 127.0.0.1 port = " << port << "\n"
                          << "external: 127.0.0.1\n"
                          << "clientmethod: none\n"
                          << "socksmethod: none\n"
                          << "user.privileged: " << user << "\n"
                          << "user.unprivileged: " << user << "\n"
                          << "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
                          << "socks pass { from: 127.0.0.0/8 to: 0.0.0.0/0 "
                             "command: bind connect udpassociate bindreply udpreply }\n";
    args.insert(args.end(), {"-f", config, "-p", folder_ + "/danted.pid", "-N", "1"});
  } else {
    args.insert(args.end(), {"-i", "127.0.0.1", "-p", std::to_string(port)});
    if (!user_.empty()) args.insert(args.end(), {"-u", user_, "-P", password_});
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, (folder_ + "/stdout.log").c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // A group of its own, so that stopping it reaches the children it forks.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) return "could not start " + program;
  pid_ = pid;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (Exited(pid_)) {
      pid_ = -1;
      return program + " ended at start:\n" + Log();
    }
    const int probe = ConnectLoopback(port, 200);
    if (probe >= 0) {
      CloseFd(probe);
      port_ = port;
      return {};
    }
    SleepMs(20);
  }
  Stop();
  return program + " did not listen within 10 s:\n" + Log();
}

void SocksServer::Stop() {
  if (pid_ < 0) return;
  kill(-pid_, SIGTERM);
  bool gone = false;
  for (int i = 0; i < 250 && !gone; ++i) {
    gone = Exited(pid_);
    if (!gone) SleepMs(20);
  }
  if (!gone) {
    kill(-pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  // Children the server forked may outlive it by a moment; they share its group.
  kill(-pid_, SIGKILL);
  pid_ = -1;
}

std::string SocksServer::Log() const {
  std::ostringstream text;
  for (const char* name : {"/server.log", "/stdout.log"}) text << std::ifstream(folder_ + name).rdbuf();
  return text.str();
}

}  // namespace testposix

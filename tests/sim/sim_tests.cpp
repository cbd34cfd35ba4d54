// A few tests that keep the controller simulator honest.
#include "tests/sim/sim.h"

#include <arpa/inet.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <hidapi/hidapi.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace jqsim;
using namespace std::chrono_literals;

namespace {

// Reads up to `want` bytes within `ms`; returns what arrived.
std::vector<uint8_t> ReadFor(int fd, size_t want, int ms) {
  std::vector<uint8_t> out;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (out.size() < want) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        until - std::chrono::steady_clock::now()).count();
    if (left <= 0) break;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) break;
    uint8_t b[64];
    const ssize_t n = ::read(fd, b, std::min(sizeof b, want - out.size()));
    if (n <= 0) break;
    out.insert(out.end(), b, b + n);
  }
  return out;
}

int OpenPtyClient(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  if (fd < 0) return fd;
  termios t{};
  ::tcgetattr(fd, &t);
  ::cfmakeraw(&t);
  ::tcsetattr(fd, TCSANOW, &t);
  return fd;
}

void WriteAll(int fd, const std::vector<uint8_t>& v) {
  ASSERT_EQ(::write(fd, v.data(), v.size()), static_cast<ssize_t>(v.size()));
}

int ConnectTcp(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

TEST(SimFrames, EncodeAndDecodeKnownFrames) {
  EXPECT_EQ(EncodeRequestFrame(0x0079, 2, 0),
            (std::vector<uint8_t>{0xAA, 0x55, 0x79, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7B, 0xCC, 0x33}));
  const std::vector<uint8_t> reply{0xAA, 0x55, 0x00, 0x79, 0x00, 0x02, 0x00, 0x05, 0x00, 0x00, 0x00, 0x80, 0xCC, 0x33};
  EXPECT_EQ(EncodeReplyFrame(Reply{0, 0x79, 2, 5}), reply);
  const auto r = DecodeReplyFrame(reply);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->value, 5);
  EXPECT_EQ(EncodeReplyFrame(Reply{0, 0x79, 2, 5}, Fault{FaultKind::Short}).size(), 13u);
  EXPECT_EQ(EncodeReplyFrame(Reply{0, 0x79, 2, 5}, Fault{FaultKind::Long}).size(), 15u);
  EXPECT_FALSE(DecodeReplyFrame(EncodeReplyFrame(Reply{0, 0x79, 2, 5}, Fault{FaultKind::BadChecksum})));
}

// A simulator left running keeps only its newest requests.
TEST(SimEngine, LogKeepsTheNewestRequestsWithinItsLimit) {
  Controller c;
  for (int i = 0; i < 5; ++i) c.Handle(100, static_cast<uint16_t>(i), 0, "t");
  EXPECT_EQ(c.Log().size(), 5u);
  c.SetLogLimit(3);
  auto log = c.Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log.front().index, 2);
  for (int i = 5; i < 20; ++i) c.Handle(100, static_cast<uint16_t>(i), 0, "t");
  log = c.Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log.front().index, 17);
  EXPECT_EQ(log.back().index, 19);
  EXPECT_EQ(log.back().seq, 20u);
}

TEST(SimEngine, SetterGetterPairsAndMotionModel) {
  Controller c;
  c.SetDefaultSpeed(10000);
  EXPECT_EQ(c.Handle(100, 0, 0, "t").value, 4);
  EXPECT_EQ(c.Handle(9, 0, 0, "t").value, 0x819);
  c.SetValue(9, 0, 1);
  EXPECT_EQ(c.Handle(9, 0, 0, "t").value, 1);
  c.Handle(174, 1, 55, "t");
  EXPECT_EQ(c.Handle(176, 1, 0, "t").value, 55);
  c.Handle(202, 16, 0xAB, "t");
  EXPECT_EQ(c.Handle(201, 16, 0, "t").value, 0xAB);
  c.Handle(451, 3, 1, "t");
  EXPECT_EQ(c.Handle(453, 3, 1, "t").value, 1);
  EXPECT_EQ(c.Handle(454, 0, -1, "t").value, 8);

  // 1000 steps at 10000 steps/s: 100 ms of running.
  c.Handle(114, 0, 1000, "t");
  EXPECT_EQ(c.Handle(113, 0, 0, "t").value, 1000);
  EXPECT_EQ(c.Handle(121, 0, 0, "t").value & 0x03, 0x03);  // run, positive
  std::this_thread::sleep_for(30ms);
  const int32_t mid = c.Handle(120, 0, 0, "t").value;
  EXPECT_GT(mid, 0);
  EXPECT_LT(mid, 1000);
  std::this_thread::sleep_for(120ms);
  EXPECT_EQ(c.Handle(120, 0, 0, "t").value, 1000);
  EXPECT_EQ(c.Handle(121, 0, 0, "t").value & 0x01, 0);

  // Velocity mode runs until stopped; stop freezes the position.
  c.Handle(109, 1, -20000, "t");
  std::this_thread::sleep_for(20ms);
  EXPECT_TRUE(c.Running(1));
  c.Handle(110, 1, 0, "t");
  EXPECT_FALSE(c.Running(1));
  const int32_t frozen = c.Position(1);
  EXPECT_LT(frozen, 0);
  std::this_thread::sleep_for(10ms);
  EXPECT_EQ(c.Position(1), frozen);

  // 122 sets the counter; homing (124, then 125 runs it) ends at 0.
  c.Handle(122, 2, 777, "t");
  EXPECT_EQ(c.Handle(120, 2, 0, "t").value, 777);
  c.SetHomingMs(30);
  c.Handle(124, 2, 0, "t");
  EXPECT_EQ((c.Handle(121, 2, 0, "t").value >> 5) & 3, Controller::kModeHome);
  c.Handle(125, 2, -1000, "t");
  EXPECT_TRUE(c.Running(2));
  std::this_thread::sleep_for(60ms);
  EXPECT_FALSE(c.Running(2));
  EXPECT_EQ(c.Position(2), 0);

  // Unknown codes answer 0 and are marked in the log.
  EXPECT_EQ(c.Handle(4242, 0, 5, "t").value, 0);
  const auto log = c.Log();
  EXPECT_TRUE(log.back().unknown);
  EXPECT_EQ(log.back().code, 4242);
  EXPECT_FALSE(log.front().unknown);
}

TEST(SimPty, RequestGetsReplyAndIsLoggedEvenWithControlBytes) {
  Controller c;
  PtyPort pty(c);
  const int fd = OpenPtyClient(pty.slave_path());
  ASSERT_GE(fd, 0);
  // Garbage first, then a frame whose bytes include 03 0A 0D 11 13.
  WriteAll(fd, {0x00, 0xAA, 0x13});
  const int32_t value = 0x13110D0A;
  WriteAll(fd, EncodeRequestFrame(702, 0x0003, value));
  auto reply = ReadFor(fd, 14, 1000);
  ASSERT_EQ(reply.size(), 14u);
  auto r = DecodeReplyFrame(reply);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->command, 702);
  EXPECT_EQ(r->index, 3);
  WriteAll(fd, EncodeRequestFrame(701, 0x0003, 0));
  r = DecodeReplyFrame(ReadFor(fd, 14, 1000));
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->value, value);
  const auto log = c.Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].device, "pty:" + pty.slave_path());
  EXPECT_EQ(log[0].value, value);
  EXPECT_GE(log[0].replied_us, log[0].received_us);

  // A short-reply fault for one request gives a 13-byte frame, then normal again.
  c.SetFault(Fault{FaultKind::Short, 0, 1, -1});
  WriteAll(fd, EncodeRequestFrame(100, 0, 0));
  EXPECT_EQ(ReadFor(fd, 14, 300).size(), 13u);
  WriteAll(fd, EncodeRequestFrame(100, 0, 0));
  EXPECT_EQ(ReadFor(fd, 14, 1000).size(), 14u);
  ::close(fd);
}

TEST(SimTcp, ServesFramesAndDropsConnections) {
  Controller c;
  TcpListener tcp(c);
  const int fd = ConnectTcp(tcp.port());
  ASSERT_GE(fd, 0);
  c.SetFault(Fault{FaultKind::WrongEcho, 0, 1, 121});
  WriteAll(fd, EncodeRequestFrame(121, 0, 0));
  auto r = DecodeReplyFrame(ReadFor(fd, 14, 1000));
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->command, 122);
  WriteAll(fd, EncodeRequestFrame(100, 0, 0));
  r = DecodeReplyFrame(ReadFor(fd, 14, 1000));
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->value, 4);
  tcp.DropConnections();
  uint8_t b;
  pollfd p{fd, POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 1000), 1);
  EXPECT_LE(::read(fd, &b, 1), 0);
  ::close(fd);
}

TEST(SimHid, EnumeratesInOrderAndAnswersReports) {
  Controller a, b;
  a.SetValue(100, 0, 6);
  HidDeviceInfo ia;
  ia.path = "sim-a";
  HidDeviceInfo ib;
  ib.path = "sim-b";
  ib.manufacturer = L"Other";
  ib.serial = L"0002";
  AttachHid(ia, a);
  AttachHid(ib, b);
  ASSERT_EQ(hid_init(), 0);
  EXPECT_EQ(HidInitCount(), 1);

  hid_device_info* list = hid_enumerate(0, 0);
  ASSERT_NE(list, nullptr);
  EXPECT_STREQ(list->path, "sim-a");
  ASSERT_NE(list->next, nullptr);
  EXPECT_STREQ(list->next->path, "sim-b");
  EXPECT_EQ(std::wstring(list->next->manufacturer_string), L"Other");
  EXPECT_EQ(list->next->next, nullptr);
  hid_free_enumeration(list);

  hid_device* h = hid_open_path("sim-a");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(OpenHidHandles(), 1);
  hid_set_nonblocking(h, 1);
  unsigned char buf[65] = {};
  EXPECT_EQ(hid_read(h, buf, 65), 0);
  a.SetPushWords(7, 8);
  const unsigned char out[9] = {1, 100, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(hid_write(h, out, 9), 9);
  ASSERT_EQ(hid_read(h, buf, 65), 65);
  EXPECT_EQ(buf[0], 2);
  EXPECT_EQ(buf[1], 0);
  EXPECT_EQ(buf[2], 100);
  EXPECT_EQ(buf[6], 6);   // value
  EXPECT_EQ(buf[10], 7);  // push word 0

  // A delayed reply becomes readable only after the delay.
  a.SetFault(Fault{FaultKind::Delay, 40, 1, -1});
  EXPECT_EQ(hid_write(h, out, 9), 9);
  EXPECT_EQ(hid_read(h, buf, 65), 0);
  std::this_thread::sleep_for(60ms);
  EXPECT_EQ(hid_read(h, buf, 65), 65);
  // A late reply does not hold back the reply to the next request.
  a.SetFault(Fault{FaultKind::Delay, 40, 1, -1});
  EXPECT_EQ(hid_write(h, out, 9), 9);
  const unsigned char out2[9] = {1, 120, 0, 1, 0, 0, 0, 0, 0};
  EXPECT_EQ(hid_write(h, out2, 9), 9);
  ASSERT_EQ(hid_read(h, buf, 65), 65);
  EXPECT_EQ(buf[2], 120);
  std::this_thread::sleep_for(60ms);
  ASSERT_EQ(hid_read(h, buf, 65), 65);
  EXPECT_EQ(buf[2], 100);

  // Push reports at the chosen rate.
  a.SetPushPeriodMs(5);
  ASSERT_EQ(hid_read(h, buf, 65), 65);
  EXPECT_EQ(buf[0], 3);
  EXPECT_EQ(buf[1], 7);
  EXPECT_EQ(buf[5], 8);
  a.SetPushPeriodMs(0);

  // Unplugged: reads and writes fail until cleared.
  a.SetFault(Fault{FaultKind::Unplugged});
  EXPECT_EQ(hid_read(h, buf, 65), -1);
  EXPECT_EQ(hid_write(h, out, 9), -1);
  a.ClearFaults();
  EXPECT_EQ(hid_read(h, buf, 65), 0);

  const auto log = a.Log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].device, "usb:sim-a");
  EXPECT_NE(log[0].replied_us, 0u);

  hid_close(h);
  EXPECT_EQ(OpenHidHandles(), 0);
  hid_exit();
  EXPECT_EQ(HidInitCount(), 0);
  DetachAllHid();
  EXPECT_EQ(hid_enumerate(0, 0), nullptr);
}

// The hidapi stand-in a program preloads, loaded here beside the simulator's own
// hid_* (which serve the socket), so its functions are taken by name.
class SimHidSocket : public ::testing::Test {
 protected:
  void SetUp() override {
    lib_ = ::dlopen(JQ_HID_CLIENT, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib_, nullptr) << ::dlerror();
    Bind(enumerate_, "hid_enumerate");
    Bind(free_enumeration_, "hid_free_enumeration");
    Bind(open_path_, "hid_open_path");
    Bind(open_, "hid_open");
    Bind(set_nonblocking_, "hid_set_nonblocking");
    Bind(write_, "hid_write");
    Bind(read_timeout_, "hid_read_timeout");
    Bind(read_, "hid_read");
    Bind(close_, "hid_close");
    socket_ = (std::filesystem::temp_directory_path() / "hid.sock").string();
    ::setenv("JQSIM_HID_SOCKET", socket_.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("JQSIM_HID_SOCKET");
    DetachAllHid();
    if (lib_) ::dlclose(lib_);
  }
  template <typename F>
  void Bind(F*& f, const char* name) {
    f = reinterpret_cast<F*>(::dlsym(lib_, name));
    ASSERT_NE(f, nullptr) << name;
  }
  // Paths of the devices the stand-in finds.
  std::vector<std::string> Found(unsigned short vid = 0) {
    std::vector<std::string> paths;
    hid_device_info* list = enumerate_(vid, 0);
    for (hid_device_info* d = list; d; d = d->next) paths.push_back(d->path);
    free_enumeration_(list);
    return paths;
  }

  void* lib_ = nullptr;
  std::string socket_;
  decltype(hid_enumerate)* enumerate_ = nullptr;
  decltype(hid_free_enumeration)* free_enumeration_ = nullptr;
  decltype(hid_open_path)* open_path_ = nullptr;
  decltype(hid_open)* open_ = nullptr;
  decltype(hid_set_nonblocking)* set_nonblocking_ = nullptr;
  decltype(hid_write)* write_ = nullptr;
  decltype(hid_read_timeout)* read_timeout_ = nullptr;
  decltype(hid_read)* read_ = nullptr;
  decltype(hid_close)* close_ = nullptr;
};

TEST_F(SimHidSocket, AnotherProcessFindsOpensAndTalksToTheDevice) {
  Controller c;
  c.SetValue(100, 0, 6);
  AttachHid(HidDeviceInfo{}, c);
  HidSocket server(socket_);

  hid_device_info* list = enumerate_(0, 0);
  ASSERT_NE(list, nullptr);
  EXPECT_STREQ(list->path, "sim-hid-0");
  EXPECT_EQ(std::wstring(list->manufacturer_string), L"Pelund Tech");
  EXPECT_EQ(std::wstring(list->product_string), L"JQ-Motion");
  EXPECT_EQ(std::wstring(list->serial_number), L"0001");
  EXPECT_EQ(list->vendor_id, 0x0483);
  EXPECT_EQ(list->product_id, 0x5750);
  EXPECT_EQ(list->next, nullptr);
  free_enumeration_(list);
  EXPECT_TRUE(Found(0x1234).empty());
  EXPECT_EQ(open_path_("sim-hid-9"), nullptr);

  hid_device* h = open_(0x0483, 0x5750, L"0001");
  ASSERT_NE(h, nullptr);
  set_nonblocking_(h, 1);
  unsigned char buf[65] = {};
  EXPECT_EQ(read_(h, buf, sizeof buf), 0);  // nothing asked, nothing waiting
  const unsigned char out[9] = {1, 100, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(write_(h, out, sizeof out), 9);
  ASSERT_EQ(read_timeout_(h, buf, sizeof buf, 2000), 65);
  EXPECT_EQ(buf[0], 2);    // reply report
  EXPECT_EQ(buf[2], 100);  // command echo
  EXPECT_EQ(buf[6], 6);    // value
  const auto log = c.Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].device, "usb:sim-hid-0");
  // The enumerations' connections end on their own time on the simulator's
  // side; the open handle's stays.
  for (int i = 0; i < 100 && server.Connections() > 1; ++i) std::this_thread::sleep_for(20ms);
  EXPECT_EQ(server.Connections(), 1);

  // Closing the handle ends its connection on the simulator's side.
  close_(h);
  for (int i = 0; i < 100 && server.Connections() > 0; ++i) std::this_thread::sleep_for(20ms);
  EXPECT_EQ(server.Connections(), 0);
}

TEST_F(SimHidSocket, WithoutASimulatorNothingIsFoundAndAGoneOneReadsAsUnplugged) {
  Controller c;
  AttachHid(HidDeviceInfo{}, c);
  EXPECT_TRUE(Found().empty());  // nobody listens at the socket yet
  ::unsetenv("JQSIM_HID_SOCKET");
  hid_device* kept = nullptr;
  unsigned char buf[65];
  {
    HidSocket server(socket_);
    EXPECT_TRUE(Found().empty());  // the variable names no socket
    ::setenv("JQSIM_HID_SOCKET", socket_.c_str(), 1);
    EXPECT_EQ(Found(), std::vector<std::string>{"sim-hid-0"});

    // A device that goes away ends the connection: reads fail instead of waiting.
    hid_device* h = open_path_("sim-hid-0");
    ASSERT_NE(h, nullptr);
    c.SetFault(Fault{FaultKind::Unplugged});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(read_timeout_(h, buf, sizeof buf, 5000), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    close_(h);
    c.ClearFaults();

    kept = open_path_("sim-hid-0");
    ASSERT_NE(kept, nullptr);
    hid_device* second = open_path_("sim-hid-0");
    ASSERT_NE(second, nullptr);
    close_(second);
    // The simulator stops while `kept` is open.
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(read_timeout_(kept, buf, sizeof buf, 5000), -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  const unsigned char out[9] = {1, 100, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(write_(kept, out, sizeof out), -1);
  close_(kept);
  EXPECT_FALSE(std::filesystem::exists(socket_));
  EXPECT_TRUE(Found().empty());
  EXPECT_EQ(open_path_("sim-hid-0"), nullptr);
}

TEST(SimHidSocketPath, UnusablePathsAreRefusedWithTheirReason) {
  const std::string taken = (std::filesystem::temp_directory_path() / "taken.sock").string();
  { std::ofstream(taken) << "x"; }
  for (const std::string& path : {std::string(), std::string(200, 'a'), taken}) {
    try {
      HidSocket server(path);
      ADD_FAILURE() << "accepted " << path;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("HID socket"), std::string::npos) << e.what();
    }
  }
  // A refused path is left as it was.
  EXPECT_TRUE(std::filesystem::exists(taken));
}

// Every test program runs with HOME, the XDG folders and the registry folder in
// a temporary folder of its own, removed at the end, so a test run never writes
// to the user's ~/.config, ~/.cache or ~/.local, nor leaves anything in /tmp.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace {

class TestHome : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "jq_home_XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    home_ = tmpl;
    const std::filesystem::path h(home_);
    Point("HOME", h);
    Point("XDG_CONFIG_HOME", h / ".config");
    Point("XDG_CACHE_HOME", h / ".cache");
    Point("XDG_DATA_HOME", h / ".local/share");
    Point("XDG_STATE_HOME", h / ".local/state");
    Point("JQ_REGISTRY_DIR", h / "registry");
    // Folders the tests make for themselves (screenshots, scratch files) go
    // inside too, so they are removed with it.
    Point("TMPDIR", h / "tmp");
  }
  void TearDown() override {
    std::error_code ec;
    if (!home_.empty()) std::filesystem::remove_all(home_, ec);
  }

 private:
  static void Point(const char* name, const std::filesystem::path& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    ::setenv(name, dir.c_str(), 1);
  }
  std::string home_;
};

[[maybe_unused]] const auto* const kTestHome = ::testing::AddGlobalTestEnvironment(new TestHome);

}  // namespace

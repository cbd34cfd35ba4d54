// Helpers shared by the runtime tests.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "files.h"
#include "rtl_string.h"

namespace rtl_test {

// A fresh folder removed with its content at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "jq_rt_XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data());
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  rtl::String File(const std::string& name) const { return rtl::Utf8ToString(path_ + "/" + name); }

 private:
  std::string path_;
};

inline std::string Bytes(const rtl::String& file) {
  std::string b;
  rtl::ReadFileBytes(file, b);
  return b;
}

}  // namespace rtl_test

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <functional>
#include <random>

#include "components/extended/core/core_errors.h"
#include "components/extended/core/core_file_utils.h"
#include "components/extended/core/core_sys_info.h"
#include "tests/components/extended/core/core_test_util.h"
#include "platform/runtime/files.h"

using namespace ext;

namespace {

// Hand-made version blocks, wide or 8-bit form.
struct Block {
  bool wide = true;
  std::string b;

  void Align() {
    while (b.size() % 4) b.push_back('\0');
  }
  void Put16(std::uint16_t v) {
    b.push_back(static_cast<char>(v & 0xFF));
    b.push_back(static_cast<char>(v >> 8));
  }
  void Put32(std::uint32_t v) {
    Put16(static_cast<std::uint16_t>(v));
    Put16(static_cast<std::uint16_t>(v >> 16));
  }
  void Text(const std::u16string& s) {
    for (char16_t c : s) {
      if (wide)
        Put16(c);
      else
        b.push_back(static_cast<char>(c));
    }
    if (wide)
      Put16(0);
    else
      b.push_back('\0');
  }
  std::size_t Begin(std::uint16_t valueLength, std::uint16_t type, const std::u16string& key) {
    Align();
    const std::size_t at = b.size();
    Put16(0);
    Put16(valueLength);
    if (wide) Put16(type);
    Text(key);
    Align();
    return at;
  }
  void End(std::size_t at) {
    const auto len = static_cast<std::uint16_t>(b.size() - at);
    b[at] = static_cast<char>(len & 0xFF);
    b[at + 1] = static_cast<char>(len >> 8);
  }
  std::size_t Root(std::uint32_t fileMS = 0x00010002, std::uint32_t fileLS = 0x00030004, std::uint32_t flags = 0) {
    const std::size_t r = Begin(52, 0, u"VS_VERSION_INFO");
    const std::uint32_t fixed[13] = {0xFEEF04BD, 0x10000, fileMS, fileLS, 0x00050006, 0x00070008, 0x3F, flags,
                                     0x40004,    1,       0,      0,      0};
    for (auto v : fixed) Put32(v);
    return r;
  }
  void String(const std::u16string& key, const std::u16string& value) {
    const std::size_t n = Begin(static_cast<std::uint16_t>(wide ? value.size() + 1 : value.size() + 1), 1, key);
    Text(value);
    End(n);
  }
  void Binary(const std::u16string& key, std::initializer_list<std::uint8_t> bytes) {
    const std::size_t n = Begin(static_cast<std::uint16_t>(bytes.size()), 0, key);
    for (auto v : bytes) b.push_back(static_cast<char>(v));
    End(n);
  }
  void Translation(std::initializer_list<std::uint32_t> pairs) {
    const std::size_t v = Begin(0, 1, u"VarFileInfo");
    const std::size_t t = Begin(static_cast<std::uint16_t>(4 * pairs.size()), 0, u"Translation");
    for (auto p : pairs) Put32(p);
    End(t);
    End(v);
  }
};

// Two languages, a binary value, commas in the version, a translation.
std::string SampleBlock(bool wide) {
  Block k;
  k.wide = wide;
  const std::size_t root = k.Root(0x00010002, 0x00030004, 0x01 | 0x20 | 0x80);
  const std::size_t sfi = k.Begin(0, 1, u"StringFileInfo");
  std::size_t t = k.Begin(0, 1, u"040904b0");
  k.String(u"CompanyName", u"Acme");
  k.String(u"FileVersion", u"1, 2, 3, 4");
  k.String(u"ProductVersion", u"1.2");
  k.Binary(u"Code", {0x34, 0x12});
  k.Binary(u"Byte", {0x07});
  k.End(t);
  t = k.Begin(0, 1, u"0x0804 0x04b0");
  k.String(u"CompanyName", u"Other");
  k.End(t);
  k.End(sfi);
  k.Translation({0x04B00409});
  k.End(root);
  return k.b;
}

}  // namespace

TEST(CoreFileVersionInfo, ParsesAHandMadeBlockInBothForms) {
  for (bool wide : {true, false}) {
    SCOPED_TRACE(wide ? "wide" : "8-bit");
    const std::string block = SampleBlock(wide);
    auto info = TCoreFileVersionInfo::Attach(block.data(), block.size());
    ASSERT_EQ(info.LanguageCount(), 2);
    EXPECT_EQ(info.Languages()[0].LangId, 0x0409);
    EXPECT_EQ(info.Languages()[0].CodePage, 0x04B0);
    EXPECT_EQ(info.Languages()[1].LangId, 0x0804);
    EXPECT_EQ(TCoreFileVersionInfo::VersionLanguageId(info.Languages()[0]), u"040904b0");
    EXPECT_EQ(info.CompanyName(), u"Acme");
    if (wide) {  // the 8-bit form has no type word: every value is text
      EXPECT_EQ(info.Items().Values(u"Code"), u"$1234");
      EXPECT_EQ(info.Items().Values(u"Byte"), u"$07");
    } else {
      EXPECT_EQ(info.Items().Values(u"Code"), u"4\x12");
    }
    EXPECT_EQ(info.FileVersionMajor(), u"1");
    EXPECT_EQ(info.FileVersionMinor(), u"2");
    EXPECT_EQ(info.FileVersionRelease(), u"3");
    EXPECT_EQ(info.FileVersionBuild(), u"4");
    EXPECT_EQ(info.ProductVersionMajor(), u"1");
    EXPECT_EQ(info.ProductVersionMinor(), u"");
    EXPECT_EQ(info.ProductVersionRelease(), u"");
    EXPECT_EQ(info.ProductVersionBuild(), u"2");
    EXPECT_EQ(info.BinFileVersion(), u"1.2.3.4");
    EXPECT_EQ(info.BinProductVersion(), u"5.6.7.8");
    EXPECT_EQ(info.FileFlags(), (1u << ffDebug) | (1u << ffSpecialBuild));  // 0x80 is outside the mask
    EXPECT_EQ(info.ItemList().Count(), 6);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(info.Items().Objects(0)), 0x04B00409u);
    EXPECT_EQ(info.TranslationCount(), 1);
    EXPECT_FALSE(info.TranslationMatchesLanguages(true));
    EXPECT_TRUE(info.TranslationMatchesLanguages(false));

    const int builds = info.ItemsBuildCount();
    info.SetLanguageIndex(0);
    EXPECT_EQ(info.ItemsBuildCount(), builds);
    info.SetLanguageIndex(1);
    EXPECT_EQ(info.CompanyName(), u"Other");
    EXPECT_EQ(info.Items().Count(), 1);
    for (int bad : {-1, 2}) {
      try {
        info.SetLanguageIndex(bad);
        ADD_FAILURE() << bad;
      } catch (const ECoreFileVersionInfoError& e) {
        EXPECT_EQ(e.Message(), u"Illegal language index");
      }
    }
  }
}

TEST(CoreFileVersionInfo, ReadsOurOwnExecutable) {
  const rtl::String self = rtl::ProgramFileName();
  TCoreFileVersionInfo info(self);
  EXPECT_EQ(info.ProductName(), u"JQHelper_LUNO");
  EXPECT_EQ(info.FileDescription(), u"Utility library tests");
  EXPECT_EQ(info.FileVersion(), rtl::Utf8ToString(JQ_TEST_VERSION));
  EXPECT_EQ(info.FileVersionMajor(), rtl::IntToStr(JQ_TEST_MAJOR));
  EXPECT_EQ(info.FileVersionMinor(), rtl::IntToStr(JQ_TEST_MINOR));
  EXPECT_TRUE(info.TranslationMatchesLanguages(true));
  EXPECT_EQ(info.FixedInfo().dwSignature, rtl::VS_FFI_SIGNATURE);
  rtl::VS_FIXEDFILEINFO fixed{};
  ASSERT_TRUE(ReadFixedVersionInfo(self, fixed));
  EXPECT_EQ(fixed.dwFileVersionMS >> 16, static_cast<std::uint32_t>(JQ_TEST_MAJOR));
  EXPECT_EQ(ModulePathOf(nullptr), self);
  EXPECT_EQ(TCoreFileVersionInfo::FromWindow(42).ProductName(), u"JQHelper_LUNO");
  EXPECT_EQ(TCoreFileVersionInfo::FromModule(::dlopen(nullptr, RTLD_NOW)).ProductName(), u"JQHelper_LUNO");
}

TEST(CoreFileVersionInfo, FilesAndHandlesWithoutVersionInformation) {
  coretest::TempDir dir;
  const std::string plain = dir.File("plain.txt");
  coretest::WriteBytes(plain, "no version here");
  const rtl::String name = rtl::Utf8ToString(plain);
  try {
    TCoreFileVersionInfo info(name);
    ADD_FAILURE();
  } catch (const ECoreFileVersionInfoError& e) {
    EXPECT_EQ(e.Message(), u"File contains no version information");
  }
  rtl::VS_FIXEDFILEINFO fixed{};
  EXPECT_FALSE(ReadFixedVersionInfo(name, fixed));
  EXPECT_FALSE(ReadFixedVersionInfo(u"/no/such/file", fixed));
  EXPECT_THROW(TCoreFileVersionInfo::Attach(nullptr, 0), ECoreFileVersionInfoError);
  try {
    TCoreFileVersionInfo::FromWindow(0);
    ADD_FAILURE();
  } catch (const ECoreError& e) {
    EXPECT_EQ(e.Message(), u"The window with handle 0 is not valid");
  }
  try {
    TCoreFileVersionInfo::FromModule(nullptr);
    ADD_FAILURE();
  } catch (const ECoreError& e) {
    EXPECT_EQ(e.Message(), u"The Module with handle 0 is not valid");
  }
}

TEST(CoreFileVersionInfo, BrokenBlocksAreNoVersionInformation) {
  const std::string good = SampleBlock(true);
  struct Case {
    const char* what;
    std::function<void(std::string&)> spoil;
  };
  const Case cases[] = {
      {"root length below its header", [](std::string& b) { b[0] = 4, b[1] = 0; }},
      {"root length past the buffer", [](std::string& b) { b[0] = '\xff', b[1] = '\x7f'; }},
      {"wrong root key", [](std::string& b) { b[6] = 'X'; }},
      {"wrong signature", [](std::string& b) { b[40] = 0; }},
      {"fixed block not 52 bytes", [](std::string& b) { b[2] = 48; }},
      {"string table key too short", [](std::string& b) {
         const auto at = b.find(std::string("0\0" "4\0" "0\0" "9\0", 8));
         b[at] = '-';
       }},
      {"unknown value type", [](std::string& b) {
         const auto at = b.find(std::string("C\0o\0m\0p\0a\0n\0y\0", 14));
         b[at - 2] = 7;
       }},
      {"child length zero", [](std::string& b) {
         const auto at = b.find(std::string("S\0t\0r\0i\0n\0g\0F", 13));
         b[at - 6] = 0, b[at - 5] = 0;
       }},
  };
  for (const Case& c : cases) {
    std::string b = good;
    c.spoil(b);
    EXPECT_THROW(TCoreFileVersionInfo::Attach(b.data(), b.size()), ECoreFileVersionInfoError) << c.what;
  }
}

// Random and truncated blocks never read outside the buffer (run under
// AddressSanitizer) and either parse or report no version information.
TEST(CoreFileVersionInfo, FuzzedBlocksStayInBounds) {
  std::mt19937 rng(4131);
  const std::string seeds[] = {SampleBlock(true), SampleBlock(false)};
  int parsed = 0;
  for (const std::string& seed : seeds) {
    for (std::size_t cut = 0; cut <= seed.size(); ++cut) {
      // A copy of exactly `cut` bytes, so any overread hits the heap's end.
      std::vector<char> b(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(cut));
      try {
        auto info = TCoreFileVersionInfo::Attach(b.data(), b.size());
        ++parsed;
      } catch (const ECoreFileVersionInfoError&) {
      }
    }
    for (int round = 0; round < 3000; ++round) {
      std::string s = seed;
      const int flips = 1 + static_cast<int>(rng() % 6);
      for (int i = 0; i < flips; ++i) s[rng() % s.size()] = static_cast<char>(rng());
      if (rng() % 4 == 0) s.resize(rng() % s.size());
      std::vector<char> b(s.begin(), s.end());
      try {
        auto info = TCoreFileVersionInfo::Attach(b.data(), b.size());
        for (int i = 0; i < info.Items().Count(); ++i) (void)info.Items()[i];
        ++parsed;
      } catch (const ECoreFileVersionInfoError&) {
      }
    }
  }
  for (int round = 0; round < 2000; ++round) {
    std::vector<char> b(rng() % 300);
    for (auto& c : b) c = static_cast<char>(rng());
    try {
      TCoreFileVersionInfo::Attach(b.data(), b.size());
    } catch (const ECoreFileVersionInfoError&) {
    }
  }
  EXPECT_GT(parsed, 0);
}

TEST(CoreSysInfo, ReleaseTable) {
  struct Row {
    std::uint32_t platform, major, minor;
    const char16_t* sp;
    std::uint32_t kernel;
    int r2;
    std::uint16_t arch;
    bool ext;
    std::uint8_t product;
    TWindowsRelease expected;
  };
  const Row rows[] = {
      {1, 4, 0, u"", 0, 0, 0, true, 1, wvWin95},
      {1, 4, 0, u" C ", 0, 0, 0, true, 1, wvWin95OSR2},
      {1, 4, 10, u"", 0, 0, 0, true, 1, wvWin98},
      {1, 4, 10, u"A", 0, 0, 0, true, 1, wvWin98SE},
      {1, 4, 10, u"A", 0x0004005A, 0, 0, true, 1, wvWinME},
      {1, 4, 90, u"", 0, 0, 0, true, 1, wvWinME},
      {1, 4, 91, u"", 0, 0, 0, true, 1, wvUnknown},
      {2, 3, 1, u"", 0, 0, 0, true, 1, wvWinNT31},
      {2, 3, 5, u"", 0, 0, 0, true, 1, wvWinNT35},
      {2, 3, 51, u"", 0, 0, 0, true, 1, wvWinNT351},
      {2, 3, 2, u"", 0, 0, 0, true, 1, wvUnknown},
      {2, 4, 0, u"", 0, 0, 0, true, 1, wvWinNT4},
      {2, 5, 0, u"", 0, 0, 0, true, 1, wvWin2000},
      {2, 5, 1, u"", 0, 0, 0, true, 1, wvWinXP},
      {2, 5, 2, u"", 0, 1, 9, true, 1, wvWin2003R2},
      {2, 5, 2, u"", 0, 0, 9, true, 1, wvWinXP64},
      {2, 5, 2, u"", 0, 0, 0, true, 1, wvWin2003},
      {2, 5, 2, u"", 0, 0, 9, false, 1, wvWin2003},
      {2, 6, 0, u"", 0, 0, 9, true, 1, wvWinVista},
      {2, 6, 0, u"", 0, 0, 9, true, 3, wvWinServer2008},
      {2, 6, 1, u"", 0, 0, 9, true, 1, wvWin7},
      {2, 6, 1, u"", 0, 0, 9, false, 1, wvWinServer2008R2},
      {2, 10, 0, u"", 0, 0, 9, true, 1, wvUnknown},
      {3, 5, 0, u"", 0, 0, 9, true, 1, wvUnknown},
  };
  for (const Row& r : rows) {
    TOSVersionFacts f;
    f.PlatformId = r.platform, f.Major = r.major, f.Minor = r.minor, f.ServicePack = r.sp;
    f.KernelProductVersion = r.kernel, f.ServerR2Metric = r.r2, f.NativeArchitecture = r.arch;
    f.ExtendedQueryOk = r.ext, f.ProductType = r.product;
    EXPECT_EQ(DetectWindowsRelease(f), r.expected) << r.platform << " " << r.major << "." << r.minor;
  }
  TOSVersionFacts nt35;
  nt35.Major = 3, nt35.Minor = 5;
  const TSystemFacts s = MakeSystemFacts(TSystemInfo{9, 4096, 4, 4096}, nt35);
  EXPECT_TRUE(s.IsWinNT3 && s.IsWinNT35);
  EXPECT_FALSE(s.IsRelease[wvWinNT35]);
  EXPECT_EQ(s.SysProcessorCount, 4u);

  const TSystemFacts& here = SystemFacts();
  EXPECT_TRUE(here.IsWinNTFamily);
  EXPECT_EQ(here.WindowsRelease, wvUnknown);
  EXPECT_GT(here.SysProcessorCount, 0u);
  EXPECT_GT(here.SysPageSize, 0u);
  EXPECT_EQ(here.KernelProductVersion, 0u);
}

TEST(CoreSysUtils, GuidTextZeroingAndModules) {
  const TGUID g{0x7DAD5220, 0x46EA, 0x11D5, {0xB0, 0xC0, 0x48, 0x54, 0xE8, 0x25, 0xF3, 0x45}};
  EXPECT_EQ(GuidToText(g), u"{7dad5220-46ea-11d5-b0c0-4854e825f345}");
  char buf[4] = {1, 2, 3, 4};
  ZeroMemoryBlock(buf, 0);
  ZeroMemoryBlock(buf, -3);
  EXPECT_EQ(buf[0], 1);
  ZeroMemoryBlock(buf, 3);
  EXPECT_EQ(buf[2], 0);
  EXPECT_EQ(buf[3], 4);
  TModuleHandle h = ::dlopen("libm.so.6", RTLD_NOW);
  ASSERT_NE(h, nullptr);
  EXPECT_NE(ModulePathOf(h).find(u"libm"), rtl::String::npos);
  ReleaseModuleHandle(h);
  EXPECT_EQ(h, nullptr);
  ReleaseModuleHandle(h);
}

#include <gtest/gtest.h>

#include <random>

#include "components/extended/core/core_mime.h"
#include "tests/components/extended/core/core_test_util.h"

using namespace ext;

namespace {

std::string RandomBytes(std::mt19937& rng, std::size_t n) {
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng() & 0xFF);
  return s;
}

// Our lines end in CR LF with none after the last; coreutils uses LF and
// ends the output with one.
std::string AsCoreutils(const std::string& ours) {
  std::string r;
  for (char c : ours)
    if (c != '\r') r.push_back(c);
  if (!r.empty()) r.push_back('\n');
  return r;
}

}  // namespace

TEST(CoreMime, SizesAndPadding) {
  struct Row {
    std::string in;
    std::string out;
  };
  const Row rows[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"}, {"\xff\xfe", "//4="},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(EncodeText(r.in), r.out) << r.in;
    EXPECT_EQ(DecodeText(r.out), r.in) << r.out;
  }
  EXPECT_EQ(EncodedSize(0), 0);
  EXPECT_EQ(EncodedSize(-5), -5);
  EXPECT_EQ(EncodedSize(57), 76);
  EXPECT_EQ(EncodedSize(58), 76 + 2 + 4);
  EXPECT_EQ(EncodedSize(114), 76 + 2 + 76);
  EXPECT_EQ(DecodedSize(5), 6);

  const std::string e57 = EncodeText(std::string(57, 'x'));
  EXPECT_EQ(e57.size(), 76u);
  EXPECT_EQ(e57.find('\r'), std::string::npos);
  const std::string e58 = EncodeText(std::string(58, 'x'));
  ASSERT_EQ(e58.size(), 82u);
  EXPECT_EQ(e58.substr(76, 2), "\r\n");
  EXPECT_EQ(e58.substr(80), "==");
}

TEST(CoreMime, MatchesCoreutilsOnRandomInputAndDecodesBack) {
  coretest::TempDir dir;
  ASSERT_FALSE(dir.path.empty());
  std::mt19937 rng(20240611);
  const std::size_t sizes[] = {1, 2, 3, 56, 57, 58, 113, 114, 115, 1000, 4099};
  for (std::size_t n : sizes) {
    const std::string data = RandomBytes(rng, n);
    const std::string file = dir.File("in.bin");
    coretest::WriteBytes(file, data);
    const std::string ours = EncodeText(data);
    ASSERT_EQ(static_cast<std::int64_t>(ours.size()), EncodedSize(static_cast<std::int64_t>(n)));
    EXPECT_EQ(AsCoreutils(ours), coretest::RunCommand("base64 '" + file + "'")) << n;
    EXPECT_EQ(DecodeText(ours), data) << n;
  }
}

TEST(CoreMime, DecodingSkipsForeignBytesAndRunsInPieces) {
  EXPECT_EQ(DecodeText(std::string("Zm9v\r\nYm Fy")), "foobar");
  EXPECT_EQ(DecodeText(std::string("Zm9vYg")), "foob");  // padding left out
  EXPECT_EQ(DecodeText(std::string("Zm9vYmE")), "fooba");
  EXPECT_EQ(DecodeText(std::string("Zm9vY")), "foo");  // 6 leftover bits make no byte
  EXPECT_EQ(DecodeText(std::string("!!==\n")), "");

  std::mt19937 rng(7);
  const std::string data = RandomBytes(rng, 200);
  const std::string text = EncodeText(data);
  for (std::size_t cut : {std::size_t(1), std::size_t(2), std::size_t(3), std::size_t(77), text.size() - 1}) {
    std::string out(DecodedSize(static_cast<std::int64_t>(text.size())) + 2, '\0');
    std::uint32_t missing = 4, bits = 0;
    std::int64_t n = DecodePart(text.data(), static_cast<std::int64_t>(cut), out.data(), missing, bits);
    n += DecodePart(text.data() + cut, static_cast<std::int64_t>(text.size() - cut), out.data() + n, missing, bits);
    n += DecodeEnd(out.data() + n, bits, missing);
    out.resize(static_cast<std::size_t>(n));
    EXPECT_EQ(out, data) << cut;
  }
}

TEST(CoreMime, WideTextGoesThroughTheSystemPage) {
  EXPECT_EQ(EncodeText(rtl::String(u"foo")), "Zm9v");
  EXPECT_EQ(DecodeText(rtl::String(u"Zm9v")), "foo");
  EXPECT_EQ(MimeDecodeTable()[static_cast<unsigned char>('=')], 255);
  EXPECT_EQ(MimeDecodeTable()[static_cast<unsigned char>('/')], 63);
}

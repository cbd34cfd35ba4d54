#include <filesystem>
#include <fstream>

#include "platform/runtime/files.h"
#include "tests/platform/ui/harness.h"
#include "components/support/panels/kit_version_info.h"
#include "tests/components/support/panels/test_util.h"

using namespace kit;

namespace {

class VersionInfoTest : public ::testing::Test {
 protected:
  uitest::Harness h;
  ui::TForm* form = h.MakeForm<ui::TForm>();
  std::filesystem::path plain = std::filesystem::temp_directory_path() /
                                ("jq_plain_" + std::to_string(::getpid()) + ".txt");
  VersionInfoTest() { std::ofstream(plain) << "no version block here\n"; }
  ~VersionInfoTest() override { std::filesystem::remove(plain); }
  ui::String PlainPath() const { return rtl::Utf8ToString(plain.string()); }
};

TEST_F(VersionInfoTest, ReadsOurOwnExecutable) {
  auto* info = new TKitVersionInfo(form);
  ASSERT_TRUE(info->VersionInfoAvailable());
  EXPECT_EQ(info->FilePath(), rtl::ProgramFileName());
  const ui::String version = rtl::Utf8ToString(JQ_TEST_VERSION);
  EXPECT_EQ(info->CompanyName(), rtl::Utf8ToString(JQ_TEST_COMPANY));
  EXPECT_EQ(info->FileDescription(), u"Support panel tests");
  EXPECT_EQ(info->FileVersion(), version);
  EXPECT_EQ(info->ProductVersion(), version);
  EXPECT_EQ(info->InternalName(), u"support_panels_tests");
  EXPECT_EQ(info->OriginalFilename(), u"support_panels_tests");
  EXPECT_EQ(info->ProductName(), u"JQHelper_LUNO");
  EXPECT_EQ(info->Trademarks(), u"");
  EXPECT_EQ(info->MajorVersion(), JQ_TEST_MAJOR);
  EXPECT_EQ(info->MinorVersion(), JQ_TEST_MINOR);
  EXPECT_FALSE(info->SpecialBuild());
  EXPECT_EQ(info->GetCustomKeyValue(u"ProductName"), u"JQHelper_LUNO");
  EXPECT_EQ(info->GetCustomKeyValue(u"NoSuchKey"), u"Value Not Available");
  EXPECT_GT(info->FileDateTime(), 0.0);
}

TEST_F(VersionInfoTest, FilesWithoutVersionInformation) {
  auto* info = new TKitVersionInfo(form);
  for (const ui::String& path : {PlainPath(), ui::String(u"/nonexistent/jq/program")}) {
    info->SetFilePath(path);
    EXPECT_FALSE(info->VersionInfoAvailable());
    for (int f = vifCompanyName; f <= vifComments; ++f)
      EXPECT_EQ(info->Field(static_cast<TKitVersionInfoField>(f)), u"Value Not Available") << f;
    EXPECT_EQ(info->MajorVersion(), 0);
    EXPECT_EQ(info->Build(), 0);
    EXPECT_EQ(info->GetCustomKeyValue(u"CompanyName"), u"Value Not Available");
  }
}

TEST_F(VersionInfoTest, PanesShowTheirFieldAndFollowChanges) {
  auto* info = new TKitVersionInfo(form);
  auto* pane = new TKitVersionInfoStatus(form);
  EXPECT_EQ(pane->Field(), vifProductVersion);
  pane->SetFieldLabel(u"Ver:");
  pane->SetField(vifFileVersion);
  EXPECT_EQ(pane->Caption(), u"");  // no component yet: unchanged
  pane->SetVersionInfo(info);
  EXPECT_EQ(pane->Caption(), info->FileVersion());
  pane->SetField(vifProductName);
  EXPECT_EQ(pane->Caption(), u"JQHelper_LUNO");

  info->SetFilePath(PlainPath());
  EXPECT_EQ(pane->Caption(), u"Value Not Available");

  // The published properties are reachable by name.
  EXPECT_EQ(ui::GetEnumProp(pane, "Field"), "vifProductName");
  ui::SetEnumProp(pane, "Field", "vifCompanyName");
  EXPECT_EQ(pane->Field(), vifCompanyName);
  EXPECT_EQ(ui::GetObjectProp(pane, "VersionInfo"), info);
}

TEST_F(VersionInfoTest, FreeingTheComponentFirstKeepsTheLastCaption) {
  auto* info = new TKitVersionInfo(form);
  auto* a = new TKitVersionInfoStatus(form);
  auto* b = new TKitVersionInfoStatus(form);
  a->SetField(vifFileVersion);
  a->SetVersionInfo(info);
  b->SetVersionInfo(info);
  ui::String last = a->Caption();
  ui::Free(info);
  EXPECT_EQ(a->VersionInfo(), nullptr);
  EXPECT_EQ(b->VersionInfo(), nullptr);
  EXPECT_EQ(a->Caption(), last);
  a->SetField(vifCompanyName);  // no binding: the caption stays
  EXPECT_EQ(a->Caption(), last);
}

TEST_F(VersionInfoTest, LayoutLoadingReadsTheGivenFile) {
  auto* info = new TKitVersionInfo(form);
  auto* pane = new TKitVersionInfoStatus(form);
  pane->SetVersionInfo(info);
  info->BeginLoading();
  info->SetFilePath(PlainPath());
  EXPECT_TRUE(info->VersionInfoAvailable());  // read again only once loaded
  info->EndLoading();
  EXPECT_FALSE(info->VersionInfoAvailable());
  EXPECT_EQ(pane->Caption(), u"Value Not Available");
}

}  // namespace

// The ini/registry storage component and the property store.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/runtime/files.h"
#include "tests/platform/ui/harness.h"
#include "components/support/store/kit_property_store.h"
#include "components/support/store/kit_reg_ini_file.h"

using namespace kit;

namespace {

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    dir = std::filesystem::temp_directory_path() / ("jq_store_" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  rtl::String File(const char* name) const { return rtl::FromSysPath((dir / name).string()); }
  std::string Read(const char* name) const {
    std::ifstream in(dir / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::filesystem::path dir;
  uitest::Harness h;
};

TEST_F(StoreTest, PathRulesAreAppliedAtFirstAccessAndWrittenBack) {
  const rtl::String program = rtl::ProgramFileName();
  const struct {
    rtl::String set, expected;
  } rows[] = {
      {u"", rtl::BesideProgram(rtl::ChangeFileExt(rtl::ExtractFileName(program), u".ini"))},
      {u"settings.cfg", rtl::BesideProgram(u"settings.ini")},
      {File("settings.cfg"), File("settings.cfg")},
  };
  for (const auto& r : rows) {
    TKitRegIniFile ini(nullptr);
    ini.SetPath(r.set);
    EXPECT_EQ(ini.Path(), r.set);
    EXPECT_EQ(ini.ReadString(u"s", u"k", u"none"), u"none");
    EXPECT_EQ(ini.Path(), r.expected);
  }
}

TEST_F(StoreTest, EachWriteRewritesTheFileUnlessUpdatesWaitForDestruction) {
  {
    TKitRegIniFile ini(nullptr);
    ini.SetPath(File("auto.ini"));
    ini.WriteString(u"A", u"x", u"1");
    EXPECT_EQ(Read("auto.ini"), "[A]\r\nx=1\r\n\r\n");
    ini.WriteInteger(u"B", u"y", 2);
    ini.WriteString(u"A", u"X", u"3");
    EXPECT_EQ(Read("auto.ini"), "[A]\r\nx=3\r\n\r\n[B]\r\ny=2\r\n\r\n");
  }
  {
    TKitRegIniFile ini(nullptr);
    ini.SetPath(File("later.ini"));
    ini.SetAutoUpdateIniFile(false);
    ini.WriteString(u"A", u"x", u"1");
    ini.WriteBool(u"A", u"b", true);
    EXPECT_FALSE(std::filesystem::exists(dir / "later.ini"));
  }
  EXPECT_EQ(Read("later.ini"), "[A]\r\nx=1\r\nb=1\r\n\r\n");
}

TEST_F(StoreTest, RegistryModeDefaultsToTheApplicationTitle) {
  ui::Application->SetTitle(u"Demo");
  TKitRegIniFile reg(nullptr);
  reg.SetPathType(ptRegistry);
  reg.WriteString(u"Sec", u"b", u"two");
  reg.WriteString(u"Sec", u"a", u"one");
  EXPECT_EQ(reg.Path(), u"\\Software\\Temp\\Demo");
  EXPECT_EQ(reg.ReadString(u"Sec", u"A", u""), u"one");
  ui::TStringList lines;
  reg.ReadSectionValues(u"Sec", lines);
  ASSERT_EQ(lines.Count(), 2);
  EXPECT_EQ(lines[0], u"a=one");
  EXPECT_EQ(lines[1], u"b=two");
  EXPECT_TRUE(reg.ValueExists(u"Sec", u"b"));
  reg.DeleteKey(u"Sec", u"b");
  EXPECT_FALSE(reg.ValueExists(u"Sec", u"b"));
  reg.EraseSection(u"Sec");
  EXPECT_FALSE(reg.SectionExists(u"Sec"));
}

class StoreForm : public ui::TForm {
 public:
  explicit StoreForm(ui::TComponent* Owner) : ui::TForm(Owner) {
    SetName(u"Dlg");
    edit = new ui::TEdit(this);
    edit->SetName(u"edt");
    edit->SetParent(this);
    check = new ui::TCheckBox(this);
    check->SetName(u"chk");
    check->SetParent(this);
    combo = new ui::TComboBox(this);
    combo->SetName(u"cbb");
    combo->SetParent(this);
    ini = new TKitRegIniFile(this);
    store = new TKitPropertyStore(this);
    store->SetRegIniFile(ini);
    store->AddProperty(edit, u"Text");
    store->AddProperty(check, u"Checked");
    store->AddProperty(combo, u"Items");
    store->AddProperty(combo, u"NoSuchProperty");
  }
  ui::TEdit* edit;
  ui::TCheckBox* check;
  ui::TComboBox* combo;
  TKitRegIniFile* ini;
  TKitPropertyStore* store;
};

TEST_F(StoreTest, SavesAndLoadsByKindUnderTheWindowsSection) {
  auto* f = h.MakeForm<StoreForm>();
  f->ini->SetPath(File("state.ini"));
  f->edit->SetText(u"hello");
  f->check->SetChecked(true);
  f->combo->Items()->Add(u"a");
  f->combo->Items()->Add(u"b");
  f->store->Save();
  EXPECT_EQ(Read("state.ini"),
            "[Dlg_Properties]\r\nedt.Text=hello\r\nchk.Checked=True\r\ncbb.Items_Count=2\r\n"
            "cbb.Items[0]=a\r\ncbb.Items[1]=b\r\n\r\n");
  f->edit->SetText(u"");
  f->check->SetChecked(false);
  f->combo->Items()->Clear();
  f->store->Load();
  EXPECT_EQ(f->edit->Text(), u"hello");
  EXPECT_TRUE(f->check->Checked());
  EXPECT_EQ(f->combo->Items()->Count(), 2);
}

TEST_F(StoreTest, ABadIdentifierSkipsOnlyItsProperty) {
  std::ofstream(dir / "state.ini", std::ios::binary) << "[DLG_PROPERTIES]\r\nCHK.CHECKED=Perhaps\r\nEDT.TEXT=kept\r\n";
  auto* f = h.MakeForm<StoreForm>();
  f->ini->SetPath(File("state.ini"));
  f->store->Load();
  EXPECT_FALSE(f->check->Checked());
  EXPECT_EQ(f->edit->Text(), u"kept");
}

TEST_F(StoreTest, AnItemCountBeyondTheFileLoadsOnlyWhatTheFileHolds) {
  // A hand-edited count must not have the load add two billion items.
  std::ofstream(dir / "state.ini", std::ios::binary)
      << "[Dlg_Properties]\r\ncbb.Items_Count=2000000000\r\ncbb.Items[0]=a\r\ncbb.Items[1]=b\r\n";
  auto* f = h.MakeForm<StoreForm>();
  f->ini->SetPath(File("state.ini"));
  f->store->Load();
  ASSERT_LE(f->combo->Items()->Count(), 3);
  EXPECT_EQ(f->combo->Items()->Strings(0), u"a");
  EXPECT_EQ(f->combo->Items()->Strings(1), u"b");
}

TEST_F(StoreTest, AFreedComponentIsForgottenAndAMissingIniComplains) {
  auto* f = h.MakeForm<StoreForm>();
  f->ini->SetPath(File("state.ini"));
  ui::Free(f->edit);
  f->store->Save();
  f->store->Load();
  EXPECT_EQ(Read("state.ini"), "[Dlg_Properties]\r\nchk.Checked=False\r\n\r\n");
  EXPECT_EQ(f->store->Properties()->Items(0)->DisplayName(), u"<CompName>.Text");

  ui::Free(f->ini);
  EXPECT_EQ(f->store->RegIniFile(), nullptr);
  h.AnswerMessageBox(ui::IDOK);
  h.AnswerMessageBox(ui::IDOK);
  f->store->Save();
  f->store->Load();
  ASSERT_EQ(h.MessageBoxes().size(), 2u);
  EXPECT_EQ(h.MessageBoxes()[0].Text, u"Cannot save property settings--No TKitRegIniFile component specified");
  EXPECT_EQ(h.MessageBoxes()[1].Text, u"Cannot load property settings--No TKitRegIniFile component specified");
  EXPECT_EQ(h.MessageBoxes()[0].Flags & ui::MB_ICONMASK, ui::MB_ICONERROR);
}

TEST_F(StoreTest, SectionFallsBackToPropertiesOutsideAWindow) {
  TKitPropertyStore loose(nullptr);
  EXPECT_EQ(loose.StoreSection(), u"Properties");
  loose.SetSection(u"Mine");
  EXPECT_EQ(loose.StoreSection(), u"Mine");
}

}  // namespace

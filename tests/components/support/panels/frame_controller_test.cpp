#include <map>

#include "tests/platform/ui/harness.h"
#include "components/support/panels/kit_frame_controller.h"
#include "components/support/panels/kit_panel.h"
#include "components/support/panels/kit_status_pane.h"
#include "tests/components/support/panels/test_util.h"

using namespace kit;

namespace {

// A control that publishes some of the controller's property names.
class TProbeControl : public ui::TGraphicControl {
  JQ_UI_CLASSINFO
 public:
  using ui::TGraphicControl::TGraphicControl;
  int FrameStyle() const { return style_; }
  void SetFrameStyle(int v) {
    style_ = v;
    ++styleSets;
  }
  std::uint64_t FrameSides() const { return sides_; }
  void SetFrameSides(std::uint64_t v) { sides_ = v; }
  int FrameColor() const { return frameColor_; }
  void SetFrameColor(int v) { frameColor_ = v; }
  bool FrameVisible() const { return visible_; }
  void SetFrameVisible(bool v) { visible_ = v; }
  std::uint64_t Notifications() const { return notifications_; }
  void SetNotifications(std::uint64_t v) { notifications_ = v; }
  int styleSets = 0;

 private:
  int style_ = 0;
  std::uint64_t sides_ = 0;
  int frameColor_ = 0;
  bool visible_ = false;
  std::uint64_t notifications_ = 0xFFFF;
};

const ui::TClassInfo& TProbeControl::StaticClassInfo() {
  using C = TProbeControl;
  static const ui::TClassInfo info =
      ui::TClassBuilder<C>("TProbeControl", &ui::TGraphicControl::StaticClassInfo())
          .Enum("FrameStyle", "TFrameStyle", FrameStyleNames(), &C::FrameStyle, &C::SetFrameStyle)
          .Set("FrameSides", "TSides", SideNames(), &C::FrameSides, &C::SetFrameSides)
          .Integer("FrameColor", &C::FrameColor, &C::SetFrameColor)
          .Boolean("FrameVisible", &C::FrameVisible, &C::SetFrameVisible)
          .Set("FrameControllerNotifications", "TKitFrameControllerNotifications",
               FrameControllerNotificationNames(), &C::Notifications, &C::SetNotifications)
          .Build();
  return info;
}

class TMemoryStore : public ui::TComponent, public IKitRegIniStorage {
 public:
  using ui::TComponent::TComponent;
  std::int32_t ReadInteger(const String& s, const String& k, std::int32_t d) override {
    auto it = values.find(s + u"/" + k);
    return it == values.end() ? d : it->second;
  }
  bool ReadBool(const String& s, const String& k, bool d) override { return ReadInteger(s, k, d) != 0; }
  void WriteInteger(const String& s, const String& k, std::int32_t v) override {
    values[s + u"/" + k] = v;
    order.push_back(k);
  }
  void WriteBool(const String& s, const String& k, bool v) override { WriteInteger(s, k, v ? 1 : 0); }
  std::map<String, std::int32_t> values;
  std::vector<String> order;
};

class FrameControllerTest : public ::testing::Test {
 protected:
  uitest::Harness h;
  TKitFrameController* fc = new TKitFrameController(nullptr);
  TProbeControl* probe = new TProbeControl(nullptr);
  ~FrameControllerTest() override {
    delete probe;
    ui::Free(fc);
  }
};

TEST_F(FrameControllerTest, RegistrationSendsEverythingOnce) {
  fc->SetFrameColor(ui::clRed);
  fc->SetFrameStyle(fsGroove);
  fc->SetFrameSides(TSides{sdTop});
  fc->AddControl(probe);
  fc->AddControl(probe);  // a second registration is ignored
  EXPECT_EQ(fc->ControlCount(), 1);
  EXPECT_EQ(probe->FrameColor(), ui::clRed);
  EXPECT_EQ(probe->FrameStyle(), fsGroove);
  EXPECT_EQ(probe->FrameSides(), TSides{sdTop}.Bits());
  EXPECT_EQ(probe->Color(), ui::clWindow);
  EXPECT_EQ(probe->styleSets, 1);

  fc->SetFrameStyle(fsBump);
  EXPECT_EQ(probe->FrameStyle(), fsBump);
  EXPECT_EQ(probe->styleSets, 2);
  fc->RemoveControl(probe);
  fc->SetFrameStyle(fsFlat);
  EXPECT_EQ(probe->FrameStyle(), fsBump);
}

TEST_F(FrameControllerTest, ColorCarriesEqualFocusColourAlong) {
  EXPECT_EQ(fc->FocusColor(), fc->Color());
  fc->SetColor(ui::clYellow);
  EXPECT_EQ(fc->FocusColor(), ui::clYellow);
  fc->SetFocusColor(ui::clAqua);
  fc->SetColor(ui::clLime);
  EXPECT_EQ(fc->FocusColor(), ui::clAqua);
}

TEST_F(FrameControllerTest, UpdatesAreHeldUntilTheLastEndUpdate) {
  fc->AddControl(probe);
  int sets = probe->styleSets;
  fc->BeginUpdate();
  fc->BeginUpdate();
  fc->SetFrameStyle(fsRaised);
  fc->SetFrameStyle(fsLowered);
  fc->EndUpdate();
  EXPECT_EQ(probe->styleSets, sets);
  EXPECT_EQ(probe->FrameStyle(), fsFlat);
  fc->EndUpdate();
  EXPECT_EQ(probe->styleSets, sets + 1);
  EXPECT_EQ(probe->FrameStyle(), fsLowered);
}

TEST_F(FrameControllerTest, UnconnectedPropertiesStayAsTheyAre) {
  probe->SetColor(ui::clMaroon);
  probe->SetNotifications((fccAll - fcpColor).Bits());
  fc->AddControl(probe);
  fc->SetColor(ui::clYellow);
  EXPECT_EQ(probe->Color(), ui::clMaroon);
  fc->SetFrameColor(ui::clBlue);
  EXPECT_EQ(probe->FrameColor(), ui::clBlue);
}

TEST_F(FrameControllerTest, HotTrackingShowsTheFrameOnAllSides) {
  fc->SetFrameSides(TSides{sdLeft});
  fc->SetFrameHotTrack(true);
  EXPECT_TRUE(fc->FrameVisible());
  EXPECT_EQ(fc->FrameSides(), sdAllSides);
}

TEST_F(FrameControllerTest, SaveAndLoadThroughTheStorage) {
  EXPECT_THROW(
      try { fc->Save(u"S"); } catch (const ENoRegIniFile& e) {
        EXPECT_STREQ(e.what(), "Cannot save Custom Framing settings--No TKitRegIniFile component specified");
        throw;
      },
      ENoRegIniFile);
  EXPECT_THROW(
      try { fc->Load(u"S"); } catch (const ENoRegIniFile& e) {
        EXPECT_STREQ(e.what(), "Cannot load Custom Framing settings--No TKitRegIniFile component specified");
        throw;
      },
      ENoRegIniFile);

  auto* store = new TMemoryStore(nullptr);
  fc->SetRegIniFile(store);
  fc->SetColor(ui::clYellow);
  fc->SetFrameSides(TSides{sdLeft, sdBottom});
  fc->SetFrameStyle(fsGroove);
  fc->Save(u"Frames");
  const std::vector<String> keys{u"Color",          u"FlatButtonColor", u"FlatButtons",      u"DisabledColor",
                                 u"ReadOnlyColor",  u"ReadOnlyColorOnFocus", u"FocusColor", u"FrameColor",
                                 u"FrameHotColor",  u"FrameHotStyle",   u"FrameHotTrack",    u"FrameSides_Left",
                                 u"FrameSides_Top", u"FrameSides_Right", u"FrameSides_Bottom", u"FrameStyle",
                                 u"FrameVisible",   u"FramingPreference"};
  EXPECT_EQ(store->order, keys);
  EXPECT_EQ(store->values[u"Frames/Color"], ui::clYellow);
  EXPECT_EQ(store->values[u"Frames/FrameSides_Top"], 0);

  auto* other = new TKitFrameController(nullptr);
  other->SetRegIniFile(store);
  other->AddControl(probe);
  int sets = probe->styleSets;
  other->Load(u"Frames");
  EXPECT_EQ(other->Color(), ui::clYellow);
  EXPECT_EQ(other->FrameStyle(), fsGroove);
  EXPECT_EQ(other->FrameSides(), (TSides{sdLeft, sdBottom}));
  EXPECT_EQ(probe->styleSets, sets + 1);  // one full update at the end

  // An empty section gives the listed defaults (DisabledColor clWindow among them).
  other->SetDisabledColor(ui::clRed);
  other->Load(u"Empty");
  EXPECT_EQ(other->Color(), ui::clWindow);
  EXPECT_EQ(other->DisabledColor(), ui::clWindow);
  EXPECT_EQ(other->ReadOnlyColor(), ui::clInfoBk);
  EXPECT_EQ(other->FrameHotStyle(), fsFlatBold);
  EXPECT_EQ(other->FrameStyle(), fsFlat);
  EXPECT_EQ(other->FrameSides(), sdAllSides);
  EXPECT_EQ(other->FramingPreference(), fpXPThemes);
  EXPECT_TRUE(other->FlatButtons());

  // Freeing the storage clears the reference.
  ui::Free(store);
  EXPECT_EQ(fc->RegIniFile(), nullptr);
  EXPECT_EQ(other->RegIniFile(), nullptr);
  other->RemoveControl(probe);
  ui::Free(other);
}

TEST_F(FrameControllerTest, PanelsAndPanesApplyTheVisibleFrame) {
  auto* panel = new TKitPanel(nullptr);
  auto* pane = new TKitStatusPane(nullptr);
  fc->SetFrameStyle(fsGroove);
  fc->SetFrameColor(ui::clRed);
  panel->SetFrameController(fc);
  pane->SetFrameController(fc);
  EXPECT_EQ(panel->BorderOuter(), fsRaised);  // frame not visible: nothing applied
  fc->SetFrameVisible(true);
  EXPECT_EQ(panel->BorderOuter(), fsGroove);
  EXPECT_EQ(panel->FlatColor(), ui::clRed);
  EXPECT_EQ(panel->FlatColorAdjustment(), 0);
  EXPECT_EQ(pane->FrameStyle(), fsGroove);
  EXPECT_EQ(pane->FlatColor(), ui::clRed);
  fc->SetColor(ui::clYellow);
  EXPECT_EQ(pane->FillColor(), ui::clYellow);
  EXPECT_EQ(panel->Color(), ui::clYellow);

  // Controls leave the controller when freed, and the controller's end clears theirs.
  ui::Free(pane);
  EXPECT_EQ(fc->ControlCount(), 1);
  ui::Free(fc);
  fc = new TKitFrameController(nullptr);
  EXPECT_EQ(panel->FrameController(), nullptr);
  ui::Free(panel);
}

}  // namespace

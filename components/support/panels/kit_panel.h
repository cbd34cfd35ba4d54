// Bordered container panels: an outer and an inner frame of any frame style
// with a border band between them, a client area filled with a colour or a
// gradient (or showing the parent through it), an optional grid, a caption
// with margins and vertical alignment, remembered enabled states of the
// children, and frame-controller support.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "components/support/panels/kit_common.h"
#include "components/support/panels/kit_frame_controller.h"

namespace kit {

class TKitPanelDockManager;

class TKitCustomPanel : public ui::TPanel, public IFrameControllerNotification {
  JQ_UI_CLASSINFO
 public:
  explicit TKitCustomPanel(ui::TComponent* AOwner);
  ~TKitCustomPanel() override;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void FrameControllerChanged(TKitFrameController* Controller) override;
  void SetGridSize(int X, int Y);

  TAlignmentVertical AlignmentVertical() const { return FAlignmentVertical; }
  virtual void SetAlignmentVertical(TAlignmentVertical Value);
  TColor BorderColor() const { return FBorderColor; }
  virtual void SetBorderColor(TColor Value);
  TFrameStyleEx BorderInner() const { return FBorderInner; }
  virtual void SetBorderInner(TFrameStyleEx Value);
  TFrameStyleEx BorderOuter() const { return FBorderOuter; }
  virtual void SetBorderOuter(TFrameStyleEx Value);
  TSides BorderSides() const { return FBorderSides; }
  virtual void SetBorderSides(TSides Value);
  TColor BorderHighlight() const { return FBorderHighlight; }
  virtual void SetBorderHighlight(TColor Value);
  TColor BorderShadow() const { return FBorderShadow; }
  virtual void SetBorderShadow(TColor Value);
  TColor FlatColor() const { return FFlatColor; }
  virtual void SetFlatColor(TColor Value);
  int FlatColorAdjustment() const { return FFlatColorAdjustment; }
  // Raises ERangeError beyond +-255.
  virtual void SetFlatColorAdjustment(int Value);
  TKitFrameController* FrameController() const { return FFrameController; }
  virtual void SetFrameController(TKitFrameController* Value);
  TKitFrameControllerNotifications FrameControllerNotifications() const { return FFrameControllerNotifications; }
  void SetFrameControllerNotifications(TKitFrameControllerNotifications Value) {
    FFrameControllerNotifications = Value;
  }
  TKitGradientColorStyle GradientColorStyle() const { return FGradientColorStyle; }
  virtual void SetGradientColorStyle(TKitGradientColorStyle Value);
  TColor GradientColorStart() const { return FGradientColorStart; }
  virtual void SetGradientColorStart(TColor Value);
  TColor GradientColorStop() const { return FGradientColorStop; }
  virtual void SetGradientColorStop(TColor Value);
  TGradientDirection GradientDirection() const { return FGradientDirection; }
  virtual void SetGradientDirection(TGradientDirection Value);
  TColor GridColor() const { return FGridColor; }
  virtual void SetGridColor(TColor Value);
  TKitGridStyle GridStyle() const { return FGridStyle; }
  virtual void SetGridStyle(TKitGridStyle Value);
  int GridXSize() const { return FGridXSize; }
  virtual void SetGridXSize(int Value);
  int GridYSize() const { return FGridYSize; }
  virtual void SetGridYSize(int Value);
  bool PaintClientArea() const { return FPaintClientArea; }
  virtual void SetPaintClientArea(bool Value);
  bool ShowGrid() const { return FShowGrid; }
  virtual void SetShowGrid(bool Value);
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  int TextMargin() const { return FTextMargin; }
  virtual void SetTextMargin(int Value);
  int TextMarginVertical() const { return FTextMarginVertical; }
  virtual void SetTextMarginVertical(int Value);
  bool WordWrap() const { return FWordWrap; }
  virtual void SetWordWrap(bool Value);
  TKitVisualStyle VisualStyle() const { return FVisualStyle; }
  virtual void SetVisualStyle(TKitVisualStyle Value);
  bool ShowDockClientCaptions() const { return FShowDockClientCaptions; }
  void SetShowDockClientCaptions(bool Value);
  bool FullRepaint() const { return FFullRepaint; }
  void SetFullRepaint(bool Value) { FFullRepaint = Value; }
  bool Locked() const { return FLocked; }
  void SetLocked(bool Value) { FLocked = Value; }
  // Old layouts: UseGradients = true means the gradient style.
  void SetUseGradients(bool Value);

  // Docking: a dock site that uses a dock manager gets one of this library's.
  bool DockSite() const { return FDockSite; }
  void SetDockSite(bool Value);
  bool UseDockManager() const { return FUseDockManager; }
  void SetUseDockManager(bool Value);
  TKitPanelDockManager* DockManager() const { return FDockManager.get(); }
  // Docks a control into this site (made its child) / takes it out again.
  void DockClient(ui::TControl* Control);
  void UndockClient(ui::TControl* Control);
  const std::vector<ui::TControl*>& DockClients() const { return FDockClients; }

  std::function<void(ui::TObject* Sender)> OnPaint;

 protected:
  virtual ui::TPoint GetCursorClientPos();
  virtual TRect AdjustBorderRect(TRect R, bool WithBorderWidth);
  virtual TRect GetPaintRect();
  virtual ui::TPoint GetBorderRepaintExtent();
  virtual void UpdateChildrenEnabled(bool Enabled);
  virtual void GetGradientColors(TColor& First, TColor& Second);
  virtual void GetFlatColors(TColor& Color, int& Adjustment);
  virtual void DrawPanelCaption(TRect R);
  virtual void DrawGrid(const TRect& R);
  virtual void ApplyFrameController();

  void Paint() override;
  void AdjustClientRect(TRect& R) override;
  void AlignControls(ui::TControl* AControl, TRect& R) override;
  void EnabledChanged() override;
  void SizeChanged(int OldWidth, int OldHeight) override;
  void Dispatch(ui::TMessage& Message) override;
  void WndProc(ui::TMessage& Message) override;
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;
  void MakeDockManager();

 private:
  std::uint64_t BorderSidesBits() const { return FBorderSides.Bits(); }
  void SetBorderSidesBits(std::uint64_t v) { SetBorderSides(TSides::FromBits(v)); }
  std::uint64_t NotificationBits() const { return FFrameControllerNotifications.Bits(); }
  void SetNotificationBits(std::uint64_t v) {
    SetFrameControllerNotifications(TKitFrameControllerNotifications::FromBits(v));
  }
  void BorderChanged();
  bool VisualStyleIsGradient() const { return FVisualStyle == vsGradient; }
  int FrameExtent(TFrameStyle Style) const;

  bool FInAlignControls = false;
  TAlignmentVertical FAlignmentVertical = avCenter;
  TFrameStyleEx FBorderInner = fsNone;
  TFrameStyleEx FBorderOuter = fsRaised;
  TSides FBorderSides = sdAllSides;
  TColor FBorderColor = ui::clBtnFace;
  TColor FBorderHighlight = ui::clBtnHighlight;
  TColor FBorderShadow = ui::clBtnShadow;
  TColor FFlatColor = ui::clBtnShadow;
  int FFlatColorAdjustment = 30;
  bool FPaintClientArea = true;
  TColor FPanelColor = ui::clBtnFace;
  TKitVisualStyle FVisualStyle = vsWinXP;
  TKitGradientColorStyle FGradientColorStyle = gcsSystem;
  TColor FGradientColorStart = ui::clWhite;
  TColor FGradientColorStop = ui::clBtnFace;
  TGradientDirection FGradientDirection = gdHorizontalEnd;
  TColor FGridColor = ui::clBtnShadow;
  TKitGridStyle FGridStyle = gsDots;
  int FGridXSize = 8;
  int FGridYSize = 8;
  bool FShowGrid = false;
  bool FTransparent = false;
  int FTextMargin = 0;
  int FTextMarginVertical = 0;
  bool FWordWrap = true;
  bool FShowDockClientCaptions = true;
  bool FFullRepaint = true;
  bool FLocked = false;
  // Saved enabled states of the children while the panel is disabled.
  std::vector<std::pair<ui::TControl*, bool>> FEnabledList;
  TKitFrameController* FFrameController = nullptr;
  TKitFrameControllerNotifications FFrameControllerNotifications = fccAll;
  bool FDockSite = false;
  bool FUseDockManager = true;
  std::unique_ptr<TKitPanelDockManager> FDockManager;
  std::vector<ui::TControl*> FDockClients;
};

class TKitPanel : public TKitCustomPanel {
  JQ_UI_CLASSINFO
 public:
  using TKitCustomPanel::TKitCustomPanel;
};

}  // namespace kit

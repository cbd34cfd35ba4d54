// Docking into panels: the dock manager that lays out the clients of a
// panel that is a dock site, draws their grabber bars with captions and a
// close glyph, and lets the user drag a client by its grabber onto another
// site or off every site into a floating tool window of its own.
#pragma once

#include <memory>
#include <vector>

#include "components/support/panels/kit_panel.h"

namespace ui {
class TDragFrame;
}

namespace kit {

// The dock site here is our own model: the clients share the site side by
// side (bars at their left) in panels aligned to the top or bottom, one above
// the other (bars at their top) otherwise.
class TKitPanelDockManager {
 public:
  explicit TKitPanelDockManager(TKitCustomPanel* DockSite);
  ~TKitPanelDockManager();

  TKitCustomPanel* Panel() const { return FPanel; }
  int GrabberSize() const { return FGrabberSize; }
  ui::TFont* Font() const { return FFont.get(); }
  ui::TFont* CloseFont() const { return FCloseFont.get(); }
  bool GrabbersOnLeft() const;

  // Lays the docked clients out inside the site's client area.
  void ResetBounds(const TRect& Area);
  // The client's part of its zone: the zone less its grabber.
  void FitDockClientRect(TRect& R) const;
  // The grabber bar of a zone, and the close glyph on it.
  TRect GrabberRect(const TRect& Zone) const;
  TRect CloseRect(const TRect& Zone) const;
  TRect ZoneOf(const ui::TControl* Control) const;
  // The docked client whose grabber lies under a point of the site (nullptr
  // when none); OnClose tells whether the point is on its close glyph.
  ui::TControl* GrabberAt(ui::TPoint P, bool& OnClose) const;
  // The zone (site coordinates) a client would get if it were docked here.
  TRect DropZone(const ui::TControl* Control) const;
  void DrawDockClientFrame(TCanvas* Canvas, ui::TControl* Control, const TRect& Zone);
  void PaintSite(TCanvas* Canvas);
  // The site's window procedure runs through here first; true when the
  // message was the manager's (a press, drag or release on a grabber).
  bool SiteMessage(ui::TMessage& Message);
  // The close glyph's action: hides the client (a form closes) and lays the
  // site out again; a floating window left without a shown client hides.
  void CloseClient(ui::TControl* Control);
  // A client left the site (undocked, moved or freed): forget it.
  void ClientRemoved(ui::TControl* Control);

  // While a client is dragged: the site it would dock into (nullptr: it
  // would float) and the frame showing where.
  bool Dragging() const { return FDragging; }
  TKitCustomPanel* DropSite() const { return FDropSite; }
  const ui::TDragFrame* DragFrame() const { return FDragFrame.get(); }

  // Moves at least this far (either way) start a drag.
  static constexpr int DragThreshold = 5;

 private:
  void BeginDrag();
  // The site under a screen point that would take the dragged client, and
  // the screen rectangle the client would then cover.
  TKitCustomPanel* FindDropSite(ui::TPoint ScreenPos) const;
  TRect DropRect(TKitCustomPanel* Site, ui::TPoint ScreenPos) const;
  void DragTo(ui::TPoint ScreenPos);
  void EndDrag(ui::TPoint ScreenPos, bool Drop);
  void FloatClient(ui::TControl* Client, const TRect& ScreenRect);

  TKitCustomPanel* FPanel;
  int FGrabberSize = 14;
  std::unique_ptr<ui::TFont> FFont;
  std::unique_ptr<ui::TFont> FCloseFont;
  std::vector<std::pair<ui::TControl*, TRect>> FZones;
  TRect FArea{};
  // Mouse state on the grabbers.
  ui::TControl* FDragClient = nullptr;
  ui::TControl* FCloseClient = nullptr;
  ui::TPoint FDragStart{};   // site coordinates of the press
  TRect FDragOrigin{};       // screen rectangle of the client when pressed
  bool FDragging = false;
  TKitCustomPanel* FDropSite = nullptr;
  std::unique_ptr<ui::TDragFrame> FDragFrame;
};

// The floating home of a client dragged off every dock site: a tool window
// of our own holding one dock site that fills it, so the client keeps its
// grabber and can be dragged back.
class TKitToolDockForm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TKitToolDockForm(ui::TComponent* AOwner);
  ~TKitToolDockForm() override;
  TKitPanel* Site() const { return FSite; }

 private:
  TKitPanel* FSite;
};

}  // namespace kit

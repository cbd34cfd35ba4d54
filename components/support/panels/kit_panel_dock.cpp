#include "components/support/panels/kit_panel_dock.h"

#include <algorithm>
#include <cstdlib>

#include "platform/ui/drag_frame.h"
#include "components/support/panels/kit_borders.h"
#include "components/support/panels/kit_grafx.h"
#include "platform/ui/themes.h"

namespace kit {

using ui::TControl;
using ui::TPoint;

TKitPanelDockManager::TKitPanelDockManager(TKitCustomPanel* DockSite)
    : FPanel(DockSite), FFont(std::make_unique<ui::TFont>()), FCloseFont(std::make_unique<ui::TFont>()) {
  FFont->SetName(u"Verdana");
  FFont->SetSize(8);
  FCloseFont->SetName(u"Marlett");
  FCloseFont->SetSize(8);
}

TKitPanelDockManager::~TKitPanelDockManager() = default;

bool TKitPanelDockManager::GrabbersOnLeft() const {
  return FPanel->Align() == ui::alTop || FPanel->Align() == ui::alBottom;
}

void TKitPanelDockManager::FitDockClientRect(TRect& R) const {
  if (GrabbersOnLeft())
    R.Left += FGrabberSize;
  else
    R.Top += FGrabberSize;
}

TRect TKitPanelDockManager::GrabberRect(const TRect& Zone) const {
  if (GrabbersOnLeft()) return ui::Rect(Zone.Left, Zone.Top, Zone.Left + FGrabberSize, Zone.Bottom);
  return ui::Rect(Zone.Left, Zone.Top, Zone.Right, Zone.Top + FGrabberSize);
}

void TKitPanelDockManager::ResetBounds(const TRect& Area) {
  FArea = Area;
  FZones.clear();
  std::vector<TControl*> shown;
  for (TControl* c : FPanel->DockClients())
    if (c->Visible()) shown.push_back(c);
  const int n = static_cast<int>(shown.size());
  for (int i = 0; i < n; ++i) {
    TRect zone = Area;
    if (GrabbersOnLeft()) {
      zone.Left = Area.Left + Area.Width() * i / n;
      zone.Right = Area.Left + Area.Width() * (i + 1) / n;
    } else {
      zone.Top = Area.Top + Area.Height() * i / n;
      zone.Bottom = Area.Top + Area.Height() * (i + 1) / n;
    }
    FZones.emplace_back(shown[i], zone);
    TRect client = zone;
    FitDockClientRect(client);
    shown[i]->SetBoundsRect(client);
  }
}

TRect TKitPanelDockManager::ZoneOf(const TControl* Control) const {
  for (const auto& z : FZones)
    if (z.first == Control) return z.second;
  return {};
}

void TKitPanelDockManager::DrawDockClientFrame(TCanvas* Canvas, TControl* Control, const TRect& Zone) {
  TRect bar = GrabberRect(Zone);
  if (!FPanel->ShowDockClientCaptions()) {
    // The plain look: two raised ridges along the bar.
    TRect r1 = bar, r2 = bar;
    if (GrabbersOnLeft()) {
      r1 = ui::Rect(bar.Left + 3, bar.Top + 2, bar.Left + 6, bar.Bottom - 2);
      r2 = ui::Rect(bar.Left + 7, bar.Top + 2, bar.Left + 10, bar.Bottom - 2);
    } else {
      r1 = ui::Rect(bar.Left + 2, bar.Top + 3, bar.Right - 2, bar.Top + 6);
      r2 = ui::Rect(bar.Left + 2, bar.Top + 7, bar.Right - 2, bar.Top + 10);
    }
    Canvas->DrawEdge(r1, ui::BDR_RAISEDINNER, ui::BF_RECT);
    Canvas->DrawEdge(r2, ui::BDR_RAISEDINNER, ui::BF_RECT);
    return;
  }
  TColor back = ui::clActiveCaption, text = ui::clCaptionText;
  if (auto* w = dynamic_cast<ui::TWinControl*>(Control); w && !w->Focused()) {
    back = ui::clInactiveCaption;
    text = ui::clInactiveCaptionText;
  }
  Canvas->Brush()->SetStyle(ui::bsSolid);
  Canvas->Brush()->SetColor(back);
  Canvas->FillRect(bar);
  Canvas->SetFont(FFont.get());
  Canvas->Font()->SetColor(text);
  Canvas->Brush()->SetStyle(ui::bsClear);
  // Marlett's "r" is the close cross; this system draws the cross itself.
  const String closeGlyph = u"\u00D7";
  TRect closeRect;
  if (GrabbersOnLeft()) {
    Canvas->SetTextAlign(ui::TA_BASELINE);
    auto rotated = CreateRotatedFont(FFont.get(), 90);
    Canvas->SetFont(rotated.get());
    Canvas->Font()->SetColor(text);
    ui::TextOutRotated(Canvas, bar.Right - 2, bar.Bottom - 3, Control->Caption(), 900);
    Canvas->SetTextAlign(ui::TA_LEFT | ui::TA_TOP);
  } else {
    Canvas->TextOut(bar.Left + 2, bar.Top + (FGrabberSize - Canvas->TextHeight(u"Wg")) / 2, Control->Caption());
  }
  closeRect = CloseRect(Zone);
  Canvas->SetFont(FCloseFont.get());
  Canvas->Font()->SetColor(text);
  Canvas->DrawText(closeGlyph, closeRect, ui::DT_CENTER | ui::DT_VCENTER | ui::DT_SINGLELINE | ui::DT_NOPREFIX);
  Canvas->Brush()->SetStyle(ui::bsSolid);
}

void TKitPanelDockManager::PaintSite(TCanvas* Canvas) {
  for (const auto& z : FZones) DrawDockClientFrame(Canvas, z.first, z.second);
}

TRect TKitPanelDockManager::CloseRect(const TRect& Zone) const {
  TRect bar = GrabberRect(Zone);
  if (GrabbersOnLeft()) return ui::Rect(bar.Left + 1, bar.Top + 1, bar.Left + FGrabberSize - 2, bar.Top + 12);
  return ui::Rect(bar.Right - FGrabberSize - 1, bar.Top + 1, bar.Right - 2, bar.Top + 12);
}

TControl* TKitPanelDockManager::GrabberAt(TPoint P, bool& OnClose) const {
  OnClose = false;
  for (const auto& [control, zone] : FZones) {
    if (!GrabberRect(zone).Contains(P)) continue;
    OnClose = FPanel->ShowDockClientCaptions() && CloseRect(zone).Contains(P);
    return control;
  }
  return nullptr;
}

TRect TKitPanelDockManager::DropZone(const TControl* Control) const {
  for (const auto& z : FZones)
    if (z.first == Control) return z.second;
  // A newcomer is laid out after the clients shown now.
  const int n = static_cast<int>(FZones.size()) + 1;
  TRect zone = FArea;
  if (GrabbersOnLeft())
    zone.Left = FArea.Left + FArea.Width() * (n - 1) / n;
  else
    zone.Top = FArea.Top + FArea.Height() * (n - 1) / n;
  return zone;
}

bool TKitPanelDockManager::SiteMessage(ui::TMessage& Message) {
  const TPoint p{ui::XPos(Message.LParam), ui::YPos(Message.LParam)};
  switch (Message.Msg) {
    case ui::WM_COMMAND:
    case ui::WM_MOUSEACTIVATE:
    case ui::CM_FOCUSCHANGED:
      // Clicks that move the focus between clients change the bars' colours.
      FPanel->Invalidate();
      return false;
    case ui::WM_LBUTTONDOWN:
    case ui::WM_LBUTTONDBLCLK: {
      bool onClose = false;
      TControl* c = GrabberAt(p, onClose);
      if (!c) return false;
      if (onClose) {
        FCloseClient = c;
      } else {
        FDragClient = c;
        FDragStart = p;
        const TPoint origin = c->ClientToScreen({0, 0});
        FDragOrigin = ui::Bounds(origin.X, origin.Y, c->Width(), c->Height());
        FDragging = false;
      }
      FPanel->SetMouseCapture(true);
      return true;
    }
    case ui::WM_MOUSEMOVE:
      if (!FDragClient) return false;
      if (!FDragging) {
        if (std::abs(p.X - FDragStart.X) < DragThreshold && std::abs(p.Y - FDragStart.Y) < DragThreshold) return true;
        BeginDrag();
      }
      DragTo(FPanel->ClientToScreen(p));
      return true;
    case ui::WM_LBUTTONUP: {
      if (TControl* c = FCloseClient) {
        FCloseClient = nullptr;
        FPanel->SetMouseCapture(false);
        // Released away from the glyph, the press is forgotten.
        bool onClose = false;
        if (GrabberAt(p, onClose) == c && onClose) CloseClient(c);
        return true;
      }
      if (!FDragClient) return false;
      EndDrag(FPanel->ClientToScreen(p), FDragging);
      return true;
    }
    case ui::WM_CANCELMODE:
      FCloseClient = nullptr;
      if (FDragClient) EndDrag({}, false);
      return false;
    default: return false;
  }
}

void TKitPanelDockManager::ClientRemoved(TControl* Control) {
  std::erase_if(FZones, [&](const auto& z) { return z.first == Control; });
  if (FCloseClient == Control) FCloseClient = nullptr;
  if (FDragClient == Control) {
    FDragClient = nullptr;
    FDragging = false;
    FDropSite = nullptr;
    if (FDragFrame) FDragFrame->Hide();
    FPanel->SetMouseCapture(false);
  }
}

void TKitPanelDockManager::BeginDrag() {
  FDragging = true;
  if (!FDragFrame) {
    FDragFrame = std::make_unique<ui::TDragFrame>();
    FDragFrame->OnCancel = [this] { EndDrag({}, false); };
  }
}

TKitCustomPanel* TKitPanelDockManager::FindDropSite(TPoint ScreenPos) const {
  auto* dragged = dynamic_cast<ui::TWinControl*>(FDragClient);
  for (ui::TWinControl* w = ui::FindWinControlAt(ScreenPos); w; w = w->Parent()) {
    // A client cannot dock into itself or into a site it holds.
    if (w == FDragClient) continue;
    auto* site = dynamic_cast<TKitCustomPanel*>(w);
    if (!site || !site->DockSite() || !site->DockManager()) continue;
    if (dragged && dragged->ContainsControl(site)) continue;
    return site;
  }
  return nullptr;
}

TRect TKitPanelDockManager::DropRect(TKitCustomPanel* Site, TPoint ScreenPos) const {
  if (Site) {
    TRect zone = Site->DockManager()->DropZone(FDragClient);
    TPoint o = Site->ClientToScreen(zone.TopLeft());
    return ui::Bounds(o.X, o.Y, zone.Width(), zone.Height());
  }
  // Floating: the client's own size, moved as far as the mouse moved, with
  // room for the floating window's grabber.
  TPoint pressed = FPanel->ClientToScreen(FDragStart);
  TRect r = FDragOrigin;
  r.Offset(ScreenPos.X - pressed.X, ScreenPos.Y - pressed.Y);
  r.Top -= FGrabberSize;
  return r;
}

void TKitPanelDockManager::DragTo(TPoint ScreenPos) {
  FDropSite = FindDropSite(ScreenPos);
  // Docking shows a bold frame, floating a thin one.
  FDragFrame->Show(DropRect(FDropSite, ScreenPos), FDropSite ? 4 : 1);
}

void TKitPanelDockManager::EndDrag(TPoint ScreenPos, bool Drop) {
  TControl* client = FDragClient;
  FDragClient = nullptr;
  const bool dragging = FDragging;
  FDragging = false;
  if (FDragFrame) FDragFrame->Hide();
  FPanel->SetMouseCapture(false);
  TKitCustomPanel* site = dragging ? FindDropSite(ScreenPos) : nullptr;
  const TRect floatRect = dragging ? DropRect(nullptr, ScreenPos) : TRect{};
  FDropSite = nullptr;
  if (!Drop || !dragging || !client) return;
  if (site == FPanel) return;  // dropped where it is
  // This manager may belong to a floating window that the move empties; the
  // window is released, never freed while its site is handling the mouse.
  auto* floating = dynamic_cast<TKitToolDockForm*>(FPanel->Owner());
  if (site) {
    site->DockClient(client);
    if (floating && FPanel->DockClients().empty()) floating->Release();
    return;
  }
  if (floating && FPanel->DockClients().size() == 1) {
    floating->SetBounds(floatRect.Left, floatRect.Top, floating->Width(), floating->Height());
    return;
  }
  FloatClient(client, floatRect);
}

void TKitPanelDockManager::FloatClient(TControl* Client, const TRect& ScreenRect) {
  ui::TComponent* owner = ui::Application;
  auto* form = ui::Create<TKitToolDockForm>(owner);
  form->SetCaption(Client->Caption());
  form->SetBounds(ScreenRect.Left, ScreenRect.Top, ScreenRect.Width(), ScreenRect.Height());
  form->Site()->DockClient(Client);
  form->Show();
}

void TKitPanelDockManager::CloseClient(TControl* Control) {
  if (auto* form = dynamic_cast<ui::TCustomForm*>(Control))
    form->Close();
  else
    Control->SetVisible(false);
  FPanel->Realign();
  FPanel->Invalidate();
  if (auto* floating = dynamic_cast<TKitToolDockForm*>(FPanel->Owner())) {
    const auto& clients = FPanel->DockClients();
    if (std::none_of(clients.begin(), clients.end(), [](TControl* c) { return c->Visible(); })) floating->Hide();
  }
}

// --- floating window ----------------------------------------------------------------------

const ui::TClassInfo& TKitToolDockForm::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TKitToolDockForm>("TKitToolDockForm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TKitToolDockForm::TKitToolDockForm(ui::TComponent* AOwner) : ui::TForm(AOwner), FSite(new TKitPanel(this)) {
  SetBorderStyle(ui::bsSizeToolWin);
  FSite->SetBorderOuter(fsNone);
  FSite->SetParent(this);
  FSite->SetAlign(ui::alClient);
  FSite->SetDockSite(true);
}

TKitToolDockForm::~TKitToolDockForm() { BeginDestroy(); }

}  // namespace kit

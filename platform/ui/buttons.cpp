#include "platform/ui/buttons.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPushButton>

#include "platform/ui/forms.h"
#include "platform/ui/guard.h"
#include "platform/ui/host.h"
#include "platform/ui/keys.h"
#include "platform/ui/qt_bridge.h"

namespace ui {

const TClassInfo& TButton::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TButton>("TButton", &TWinControl::StaticClassInfo())
          .Str("Caption", &TButton::Caption, &TButton::SetCaption)
          .Boolean("Cancel", &TButton::Cancel, &TButton::SetCancel, 0)
          .Boolean("Default", &TButton::Default, &TButton::SetDefault, 0)
          .Integer("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, 0)
          .Build();
  return info;
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  // Clicks come from the button itself (mouse, space key, Enter/Esc on the form).
  controlStyle_ = TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks};
  SetColor(clBtnFace);
  SetTabStop(true);
  SetBounds(0, 0, 75, 25);
}

TButton::~TButton() { BeginDestroy(); }

QWidget* TButton::CreateWidget(QWidget* Parent) {
  auto* b = new qt::Host<QPushButton>(this, false, Parent);
  b->setAutoDefault(false);
  QObject::connect(b, &QPushButton::clicked, b, [this] {
    Guarded([this] {
      auto alive = alive_;
      SendCommandToParent(this, BN_CLICKED);
      if (*alive) Click();
    });
  });
  return b;
}

void TButton::InitWidget() { static_cast<QPushButton*>(widget_)->setText(qt::Q(text_)); }

void TButton::SetTextInternal(const String& Value) {
  text_ = Value;
  if (widget_) static_cast<QPushButton*>(widget_)->setText(qt::Q(Value));
}

int TButton::ColorRole() const { return QPalette::Button; }

void TButton::Click() {
  if (modalResult_ != mrNone) {
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  }
  TWinControl::Click();
}

void TButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGKEY: {
      auto key = static_cast<std::uint16_t>(Message.WParam);
      if (!Visible() || !Enabled() || !Showing()) break;
      bool take = false;
      if (key == VK_ESCAPE) take = cancel_;
      if (key == VK_RETURN) {
        TCustomForm* form = GetParentForm(this);
        auto* focusedButton = form ? dynamic_cast<TButton*>(form->ActiveControl()) : nullptr;
        take = focusedButton ? focusedButton == this : default_;
      }
      if (take) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    }
    case WM_GETDLGCODE:
      Message.Result = DLGC_BUTTON;
      return;
    case WM_CANCELMODE:
      // The press is over: the button must not click on a later release.
      if (widget_) static_cast<QPushButton*>(widget_)->setDown(false);
      break;
    default:
      break;
  }
  TWinControl::Dispatch(Message);
}

// --- TBitBtn ---------------------------------------------------------------------

const TClassInfo& TBitBtn::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TBitBtn>("TBitBtn", &TButton::StaticClassInfo())
                                     .Object("Glyph", "TBitmap", &TBitBtn::Glyph, &TBitBtn::SetGlyph)
                                     .Integer("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs, 1)
                                     .Build();
  return info;
}

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), glyph_(std::make_unique<TBitmap>()) {
  glyph_->OnChange = [this](TObject*) { UpdateIcon(); };
}

TBitBtn::~TBitBtn() { BeginDestroy(); }

void TBitBtn::SetNumGlyphs(int Value) {
  numGlyphs_ = std::clamp(Value, 1, 4);
  UpdateIcon();
}

void TBitBtn::InitWidget() {
  TButton::InitWidget();
  UpdateIcon();
}

void TBitBtn::UpdateIcon() {
  if (!widget_) return;
  auto* b = static_cast<QPushButton*>(widget_);
  if (glyph_->Empty()) {
    b->setIcon(QIcon());
    return;
  }
  // Glyphs are drawn with their bottom-left colour clear.
  QImage img = glyph_->Image()->convertToFormat(QImage::Format_ARGB32);
  QRgb key = img.pixel(0, img.height() - 1) & 0xFFFFFF;
  for (int y = 0; y < img.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x)
      if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
  }
  int w = img.width() / numGlyphs_;
  QImage first = img.copy(0, 0, w, img.height());
  b->setIcon(QIcon(QPixmap::fromImage(first)));
  b->setIconSize(first.size());
}

}  // namespace ui

// Bitmaps with a canvas, pictures loaded from files, and image lists.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "platform/ui/canvas.h"

class QImage;

namespace ui {

class TBitmap : public TPersistent {
  JQ_UI_CLASSINFO
 public:
  TBitmap();
  TBitmap(int Width, int Height);
  ~TBitmap() override;

  int Width() const;
  int Height() const;
  // Keeps the picture at the top left; new area is white.
  void SetWidth(int Value) { SetSize(Value, Height()); }
  void SetHeight(int Value) { SetSize(Width(), Value); }
  void SetSize(int Width, int Height);
  bool Empty() const;
  TCanvas* Canvas();

  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  // clDefault: the colour of the bottom-left pixel.
  TColor TransparentColor();
  void SetTransparentColor(TColor Value);

  // Reads a BMP (or any picture format the system knows). A missing file
  // raises EFOpenError; a file that is not a readable picture raises
  // EInvalidGraphic. The bitmap is unchanged on failure.
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName);
  void Assign(const TPersistent* Source) override;

  TNotifyEvent OnChange;

  // --- platform side ---------------------------------------------------------
  // The pixels, with any drawing in progress finished.
  QImage* Image();
  // The pixels as drawn: the transparent colour (when Transparent) is clear.
  QImage DrawableImage();
  void SetImage(const QImage& Image);

 private:
  class BitmapCanvas;
  void Changed();
  std::unique_ptr<QImage> image_;
  std::unique_ptr<BitmapCanvas> canvas_;
  bool transparent_ = false;
  TColor transparentColor_ = clDefault;
};

// Holds one picture; files are read by their extension.
class TPicture : public TPersistent {
  JQ_UI_CLASSINFO
 public:
  TPicture();
  ~TPicture() override;
  // .bmp, .png, .jpg/.jpeg; another extension raises EInvalidGraphic.
  void LoadFromFile(const String& FileName);
  // A picture held in memory (a field's blob): the format is read from the
  // bytes. No bytes give an empty picture; bytes that are no picture raise
  // EInvalidGraphic and leave the picture as it was.
  void LoadFromData(std::string_view Bytes);
  TBitmap* Bitmap() { return bitmap_.get(); }
  bool Empty() const { return bitmap_->Empty(); }
  int Width() const { return bitmap_->Width(); }
  int Height() const { return bitmap_->Height(); }
  void Assign(const TPersistent* Source) override;

  TNotifyEvent OnChange;

 private:
  std::unique_ptr<TBitmap> bitmap_;
};

class TImageList;

// One listener of an image list's changes; a list tells all its links, so
// several users hear it. A link leaves its list when freed, and a list freed
// first leaves its links without a sender.
class TChangeLink : public TObject {
 public:
  TChangeLink() = default;
  ~TChangeLink() override;
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;

  TImageList* Sender() const { return sender_; }
  void SetSender(TImageList* Value) { sender_ = Value; }
  // Runs OnChange with the sender.
  virtual void Change();

  TNotifyEvent OnChange;

 private:
  TImageList* sender_ = nullptr;
};

// Images of one size, drawn by index (tool bars, buttons).
class TImageList : public TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TImageList(TComponent* AOwner);
  ~TImageList() override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Changing the size clears the list.
  void SetWidth(int Value);
  void SetHeight(int Value);
  int Count() const;
  // A strip wider than Width is cut into several images. Mask: white = clear.
  // Returns the index of the first image added.
  int Add(TBitmap* Image, TBitmap* Mask);
  // Pixels of MaskColor become clear.
  int AddMasked(TBitmap* Image, TColor MaskColor);
  void Delete(int Index);
  void Clear();
  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
  void GetBitmap(int Index, TBitmap* Image);

  // A registered link hears every change after OnChange; each link once.
  void RegisterChanges(TChangeLink* Value);
  void UnRegisterChanges(TChangeLink* Value);

  TNotifyEvent OnChange;

  // --- platform side
  const QImage* ImageAt(int Index) const;

 private:
  void Changed();
  int AddImage(const QImage& Image);
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::vector<TChangeLink*> links_;
  int width_ = 16;
  int height_ = 16;
};

}  // namespace ui

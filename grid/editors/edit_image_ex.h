// The picture an editor shows left of its text (right in right-to-left
// mode): an index into an image list, often chosen from the editor's value.
#pragma once

#include "platform/ui/bitmap.h"
#include "platform/ui/controls.h"

namespace grid {

class TEditImageEx : public ui::TPersistent {
  JQ_UI_CLASSINFO

 public:
  explicit TEditImageEx(ui::TWinControl* EditControl);

  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  ui::TImageList* Images() const { return images_; }
  void SetImages(ui::TImageList* Value);
  bool UseImageHeight() const { return useImageHeight_; }
  void SetUseImageHeight(bool Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  // 0: as wide as the list's images.
  int Width() const { return width_; }
  void SetWidth(int Value);
  ui::TWinControl* EditControl() const { return editControl_; }

  // UseImageHeight belongs to the editor's height rule and stays.
  void Assign(const ui::TPersistent* Source) override;

 private:
  void RebuildEditor();

  ui::TWinControl* editControl_;
  int imageIndex_ = -1;
  ui::TImageList* images_ = nullptr;
  bool useImageHeight_ = true;
  bool visible_ = false;
  int width_ = 0;
};

}  // namespace grid

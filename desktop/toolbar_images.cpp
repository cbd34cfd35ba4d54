#include "desktop/toolbar_images.h"

#include <cmath>
#include <map>

namespace desktop {
namespace {

using namespace ui;

constexpr int kSize = 32;
constexpr TColor kKey = clFuchsia;
constexpr int kImageCount = 20;

void Fill(TCanvas* c, TColor color) {
  c->Brush()->SetColor(color);
  c->Pen()->SetColor(color);
}

void Connect(TCanvas* c) {
  // Two plugs meeting.
  c->Pen()->SetWidth(3);
  c->Pen()->SetColor(RGBColor(40, 90, 160));
  c->MoveTo(3, 16);
  c->LineTo(10, 16);
  c->MoveTo(22, 16);
  c->LineTo(29, 16);
  c->Pen()->SetWidth(1);
  Fill(c, RGBColor(40, 90, 160));
  c->Rectangle(9, 9, 16, 24);
  Fill(c, RGBColor(70, 150, 70));
  c->Rectangle(18, 9, 24, 24);
  c->Pen()->SetColor(RGBColor(120, 120, 120));
  c->MoveTo(16, 12);
  c->LineTo(18, 12);
  c->MoveTo(16, 20);
  c->LineTo(18, 20);
}

void Setup(TCanvas* c) {
  // A gear: teeth around a wheel with a hole.
  Fill(c, RGBColor(90, 90, 110));
  for (int i = 0; i < 8; ++i) {
    double a = i * M_PI / 4;
    int x = 16 + static_cast<int>(std::lround(11 * std::cos(a)));
    int y = 16 + static_cast<int>(std::lround(11 * std::sin(a)));
    c->Rectangle(x - 3, y - 3, x + 3, y + 3);
  }
  c->Ellipse(6, 6, 26, 26);
  Fill(c, kKey);
  c->Ellipse(12, 12, 20, 20);
}

void Stop(TCanvas* c) {
  Fill(c, RGBColor(60, 60, 60));
  c->Rectangle(8, 8, 24, 24);
}

void AutoRun(TCanvas* c) {
  // A play mark inside a circle.
  Fill(c, RGBColor(40, 120, 200));
  c->Ellipse(2, 2, 30, 30);
  Fill(c, clWhite);
  c->Polygon({{12, 8}, {24, 16}, {12, 24}});
}

void RunAll(TCanvas* c) {
  Fill(c, RGBColor(30, 150, 60));
  c->Polygon({{4, 6}, {16, 16}, {4, 26}});
  c->Polygon({{16, 6}, {28, 16}, {16, 26}});
}

void Halt(TCanvas* c) {
  // Red octagon with a white bar.
  Fill(c, RGBColor(210, 30, 30));
  c->Polygon({{10, 1}, {22, 1}, {31, 10}, {31, 22}, {22, 31}, {10, 31}, {1, 22}, {1, 10}});
  Fill(c, clWhite);
  c->Rectangle(7, 13, 25, 19);
}

void Arrow(TCanvas* c, bool into) {
  // A box with an arrow going in (inputs) or coming out (outputs).
  c->Pen()->SetWidth(2);
  c->Pen()->SetColor(RGBColor(80, 80, 80));
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(14, 6, 30, 26);
  c->Brush()->SetStyle(bsSolid);
  c->Pen()->SetWidth(1);
  TColor color = into ? RGBColor(30, 150, 60) : RGBColor(220, 120, 20);
  Fill(c, color);
  if (into) {
    c->Rectangle(2, 13, 14, 19);
    c->Polygon({{12, 8}, {22, 16}, {12, 24}});
  } else {
    c->Rectangle(10, 13, 22, 19);
    c->Polygon({{20, 8}, {31, 16}, {20, 24}});
  }
}

void Save(TCanvas* c) {
  // A disk: body, label and shutter.
  Fill(c, RGBColor(40, 90, 160));
  c->Rectangle(4, 4, 28, 28);
  Fill(c, clWhite);
  c->Rectangle(8, 15, 24, 26);
  Fill(c, RGBColor(180, 180, 190));
  c->Rectangle(10, 4, 22, 11);
}

void Open(TCanvas* c) {
  // A folder.
  Fill(c, RGBColor(220, 170, 50));
  c->Rectangle(3, 7, 14, 12);
  c->Rectangle(3, 10, 29, 27);
  Fill(c, RGBColor(245, 205, 90));
  c->Polygon({{6, 14}, {31, 14}, {27, 27}, {3, 27}});
}

void Pause(TCanvas* c) {
  Fill(c, RGBColor(60, 60, 60));
  c->Rectangle(8, 7, 14, 25);
  c->Rectangle(18, 7, 24, 25);
}

using TDrawer = void (*)(TCanvas*);

void Draw_List(TImageList* List, const std::map<int, TDrawer>& Images) {
  List->SetWidth(kSize);
  List->SetHeight(kSize);
  for (int index = 0; index < kImageCount; ++index) {
    TBitmap bmp(kSize, kSize);
    TCanvas* c = bmp.Canvas();
    Fill(c, kKey);
    c->FillRect(Rect(0, 0, kSize, kSize));
    if (auto it = Images.find(index); it != Images.end()) it->second(c);
    List->AddMasked(&bmp, kKey);
  }
}

}  // namespace

void Draw_Auto_Toolbar_Images(TImageList* List) {
  Draw_List(List, {{0, Save}, {1, Open}, {4, Stop}, {5, AutoRun}, {6, Halt}, {9, Pause}});
}

void Draw_Main_Toolbar_Images(TImageList* List) {
  Draw_List(List, {{6, Setup}, {8, Connect}, {11, Stop}, {15, AutoRun}, {16, RunAll}, {17, Halt}, {18, [](TCanvas* c) {
                     Arrow(c, true);
                   }},
                   {19, [](TCanvas* c) { Arrow(c, false); }}});
}

}  // namespace desktop

// One frame of a 50 x 15-cell grid (cell fills, text, one-pixel grid lines),
// drawn through TCanvas on a bitmap and through a raw QPainter on an image of
// the same size, in one run; prints both times and their ratio.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ui/bitmap.h"
#include "platform/ui/canvas.h"
#include "platform/ui/qt_bridge.h"
#include "bench/paint_bench_main.h"

namespace {

constexpr int kCols = 50, kRows = 15, kCellW = 64, kCellH = 18;
constexpr int kWidth = kCols * kCellW, kHeight = kRows * kCellH;

const std::vector<ui::String>& CellTexts() {
  static const std::vector<ui::String> texts = [] {
    std::vector<ui::String> t;
    for (int i = 0; i < kCols * kRows; ++i) {
      std::string s = std::to_string(i * 37 % 100000) + "." + std::to_string(i % 100);
      t.emplace_back(s.begin(), s.end());
    }
    return t;
  }();
  return texts;
}

bool Selected(int col, int row) { return row == 3 || col == 7; }

void FrameThroughCanvas(ui::TCanvas* c) {
  const auto& texts = CellTexts();
  for (int row = 0; row < kRows; ++row) {
    for (int col = 0; col < kCols; ++col) {
      ui::TRect r = ui::Rect(col * kCellW, row * kCellH, (col + 1) * kCellW - 1, (row + 1) * kCellH - 1);
      bool sel = Selected(col, row);
      c->Brush()->SetColor(sel ? ui::clHighlight : ui::clWindow);
      c->Font()->SetColor(sel ? ui::clHighlightText : ui::clWindowText);
      c->TextRect(r, r.Left + 2, r.Top + 2, texts[row * kCols + col]);
    }
  }
  c->Pen()->SetColor(ui::clBtnFace);
  for (int col = 1; col <= kCols; ++col) {
    c->MoveTo(col * kCellW - 1, 0);
    c->LineTo(col * kCellW - 1, kHeight);
  }
  for (int row = 1; row <= kRows; ++row) {
    c->MoveTo(0, row * kCellH - 1);
    c->LineTo(kWidth, row * kCellH - 1);
  }
}

void FrameThroughQPainter(QPainter& p, const QFont& font) {
  const auto& texts = CellTexts();
  QFontMetrics fm(font);
  p.setFont(font);
  const QColor window = ui::qt::ToQColor(ui::clWindow), highlight = ui::qt::ToQColor(ui::clHighlight);
  const QColor text = ui::qt::ToQColor(ui::clWindowText), highlightText = ui::qt::ToQColor(ui::clHighlightText);
  for (int row = 0; row < kRows; ++row) {
    for (int col = 0; col < kCols; ++col) {
      QRect r(col * kCellW, row * kCellH, kCellW - 1, kCellH - 1);
      bool sel = Selected(col, row);
      p.fillRect(r, sel ? highlight : window);
      p.setClipRect(r);
      p.setPen(sel ? highlightText : text);
      p.drawText(r.left() + 2, r.top() + 2 + fm.ascent(), ui::qt::Q(texts[row * kCols + col]));
      p.setClipping(false);
    }
  }
  p.setPen(ui::qt::ToQColor(ui::clBtnFace));
  for (int col = 1; col <= kCols; ++col) p.drawLine(col * kCellW - 1, 0, col * kCellW - 1, kHeight - 1);
  for (int row = 1; row <= kRows; ++row) p.drawLine(0, row * kCellH - 1, kWidth - 1, row * kCellH - 1);
}

void BM_GridFrame_TCanvas(benchmark::State& state) {
  ui::TBitmap bmp(kWidth, kHeight);
  ui::TCanvas* c = bmp.Canvas();
  for (auto _ : state) FrameThroughCanvas(c);
}
BENCHMARK(BM_GridFrame_TCanvas)->Unit(benchmark::kMillisecond);

void BM_GridFrame_QPainter(benchmark::State& state) {
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  QPainter p(&img);
  QFont font = ui::qt::ToQFont(ui::TFont());
  for (auto _ : state) FrameThroughQPainter(p, font);
}
BENCHMARK(BM_GridFrame_QPainter)->Unit(benchmark::kMillisecond);

// Interleaved timing of both paths, so machine noise hits them alike.
void PrintRatio() {
  ui::TBitmap bmp(kWidth, kHeight);
  ui::TCanvas* c = bmp.Canvas();
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  QPainter p(&img);
  QFont font = ui::qt::ToQFont(ui::TFont());
  using Clock = std::chrono::steady_clock;
  FrameThroughCanvas(c);
  FrameThroughQPainter(p, font);
  constexpr int kRounds = 200;
  std::vector<double> canvas, raw;
  for (int i = 0; i < kRounds; ++i) {
    auto t0 = Clock::now();
    FrameThroughCanvas(c);
    auto t1 = Clock::now();
    FrameThroughQPainter(p, font);
    auto t2 = Clock::now();
    canvas.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    raw.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
  }
  std::sort(canvas.begin(), canvas.end());
  std::sort(raw.begin(), raw.end());
  double mc = canvas[kRounds / 2], mr = raw[kRounds / 2];
  std::printf("grid frame %dx%d cells: TCanvas %.3f ms, raw QPainter %.3f ms, ratio %.2f (medians of %d)\n", kCols,
              kRows, mc, mr, mc / mr, kRounds);
}

}  // namespace

int main(int argc, char** argv) { return RunPaintBenchmarks(argc, argv, PrintRatio); }

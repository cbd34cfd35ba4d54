// The base grid's paint cost must follow the window, not the data: a full
// 1920 x 1080 frame, one invalidated row repainted through the window (next
// to the same row painted on a raw QPainter: a partial paint costs the area,
// not the frame) and a one-row scroll (the row that comes into view) with
// 1,000 and with 1,000,000 rows of default height, in one run; and a smooth
// vertical scroll by pixels with one row height set (every row then has an
// entry), half way down. Prints both times per row count and the 1M / 1k ratio.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "grid/foundation/custom_grid_ex.h"
#include "platform/ui/qt_bridge.h"
#include "bench/paint_bench_main.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

// A grid whose cells show their coordinates, painted onto an image.
class TBenchGrid : public grid::TCustomGridEx {
 public:
  explicit TBenchGrid(int Rows) : grid::TCustomGridEx(nullptr) {
    SetBounds(0, 0, kWidth, kHeight);
    SetColCount(40);
    SetRowCount(Rows);
    SetFixedCols(1);
    SetFixedRows(1);
  }
  // Paints Area of the client onto the image, as a window paint would.
  void PaintOnto(QImage& Img, const ui::TRect& Area) {
    QPainter p(&Img);
    p.setClipRect(ui::qt::Q(Area));
    Canvas()->Attach(&p);
    PaintClient();
    Canvas()->Detach();
  }
  // Moves one row down and paints the band that came into view.
  void ScrollOneRow(QImage& Img) {
    if (TopRow() + VisibleRowCount() >= RowCount()) SetTopRow(FixedRows());
    SetTopRow(TopRow() + 1);
    grid::TGridDrawMetricsEx info;
    FillDrawInfo(info);
    const int last = info.RowAxis.LastWholeCell;
    ui::TRect band = CellRangeRect(0, last, ColCount() - 1, last + 1);
    band.Bottom = kHeight;
    PaintOnto(Img, band);
  }

 protected:
  void PaintCell(int Col, int Row, grid::TGridDrawState, ui::TRect Rect) override {
    const std::string s = std::to_string(Row) + ":" + std::to_string(Col);
    Canvas()->TextRect(Rect, Rect.Left + 2, Rect.Top + 2, ui::String(s.begin(), s.end()));
  }
};

// The grid as a window on the (offscreen) screen: a row is invalidated and
// the pending paint flushed, as a record change repaints its row.
class TWindowGrid : public TBenchGrid {
 public:
  explicit TWindowGrid(int Rows) : TBenchGrid(Rows) {
    HandleNeeded();
    Widget()->show();
    QApplication::processEvents();
  }
  // The next visible data row, its rectangle (with its line) on the client.
  ui::TRect NextRow() {
    row_ = row_ + 1 < VisibleRowCount() ? row_ + 1 : 0;
    const int r = TopRow() + row_;
    return CalcCellRangeRect({0, r, ColCount() - 1, r}, true);
  }
  void RepaintOneRow() {
    InvalidateRect(NextRow());
    Update();
  }
  // The peer: the same row painted by the grid on a raw QPainter.
  void PaintOneRow(QImage& Img) { PaintOnto(Img, NextRow()); }

 private:
  int row_ = 0;
};

// A smooth vertical grid with a window (the scroll bar follows every step)
// and one row of its own height, scrolled by pixels from the middle down.
class TSmoothGrid : public TBenchGrid {
 public:
  explicit TSmoothGrid(int Rows) : TBenchGrid(Rows) {
    HandleNeeded();
    SetRowHeights(2, 40);
    SetTopRow(Rows / 2);
  }
  // Steps of one scroll-bar line; back to the middle before the end.
  void Steps(int Count) {
    for (int i = 0; i < Count; ++i) {
      if (TopRow() + 2 * VisibleRowCount() >= RowCount()) SetTopRow(RowCount() / 2);
      ScrollDataClamped(0, VertScrollStep());
    }
  }

 protected:
  bool VertScrollIsSmooth() override { return true; }
};

void BM_Frame(benchmark::State& state) {
  TBenchGrid g(static_cast<int>(state.range(0)));
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) g.PaintOnto(img, {0, 0, kWidth, kHeight});
}
BENCHMARK(BM_Frame)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_ScrollOneRow(benchmark::State& state) {
  TBenchGrid g(static_cast<int>(state.range(0)));
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) g.ScrollOneRow(img);
}
BENCHMARK(BM_ScrollOneRow)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_RepaintOneRow(benchmark::State& state) {
  TWindowGrid g(static_cast<int>(state.range(0)));
  for (auto _ : state) g.RepaintOneRow();
}
BENCHMARK(BM_RepaintOneRow)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_PaintOneRowRaw(benchmark::State& state) {
  TWindowGrid g(static_cast<int>(state.range(0)));
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) g.PaintOneRow(img);
}
BENCHMARK(BM_PaintOneRowRaw)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_SmoothScrollStep(benchmark::State& state) {
  TSmoothGrid g(static_cast<int>(state.range(0)));
  for (auto _ : state) g.Steps(1);
}
BENCHMARK(BM_SmoothScrollStep)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Interleaved medians, so machine noise hits both row counts alike.
void PrintTable() {
  using Clock = std::chrono::steady_clock;
  TBenchGrid small(1000), large(1000000);
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  constexpr int kRounds = 60;
  TSmoothGrid smoothSmall(1000), smoothLarge(1000000);
  constexpr int kSteps = 200;
  TWindowGrid windowSmall(1000), windowLarge(1000000);
  std::vector<double> f1, f2, s1, s2, p1, p2, w1, w2, r1, r2;
  auto time = [&](auto&& fn) {
    auto t0 = Clock::now();
    fn();
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  };
  for (int i = 0; i < kRounds; ++i) {
    f1.push_back(time([&] { small.PaintOnto(img, {0, 0, kWidth, kHeight}); }));
    f2.push_back(time([&] { large.PaintOnto(img, {0, 0, kWidth, kHeight}); }));
    s1.push_back(time([&] { small.ScrollOneRow(img); }));
    s2.push_back(time([&] { large.ScrollOneRow(img); }));
    w1.push_back(time([&] { windowSmall.RepaintOneRow(); }));
    w2.push_back(time([&] { windowLarge.RepaintOneRow(); }));
    r1.push_back(time([&] { windowSmall.PaintOneRow(img); }));
    r2.push_back(time([&] { windowLarge.PaintOneRow(img); }));
    p1.push_back(time([&] { smoothSmall.Steps(kSteps); }) * 1000 / kSteps);
    p2.push_back(time([&] { smoothLarge.Steps(kSteps); }) * 1000 / kSteps);
  }
  auto med = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  const double mf1 = med(f1), mf2 = med(f2), ms1 = med(s1), ms2 = med(s2), mp1 = med(p1), mp2 = med(p2);
  const double mw1 = med(w1), mw2 = med(w2), mr1 = med(r1), mr2 = med(r2);
  std::printf("\nbase grid %dx%d, medians of %d\n", kWidth, kHeight, kRounds);
  std::printf("%-22s %12s %12s %10s\n", "", "1,000 rows", "1,000,000", "1M/1k");
  std::printf("%-22s %9.3f ms %9.3f ms %10.2f\n", "full frame paint", mf1, mf2, mf2 / mf1);
  std::printf("%-22s %9.3f ms %9.3f ms %10.2f\n", "repaint one row", mw1, mw2, mw2 / mw1);
  std::printf("%-22s %9.3f ms %9.3f ms %10.2f\n", "  raw QPainter peer", mr1, mr2, mr2 / mr1);
  std::printf("%-22s %12.2f %12.2f\n", "  window / raw", mw1 / mr1, mw2 / mr2);
  std::printf("%-22s %9.3f ms %9.3f ms %10.2f\n", "scroll by one row", ms1, ms2, ms2 / ms1);
  std::printf("%-22s %9.3f us %9.3f us %10.2f\n", "smooth pixel step", mp1, mp2, mp2 / mp1);
  std::printf("(smooth: one row height set, from the middle row, scroll-bar line steps, %d per sample)\n", kSteps);
}

}  // namespace

int main(int argc, char** argv) { return RunPaintBenchmarks(argc, argv, PrintTable); }

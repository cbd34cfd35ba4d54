// The data grid's paint cost must follow the screen, not the dataset: a full
// 1920 x 1080 paint, a scroll by one row and a scroll by one page, with the
// grid bound to the in-memory dataset holding 1,000 and 1,000,000 records, in
// one run; and the full paint next to the same cells (texts, backgrounds and
// lines) drawn on a raw QPainter. Prints the 1M / 1k ratio of each and the
// grid / raw ratio.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>
#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/editor_support/button_faces.h"
#include "platform/data/data_source.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_bridge.h"
#include "bench/pin_core.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kFields = 12;

// A dataset of Records rows: a number and eleven short texts per record.
struct Table {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  explicit Table(int Records) {
    ds.FieldDefs().Add(u"No", db::ftInteger);
    for (int f = 1; f < kFields; ++f) ds.FieldDefs().Add(u"Text" + rtl::IntToStr(f), db::ftString, 16);
    src.SetDataSet(&ds);
    ds.Open();
    ds.DisableControls();
    for (int r = 0; r < Records; ++r) {
      ds.Append();
      ds.Fields(0)->SetAsInteger(r + 1);
      for (int f = 1; f < kFields; ++f)
        ds.Fields(f)->SetAsString(u"r" + rtl::IntToStr(r) + u"c" + rtl::IntToStr(f));
      ds.Post();
    }
    ds.First();
    ds.EnableControls();
  }
};

class TBenchDBGrid : public grid::TDBGridEx {
 public:
  using grid::TDBGridEx::TDBGridEx;
  // The whole client painted onto the image, as a window paint would.
  void PaintOnto(QImage& Img) {
    QPainter p(&Img);
    Canvas()->Attach(&p);
    PaintClient();
    Canvas()->Detach();
  }
};

// A shown grid filling the screen, bound to its table.
struct ScreenGrid {
  Table table;
  ui::TForm* form;
  TBenchDBGrid* grid;
  explicit ScreenGrid(int Records) : table(Records) {
    form = new ui::TForm(ui::Application);
    form->AfterConstruction();
    form->SetBounds(0, 0, kWidth, kHeight);
    grid = new TBenchDBGrid(form);
    grid->SetParent(form);
    grid->SetAlign(ui::alClient);
    grid->SetOptionsEx(grid->OptionsEx() + grid::dghShowRecNo);
    grid->SetDataSource(&table.src);
    form->Show();
    QApplication::processEvents();
  }
  ~ScreenGrid() {
    grid->SetDataSource(nullptr);
    delete form;
  }
  // One row or one page down, the uncovered part painted; back to the top
  // before the end.
  void Scroll(int Code) {
    if (table.ds.RecNo() + 2 * grid->VisibleRowCount() >= table.ds.RecordCount()) {
      table.ds.First();
      grid->Update();
    }
    grid->Perform(ui::WM_VSCROLL, static_cast<ui::WPARAM>(Code), 0);
    grid->Update();
  }
};

// The peer: the same visible cells (their texts and alignments read once)
// on a raw QPainter: fixed cells (titles, indicator) in the fixed colour with
// a raised edge and dark lines, data cells in the window colour with light
// lines, numbers right-aligned, the current-record arrow, the grid's font.
struct RawCells {
  struct Cell {
    QRect rect;
    QString text;
    bool fixed;
    bool right;
    int inset;  // right margin: the indicator keeps its right part for the arrow
  };
  std::vector<Cell> cells;
  QFont font;
  std::size_t arrowCell = SIZE_MAX;
  explicit RawCells(TBenchDBGrid* Grid) : font(ui::qt::CachedQFont(*Grid->Font())) {
    const int top = Grid->TopDataOffset();
    for (int r = 0; r < Grid->RowCount() && r < Grid->TopRow() + Grid->VisibleRowCount(); ++r)
      for (int c = 0; c < Grid->ColCount(); ++c) {
        const ui::TRect cell = Grid->CellRangeRect(c, r, c, r);
        if (cell.Right <= cell.Left || cell.Bottom <= cell.Top) continue;
        const int dataRow = r - top;
        Cell raw{ui::qt::Q(cell), QString(), r < top || c == 0, false, c == 0 ? 11 : 2};
        if (c > 0) {
          grid::TColumnEx* column = Grid->VisibleColumns()[static_cast<std::size_t>(c - 1)];
          if (dataRow < 0) {
            raw.text = ui::qt::Q(column->Title()->Caption());
          } else {
            const int old = Grid->SetDrawRecord(dataRow);
            raw.text = ui::qt::Q(column->DisplayText());
            Grid->RestoreDrawRecord(old);
            raw.right = column->Alignment() == ui::taRightJustify;
          }
        } else if (dataRow >= 0) {
          raw.text = QString::number(dataRow + 1);
          raw.right = true;
          if (r == Grid->Row()) arrowCell = cells.size();
        }
        cells.push_back(raw);
      }
  }
  void PaintOnto(QImage& Img) {
    QPainter p(&Img);
    p.setFont(font);
    const QColor window(255, 255, 255), face(240, 240, 240), light(255, 255, 255), dark(160, 160, 160),
        line(192, 192, 192), text(0, 0, 0);
    for (std::size_t i = 0; i < cells.size(); ++i) {
      const Cell& c = cells[i];
      const QRect& r = c.rect;
      p.fillRect(r, c.fixed ? face : window);
      if (c.fixed) {
        p.setPen(light);
        p.drawLine(r.left(), r.top(), r.right(), r.top());
        p.drawLine(r.left(), r.top(), r.left(), r.bottom());
      }
      p.setPen(text);
      p.drawText(r.adjusted(2, 2, -c.inset, -2),
                 (c.right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop | Qt::TextSingleLine, c.text);
      p.setPen(c.fixed ? dark : line);
      p.drawLine(r.right() + 1, r.top(), r.right() + 1, r.bottom() + 1);
      p.drawLine(r.left(), r.bottom() + 1, r.right() + 1, r.bottom() + 1);
      if (i == arrowCell) {
        const int y = (r.top() + r.bottom()) / 2;
        const QPoint arrow[3] = {{r.right() - 7, y - 4}, {r.right() - 3, y}, {r.right() - 7, y + 4}};
        p.setBrush(text);
        p.drawPolygon(arrow, 3);
        p.setBrush(Qt::NoBrush);
      }
    }
  }
};

struct Module {
  Module() {
    grid::InitEditorTools();
    grid::InitDBGridEx();
  }
  ~Module() {
    grid::DoneDBGridEx();
    grid::DoneEditorTools();
  }
};

// Made once in main, freed before the module stops.
ScreenGrid* g1k = nullptr;
ScreenGrid* g1M = nullptr;
ScreenGrid& Grid1k() { return *g1k; }
ScreenGrid& Grid1M() { return *g1M; }
ScreenGrid& GridOf(int Records) { return Records == 1000 ? Grid1k() : Grid1M(); }

void BM_FullPaint(benchmark::State& state) {
  ScreenGrid& g = GridOf(static_cast<int>(state.range(0)));
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) g.grid->PaintOnto(img);
}
BENCHMARK(BM_FullPaint)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_FullPaintRaw(benchmark::State& state) {
  RawCells raw(GridOf(static_cast<int>(state.range(0))).grid);
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) raw.PaintOnto(img);
}
BENCHMARK(BM_FullPaintRaw)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_ScrollRow(benchmark::State& state) {
  ScreenGrid& g = GridOf(static_cast<int>(state.range(0)));
  for (auto _ : state) g.Scroll(ui::SB_LINEDOWN);
}
BENCHMARK(BM_ScrollRow)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_ScrollPage(benchmark::State& state) {
  ScreenGrid& g = GridOf(static_cast<int>(state.range(0)));
  for (auto _ : state) g.Scroll(ui::SB_PAGEDOWN);
}
BENCHMARK(BM_ScrollPage)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Interleaved medians, so machine noise hits both record counts alike. The
// four full paints take turns going first after the scrolls: a scroll paints
// the window, and the paint after it finds the image out of the caches, as
// the ones after it do not.
void PrintTable() {
  using Clock = std::chrono::steady_clock;
  ScreenGrid& small = Grid1k();
  ScreenGrid& large = Grid1M();
  small.table.ds.First();
  large.table.ds.First();
  QApplication::processEvents();
  RawCells rawSmall(small.grid), rawLarge(large.grid);
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  constexpr int kRounds = 60;
  std::vector<double> f1, f2, q1, q2, r1, r2, p1, p2;
  auto time = [](auto&& fn) {
    auto t0 = Clock::now();
    fn();
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  };
  for (int i = 0; i < kRounds; ++i) {
    const std::function<void()> paints[] = {
        [&] { f1.push_back(time([&] { small.grid->PaintOnto(img); })); },
        [&] { q1.push_back(time([&] { rawSmall.PaintOnto(img); })); },
        [&] { f2.push_back(time([&] { large.grid->PaintOnto(img); })); },
        [&] { q2.push_back(time([&] { rawLarge.PaintOnto(img); })); },
    };
    for (int k = 0; k < 4; ++k) paints[(i + k) % 4]();
    r1.push_back(time([&] { small.Scroll(ui::SB_LINEDOWN); }));
    r2.push_back(time([&] { large.Scroll(ui::SB_LINEDOWN); }));
    p1.push_back(time([&] { small.Scroll(ui::SB_PAGEDOWN); }));
    p2.push_back(time([&] { large.Scroll(ui::SB_PAGEDOWN); }));
  }
  auto med = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  const double mf1 = med(f1), mf2 = med(f2), mq1 = med(q1), mq2 = med(q2);
  const double mr1 = med(r1), mr2 = med(r2), mp1 = med(p1), mp2 = med(p2);
  std::printf("\ndata grid %dx%d on the in-memory dataset, %d columns, %zu cells shown, medians of %d\n",
              kWidth, kHeight, kFields, rawSmall.cells.size(), kRounds);
  std::printf("%-22s %12s %12s %10s\n", "", "1,000 recs", "1,000,000", "1M/1k");
  std::printf("%-22s %9.3f ms %9.3f ms %10.2f\n", "full paint", mf1, mf2, mf2 / mf1);
  std::printf("%-22s %9.3f ms %9.3f ms %10.2f\n", "  raw QPainter peer", mq1, mq2, mq2 / mq1);
  std::printf("%-22s %12.2f %12.2f\n", "  grid / raw", mf1 / mq1, mf2 / mq2);
  std::printf("%-22s %9.3f ms %9.3f ms %10.2f\n", "scroll by a row", mr1, mr2, mr2 / mr1);
  std::printf("%-22s %9.3f ms %9.3f ms %10.2f\n", "scroll by a page", mp1, mp2, mp2 / mp1);
}

}  // namespace

int main(int argc, char** argv) {
  std::printf("pinned to core %d\n", PinToOneCore());
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ui::InitApplication(argc, argv);
  {
    Module module;
    auto small = std::make_unique<ScreenGrid>(1000);
    auto large = std::make_unique<ScreenGrid>(1000000);
    g1k = small.get();
    g1M = large.get();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    PrintTable();
    benchmark::Shutdown();
  }
  ui::DoneApplication();
  return 0;
}

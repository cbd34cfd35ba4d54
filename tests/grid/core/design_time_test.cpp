// The grid in a form designer and in layout streams: its row detail control
// travels with it into the reading grid's own control, the designer's hit
// test, and the data-source news for the controls inside it.
#include <gtest/gtest.h>

#include <string>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/grouping/db_grid_ex_data_groups_ex.h"
#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "grid/columns/grouping/grid_row_panel_ex.h"
#include "platform/classes/component_stream.h"
#include "platform/ui/controls.h"
#include "tests/grid/core/grid_on_form.h"

namespace {

using namespace grid;
using ui::TPoint;
using ui::TRect;

std::string Short(const std::string& S) { return std::string(1, static_cast<char>(S.size())) + S; }

std::string Write(ui::TComponent* C) {
  rtl::TMemoryStream s;
  ui::WriteComponentToStream(s, C);
  return s.ToBytes();
}

// Reads Bytes into Into with a reader whose hooks were set before: a
// sentinel each, counting the calls that reach it.
struct HookedRead {
  int created = 0, ancestors = 0;
  void Run(const std::string& Bytes, ui::TComponent* Into) {
    rtl::TMemoryStream s;
    s.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
    s.SetPosition(0);
    ui::TReader reader(s);
    reader.OnCreateComponent = [this](const ui::TClassInfo&) -> ui::TComponent* {
      ++created;
      return nullptr;
    };
    reader.OnAncestorNotFound = [this](const std::string&, const ui::TClassInfo&) -> ui::TComponent* {
      ++ancestors;
      return nullptr;
    };
    try {
      reader.ReadRootComponent(Into);
    } catch (...) {
      CheckHooksAreTheSentinels(reader);
      throw;
    }
    CheckHooksAreTheSentinels(reader);
  }
  void CheckHooksAreTheSentinels(ui::TReader& Reader) {
    const int c = created, a = ancestors;
    ASSERT_TRUE(Reader.OnCreateComponent && Reader.OnAncestorNotFound);
    EXPECT_EQ(Reader.OnCreateComponent(TRowDetailPanelControlEx::StaticClassInfo()), nullptr);
    EXPECT_EQ(Reader.OnAncestorNotFound("RowDetailData", TRowDetailPanelControlEx::StaticClassInfo()),
              nullptr);
    EXPECT_EQ(created, c + 1);
    EXPECT_EQ(ancestors, a + 1);
  }
};

struct GridStreams : gridtest::GridOnForm {
  std::string stored;
  void SetUp() override {
    GridOnForm::SetUp();
    grid->SetName(u"Grid1");
    grid->RowDetailPanelControl()->SetHint(u"stored hint");
    grid->RowDetailPanelControl()->SetColor(0x123456);
    stored = Write(grid);
    grid->SetName(u"Grid0");  // the name is free for the grid that reads it
  }
  // A second grid on the form whose detail control holds its own hint.
  TDBGridEx* Other() {
    auto* other = new TDBGridEx(form);
    other->SetParent(form);
    other->RowDetailPanelControl()->SetHint(u"own hint");
    return other;
  }
  static std::string Replaced(std::string S, const std::string& From, const std::string& To) {
    const std::size_t at = S.find(From);
    EXPECT_NE(at, std::string::npos) << From;
    if (at != std::string::npos) S.replace(at, From.size(), To);
    return S;
  }
};

TEST_F(GridStreams, TheDetailControlComesBackIntoTheReadingGridsOwnControl) {
  ASSERT_NE(stored.find(Short("TRowDetailPanelControlEx") + Short("RowDetailData")), std::string::npos);
  TDBGridEx* other = Other();
  TRowDetailPanelControlEx* own = other->RowDetailPanelControl();
  const int owned = other->ComponentCount(), onForm = form->ComponentCount(), inside = other->ControlCount();
  HookedRead read;
  read.Run(stored, other);
  EXPECT_EQ(other->Name(), u"Grid1");
  EXPECT_EQ(other->RowDetailPanelControl(), own);
  EXPECT_EQ(own->Hint(), u"stored hint");
  EXPECT_EQ(own->Color(), 0x123456);
  EXPECT_EQ(own->Parent(), other);
  // No second control anywhere; the hooks set before the read saw nothing of it.
  EXPECT_EQ(other->ComponentCount(), owned);
  EXPECT_EQ(other->ControlCount(), inside);
  EXPECT_EQ(form->ComponentCount(), onForm);
  EXPECT_EQ(read.created, 1);  // only the check's own call
  // Written again it gives the same bytes.
  other->SetName(u"Grid1");
  grid->SetName(u"Grid2");
  EXPECT_EQ(Write(other), stored);
  delete other;
}

TEST_F(GridStreams, AnInheritedDetailControlIsFoundUnderItsStoredName) {
  const std::string header = Short("TRowDetailPanelControlEx") + Short("RowDetailData");
  const std::string inherited = Replaced(stored, header, std::string(1, '\xF1') + header);
  TDBGridEx* other = Other();
  // Renamed, the control is no longer found among the grid's children by
  // the stored name: the grid answers for it.
  other->RowDetailPanelControl()->SetName(u"Renamed");
  rtl::TMemoryStream s;
  s.WriteBuffer(inherited.data(), static_cast<std::int64_t>(inherited.size()));
  s.SetPosition(0);
  ui::ReadComponentFromStream(s, other);
  EXPECT_EQ(other->RowDetailPanelControl()->Hint(), u"stored hint");
  EXPECT_EQ(other->RowDetailPanelControl()->Name(), u"Renamed");
  delete other;

  // Any other missing ancestor stays an error.
  const std::string stranger = Replaced(inherited, Short("RowDetailData"), Short("RowDetailDatX"));
  TDBGridEx* third = Other();
  HookedRead read;
  EXPECT_THROW(read.Run(stranger, third), rtl::EReadError);
  EXPECT_EQ(read.ancestors, 2);  // the grid passed the stranger on, then the check
  EXPECT_EQ(third->RowDetailPanelControl()->Hint(), u"own hint");
  delete third;
}

TEST_F(GridStreams, AFailedReadRestoresTheHooksAndLeavesTheControlAsItWas) {
  const std::size_t hint = stored.find(Short("Hint"));
  ASSERT_NE(hint, std::string::npos);
  struct Case {
    const char* name;
    std::string bytes;
    bool controlUntouched;
  };
  const Case cases[] = {
      {"unknown child class",
       Replaced(stored, Short("TRowDetailPanelControlEx"), Short("TRowDetailPanelControlXx")), true},
      {"unknown property in the control", Replaced(stored, Short("Hint"), Short("Hunt")), false},
      {"cut inside the control's properties", stored.substr(0, hint + 8), false},
  };
  for (const Case& k : cases) {
    TDBGridEx* other = Other();
    TRowDetailPanelControlEx* own = other->RowDetailPanelControl();
    const int owned = other->ComponentCount(), onForm = form->ComponentCount();
    HookedRead read;
    EXPECT_THROW(read.Run(k.bytes, other), rtl::EReadError) << k.name;
    EXPECT_EQ(other->RowDetailPanelControl(), own) << k.name;
    EXPECT_EQ(own->Parent(), other) << k.name;
    EXPECT_EQ(other->ComponentCount(), owned) << k.name;
    EXPECT_EQ(form->ComponentCount(), onForm) << k.name;
    if (k.controlUntouched) {
      EXPECT_EQ(own->Hint(), u"own hint") << k.name;
      EXPECT_NE(own->Color(), 0x123456) << k.name;
    }
    delete other;
  }
}

// --- design time -------------------------------------------------------------------------

class TDesignedGrid : public TDBGridEx {
 public:
  using TDBGridEx::TDBGridEx;
  using ui::TComponent::SetComponentState;
};

// A control inside the grid that counts the CM_CHANGED it hears.
class TListener : public ui::TWinControl {
 public:
  using ui::TWinControl::TWinControl;
  int changed = 0;
  void Dispatch(ui::TMessage& M) override {
    if (M.Msg == ui::CM_CHANGED) ++changed;
    ui::TWinControl::Dispatch(M);
  }
};

struct DesignedGrid : ::testing::Test {
  uitest::Harness h;
  ui::TForm* form = nullptr;
  TDesignedGrid* grid = nullptr;
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};

  void SetUp() override {
    InitDBGridEx();
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(0, 0, 500, 300);
    grid = new TDesignedGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 400, 200);
    gridtest::OpenNumbered(ds, src, {u"A", u"B", u"C"}, 10);
    grid->SetDataSource(&src);
    h.Show(form);
    grid->SetComponentState(ui::csDesigning, true);
  }
  void TearDown() override {
    grid->SetDataSource(nullptr);
    delete form;
    DoneDBGridEx();
  }
  ui::LRESULT Hit(TPoint P, ui::WPARAM Keys = 0) {
    return grid->Perform(ui::CM_DESIGNHITTEST, Keys, ui::MakeLParam(P.X, P.Y));
  }
  TRect Cell(int DataCol, int Row) {
    const int c = grid->DataColToGridCol(DataCol);
    return grid->CellRangeRect(c, Row, c, Row);
  }
  static TPoint Centre(const TRect& R) { return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}; }
};

TEST_F(DesignedGrid, TheDesignerLeavesTheMouseToTheGridWhereItsOwnModesStart) {
  grid->SetFrozenCols(1);
  h.ProcessEvents();
  const TPoint frozenBorder{Cell(0, 0).Right - 1, Cell(0, 0).Top + 2};
  const TPoint data = Centre(Cell(1, grid->TopDataOffset() + 1));

  struct Case {
    const char* name;
    bool customized;
    TPoint at;
    ui::WPARAM keys;
    bool expected;
  };
  const Case cases[] = {
      {"data cell", true, data, 0, false},
      {"frozen border", true, frozenBorder, 0, true},
      {"frozen border over default fields", false, frozenBorder, 0, false},
      {"data cell over default fields", false, data, 0, false},
  };
  for (const Case& k : cases) {
    grid->Columns()->SetState(k.customized ? csCustomized : csDefault);
    h.ProcessEvents();
    EXPECT_EQ(Hit(k.at, k.keys) != 0, k.expected) << k.name;
  }

  // A sizing run in progress keeps the mouse wherever it goes.
  grid->Columns()->SetState(csCustomized);
  h.ProcessEvents();
  grid->SetComponentState(ui::csDesigning, false);
  h.MouseDown(grid, frozenBorder);
  ASSERT_EQ(grid->DBGridExState(), dgsColSizing);
  grid->SetComponentState(ui::csDesigning, true);
  EXPECT_NE(Hit(data), 0);
  grid->SetComponentState(ui::csDesigning, false);
  h.MouseUp(grid, frozenBorder);
  grid->SetComponentState(ui::csDesigning, true);
  EXPECT_EQ(Hit(data), 0);
}

TEST_F(DesignedGrid, RowPanelTitlesAndPressesOnTheGroupingPanelBelongToTheGrid) {
  grid->Columns()->SetState(csCustomized);
  grid->DataGrouping()->SetGroupPanelVisible(true);
  h.ProcessEvents();
  const int panelHeight = grid->OutBoundaryData()->TopIndent();
  ASSERT_GT(panelHeight, 0);
  const TPoint inPanel{40, panelHeight / 2};
  EXPECT_NE(Hit(inPanel, ui::MK_LBUTTON), 0);
  EXPECT_EQ(Hit(inPanel), 0);  // only a press
  // Even over default fields, whose other answers are withdrawn.
  grid->Columns()->SetState(csDefault);
  h.ProcessEvents();
  EXPECT_NE(Hit(inPanel, ui::MK_LBUTTON), 0);
  grid->DataGrouping()->SetGroupPanelVisible(false);

  grid->Columns()->SetState(csCustomized);
  grid->RowPanel()->SetActive(true);
  h.ProcessEvents();
  const TRect title = grid->CellBounds(grid->IndicatorOffset(), 0);
  const TPoint inTitle{title.Left + 5, title.Top + 5};
  const TPoint inData = Centre(grid->CellBounds(grid->IndicatorOffset(), grid->TopDataOffset()));
  EXPECT_NE(Hit(inTitle), 0);
  EXPECT_EQ(Hit(inData), 0);
  grid->Columns()->SetState(csDefault);
  h.ProcessEvents();
  EXPECT_EQ(Hit(inTitle), 0);

  // At run time none of this is the grid's to answer.
  grid->SetComponentState(ui::csDesigning, false);
  grid->Columns()->SetState(csCustomized);
  grid->DataGrouping()->SetGroupPanelVisible(true);
  h.ProcessEvents();
  EXPECT_EQ(Hit(inPanel, ui::MK_LBUTTON), 0);
}

TEST_F(DesignedGrid, AnotherDataSourceIsNewsForTheControlsInsideOnlyAtDesignTime) {
  auto* listener = new TListener(form);
  listener->SetParent(grid);
  db::TDataSource other(nullptr);
  grid->SetDataSource(&other);
  EXPECT_EQ(listener->changed, 1);
  grid->SetDataSource(&other);  // unchanged: nothing to tell
  EXPECT_EQ(listener->changed, 1);

  grid->BeginLoading();
  grid->SetDataSource(&src);
  EXPECT_EQ(listener->changed, 1);
  grid->EndLoading();

  grid->SetComponentState(ui::csDesigning, false);
  grid->SetDataSource(&other);
  grid->SetDataSource(nullptr);
  EXPECT_EQ(listener->changed, 1);
  grid->SetComponentState(ui::csDesigning, true);
  grid->SetDataSource(&src);
  EXPECT_EQ(listener->changed, 2);
}

}  // namespace

#include "grid/columns/transfer/db_grid_ex_export_as_rtf.h"

#include <cmath>
#include <cstdio>

#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/transfer/transfer_internal.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/head_tree_node.h"
#include "platform/runtime/rtl_string.h"

namespace grid {

namespace {

std::string Num(long long Value) { return std::to_string(Value); }

// Cell text protected for the document: the characters that would end a
// group or start a control word are escaped, line breaks and tabs become
// their control words, and everything beyond ASCII is written as a Unicode
// escape (with "?" for readers without Unicode), so the text reads the same
// whatever code page a reader assumes.
std::string RtfText(std::u16string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (char16_t c : Text) {
    switch (c) {
      case u'\\':
        out += "\\\\";
        break;
      case u'{':
        out += "\\{";
        break;
      case u'}':
        out += "\\}";
        break;
      case u'\r':
        break;
      case u'\n':
        out += "\\line ";
        break;
      case u'\t':
        out += "\\tab ";
        break;
      default:
        if (c < 0x20) break;
        if (c < 0x80) {
          out += static_cast<char>(c);
        } else {
          out += "\\u";
          out += Num(static_cast<std::int16_t>(c));
          out += '?';
        }
    }
  }
  return out;
}

}  // namespace

void TDBGridExExportAsRTF::WriteText(std::string_view Text) {
  if (!Text.empty()) Stream()->WriteBuffer(Text.data(), static_cast<std::int64_t>(Text.size()));
}

void TDBGridExExportAsRTF::WriteLine(std::string_view Text) {
  WriteText(Text);
  WriteText("\r\n");
}

void TDBGridExExportAsRTF::ExportToStream(rtl::TStream& AStream, bool IsExportAll) {
  TMemoryStreamEx cache(65536);
  FCacheStream = &cache;
  ColorTblList.clear();
  FontTblList.clear();
  struct TRelease {
    TDBGridExExportAsRTF* Self;
    ~TRelease() {
      Self->FCacheStream = nullptr;
      Self->ColorTblList.clear();
      Self->FontTblList.clear();
    }
  } release{this};
  ColorIndex(ui::clBlack);
  ColorIndex(ui::clWhite);
  ColorIndex(ui::clBtnFace);
  TDBGridExExport::ExportToStream(cache, IsExportAll);
  if (cache.Size() == 0) return;
  FStream = &AStream;
  WriteLine("{\\rtf0\\ansi");
  WriteText("{\\colortbl");
  for (const std::string& key : ColorTblList) {
    auto field = [&](std::size_t At) {
      std::string part = key.substr(At, 3);
      return part.substr(part.find_first_not_of(' '));
    };
    const std::string red = field(0), green = field(3), blue = field(6);
    WriteText("\\red" + red + "\\green" + green + "\\blue" + blue + ";");
  }
  WriteLine("}");
  WriteText("{\\fonttbl");
  for (std::size_t i = 0; i < FontTblList.size(); ++i)
    WriteText("\\f" + Num(static_cast<long long>(i)) + "\\fnil " + RtfText(FontTblList[i]) + ";");
  WriteLine("}");
  AStream.WriteBuffer(cache.Memory(), cache.Size());
}

int TDBGridExExportAsRTF::ColorIndex(ui::TColor Color) {
  const std::uint32_t rgb = ui::ColorToRGB(Color);
  char key[16];
  std::snprintf(key, sizeof key, "%3d%3d%3d", int(rgb & 0xFF), int((rgb >> 8) & 0xFF),
                int((rgb >> 16) & 0xFF));
  for (std::size_t i = 0; i < ColorTblList.size(); ++i)
    if (ColorTblList[i] == key) return static_cast<int>(i);
  ColorTblList.emplace_back(key);
  return static_cast<int>(ColorTblList.size() - 1);
}

int TDBGridExExportAsRTF::FontIndex(const String& FontName) {
  for (std::size_t i = 0; i < FontTblList.size(); ++i)
    if (rtl::SameText(FontTblList[i], FontName)) return static_cast<int>(i);
  FontTblList.push_back(FontName);
  return static_cast<int>(FontTblList.size() - 1);
}

std::string TDBGridExExportAsRTF::AlignmentWord(ui::TAlignment Alignment) {
  switch (Alignment) {
    case ui::taRightJustify:
      return "\\qr";
    case ui::taCenter:
      return "\\qc";
    default:
      return "\\ql";
  }
}

void TDBGridExExportAsRTF::WriteFormattedText(ui::TFont* AFont, const String& Text, ui::TColor BackColor) {
  std::string words = "\\fs" + Num(2 * AFont->Size());
  const ui::TFontStyles style = AFont->Style();
  if (style.Contains(ui::fsBold)) words += "\\b";
  if (style.Contains(ui::fsItalic)) words += "\\i";
  if (style.Contains(ui::fsStrikeOut)) words += "\\strike";
  if (style.Contains(ui::fsUnderline)) words += "\\ul";
  words += "\\f" + Num(FontIndex(AFont->Name()));
  words += "\\cf" + Num(ColorIndex(AFont->Color()));
  words += "\\cb" + Num(ColorIndex(BackColor));
  words += ' ';
  words += RtfText(Text);
  WriteText(words);
}

void TDBGridExExportAsRTF::WriteCellBorders(bool Left, bool Top, bool Right, bool Bottom) {
  const std::pair<bool, const char*> sides[] = {
      {Left, "\\clbrdrl"}, {Top, "\\clbrdrt"}, {Bottom, "\\clbrdrb"}, {Right, "\\clbrdrr"}};
  for (const auto& [chosen, word] : sides) {
    if (!chosen) continue;
    WriteText(word);
    WriteText("\\brdrs");
    WriteLine("\\brdrcf0");
  }
}

int TDBGridExExportAsRTF::PixelsPerInch() const { return ui::ScreenPixelsPerInch; }

std::string TDBGridExExportAsRTF::Spacing() const { return DBGridEx()->Flat() ? "12" : "24"; }

void TDBGridExExportAsRTF::WriteRowDefinition(const std::vector<TColumnEx*>& Columns,
                                              const std::vector<TCellDef>& Cells) {
  WriteText("\\trowd");
  WriteLine("\\trgaph40");
  const int ppi = PixelsPerInch();
  long long edge = 0;
  for (std::size_t i = 0; i < Columns.size(); ++i) {
    const TCellDef& cell = Cells[i];
    WriteCellBorders(cell.Borders[0], cell.Borders[1], cell.Borders[2], cell.Borders[3]);
    WriteText("\\clshdng10000\\clcfpat" + Num(ColorIndex(cell.Background)));
    edge += static_cast<long long>(Columns[i]->Width()) * 1440 / ppi;
    WriteLine("\\cellx" + Num(edge));
  }
  WriteLine("{\\trrh0");
}

void TDBGridExExportAsRTF::WriteCell(ui::TAlignment Alignment, const std::string& Spacing, ui::TFont* AFont,
                                     const String& Text, ui::TColor BackColor) {
  WriteText("\\pard\\intbl{" + AlignmentWord(Alignment) + "\\sb" + Spacing + "\\sa" + Spacing);
  WriteFormattedText(AFont, Text, BackColor);
  WriteLine("\\cell}");
}

ui::TColor TDBGridExExportAsRTF::DataCellColor(TColumnEx* Column) {
  TCustomDBGridEx* grid = DBGridEx();
  ui::TColor color = Column->Color();
  if (grid->OnGetCellParams) {
    ui::TFont font;
    font.Assign(Column->Font());
    grid->OnGetCellParams(grid, Column, &font, color, TGridDrawState());
  }
  return color;
}

ui::TColor TDBGridExExportAsRTF::FooterCellColor(TColumnEx* Column, int Row, int DataCol) {
  ui::TFont font;
  ui::TColor color = DBGridEx()->FooterColor();
  ui::TAlignment alignment = ui::taLeftJustify;
  String text;
  FooterParams(Column, Row, DataCol, &font, color, alignment, text);
  return color;
}

void TDBGridExExportAsRTF::WriteRecord(const std::vector<TColumnEx*>& ColumnsList) {
  std::vector<TCellDef> cells(ColumnsList.size());
  for (std::size_t i = 0; i < ColumnsList.size(); ++i) cells[i].Background = DataCellColor(ColumnsList[i]);
  WriteRowDefinition(ColumnsList, cells);
  TDBGridExExport::WriteRecord(ColumnsList);
  WriteLine("\\pard\\intbl\\row}");
}

void TDBGridExExportAsRTF::WriteDataCell(TColumnEx*, TColCellParamsEx& CellParams) {
  WriteCell(CellParams.Alignment(), Spacing(), CellParams.Font(), CellParams.Text(), CellParams.Background());
}

void TDBGridExExportAsRTF::WriteFooter(const std::vector<TColumnEx*>& ColumnsList, int FooterNo) {
  std::vector<TCellDef> cells(ColumnsList.size());
  for (std::size_t i = 0; i < ColumnsList.size(); ++i)
    cells[i].Background = FooterCellColor(ColumnsList[i], FooterNo, static_cast<int>(i));
  WriteRowDefinition(ColumnsList, cells);
  TDBGridExExport::WriteFooter(ColumnsList, FooterNo);
  WriteLine("\\pard\\intbl\\row}");
}

void TDBGridExExportAsRTF::WriteFooterCell(int, int, const String& Text, ui::TAlignment Alignment,
                                           ui::TColor Background, ui::TFont* AFont, TColumnEx*) {
  WriteCell(Alignment, Spacing(), AFont, Text, Background);
}

void TDBGridExExportAsRTF::WriteTitle(const std::vector<TColumnEx*>& ColumnsList) {
  if (DBGridEx()->UseMultiTitle()) {
    WriteMultiTitle(ColumnsList);
    return;
  }
  std::vector<TCellDef> cells(ColumnsList.size());
  for (std::size_t i = 0; i < ColumnsList.size(); ++i) cells[i].Background = ColumnsList[i]->Title()->Color();
  WriteRowDefinition(ColumnsList, cells);
  for (TColumnEx* column : ColumnsList) {
    TColumnTitleEx* title = column->Title();
    WriteCell(title->Alignment(), Spacing(), title->Font(), title->Caption(), title->Color());
  }
  WriteLine("\\pard\\intbl\\row}");
}

void TDBGridExExportAsRTF::WriteSuffix() { WriteText("}"); }

void TDBGridExExportAsRTF::WriteMultiTitle(const std::vector<TColumnEx*>& Columns) {
  TCustomDBGridEx* grid = DBGridEx();
  const std::size_t n = Columns.size();
  // The title lines, from the leaves upwards: each column climbs from its
  // leaf; the columns of the lowest accumulated height climb first.
  std::vector<THeadTreeNode*> node(n, nullptr);
  std::vector<int> height(n, 0);
  for (std::size_t i = 0; i < n; ++i) {
    for (const LeafCol& leaf : grid->LeafFieldArr())
      if (leaf.FColumn == Columns[i]) node[i] = leaf.FLeaf;
    if (node[i]) height[i] = node[i]->Height;
  }
  auto climbs = [&](std::size_t i) { return node[i] && node[i]->Host && node[i]->Host->Host; };
  std::vector<std::vector<THeadTreeNode*>> lines{node};
  for (;;) {
    int lowest = -1;
    for (std::size_t i = 0; i < n; ++i)
      if (climbs(i) && (lowest < 0 || height[i] < lowest)) lowest = height[i];
    if (lowest < 0) break;
    for (std::size_t i = 0; i < n; ++i)
      if (climbs(i) && height[i] == lowest) {
        node[i] = node[i]->Host;
        height[i] += node[i]->Height;
      }
    lines.push_back(node);
  }
  const int ppi = PixelsPerInch();
  const std::string spacing =
      Num(static_cast<long long>(std::trunc(grid->VTitleMargin() / 2.0 * 1440.0 / ppi - 20.0)));
  const int top = static_cast<int>(lines.size()) - 1;
  for (int k = top; k >= 0; --k) {
    const std::vector<THeadTreeNode*>& line = lines[static_cast<std::size_t>(k)];
    auto same = [&](int K, std::size_t I) {
      return K >= 0 && K <= top && lines[static_cast<std::size_t>(K)][I] == line[I];
    };
    std::vector<TCellDef> cells(n);
    std::vector<bool> covered(n, false);
    for (std::size_t i = 0; i < n; ++i) {
      const bool leftSame = i > 0 && line[i - 1] == line[i];
      const bool rightSame = i + 1 < n && line[i + 1] == line[i];
      cells[i].Borders[0] = !leftSame;
      cells[i].Borders[1] = !same(k + 1, i);
      cells[i].Borders[2] = !rightSame;
      cells[i].Borders[3] = !same(k - 1, i);
      covered[i] = leftSame || same(k + 1, i);
      cells[i].Background = k > 0 ? grid->FixedColor() : Columns[i]->Title()->Color();
    }
    WriteRowDefinition(Columns, cells);
    for (std::size_t i = 0; i < n; ++i) {
      ui::TFont* font = k > 0 ? grid->TitleFont() : Columns[i]->Title()->Font();
      if (covered[i]) {
        WriteText("\\pard\\intbl{\\qc");
        WriteFormattedText(font, String(), cells[i].Background);
      } else {
        WriteText("\\pard\\intbl{\\qc\\sb" + spacing + "\\sa" + spacing);
        WriteFormattedText(font, line[i] ? line[i]->Text : String(), cells[i].Background);
      }
      WriteLine("\\cell}");
    }
    WriteLine("\\pard\\intbl\\row}");
  }
}

}  // namespace grid

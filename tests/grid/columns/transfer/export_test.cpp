// The export framework and its writers: byte goldens of the text, UTF-16,
// CSV and rich-text writers, the current-cell export, footer sums, and the
// CSV and rich text read back by other programs (Python's csv module,
// unrtf).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/sums/column_footer_ex.h"
#include "grid/columns/transfer/db_grid_ex_export_as_rtf.h"
#include "grid/columns/transfer/db_grid_ex_export_as_text.h"
#include "platform/runtime/codepage.h"
#include "platform/ui/graphics.h"
#include "tests/grid/columns/transfer/transfer_fixture.h"

namespace {

using namespace grid;
using rtl::Variant;
using transfertest::TransferGrid;
using transfertest::Wide;

// Runs a command and answers what it wrote to its standard output.
std::string RunCommand(const std::string& Command) {
  std::string out;
  FILE* p = popen(Command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

bool HasTool(const std::string& Name) {
  return std::system(("command -v " + Name + " > /dev/null 2>&1").c_str()) == 0;
}

struct TempDir {
  std::string path;
  TempDir() {
    std::string tmpl = ::testing::TempDir() + "grid_transfer_XXXXXX";
    path = mkdtemp(tmpl.data()) ? tmpl : std::string();
  }
  ~TempDir() {
    if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
  }
  std::string Write(const std::string& Name, const std::string& Bytes) const {
    const std::string file = path + "/" + Name;
    std::ofstream(file, std::ios::binary) << Bytes;
    return file;
  }
};

struct ExportTest : TransferGrid {};

TEST_F(ExportTest, TextWritersGiveTheirBytes) {
  Build({{u"X", db::ftString, 20}, {u"Y", db::ftString, 20}},
        {{Variant(u"a"), Variant(u"b")}, {Variant(u"c"), Variant(u"d")}});
  struct Case {
    const char* name;
    TDBGridExExportClass exporter;
    std::string bytes;
  } cases[] = {
      {"text", ExportClassOf<TDBGridExExportAsText>, "X\tY\r\na\tb\r\nc\td"},
      {"unicode", ExportClassOf<TDBGridExExportAsUnicodeText>, Wide("X\tY\r\na\tb\r\nc\td")},
      {"csv", ExportClassOf<TDBGridExExportAsCSV>, "\"X\";\"Y\"\r\n\"a\";\"b\"\r\n\"c\";\"d\""},
  };
  for (const Case& c : cases) EXPECT_EQ(Export(c.exporter), c.bytes) << c.name;
}

TEST_F(ExportTest, CsvQuotesEveryCellAndDoublesInnerQuotes) {
  Build({{u"A", db::ftString, 20}, {u"B", db::ftString, 20}}, {{Variant(u"say \"hi\""), Variant(u"")}});
  grid->SetOptions(grid->Options() - dgTitles);
  EXPECT_EQ(Export(ExportClassOf<TDBGridExExportAsCSV>), "\"say \"\"hi\"\"\";\"\"");
  CsvSeparator = ',';
  const std::string comma = Export(ExportClassOf<TDBGridExExportAsCSV>);
  CsvSeparator = ';';
  EXPECT_EQ(comma, "\"say \"\"hi\"\"\",\"\"");
}

TEST_F(ExportTest, NoSelectionExportsTheCurrentCellOnly) {
  Build({{u"X", db::ftString, 20}, {u"Y", db::ftString, 20}},
        {{Variant(u"a"), Variant(u"b")}, {Variant(u"c"), Variant(u"d")}});
  ds->Next();
  grid->SetSelectedIndex(1);
  EXPECT_EQ(Export(ExportClassOf<TDBGridExExportAsText>, false), "d");
  EXPECT_EQ(ds->Fields(0)->AsString(), u"c") << "the position comes back";
}

TEST_F(ExportTest, SumFooterAddsTheExportedRecords) {
  Build({{u"N", db::ftInteger}, {u"S", db::ftString, 10}},
        {{Variant(1), Variant(u"a")}, {Variant(2), Variant::Null()}, {Variant(30), Variant(u"c")}});
  grid->SetOptions(grid->Options() - dgTitles);
  grid->SetFooterRowCount(1);
  Column(0)->Footer()->SetValueType(fvtSum);
  Column(1)->Footer()->SetValueType(fvtCount);
  EXPECT_EQ(Export(ExportClassOf<TDBGridExExportAsText>), "1\ta\r\n2\t\r\n30\tc\r\n33\t3");
}

// Column font Tahoma 10 bold black on white, 64 pixels wide, at 96 dpi.
std::string RtfGolden(const std::vector<std::string>& Cells) {
  const std::uint32_t face = ui::ColorToRGB(ui::clBtnFace);
  std::string s = "{\\rtf0\\ansi\r\n{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;";
  if (face != 0 && face != 0xFFFFFF)
    s += "\\red" + std::to_string(face & 0xFF) + "\\green" + std::to_string((face >> 8) & 0xFF) + "\\blue" +
         std::to_string((face >> 16) & 0xFF) + ";";
  s += "}\r\n{\\fonttbl\\f0\\fnil Tahoma;}\r\n\\trowd\\trgaph40\r\n";
  int edge = 0;
  for (std::size_t i = 0; i < Cells.size(); ++i) {
    for (const char* side : {"l", "t", "b", "r"})
      s += std::string("\\clbrdr") + side + "\\brdrs\\brdrcf0\r\n";
    edge += 960;
    s += "\\clshdng10000\\clcfpat1\\cellx" + std::to_string(edge) + "\r\n";
  }
  s += "{\\trrh0\r\n";
  for (const std::string& c : Cells)
    s += "\\pard\\intbl{\\ql\\sb24\\sa24\\fs20\\b\\f0\\cf0\\cb1 " + c + "\\cell}\r\n";
  s += "\\pard\\intbl\\row}\r\n}";
  return s;
}

struct RtfExportTest : TransferGrid {
  void Prepare(const std::vector<Variant>& Row) {
    std::vector<transfertest::FieldSpec> fields;
    for (std::size_t i = 0; i < Row.size(); ++i)
      fields.push_back({u"F" + rtl::IntToStr(static_cast<int>(i)), db::ftWideString, 40});
    Build(fields, {Row});
    grid->SetOptions(grid->Options() - dgTitles);
    ui::TFont font;
    font.SetName(u"Tahoma");
    font.SetSize(10);
    font.SetStyle(ui::TFontStyles{ui::fsBold});
    font.SetColor(ui::clBlack);
    for (std::size_t i = 0; i < Row.size(); ++i) {
      Column(static_cast<int>(i))->SetFont(&font);
      Column(static_cast<int>(i))->SetColor(ui::clWhite);
      Column(static_cast<int>(i))->SetWidth(64);
    }
  }
};

TEST_F(RtfExportTest, OneRecordOfThreeColumns) {
  Prepare({Variant(u"a"), Variant(u"b"), Variant(u"c")});
  EXPECT_EQ(Export(ExportClassOf<TDBGridExExportAsRTF>), RtfGolden({"a", "b", "c"}));
}

TEST_F(RtfExportTest, TextIsEscapedForTheDocument) {
  Prepare({Variant(u"C:\\temp\\new"), Variant(u"a}b{c"), Variant(rtl::U("中文"))});
  EXPECT_EQ(Export(ExportClassOf<TDBGridExExportAsRTF>),
            RtfGolden({"C:\\\\temp\\\\new", "a\\}b\\{c", "\\u20013?\\u25991?"}));
}

TEST_F(RtfExportTest, FlatGridSpacesParagraphsByTwelve) {
  Prepare({Variant(u"a")});
  grid->SetFlat(true);
  const std::string rtf = Export(ExportClassOf<TDBGridExExportAsRTF>);
  EXPECT_NE(rtf.find("\\sb12\\sa12\\fs20"), std::string::npos);
  EXPECT_EQ(rtf.find("\\sb24"), std::string::npos);
}

TEST_F(ExportTest, PythonCsvReadsTheCellsBack) {
  if (!HasTool("python3")) GTEST_SKIP() << "python3 is not installed";
  Build({{u"Name", db::ftString, 20}, {u"Note", db::ftString, 40}},
        {{Variant(u"a;1"), Variant(u"say \"hi\"")}, {Variant(u""), Variant(u"x, y")}});
  TempDir dir;
  const std::string file = dir.Write("out.csv", Export(ExportClassOf<TDBGridExExportAsCSV>));
  const std::string rows = RunCommand(
      "python3 -c \"import csv,json,sys; "
      "print(json.dumps(list(csv.reader(open(sys.argv[1], newline=''), delimiter=';'))))\" '" +
      file + "'");
  EXPECT_EQ(rows, "[[\"Name\", \"Note\"], [\"a;1\", \"say \\\"hi\\\"\"], [\"\", \"x, y\"]]\n");
}

TEST_F(RtfExportTest, UnrtfReadsTheCellsBack) {
  if (!HasTool("unrtf")) GTEST_SKIP() << "unrtf is not installed (scripts/setup installs it)";
  Prepare({Variant(u"C:\\temp\\new"), Variant(u"a}b{c"), Variant(rtl::U("中文"))});
  TempDir dir;
  const std::string file = dir.Write("out.rtf", Export(ExportClassOf<TDBGridExExportAsRTF>));
  // Its HTML output keeps characters beyond ASCII as numeric references.
  const std::string html = RunCommand("unrtf --html --nopict '" + file + "' 2>/dev/null");
  for (const char* cell : {"C:\\temp\\new", "a}b{c", "&#20013;&#25991;"})
    EXPECT_NE(html.find(cell), std::string::npos) << cell << "\n" << html;
}

}  // namespace

// The typed grid-data format: the writer's bytes, what the reader keeps
// and drops, and malformed input, which must raise the format error without
// reading past the source (the same bytes feed the fuzz target's seeds).
#include <gtest/gtest.h>

#include "grid/columns/transfer/db_grid_ex_vcldbif.h"
#include "platform/runtime/exceptions.h"
#include "tests/grid/columns/transfer/transfer_fixture.h"

namespace {

using namespace grid;
using rtl::Variant;
using transfertest::TransferGrid;

std::string Int32(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  return std::string{char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
}
std::string Prefix(std::int32_t Columns) {
  std::string s = "VCLDBIF" + std::string(1, '\1') + Int32(Columns);
  for (int i = 0; i < Columns; ++i) s += std::string("\1\0", 2);
  return s;
}
std::string B(std::initializer_list<int> Bytes) {
  std::string s;
  for (int b : Bytes) s += static_cast<char>(b);
  return s;
}

struct VcldbifTest : TransferGrid {
  void IntAndString() {
    Build({{u"I", db::ftInteger}, {u"S", db::ftString, 10}}, {{Variant(5), Variant::Null()}});
  }
};

TEST_F(VcldbifTest, WriterGivesTheGolden) {
  IntAndString();
  const std::string golden = "VCLDBIF" + B({1}) + Int32(2) + B({1, 0, 1, 0, 3}) + Int32(5) + B({2, 0});
  ASSERT_EQ(golden.size(), 23u);
  EXPECT_EQ(Export(ExportClassOf<TDBGridExExportAsVCLDBIF>), golden);
}

TEST_F(VcldbifTest, NoValueLeavesTheCellAndExtraColumnsAreDropped) {
  Build({{u"A", db::ftInteger}, {u"B", db::ftString, 10}},
        {{Variant(1), Variant(u"keep")}, {Variant(2), Variant(u"two")}});
  grid->SetSelectedIndex(0);
  // Three columns into two: every third value is dropped; tag 1 changes nothing.
  Import(ImportClassOf<TDBGridExImportAsVCLDBIF>, Prefix(3) + B({3}) + Int32(10) + B({1}) + B({3}) +
                                                      Int32(99) + B({3}) + Int32(20) + B({5}) + Int32(1) +
                                                      "x" + B({2}) + B({0}));
  EXPECT_EQ(TableRows(), (std::vector<std::vector<ui::String>>{{u"10", u"keep"}, {u"20", u"x"}}));
}

TEST_F(VcldbifTest, MalformedInputRaisesTheFormatError) {
  const std::string value = B({3}) + Int32(5);
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"short prefix", "VCLDBIF" + B({1, 1, 0})},
      {"bad signature", "VCLDBIX" + B({1}) + Int32(1) + B({1, 0, 0})},
      {"no descriptor end", "VCLDBIF" + B({1}) + Int32(1) + B({1, 'a', 'b'})},
      {"column count beyond the data", "VCLDBIF" + B({1}) + Int32(0x7FFFFFFF) + B({1, 0, 0})},
      {"negative column count", "VCLDBIF" + B({1}) + Int32(-1) + B({0})},
      {"no columns but data", Prefix(0) + value + B({0})},
      {"no end tag", Prefix(1) + value},
      {"short integer", Prefix(1) + B({3, 1, 2})},
      {"short double", Prefix(1) + B({4, 1, 2, 3, 4, 5, 6, 7})},
      {"negative length", Prefix(1) + B({5}) + Int32(-1) + B({0})},
      {"length beyond the data", Prefix(1) + B({6}) + Int32(0x7FFFFFFF) + "abc" + B({0})},
      {"odd wide length", Prefix(1) + B({7}) + Int32(3) + "abc" + B({0})},
      {"short wide text", Prefix(1) + B({7}) + Int32(4) + "ab"},
      {"unknown tag 8", Prefix(1) + B({8, 0})},
      {"unknown tag 255", Prefix(1) + B({255, 0})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IntAndString();
    grid->SetSelectedIndex(0);
    try {
      Import(ImportClassOf<TDBGridExImportAsVCLDBIF>, c.bytes);
      ADD_FAILURE() << "no error";
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(e.Message(), u"TDBGridExImportAsVCLDBIF.ReadPrefix: Invalid VCLDBIF format");
    }
    EXPECT_EQ(ds->RecordCount(), 1) << "no record appended";
  }
}

TEST_F(VcldbifTest, EveryCutAndFlipOfValidDataEndsOrRaises) {
  // Text columns take a value of every tag without an assignment error.
  std::vector<transfertest::FieldSpec> fields;
  for (int i = 0; i < 7; ++i) fields.push_back({u"W" + rtl::IntToStr(i), db::ftWideString, 40});
  Build(fields, {std::vector<Variant>(7, Variant(u"a")), std::vector<Variant>(7, Variant(u"b"))});
  double half = 1.5;
  std::string bits(reinterpret_cast<const char*>(&half), 8);
  const std::string valid = Prefix(7) + B({1, 2, 3}) + Int32(-3) + B({4}) + bits + B({5}) + Int32(2) + "ab" +
                            B({6}) + Int32(1) + B({0xFF, 7}) + Int32(4) + "x\0y\0" + B({0});
  std::vector<std::string> inputs;
  for (std::size_t n = 0; n < valid.size(); ++n) inputs.push_back(valid.substr(0, n));
  for (std::size_t i = 0; i < valid.size(); ++i)
    for (int v : {0, 1, 2, 7, 8, 0x80, 0xFF}) {
      std::string s = valid;
      s[i] = static_cast<char>(v);
      inputs.push_back(s);
    }
  for (const std::string& input : inputs) {
    grid->SetSelectedIndex(0);
    try {
      Import(ImportClassOf<TDBGridExImportAsVCLDBIF>, input);
    } catch (const rtl::Exception&) {
    }
    ASSERT_LE(ds->RecordCount(), 2 + static_cast<int>(input.size()));
    while (ds->RecordCount() > 2) {
      ds->Last();
      ds->Delete();
    }
  }
}

}  // namespace

// Filter expressions of the memory dataset (a filter typed by the user or
// kept in a settings file), applied to a small table with a field of each
// kind, and the same text through the expression parser with a function.
#include <cstddef>
#include <cstdint>

#include "components/extended/data/ext_expr_parser.h"
#include "components/extended/data/ext_memory_data.h"
#include "fuzz/support/fuzz_support.h"

namespace {

struct Table {
  ext::TExtMemoryData ds;
  Table() {
    ds.FieldDefs().Add(u"KEY", db::ftInteger);
    ds.FieldDefs().Add(u"NAME", db::ftString, 20);
    ds.FieldDefs().Add(u"AMOUNT", db::ftFloat);
    ds.FieldDefs().Add(u"AI", db::ftAutoInc);
    ds.FieldDefs().Add(u"MEMO", db::ftMemo);
    ds.FieldDefs().Add(u"V", db::ftVariant);
    ds.Open();
    const char16_t* names[] = {u"one", u"Two", u"第三", u""};
    for (int i = 0; i < 4; ++i) {
      ds.Append();
      ds.FieldByName(u"KEY")->SetAsInteger(i * 7 - 3);
      if (i != 3) ds.FieldByName(u"NAME")->SetAsString(names[i]);
      ds.FieldByName(u"AMOUNT")->SetAsFloat(i * 2.5);
      ds.FieldByName(u"MEMO")->SetAsString(names[3 - i]);
      if (i == 1) ds.FieldByName(u"V")->SetValue(rtl::Variant(u"x"));
      ds.Post();
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const rtl::String text = fuzz::Text(std::string_view(reinterpret_cast<const char*>(data), size));
  // Made once: each input leaves the table unfiltered, as checked below.
  static Table* const table = new Table;
  db::TDataSet& ds = table->ds;
  try {
    ds.SetFilter(text);
    ds.SetFiltered(true);
    ds.First();
    for (int i = 0; i < 8 && !ds.Eof(); ++i) ds.Next();
    ds.Last();
    ds.Prior();
  } catch (const rtl::Exception&) {
    // A filter that does not read is refused with the dataset's error.
  }
  try {
    ds.SetFiltered(false);
    ds.SetFilter(u"");
  } catch (const rtl::Exception&) {
    __builtin_trap();  // the table must stay usable whatever the filter was
  }

  ext::TExprParser parser;
  parser.SetEnableWildcardMatching(size & 1);
  parser.OnGetVariable = [](ext::TExprParser*, const rtl::String& name, rtl::Variant& value) {
    if (name.size() == 1) value = rtl::Variant(static_cast<int>(name[0]));
    return name.size() < 3;
  };
  parser.OnExecuteFunction = [](ext::TExprParser*, const rtl::String&, const rtl::Variant& args,
                                rtl::Variant& result) {
    result = args;
    return true;
  };
  try {
    parser.Eval(text);
  } catch (const rtl::Exception&) {
    __builtin_trap();  // Eval answers false with a message; it never raises
  }
  return 0;
}

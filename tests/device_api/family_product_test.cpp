// Presence check and product information.
#include <array>
#include <cstring>
#include <functional>
#include <string>

#include "tests/device_api/export_rows.h"

namespace jqtest {
namespace {

class ProductExports : public ExportTableTest {
 protected:
  // Each multi-output export runs through its slot form and its slot-0 form.
  template <class Call>
  void ForBothForms(Call&& test) {
    for (bool zero_form : {false, true}) {
      SCOPED_TRACE(zero_form ? "slot-0 form" : "slot form");
      ClearLog();
      test(zero_form);
    }
  }
};

constexpr uint8_t Fill = 0xEE;

// The four-byte little-endian word of the given bytes.
int32_t Word(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
  return static_cast<int32_t>(b0 | b1 << 8 | b2 << 16 | static_cast<uint32_t>(b3) << 24);
}

TEST_P(ProductExports, SingleCommandTable) {
  RunRows({
      {JQ_ROW(Check),                          {{0, 0, 0}}, 0,     {}},
      {JQ_ROW(Get_Product_Resource, &o.i),     {{9, 0, 0}}, 0x819, I32(0x819)},
  });
}

using ByteReader = std::function<int32_t(bool zero_form, uint8_t*)>;

int32_t ReadId(bool zero_form, uint8_t* b) { return zero_form ? JQ_Get_Product_ID(b) : JQ_M_Get_Product_ID(0, b); }

TEST_P(ProductExports, IdentifierIsTheFourWordsLittleEndianWithoutTerminator) {
  sim.SetValue(1, 0, Word(0x31, 0x32, 0x33, 0x34));
  sim.SetValue(2, 0, Word(0x35, 0x36, 0x37, 0x38));
  sim.SetValue(3, 0, Word(0x39, 0x30, 0x41, 0x42));
  sim.SetValue(4, 0, Word(0x43, 0x44, 0x45, 0x46));
  ForBothForms([&](bool zero_form) {
    std::array<uint8_t, 17> id;
    id.fill(Fill);
    EXPECT_EQ(ReadId(zero_form, id.data()), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(id.data()), 16), "1234567890ABCDEF");
    EXPECT_EQ(id[16], Fill);
    EXPECT_TRUE(SameRequests(Requests(), {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}}));
  });
}

TEST_P(ProductExports, IdentifierStopsAtTheFirstRefusalKeepingEarlierBytes) {
  sim.SetValue(1, 0, Word(0x31, 0x32, 0x33, 0x34));
  Refuse(2);
  ForBothForms([&](bool zero_form) {
    std::array<uint8_t, 16> id;
    id.fill(Fill);
    EXPECT_EQ(ReadId(zero_form, id.data()), -1);
    EXPECT_EQ((std::array<uint8_t, 4>{id[0], id[1], id[2], id[3]}),
              (std::array<uint8_t, 4>{0x31, 0x32, 0x33, 0x34}));
    for (size_t k = 4; k < id.size(); ++k) EXPECT_EQ(id[k], Fill) << "byte " << k;
    EXPECT_TRUE(SameRequests(Requests(), AsSent({{1, 0, 0}, {2, 0, 0}}, {2})));
  });
}

TEST_P(ProductExports, SerialNumberBytes) {
  const std::vector<std::pair<std::string, ByteReader>> readers = {
      {"SN", [](bool z, uint8_t* b) { return z ? JQ_Get_Product_SN(b) : JQ_M_Get_Product_SN(0, b); }},
      {"SN2", [](bool z, uint8_t* b) { return z ? JQ_Get_Product_SN2(b) : JQ_M_Get_Product_SN2(0, b); }},
  };
  sim.SetValue(5, 0, Word(0x01, 0x02, 0x03, 0x04));
  sim.SetValue(6, 0, Word(0x05, 0x06, 0x07, 0x08));
  sim.SetValue(7, 0, Word(0x09, 0x0A, 0xFB, 0x8C));
  for (const auto& [name, read] : readers) {
    SCOPED_TRACE(name);
    ForBothForms([&](bool zero_form) {
      std::array<uint8_t, 13> sn;
      sn.fill(Fill);
      EXPECT_EQ(read(zero_form, sn.data()), 0);
      EXPECT_EQ(sn, (std::array<uint8_t, 13>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0x0A, 0xFB, 0x8C, Fill}));
      EXPECT_TRUE(SameRequests(Requests(), {{5, 0, 0}, {6, 0, 0}, {7, 0, 0}}));
    });
    Refuse(6);
    ForBothForms([&](bool zero_form) {
      std::array<uint8_t, 12> sn;
      sn.fill(Fill);
      EXPECT_EQ(read(zero_form, sn.data()), -1);
      EXPECT_EQ(sn, (std::array<uint8_t, 12>{1, 2, 3, 4, Fill, Fill, Fill, Fill, Fill, Fill, Fill, Fill}));
      EXPECT_TRUE(SameRequests(Requests(), AsSent({{5, 0, 0}, {6, 0, 0}}, {6})));
    });
    sim.SetStatus(6, 0);
  }
}

int32_t ReadSerialText(bool zero_form, char* t) {
  return zero_form ? JQ_Get_Product_SN3(t) : JQ_M_Get_Product_SN3(0, t);
}

TEST_P(ProductExports, SerialNumberTextIsUpperCaseHexHighNibbleFirst) {
  struct Case {
    int32_t words[3];
    const char* text;
  };
  const Case cases[] = {
      {{Word(0x01, 0x02, 0x03, 0x04), Word(0x05, 0x06, 0x07, 0x08), Word(0x09, 0x0A, 0x0B, 0x0C)},
       "0102030405060708090A0B0C"},
      {{Word(0xFE, 0xDC, 0xBA, 0x98), Word(0x00, 0xFF, 0x10, 0xA5), Word(0x7F, 0x80, 0x0F, 0xF0)},
       "FEDCBA9800FF10A57F800FF0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    for (int k = 0; k < 3; ++k) sim.SetValue(5 + k, 0, c.words[k]);
    ForBothForms([&](bool zero_form) {
      char text[25];
      std::memset(text, Fill, sizeof text);
      EXPECT_EQ(ReadSerialText(zero_form, text), 0);
      EXPECT_EQ(std::string(text, 24), c.text);
      EXPECT_EQ(static_cast<uint8_t>(text[24]), Fill);
      EXPECT_TRUE(SameRequests(Requests(), {{5, 0, 0}, {6, 0, 0}, {7, 0, 0}}));
    });
  }
}

TEST_P(ProductExports, SerialNumberTextIsWrittenOnlyWhenAllThreeWordsArrived) {
  const std::vector<std::pair<uint16_t, std::vector<Req>>> refusals = {
      {5, {{5, 0, 0}}},
      {7, {{5, 0, 0}, {6, 0, 0}, {7, 0, 0}}},
  };
  for (const auto& [code, sent] : refusals) {
    SCOPED_TRACE(code);
    Refuse(code);
    ForBothForms([&](bool zero_form) {
      char text[24];
      std::memset(text, Fill, sizeof text);
      EXPECT_EQ(ReadSerialText(zero_form, text), -1);
      for (char ch : text) EXPECT_EQ(static_cast<uint8_t>(ch), Fill);
      EXPECT_TRUE(SameRequests(Requests(), AsSent(sent, {code})));
    });
    sim.SetStatus(code, 0);
  }
}

int32_t ReadVersion(bool zero_form, int32_t* a, int32_t* b) {
  return zero_form ? JQ_Get_Product_Version(a, b) : JQ_M_Get_Product_Version(0, a, b);
}

TEST_P(ProductExports, VersionIsTheFirstTwoValueBytesUnsigned) {
  struct Case {
    int32_t reply;
    int32_t first, second;
  };
  for (const Case& c : {Case{Word(1, 2, 3, 0), 1, 2}, Case{Word(0xC8, 0x80, 0xFF, 0xFF), 200, 128}}) {
    sim.SetValue(8, 0, c.reply);
    ForBothForms([&](bool zero_form) {
      int32_t a = Sentinel, b = Sentinel;
      EXPECT_EQ(ReadVersion(zero_form, &a, &b), 0);
      EXPECT_EQ(a, c.first);
      EXPECT_EQ(b, c.second);
      EXPECT_TRUE(SameRequests(Requests(), {{8, 0, 0}}));
    });
  }
  Refuse(8);
  ForBothForms([&](bool zero_form) {
    int32_t a = Sentinel, b = Sentinel;
    EXPECT_EQ(ReadVersion(zero_form, &a, &b), -1);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 0);
  });
  int32_t a = Sentinel, b = Sentinel;
  EXPECT_EQ(JQ_M_Get_Product_Version(1, &a, &b), -1);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 0);
}

struct Version4 {
  int32_t v[4] = {Sentinel, Sentinel, Sentinel, Sentinel};
};

int32_t ReadVersion2(bool zero_form, Version4& o) {
  return zero_form ? JQ_Get_Product_Version2(&o.v[0], &o.v[1], &o.v[2], &o.v[3])
                   : JQ_M_Get_Product_Version2(0, &o.v[0], &o.v[1], &o.v[2], &o.v[3]);
}

TEST_P(ProductExports, FullVersionJoinsCommandEightBytesAndCommandTen) {
  struct Case {
    const char* what;
    int32_t reply8, reply10;
    uint16_t refused;  // 0: none
    int32_t result;
    std::array<int32_t, 4> version;
    std::vector<Req> sent;
  };
  const Case cases[] = {
      {"1.2.3.7", Word(1, 2, 3, 0), 7, 0, 0, {1, 2, 3, 7}, {{8, 0, 0}, {10, 0, 0}}},
      {"bytes unsigned", Word(0xFC, 0xFD, 0xFE, 0xFF), -2, 0, 0, {252, 253, 254, -2}, {{8, 0, 0}, {10, 0, 0}}},
      {"8 refused", Word(1, 2, 3, 0), 7, 8, -1, {0, 0, 0, 0}, {{8, 0, 0}}},
      {"10 refused", Word(1, 2, 3, 0), 7, 10, -1, {1, 2, 3, 0}, {{8, 0, 0}, {10, 0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim.SetValue(8, 0, c.reply8);
    sim.SetValue(10, 0, c.reply10);
    if (c.refused) Refuse(c.refused);
    ForBothForms([&](bool zero_form) {
      Version4 o;
      EXPECT_EQ(ReadVersion2(zero_form, o), c.result);
      EXPECT_EQ((std::array<int32_t, 4>{o.v[0], o.v[1], o.v[2], o.v[3]}), c.version);
      EXPECT_TRUE(SameRequests(Requests(), AsSent(c.sent, {c.refused})));
    });
    if (c.refused) sim.SetStatus(c.refused, 0);
  }
}

TEST_P(ProductExports, MultiCommandGettersOnAnUnreachableSlotSendNothing) {
  for (int32_t slot : {1, 8, -1}) {
    SCOPED_TRACE(slot);
    ClearLog();
    uint8_t bytes[16];
    std::memset(bytes, Fill, sizeof bytes);
    EXPECT_EQ(JQ_M_Get_Product_ID(slot, bytes), -1);
    EXPECT_EQ(JQ_M_Get_Product_SN(slot, bytes), -1);
    EXPECT_EQ(JQ_M_Get_Product_SN2(slot, bytes), -1);
    EXPECT_EQ(JQ_M_Get_Product_SN3(slot, reinterpret_cast<char*>(bytes)), -1);
    for (uint8_t b : bytes) EXPECT_EQ(b, Fill);
    Version4 o;
    EXPECT_EQ(JQ_M_Get_Product_Version2(slot, &o.v[0], &o.v[1], &o.v[2], &o.v[3]), -1);
    EXPECT_EQ((std::array<int32_t, 4>{o.v[0], o.v[1], o.v[2], o.v[3]}), (std::array<int32_t, 4>{}));
    EXPECT_TRUE(SameRequests(Requests(), {}));
  }
}

TEST_P(ProductExports, NullBuffersAreSkippedNotWrittenThrough) {
  EXPECT_EQ(JQ_Get_Product_ID(nullptr), 0);
  EXPECT_EQ(JQ_Get_Product_SN3(nullptr), 0);
  EXPECT_EQ(JQ_Get_Product_Version2(nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_TRUE(SameRequests(Requests(), {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0},
                                        {5, 0, 0}, {6, 0, 0}, {7, 0, 0},
                                        {8, 0, 0}, {10, 0, 0}}));
}

JQ_INSTANTIATE_ON_LINKS(ProductExports);

}  // namespace
}  // namespace jqtest

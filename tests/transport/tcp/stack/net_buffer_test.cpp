// The byte buffer: growth, taking from the front, peeks and writes at
// positions among the unread bytes, searches and their failures.
#include <gtest/gtest.h>

#include "transport/tcp/stack/net_buffer.h"
#include "tests/transport/tcp/net_stack_fixture.h"
#include "platform/runtime/streams.h"

using namespace net;

namespace {

class Buffer : public NetStackFixture {};

TNetBytes Seq(int from, int count) {
  TNetBytes b;
  for (int i = 0; i < count; ++i) b.push_back(static_cast<std::uint8_t>(from + i));
  return b;
}

TEST_F(Buffer, HoldsAStackUse) {
  const int before = StackUsers();
  {
    TNetBuffer b;
    EXPECT_EQ(StackUsers(), before + 1);
  }
  EXPECT_EQ(StackUsers(), before);
}

TEST_F(Buffer, CapacityGrowsInSteps) {
  TNetBuffer b;
  b.Append(Seq(0, 13));
  EXPECT_EQ(b.Size(), 13);
  EXPECT_EQ(b.Capacity(), 13);
  b.Append(Seq(13, 1));
  EXPECT_EQ(b.Capacity(), 13 + 1 + 2048);
  b.Append(Seq(14, 100));
  EXPECT_EQ(b.Capacity(), 13 + 1 + 2048);
  b.Append(Seq(0, 10), 4, 8);  // offset 8 leaves two bytes
  b.Append(Seq(0, 10), 0);
  b.Append(Seq(0, 10), -1, 20);
  EXPECT_EQ(b.Size(), 116);
  TNetBytes all;
  b.ExtractBytes(all);
  EXPECT_EQ(TNetBytes(all.begin(), all.begin() + 114), Seq(0, 114));
  EXPECT_EQ(TNetBytes(all.end() - 2, all.end()), Seq(8, 2));
  EXPECT_EQ(b.Capacity(), 0);
}

TEST_F(Buffer, ShortExtractLeavesBytesInPlace) {
  int taken = 0, calls = 0;
  TNetBuffer b([&](TNetBuffer*, std::int32_t count) {
    taken += count;
    ++calls;
  });
  b.Append(Seq(1, 10));
  TNetBytes out{0xEE};
  try {
    b.ExtractBytes(out, 14);
    FAIL();
  } catch (const ENetNotEnoughDataInBuffer& e) {
    EXPECT_EQ(e.Message(), u"Not enough data in buffer. (14/10)");
  }
  EXPECT_EQ(b.Size(), 10);
  EXPECT_EQ(out, TNetBytes{0xEE});
  EXPECT_EQ(calls, 0);

  b.ExtractBytes(out, 4);
  EXPECT_EQ(out, (TNetBytes{0xEE, 1, 2, 3, 4}));
  EXPECT_EQ(b.Size(), 6);
  EXPECT_EQ(b.HeadIndex(), 4);
  b.ExtractBytes(out, 2, false);  // written over the start of the target
  EXPECT_EQ(out, (TNetBytes{5, 6, 2, 3, 4}));
  b.ExtractBytes(out, -1, false);  // taking everything resets the buffer
  EXPECT_EQ(b.Size(), 0);
  EXPECT_EQ(b.Capacity(), 0);
  EXPECT_EQ(taken, 10);
  EXPECT_EQ(calls, 3);
}

TEST_F(Buffer, IndexedFormsCountFromTheFirstUnreadByte) {
  TNetBuffer b;
  b.Append(Seq(0, 10));
  b.Discard(4);  // unread: 4..9
  TNetBytes peek;
  b.ExtractBytes(peek, 2, true, 1);
  EXPECT_EQ(peek, (TNetBytes{5, 6}));
  EXPECT_EQ(b.Size(), 6);
  peek.clear();
  b.ExtractBytes(peek, -1, true, 4);  // the rest from position 4
  EXPECT_EQ(peek, (TNetBytes{8, 9}));
  // Past the unread bytes: refused, nothing read from stale storage.
  EXPECT_THROW(b.ExtractBytes(peek, 3, true, 4), ENetNotEnoughDataInBuffer);
  EXPECT_THROW(b.ExtractBytes(peek, 1, true, 6), ENetNotEnoughDataInBuffer);
  EXPECT_THROW(b.ExtractBytes(peek, 1, true, 50), ENetNotEnoughDataInBuffer);

  b.Append({0xAA, 0xBB}, -1, 0, 1);  // overwrite inside
  b.Append({0xCC, 0xDD, 0xEE}, -1, 0, 5);  // overwrite the last and extend
  b.Append({0x11}, -1, 0, 10);  // behind the end: the gap reads as zeros
  TNetBytes all;
  b.ExtractBytes(all);
  EXPECT_EQ(all, (TNetBytes{4, 0xAA, 0xBB, 7, 8, 0xCC, 0xDD, 0xEE, 0, 0, 0x11}));

  TNetBuffer empty;
  empty.Append({1, 2}, -1, 0, 3);
  EXPECT_EQ(empty.Size(), 5);
  all.clear();
  empty.ExtractBytes(all);
  EXPECT_EQ(all, (TNetBytes{0, 0, 0, 1, 2}));
}

TEST_F(Buffer, PeekToStreamAndText) {
  TNetBuffer b;
  b.Append({'a', 'b', 'c', 'd', 'e'});
  b.Discard(1);
  rtl::TMemoryStream stream;
  b.ExtractToStream(stream, 2, 1);
  EXPECT_EQ(b.Size(), 4);
  b.ExtractToStream(stream, 1);
  EXPECT_EQ(b.Size(), 3);
  EXPECT_THROW(b.ExtractToStream(stream, 2, 2), ENetNotEnoughDataInBuffer);
  EXPECT_EQ(stream.Size(), 3);
  EXPECT_EQ(b.ExtractText(2), "cd");
  EXPECT_EQ(b.ExtractText(0), "");
  EXPECT_EQ(b.ExtractText(), "e");
}

TEST_F(Buffer, SearchAmongUnreadBytes) {
  TNetBuffer b;
  EXPECT_EQ(b.IndexOfBytes({}), -1);  // empty buffer: no checks
  b.Append({'x', 'a', '\r', '\n', 'b', '\r'});
  b.Discard(1);
  EXPECT_EQ(b.IndexOfBytes({'\r', '\n'}), 1);
  EXPECT_EQ(b.IndexOfBytes({'\r', '\n'}, 2), -1);
  EXPECT_EQ(b.IndexOfBytes({'\r', '\n'}, 4), -1);  // straddles the end
  EXPECT_EQ(b.IndexOfBytes({'\r'}, 2), 4);
  try {
    b.IndexOfBytes({});
    FAIL();
  } catch (const ENetException& e) {
    EXPECT_EQ(e.Message(), u"Buffer terminator must be specified.");
  }
  EXPECT_THROW(b.IndexOfBytes({'a'}, 5), ENetException);
  EXPECT_THROW(b.IndexOfBytes({'a'}, -1), ENetException);
}

TEST_F(Buffer, PacksAndShrinksAfterLongTakes) {
  TNetBuffer b;
  b.Append(Seq(0, 200));
  b.Append(TNetBytes(5000, 7));
  const int capacity = b.Capacity();
  b.Discard(3000);
  EXPECT_EQ(b.HeadIndex(), 0);  // packed once the head passed the step
  EXPECT_LE(b.Capacity(), b.Size() + 2048);
  EXPECT_LT(b.Capacity(), capacity);
  EXPECT_EQ(b.Size(), 2200);
}

}  // namespace

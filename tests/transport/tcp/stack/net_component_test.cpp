// The component base (status and work reports), the reply objects, the
// intercept chain and the anti-freeze registration.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "transport/tcp/stack/net_anti_freeze.h"
#include "transport/tcp/stack/net_intercept.h"
#include "transport/tcp/stack/net_reply.h"
#include "tests/transport/tcp/net_stack_fixture.h"
#include "platform/runtime/thread.h"

using namespace net;

namespace {

class Components : public NetStackFixture {};

TEST_F(Components, StatusTextsAreFormattedWithTheirArguments) {
  auto* c = NetCreate<TNetComponent>(nullptr);
  std::vector<rtl::String> texts;
  c->ReportStatus(hsConnected);  // no handler: nothing happens
  c->OnStatus = [&](ui::TObject* sender, TNetStatus, const rtl::String& text) {
    EXPECT_EQ(sender, c);
    texts.push_back(text);
  };
  c->ReportStatus(hsConnected, {rtl::String(u"host")});
  c->ReportStatus(hsResolving);
  c->ReportStatus(hsConnecting, {rtl::String(u"192.0.2.1")});
  c->ReportStatus(hsStatusText, {rtl::String(u"free text")});
  EXPECT_EQ(texts, (std::vector<rtl::String>{u"Connected.", u"Resolving hostname .", u"Connecting to 192.0.2.1.",
                                             u"free text"}));
  ui::Free(c);
}

TEST_F(Components, WorkSpansNestAndForward) {
  auto* c = NetCreate<TNetComponent>(nullptr);
  std::vector<std::string> events;
  c->OnWorkBegin = [&](ui::TObject*, TWorkMode m, std::int64_t max) {
    events.push_back("begin " + std::to_string(m) + " " + std::to_string(max));
  };
  c->OnWork = [&](ui::TObject*, TWorkMode, std::int64_t n) { events.push_back("work " + std::to_string(n)); };
  c->OnWorkEnd = [&](ui::TObject*, TWorkMode m) { events.push_back("end " + std::to_string(m)); };

  c->AddWork(wmRead, 5);  // outside a span: nothing
  c->FinishWork(wmRead);  // unmatched: nothing, and the next span still begins
  c->StartWork(wmRead, 100);
  c->StartWork(wmRead, 50);
  c->AddWork(wmRead, 10);
  c->AddWork(wmRead, 5);
  c->FinishWork(wmRead);
  c->FinishWork(wmRead);
  c->StartWork(wmWrite, 0);
  c->FinishWork(wmWrite);
  EXPECT_EQ(events, (std::vector<std::string>{"begin 0 100", "work 10", "work 15", "end 0", "begin 1 0", "end 1"}));
  EXPECT_EQ(c->WorkLevel(wmRead), 0);

  auto* target = NetCreate<TNetComponent>(nullptr);
  c->SetWorkTarget(target);
  c->StartWork(wmRead, 7);
  EXPECT_EQ(target->WorkLevel(wmRead), 1);
  EXPECT_EQ(c->WorkLevel(wmRead), 0);
  ui::Free(target);  // clears the reference
  EXPECT_EQ(c->WorkTarget(), nullptr);
  ui::Free(c);
}

TEST_F(Components, RfcReplyTable) {
  TNetReplyRFC r(nullptr);
  r.SetCode(u"250");
  r.Text().Add(u"A");
  r.Text().Add(u"B");
  EXPECT_EQ(r.FormattedReply().Text(), u"250-A\r\n250 B\r\n");
  r.SetCode(u"250");  // the same code keeps the text
  EXPECT_EQ(r.Text().Count(), 2);
  EXPECT_EQ(r.DisplayName(), u"250 A");

  ui::TStringList wire;
  wire.SetText(u"220-first\r\n220 second");
  TNetReplyRFC back(nullptr);
  back.SetFormattedReply(wire);
  EXPECT_EQ(back.Code(), u"220");
  EXPECT_EQ(back.Text().Text(), u"first\r\nsecond\r\n");

  struct Case {
    const char16_t* code;
    bool valid;
  };
  for (const Case& c : {Case{u"99", false}, Case{u"1000", false}, Case{u"abc", false}, Case{u"100", true},
                        Case{u"999", true}, Case{u"", true}, Case{u"  ", true}}) {
    TNetReplyRFC x(nullptr);
    x.SetCode(u"500");
    x.Text().Add(u"kept");
    if (c.valid) {
      x.SetCode(c.code);
      EXPECT_EQ(x.Code(), c.code);
    } else {
      try {
        x.SetCode(c.code);
        ADD_FAILURE() << rtl::StringToUtf8(c.code);
      } catch (const ENetException& e) {
        EXPECT_EQ(e.Message(), rtl::String(u"Reply Code is not valid: ") + c.code);
      }
      EXPECT_EQ(x.Code(), u"500");
      EXPECT_EQ(x.Text().Count(), 1);
    }
  }

  TNetReplyRFC noText(nullptr);
  noText.SetNumericCode(421);
  EXPECT_EQ(noText.FormattedReply().Text(), u"421\r\n");
  EXPECT_TRUE(noText.HasReply());
  TNetReplyRFC empty(nullptr);
  EXPECT_FALSE(empty.HasReply());
  noText.Assign(&empty);  // an empty reply copies without raising
  EXPECT_EQ(noText.Code(), u"");

  for (const auto& [line, end] : std::vector<std::pair<rtl::String, bool>>{
           {u"250", true}, {u"250 ok", true}, {u"250-x", false}, {u"", true}})
    EXPECT_EQ(r.IsEndLine(line), end) << rtl::StringToUtf8(line);

  try {
    r.RaiseAsError();
  } catch (const ENetReplyRFCError& e) {
    EXPECT_EQ(e.ErrorCode, 250);
    EXPECT_EQ(e.Message(), u"A\r\nB\r\n");
  }
}

TEST_F(Components, RepliesInOneCollectionKeepTheirCodesApart) {
  ui::TCollection replies([](ui::TCollection* c) -> ui::TCollectionItem* { return new TNetReplyRFC(c); });
  auto* a = static_cast<TNetReplyRFC*>(replies.Add());
  auto* b = static_cast<TNetReplyRFC*>(replies.Add());
  a->SetCode(u"200");
  try {
    b->SetCode(u"200");
    FAIL();
  } catch (const ENetException& e) {
    EXPECT_EQ(e.Message(), u"Reply Code already exists: 200");
  }
  EXPECT_EQ(b->Code(), u"");
  a->Text().Add(u"fine");
  EXPECT_THROW(b->Assign(a), ENetException);  // a copy within the collection clashes too
  EXPECT_EQ(b->Code(), u"");
  EXPECT_EQ(b->Text().Count(), 0);
}

TEST_F(Components, InterceptOrderAndLoopCheck) {
  auto* a = NetCreate<TNetConnectionIntercept>(nullptr);
  auto* b = NetCreate<TNetConnectionIntercept>(nullptr);
  EXPECT_TRUE(a->IsClient());
  std::vector<std::string> seen;
  auto watch = [&](TNetConnectionIntercept* i, const char* name) {
    i->OnConnect = [&seen, name](ui::TObject*) { seen.push_back(std::string(name) + " connect"); };
    i->OnDisconnect = [&seen, name](ui::TObject*) { seen.push_back(std::string(name) + " disconnect"); };
    i->OnSend = [&seen, name](ui::TObject*, TNetBytes& block) {
      seen.push_back(std::string(name) + " send");
      block.push_back(static_cast<std::uint8_t>(name[0]));
    };
    i->OnReceive = [&seen, name](ui::TObject*, TNetBytes& block) {
      seen.push_back(std::string(name) + " receive");
      block.push_back(static_cast<std::uint8_t>(name[0]));
    };
  };
  watch(a, "A");
  watch(b, "B");
  a->SetIntercept(b);

  auto* connection = NetCreate<TNetComponent>(nullptr);
  a->InterceptConnect(connection);
  EXPECT_EQ(b->Connection(), connection);
  TNetBytes out, in;
  a->InterceptSend(out);
  a->InterceptReceive(in);
  a->InterceptDisconnect();
  EXPECT_EQ(out, (TNetBytes{'A', 'B'}));
  EXPECT_EQ(in, (TNetBytes{'B', 'A'}));
  EXPECT_EQ(seen, (std::vector<std::string>{"A connect", "B connect", "A send", "B send", "B receive", "A receive",
                                            "B disconnect", "A disconnect"}));
  EXPECT_EQ(a->Connection(), nullptr);

  try {
    a->SetIntercept(a);
    FAIL();
  } catch (const ENetInterceptCircularLink& e) {
    EXPECT_EQ(e.Message(), u"TNetConnectionIntercept: Circular links are not allowed");
  }
  EXPECT_THROW(b->SetIntercept(a), ENetInterceptCircularLink);
  EXPECT_EQ(b->Intercept(), nullptr);
  EXPECT_EQ(a->Intercept(), b);

  ui::Free(b);
  EXPECT_EQ(a->Intercept(), nullptr);
  ui::Free(a);
  ui::Free(connection);
}

class TestAntiFreeze : public TNetAntiFreezeBase {
 public:
  using TNetAntiFreezeBase::TNetAntiFreezeBase;
  void PumpMessages() override { ++pumps; }
  int pumps = 0;
};

TEST_F(Components, OnlyOneAntiFreeze) {
  rtl::SetMainThread();
  EXPECT_FALSE(TNetAntiFreezeBase::ShouldPump());
  TNetAntiFreezeBase::PumpIfDue(true, true);

  auto* first = NetCreate<TestAntiFreeze>(nullptr);
  EXPECT_EQ(SharedAntiFreeze(), first);
  EXPECT_EQ(first->IdleTimeOut(), 250);
  try {
    NetCreate<TestAntiFreeze>(nullptr);
    FAIL();
  } catch (const ENetException& e) {
    EXPECT_EQ(e.Message(), u"Only one TNetAntiFreeze can exist per application.");
  }
  EXPECT_EQ(SharedAntiFreeze(), first);

  EXPECT_TRUE(TNetAntiFreezeBase::ShouldPump());
  bool elsewhere = true;
  std::thread([&] { elsewhere = TNetAntiFreezeBase::ShouldPump(); }).join();
  EXPECT_FALSE(elsewhere);

  TNetAntiFreezeBase::PumpIfDue(false);  // busy, only when idle: no pump
  EXPECT_EQ(first->pumps, 0);
  TNetAntiFreezeBase::PumpIfDue(false, true);
  TNetAntiFreezeBase::PumpIfDue(true);
  EXPECT_EQ(first->pumps, 2);
  first->SetActive(false);
  EXPECT_FALSE(TNetAntiFreezeBase::ShouldPump());

  ui::Free(first);
  EXPECT_EQ(SharedAntiFreeze(), nullptr);
  auto* second = NetCreate<TestAntiFreeze>(nullptr);
  EXPECT_EQ(SharedAntiFreeze(), second);
  ui::Free(second);
}

}  // namespace

// Forms: show, modal loops, close on Esc, restore, creation and destruction order.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <QWidget>
#include <cstdlib>

#include "tests/platform/ui/harness.h"

namespace {

using namespace ui;

// A dialog with OK and Cancel buttons that counts its events.
class TDialog : public TForm {
 public:
  explicit TDialog(TComponent* owner) : TForm(owner) {
    SetCaption(u"通讯口选择");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(398);
    SetClientHeight(362);
    edit = new TEdit(this);
    edit->SetParent(this);
    edit->SetBounds(10, 10, 100, 21);
    ok = new TButton(this);
    ok->SetParent(this);
    ok->SetCaption(u"确定");
    ok->SetModalResult(mrOk);
    ok->SetDefault(true);
    ok->SetBounds(100, 300, 75, 25);
    cancel = new TButton(this);
    cancel->SetParent(this);
    cancel->SetCaption(u"取消");
    cancel->SetModalResult(mrCancel);
    cancel->SetCancel(true);
    cancel->SetBounds(200, 300, 75, 25);
    OnShow = [this](TObject*) { ++shows; };
    OnHide = [this](TObject*) { ++hides; };
    OnClose = [this](TObject*, TCloseAction& a) {
      ++closes;
      a = closeAction;
    };
  }
  TEdit* edit;
  TButton* ok;
  TButton* cancel;
  int shows = 0, hides = 0, closes = 0;
  TCloseAction closeAction = caHide;
};

TEST(FormTest, ShowFiresOnShowOnceAndNotAgainOnRestore) {
  uitest::Harness h;
  auto* f = h.MakeForm<TDialog>();
  h.Show(f);
  EXPECT_EQ(f->shows, 1);
  f->Show();  // already shown
  EXPECT_EQ(f->shows, 1);
  h.MinimiseAndRestore(f);
  EXPECT_EQ(f->shows, 1);
  EXPECT_EQ(f->hides, 0);
  EXPECT_TRUE(f->Visible());
  f->Hide();
  EXPECT_EQ(f->hides, 1);
  f->Show();
  EXPECT_EQ(f->shows, 2);
}

TEST(FormTest, FirstControlFocusedOnShowEntersLikeAnyLaterOne) {
  // Before the harness: freeing the forms moves the focus, and enters, too.
  std::vector<std::string> seen;
  uitest::Harness h;
  auto* form = h.MakeForm<TForm>();
  form->SetBounds(40, 40, 300, 200);
  auto track = [&](TEdit* e, const char* name) {
    e->OnEnter = [&seen, name](TObject*) { seen.push_back(std::string("enter ") + name); };
    e->OnExit = [&seen, name](TObject*) { seen.push_back(std::string("exit ") + name); };
  };
  auto* first = new TEdit(form);
  first->SetParent(form);
  first->SetBounds(10, 10, 100, 21);
  auto* second = new TEdit(form);
  second->SetParent(form);
  second->SetBounds(10, 40, 100, 21);
  track(first, "first");
  track(second, "second");
  h.Show(form);
  ASSERT_TRUE(first->Focused());
  EXPECT_EQ(seen, std::vector<std::string>{"enter first"});
  EXPECT_EQ(form->ActiveControl(), first);

  second->SetFocus();
  h.ProcessEvents();
  EXPECT_EQ(seen, (std::vector<std::string>{"enter first", "exit first", "enter second"}));

  // Leaving the window and coming back moves no focus between its controls.
  auto* elsewhere = h.MakeForm<TForm>();
  elsewhere->SetBounds(400, 40, 100, 100);
  h.Show(elsewhere);
  h.Show(form);
  ASSERT_TRUE(second->Focused());
  EXPECT_EQ(seen.size(), 3u);

  // A form shown again after hiding keeps the control it had; one whose
  // active control was chosen before it showed enters that one.
  auto* preset = h.MakeForm<TForm>();
  preset->SetBounds(40, 300, 300, 100);
  auto* a = new TEdit(preset);
  a->SetParent(preset);
  auto* b = new TEdit(preset);
  b->SetParent(preset);
  b->SetTop(30);
  track(a, "a");
  track(b, "b");
  preset->SetActiveControl(b);
  seen.clear();
  h.Show(preset);
  ASSERT_TRUE(b->Focused());
  EXPECT_EQ(seen, std::vector<std::string>{"enter b"});
}

TEST(FormTest, PositionCentresOnTheScreenAndClientSizeHolds) {
  uitest::Harness h;
  auto* f = h.MakeForm<TDialog>();
  h.Show(f);
  TRect work = Screen->WorkAreaRect();
  EXPECT_EQ(f->ClientWidth(), 398);
  EXPECT_EQ(f->ClientHeight(), 362);
  // The whole window, frame included, sits in the middle.
  QRect frame = f->Widget()->frameGeometry();
  EXPECT_EQ(f->Left(), frame.left());
  EXPECT_LE(std::abs((frame.left() - work.Left) - (work.Right - 1 - frame.right())), 1);
  EXPECT_LE(std::abs((frame.top() - work.Top) - (work.Bottom - 1 - frame.bottom())), 1);
}

TEST(FormTest, ShowModalReturnsTheResultOfTheButtonClicked) {
  uitest::Harness h;
  auto* f = h.MakeForm<TDialog>();
  h.Post([&] { h.Click(f->ok); });
  EXPECT_EQ(f->ShowModal(), mrOk);
  EXPECT_EQ(f->closes, 1);
  EXPECT_FALSE(f->Visible());
  EXPECT_FALSE(f->IsModal());
  h.Post([&] { h.Click(f->cancel); });
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_EQ(f->closes, 2);
}

TEST(FormTest, EscClicksTheCancelButtonAndEnterTheDefault) {
  uitest::Harness h;
  auto* f = h.MakeForm<TDialog>();
  h.Post([&] {
    f->edit->SetFocus();
    h.Key(f->edit, VK_ESCAPE);
  });
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_EQ(f->closes, 1);
  h.Post([&] {
    f->edit->SetFocus();
    h.Key(f->edit, VK_RETURN);
  });
  EXPECT_EQ(f->ShowModal(), mrOk);
  // Enter on a focused button clicks that button, not the default one.
  h.Post([&] {
    f->cancel->SetFocus();
    h.Key(f->cancel, VK_RETURN);
  });
  EXPECT_EQ(f->ShowModal(), mrCancel);
}

TEST(FormTest, CloseActionNoneKeepsAModalFormOpen) {
  uitest::Harness h;
  auto* f = h.MakeForm<TDialog>();
  f->closeAction = caNone;
  h.Post([&] {
    h.Click(f->ok);
    h.Post([&] {
      EXPECT_TRUE(f->Visible());
      EXPECT_EQ(f->ModalResult(), mrNone);
      f->closeAction = caHide;
      h.Click(f->cancel);
    });
  });
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_EQ(f->closes, 2);
}

// A modal form may be freed by code running inside its own loop (its OK
// button calling Release, a timer freeing it): the loop ends as a cancel and
// the modal level drops, without touching the freed form.
TEST(FormTest, AModalFormFreedInsideItsLoopEndsItAsCancelled) {
  struct Case {
    const char* name;
    std::function<void(TDialog*)> free;
  };
  const Case cases[] = {
      {"Release from its button", [](TDialog* f) { f->ok->OnClick = [f](TObject*) { f->Release(); }; }},
      {"freed by other code", [](TDialog*) {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uitest::Harness h;
    auto* f = h.MakeForm<TDialog>();
    f->ok->SetModalResult(mrNone);
    c.free(f);
    bool viaButton = f->ok->OnClick != nullptr;
    int released = 0;
    f->OnDestroy = [&](TObject*) { ++released; };
    h.Post([&] {
      if (viaButton)
        h.Click(f->ok);
      else
        Free(f);
    });
    EXPECT_EQ(f->ShowModal(), mrCancel);
    EXPECT_EQ(released, 1);
    EXPECT_EQ(Application->ModalLevel(), 0);
  }
}

TEST(FormTest, KeyPreviewLetsTheFormSeeKeysFirst) {
  uitest::Harness h;
  auto* f = h.MakeForm<TDialog>();
  f->SetKeyPreview(true);
  std::vector<std::string> order;
  f->OnKeyDown = [&](TObject*, std::uint16_t& key, TShiftState) {
    order.push_back("form");
    if (key == VK_F2) key = 0;
    if (key == VK_ESCAPE) f->Close();
  };
  f->edit->OnKeyDown = [&](TObject*, std::uint16_t&, TShiftState) { order.push_back("edit"); };
  h.Show(f);
  f->edit->SetFocus();
  h.Key(f->edit, VK_F3);
  EXPECT_EQ(order, (std::vector<std::string>{"form", "edit"}));
  order.clear();
  h.Key(f->edit, VK_F2);
  EXPECT_EQ(order, (std::vector<std::string>{"form"}));
  // A modeless form closes on Esc when its handler asks.
  f->cancel->SetCancel(false);
  h.Key(f->edit, VK_ESCAPE);
  EXPECT_EQ(f->closes, 1);
  EXPECT_FALSE(f->Visible());
}

TEST(FormTest, CloseQueryCanRefuse) {
  uitest::Harness h;
  auto* f = h.MakeForm<TDialog>();
  bool allow = false;
  f->OnCloseQuery = [&](TObject*, bool& can) { can = allow; };
  h.Show(f);
  f->Close();
  EXPECT_TRUE(f->Visible());
  EXPECT_EQ(f->closes, 0);
  allow = true;
  f->Close();
  EXPECT_FALSE(f->Visible());
  EXPECT_EQ(f->closes, 1);
}

std::vector<std::string>* g_order = nullptr;

class TNamedForm : public TForm {
 public:
  TNamedForm(TComponent* owner, std::string name) : TForm(owner), name_(std::move(name)) {
    OnCreate = [this](TObject*) { g_order->push_back("create " + name_); };
    OnDestroy = [this](TObject*) { g_order->push_back("destroy " + name_); };
  }
  std::string name_;
};

class TMainForm : public TNamedForm {
 public:
  explicit TMainForm(TComponent* o) : TNamedForm(o, "main") {}
};
class TSecondForm : public TNamedForm {
 public:
  explicit TSecondForm(TComponent* o) : TNamedForm(o, "second") {}
};
class TThirdForm : public TNamedForm {
 public:
  explicit TThirdForm(TComponent* o) : TNamedForm(o, "third") {}
};

TEST(ApplicationTest, FormsAreCreatedInOrderAndDestroyedInReverse) {
  std::vector<std::string> order;
  g_order = &order;
  {
    uitest::Harness h;
    TMainForm* main = nullptr;
    TSecondForm* second = nullptr;
    TThirdForm* third = nullptr;
    Application->CreateForm(main);
    Application->CreateForm(second);
    Application->CreateForm(third);
    EXPECT_EQ(Application->MainForm(), main);
    ASSERT_NE(third, nullptr);
  }
  g_order = nullptr;
  EXPECT_EQ(order, (std::vector<std::string>{"create main", "create second", "create third", "destroy third",
                                             "destroy second", "destroy main"}));
}

TEST(ApplicationTest, ClosingTheMainFormEndsRun) {
  std::vector<std::string> order;
  g_order = &order;
  struct Reset {
    ~Reset() { g_order = nullptr; }
  } reset;
  uitest::Harness h;
  TMainForm* main = nullptr;
  Application->CreateForm(main);
  int shows = 0;
  main->OnShow = [&](TObject*) {
    ++shows;
    h.Post([main] { main->Close(); });
  };
  Application->Run();
  EXPECT_EQ(shows, 1);
  EXPECT_TRUE(Application->Terminated());
}

TEST(ApplicationTest, TimersFireInsideAModalLoop) {
  uitest::Harness h;
  auto* main = h.MakeForm<TForm>();
  auto* timer = new TTimer(main);
  timer->SetInterval(1000);
  int ticks = 0;
  timer->OnTimer = [&](TObject*) { ++ticks; };
  auto* dlg = h.MakeForm<TDialog>();
  h.Post([&] {
    h.Advance(3500);
    EXPECT_EQ(ticks, 3);
    h.Click(dlg->ok);
  });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_EQ(ticks, 3);
}

class TAxisFrame : public TFrame {
 public:
  explicit TAxisFrame(TComponent* owner) : TFrame(owner) {
    SetBounds(0, 0, 200, 69);
    group = new TGroupBox(this);
    group->SetParent(this);
    group->SetBounds(3, 3, 190, 62);
    button = new TButton(this);
    button->SetParent(group);
    button->SetBounds(5, 15, 80, 40);
  }
  TGroupBox* group;
  TButton* button;
};

TEST(FrameTest, FramesBuiltAtRunTimeAndRebuiltNewestFirst) {
  uitest::Harness h;
  auto* f = h.MakeForm<TForm>();
  auto* box = new TScrollBox(f);
  box->SetParent(f);
  box->SetAlign(alClient);
  h.Show(f);
  int y = 5;
  for (int i = 0; i < 3; ++i) {
    auto* frame = Create<TAxisFrame>(box);
    frame->SetName(u"Axis" + rtl::IntToStr(i));
    frame->group->SetTag(i);
    frame->SetParent(box);
    frame->SetBounds(5, y, frame->Width(), frame->Height());
    y += frame->Height();
  }
  ASSERT_EQ(box->ControlCount(), 3);
  for (int i = 0; i < 3; ++i) {
    auto* frame = dynamic_cast<TAxisFrame*>(box->Controls(i));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->group->Tag(), i);
    EXPECT_EQ(frame->Top(), 5 + 69 * i);
    EXPECT_TRUE(frame->button->Showing());
  }
  int clicks = 0;
  auto* first = static_cast<TAxisFrame*>(box->Controls(0));
  first->button->OnClick = [&](TObject*) { ++clicks; };
  h.Click(first->button);
  EXPECT_EQ(clicks, 1);
  while (box->ControlCount() > 1) Free(static_cast<TComponent*>(box->Controls(box->ControlCount() - 1)));
  EXPECT_EQ(box->ComponentCount(), 1);
  // A handler may free the frame that holds its own button.
  first->button->OnClick = [&](TObject*) { Free(first); };
  h.Click(first->button);
  EXPECT_EQ(box->ControlCount(), 0);
  EXPECT_EQ(box->ComponentCount(), 0);
  h.ProcessEvents();
}

}  // namespace

#include "platform/ui/dialogs.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/ui/application.h"
#include "platform/ui/qt_bridge.h"

namespace ui {
namespace {

TMessageBoxHook g_boxHook;
TFileDialogHook g_fileHook;

QMessageBox::Icon IconFor(unsigned flags) {
  switch (flags & MB_ICONMASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

struct ButtonDef {
  int id;
  const char16_t* text;
};

std::vector<ButtonDef> ButtonsFor(const TMessageBoxRequest& r) {
  if (r.DlgButtons) {
    static const ButtonDef kAll[] = {{mrYes, u"是(&Y)"},     {mrNo, u"否(&N)"},       {mrOk, u"确定"},
                                     {mrCancel, u"取消"},     {mrAbort, u"中止(&A)"},  {mrRetry, u"重试(&R)"},
                                     {mrIgnore, u"忽略(&I)"}, {mrAll, u"全部(&A)"},    {mrNoToAll, u"全否(&O)"},
                                     {mrYesToAll, u"全是(&A)"}};
    std::vector<ButtonDef> out;
    for (int i = 0; i < 10; ++i)
      if (r.DlgButtons & (std::uint64_t{1} << i)) out.push_back(kAll[i]);
    return out;
  }
  switch (r.Flags & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, u"确定"}, {IDCANCEL, u"取消"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, u"中止(&A)"}, {IDRETRY, u"重试(&R)"}, {IDIGNORE, u"忽略(&I)"}};
    case MB_YESNOCANCEL: return {{IDYES, u"是(&Y)"}, {IDNO, u"否(&N)"}, {IDCANCEL, u"取消"}};
    case MB_YESNO: return {{IDYES, u"是(&Y)"}, {IDNO, u"否(&N)"}};
    case MB_RETRYCANCEL: return {{IDRETRY, u"重试(&R)"}, {IDCANCEL, u"取消"}};
    default: return {{IDOK, u"确定"}};
  }
}

int RealMessageBox(const TMessageBoxRequest& r) {
  QMessageBox box(qt::DialogOwner());
  box.setWindowTitle(qt::Q(r.Caption));
  box.setText(qt::Q(r.Text));
  box.setIcon(IconFor(r.Flags));
  auto defs = ButtonsFor(r);
  std::vector<std::pair<QAbstractButton*, int>> buttons;
  for (const auto& d : defs) {
    QPushButton* b = box.addButton(qt::Q(d.text), QMessageBox::AcceptRole);
    buttons.emplace_back(b, d.id);
  }
  std::size_t def = (r.Flags & MB_DEFMASK) >> 8;
  if (def < buttons.size()) box.setDefaultButton(static_cast<QPushButton*>(buttons[def].first));
  QEventLoop loop;
  QObject::connect(&box, &QMessageBox::finished, &loop, &QEventLoop::quit);
  box.open();
  if (Application) Application->EnterModal(&loop);
  loop.exec();
  if (Application) Application->LeaveModal(&loop);
  QAbstractButton* clicked = box.clickedButton();
  for (auto& [b, id] : buttons)
    if (b == clicked) return id;
  // Closed without a button: Cancel where there is one, else the only answer.
  for (auto& [b, id] : buttons)
    if (id == IDCANCEL) return id;
  return buttons.size() == 1 ? buttons[0].second : IDCANCEL;
}

QString QtFilter(const String& filter) {
  QStringList parts = qt::Q(filter).split(u'|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    out << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(u';', u' ') + QStringLiteral(")");
  return out.join(QStringLiteral(";;"));
}

}  // namespace

void SetMessageBoxHook(TMessageBoxHook Hook) { g_boxHook = std::move(Hook); }

int RunMessageBox(const TMessageBoxRequest& Request) {
  CancelMouseCapture();
  if (g_boxHook) return g_boxHook(Request);
  return RealMessageBox(Request);
}

void ShowInfo(const String& Text) {
  Application->MessageBox(Text, u"\u63D0\u793A", MB_OK | MB_ICONINFORMATION);  // 提示
}

bool AskOkCancel(const String& Text, const String& Caption) {
  return Application->MessageBox(Text, Caption, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) == IDOK;
}

void ShowError(const String& Text, const String& Caption) {
  Application->MessageBox(Text, Caption, MB_OK | MB_ICONERROR);
}

void ShowMessage(const String& Text) { Application->MessageBox(Text, Application->Title(), MB_OK); }

int MessageDlg(const String& Text, TMsgDlgType Type, TMsgDlgButtons Buttons) {
  // The program's interface is Chinese; the platform's own texts follow it.
  static const char16_t* kCaptions[] = {u"警告", u"错误", u"信息", u"确认", u""};
  static const unsigned kIcons[] = {MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION, 0};
  TMessageBoxRequest r;
  r.Text = Text;
  r.Caption = kCaptions[Type];
  r.Flags = kIcons[Type];
  r.DlgButtons = Buttons.Bits();
  if (r.DlgButtons == 0) r.DlgButtons = TMsgDlgButtons{mbOK}.Bits();
  return RunMessageBox(r);
}

// --- file dialogs -------------------------------------------------------------------

void SetFileDialogHook(TFileDialogHook Hook) { g_fileHook = std::move(Hook); }

const TClassInfo& TOpenDialog::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TOpenDialog>("TOpenDialog", &TComponent::StaticClassInfo()).Build();
  return info;
}

const TClassInfo& TSaveDialog::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TSaveDialog>("TSaveDialog", &TOpenDialog::StaticClassInfo()).Build();
  return info;
}

bool TOpenDialog::Execute() {
  CancelMouseCapture();
  TFileDialogRequest r{IsSave(), Title, FileName, InitialDir, DefaultExt, Filter, Options};
  std::optional<String> chosen;
  if (g_fileHook) {
    chosen = g_fileHook(r);
  } else {
    QString dir = qt::Q(InitialDir.empty() ? FileName : InitialDir + u"/" + FileName);
    QFileDialog::Options opts;
    if (!Options.Contains(ofOverwritePrompt)) opts |= QFileDialog::DontConfirmOverwrite;
    QWidget* owner = qt::DialogOwner();
    QString name = IsSave() ? QFileDialog::getSaveFileName(owner, qt::Q(Title), dir, QtFilter(Filter), nullptr, opts)
                            : QFileDialog::getOpenFileName(owner, qt::Q(Title), dir, QtFilter(Filter), nullptr, opts);
    if (!name.isEmpty()) chosen = qt::S(name);
  }
  if (!chosen || chosen->empty()) return false;
  String name = *chosen;
  std::size_t slash = name.find_last_of(u"/\\");
  std::size_t dot = name.find_last_of(u'.');
  bool hasExt = dot != String::npos && (slash == String::npos || dot > slash);
  if (!hasExt && !DefaultExt.empty()) {
    String ext = DefaultExt[0] == u'.' ? DefaultExt.substr(1) : DefaultExt;
    name += u"." + ext;
  }
  FileName = name;
  return true;
}

}  // namespace ui

// Message boxes and file dialogs. Both go through replaceable hooks so tests
// answer them without a window ever blocking.
#pragma once

#include <functional>
#include <optional>

#include "platform/classes/classes.h"

namespace ui {

// MessageBox flags.
constexpr unsigned MB_OK = 0x0000;
constexpr unsigned MB_OKCANCEL = 0x0001;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x0002;
constexpr unsigned MB_YESNOCANCEL = 0x0003;
constexpr unsigned MB_YESNO = 0x0004;
constexpr unsigned MB_RETRYCANCEL = 0x0005;
constexpr unsigned MB_ICONHAND = 0x0010;
constexpr unsigned MB_ICONERROR = MB_ICONHAND;
constexpr unsigned MB_ICONSTOP = MB_ICONHAND;
constexpr unsigned MB_ICONQUESTION = 0x0020;
constexpr unsigned MB_ICONEXCLAMATION = 0x0030;
constexpr unsigned MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr unsigned MB_ICONASTERISK = 0x0040;
constexpr unsigned MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr unsigned MB_DEFBUTTON1 = 0x0000;
constexpr unsigned MB_DEFBUTTON2 = 0x0100;
constexpr unsigned MB_DEFBUTTON3 = 0x0200;
constexpr unsigned MB_APPLMODAL = 0x0000;
constexpr unsigned MB_SYSTEMMODAL = 0x1000;
constexpr unsigned MB_TASKMODAL = 0x2000;
constexpr unsigned MB_TYPEMASK = 0x000F;
constexpr unsigned MB_ICONMASK = 0x00F0;
constexpr unsigned MB_DEFMASK = 0x0F00;

// MessageBox answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

struct TMessageBoxRequest {
  String Text;
  String Caption;
  unsigned Flags = MB_OK;
  // Set for MessageDlg: the buttons offered (bits of TMsgDlgBtn); the answer
  // is then a modal result (mrYes, mrAll...), which shares the ID numbers.
  std::uint64_t DlgButtons = 0;
};
// Returns the button pressed (IDOK...). Empty: the real dialog.
using TMessageBoxHook = std::function<int(const TMessageBoxRequest&)>;
void SetMessageBoxHook(TMessageBoxHook Hook);
// Shows a message box (hook or real dialog) in its own modal loop.
int RunMessageBox(const TMessageBoxRequest& Request);

// The program's three message boxes.
// Information + OK, caption "提示".
void ShowInfo(const String& Text);
// Question + OK/Cancel with Cancel the default; true for OK.
bool AskOkCancel(const String& Text, const String& Caption);
// Error + OK.
void ShowError(const String& Text, const String& Caption);
// Information + OK with the application title as caption.
void ShowMessage(const String& Text);

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
// Dialog with the given buttons; answers a modal result (mrYes, mrAll...).
// Buttons a system box lacks (All, NoToAll...) become Yes/No/Cancel choices
// with mrAll for Cancel when All is offered.
int MessageDlg(const String& Text, TMsgDlgType Type, TMsgDlgButtons Buttons);

// --- file dialogs ----------------------------------------------------------------
enum TOpenOption { ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofFileMustExist, ofPathMustExist };
using TOpenOptions = TSet<TOpenOption>;

struct TFileDialogRequest {
  bool Save = false;
  String Title;
  String FileName;
  String InitialDir;
  String DefaultExt;
  String Filter;
  TOpenOptions Options;
};
// The chosen file name, or nothing for Cancel. Empty hook: the real dialog.
using TFileDialogHook = std::function<std::optional<String>(const TFileDialogRequest&)>;
void SetFileDialogHook(TFileDialogHook Hook);

class TOpenDialog : public TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}
  // True when a file was chosen; FileName then holds it (with DefaultExt
  // added when the name has no extension).
  virtual bool Execute();

  String FileName;
  String DefaultExt;
  // "description|pattern|description|pattern"
  String Filter;
  String InitialDir;
  String Title;
  TOpenOptions Options{ofHideReadOnly};

 protected:
  virtual bool IsSave() const { return false; }
};

class TSaveDialog : public TOpenDialog {
  JQ_UI_CLASSINFO
 public:
  using TOpenDialog::TOpenDialog;

 protected:
  bool IsSave() const override { return true; }
};

}  // namespace ui

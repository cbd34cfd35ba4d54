#include "components/extended/ext_translate_string.h"

#include "platform/ui/application.h"
#include "components/extended/core/core_errors.h"
#include "components/extended/core/core_file_utils.h"
#include "platform/runtime/datetime.h"
#include "platform/ui/dialogs.h"
#include "components/extended/ext_core_utils.h"
#include "platform/runtime/files.h"
#include "platform/runtime/format.h"
#include "platform/ui/forms.h"
#include "platform/classes/typinfo.h"

namespace ext {

const ui::TClassInfo& TExtComponent::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TExtComponent>("TExtComponent", &ui::TComponent::StaticClassInfo())
                                         .Str("About", &TExtComponent::About, &TExtComponent::SetAbout)
                                         .Build();
  return info;
}

const ui::TClassInfo& TExtTranslateString::StaticClassInfo() {
  using T = TExtTranslateString;
  static const ui::TClassInfo info = ui::TClassBuilder<T>("TExtTranslateString", &TExtComponent::StaticClassInfo())
                                         .Str("DateFormat", &T::DateFormat, &T::SetDateFormat)
                                         .Str("DateTimeFormat", &T::DateTimeFormat, &T::SetDateTimeFormat)
                                         .Str("LeftDelimiter", &T::LeftDelimiter, &T::SetLeftDelimiter)
                                         .Str("RightDelimiter", &T::RightDelimiter, &T::SetRightDelimiter)
                                         .Str("TimeFormat", &T::TimeFormat, &T::SetTimeFormat)
                                         .Build();
  return info;
}

TExtTranslateString::TExtTranslateString(ui::TComponent* AOwner) : TExtComponent(AOwner) {}

String TExtTranslateString::VersionValue(bool& Handled, String& Cache, const char16_t* Key, const char16_t* Macro,
                                         const char16_t* Fallback) {
  if (Handled) return Cache;
  try {
    TCoreFileVersionInfo info(rtl::ProgramFileName());
    Cache = info.Items().Values(Key);
  } catch (const ECoreFileVersionInfoError&) {
    Cache = Fallback;
    ui::TMessageBoxRequest box;
    box.Text = String(u"The Default Root Value \"") + Macro + u"\" has been replaced with \"" + Fallback +
               u"\".\r\nPlease change the value in the FileVersionInfo Project Properties.";
    box.Caption = ui::Application ? ui::Application->Title() : String();
    box.Flags = ui::MB_OK | ui::MB_ICONINFORMATION;
    ui::RunMessageBox(box);
  }
  Handled = true;
  return Cache;
}

ui::TComponent* TExtTranslateString::OwnerForm() const {
  for (ui::TComponent* c = Owner(); c; c = c->Owner())
    if (dynamic_cast<ui::TCustomForm*>(c)) return c;
  return nullptr;
}

bool TExtTranslateString::ExpandMacro(const String& Command, String& Replacement) {
  const String cmd = rtl::UpperCase(rtl::Trim(Command));
  bool handled = true;
  Replacement.clear();
  const String exe = rtl::ProgramFileName();
  const String bareName = rtl::ChangeFileExt(rtl::ExtractFileName(exe), u"");
  if (cmd == u"APPL_NAME") {
    Replacement = VersionValue(appNameHandled_, appName_, u"ProductName", u"APPL_NAME", u"MyExtApplication");
    if (Replacement.empty()) Replacement = bareName;
  } else if (cmd == u"COMPANY_NAME") {
    Replacement =
        VersionValue(companyNameHandled_, companyName_, u"CompanyName", u"COMPANY_NAME", u"MyCompany");
    if (Replacement.empty()) Replacement = ExtDefaultCompanyName();
  } else if (cmd == u"FILEVERSION") {
    Replacement = VersionValue(fileVersionHandled_, fileVersion_, u"FileVersion", u"FILEVERSION", u"0.0.0.0");
  } else if (cmd == u"PRODUCTVERSION") {
    Replacement =
        VersionValue(productVersionHandled_, productVersion_, u"ProductVersion", u"PRODUCTVERSION", u"0.0.0.0");
  } else if (cmd == u"DATE") {
    Replacement = rtl::FormatDateTime(dateFormat_, rtl::Now());
  } else if (cmd == u"TIME") {
    Replacement = rtl::FormatDateTime(timeFormat_, rtl::Now());
  } else if (cmd == u"DATETIME") {
    Replacement = rtl::FormatDateTime(dateTimeFormat_, rtl::Now());
  } else if (cmd == u"EXENAME") {
    Replacement = exe;
  } else if (cmd == u"FILENAME") {
    Replacement = bareName;
  } else if (cmd == u"FULLDIREXE") {
    Replacement = rtl::ExtractFileDir(exe);
  } else if (cmd == u"FORMNAME") {
    if (auto* form = OwnerForm()) Replacement = form->Name();
  } else if (cmd == u"FORMCAPTION") {
    if (auto* form = dynamic_cast<ui::TCustomForm*>(OwnerForm())) Replacement = form->Caption();
  } else if (cmd == u"SCREENSIZE") {
    if (ui::Screen) Replacement = rtl::Format(u"%dx%d", {ui::Screen->Width(), ui::Screen->Height()});
  } else if (cmd == u"DESKTOPSIZE") {
    if (ui::Screen) {
      const ui::TRect r = ui::Screen->DesktopRect();
      Replacement = rtl::Format(u"%dx%d", {r.Right - r.Left, r.Bottom - r.Top});
    }
  } else {
    handled = false;
  }
  if (OnProcessCommand) OnProcessCommand(this, cmd, Replacement, handled);
  return handled;
}

String TExtTranslateString::TranslateString(const String& Text) {
  bool changed = false;
  return TranslateString(Text, changed);
}

String TExtTranslateString::TranslateString(const String& Text, bool& Changed) {
  Changed = false;
  String result;
  String rest = Text;
  // An empty delimiter is never found (searching for it would match at every
  // place and never end).
  auto find = [](const String& s, const String& what) { return what.empty() ? String::npos : s.find(what); };
  while (!rest.empty()) {
    const std::size_t l = find(rest, leftDelimiter_);
    if (l == String::npos) {
      result += rest;
      break;
    }
    result += rest.substr(0, l);
    rest.erase(0, l + leftDelimiter_.size());
    const std::size_t r = find(rest, rightDelimiter_);
    if (r == String::npos) {
      result += leftDelimiter_ + rest;
      break;
    }
    const String command = rest.substr(0, r);
    String replacement;
    if (ExpandMacro(command, replacement)) {
      result += replacement;
      rest.erase(0, r + rightDelimiter_.size());
      Changed = true;
    } else {
      // The right delimiter stays: it may open the next macro.
      result += command;
      rest.erase(0, r);
    }
  }
  return result;
}

}  // namespace ext

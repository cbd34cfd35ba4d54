// Macro expansion: %NAME% in a text replaced by facts of the running program
// (its name and version from its version block, date and time, file names,
// the owning form, screen sizes).
#pragma once

#include <functional>

#include "components/extended/ext_component.h"

namespace ext {

using rtl::String;

class TExtTranslateString;
// (Sender, Command, CommandResult, Changed): may change the result and
// whether the command counts as handled.
using TProcessCommandEvent =
    std::function<void(TExtTranslateString* Sender, const String& Command, String& CommandResult, bool& Changed)>;

class TExtTranslateString : public TExtComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TExtTranslateString(ui::TComponent* AOwner);

  String TranslateString(const String& Text);
  String TranslateString(const String& Text, bool& Changed);
  // One macro (the text between the delimiters); false when unknown.
  bool ExpandMacro(const String& Command, String& Replacement);

  const String& DateFormat() const { return dateFormat_; }
  void SetDateFormat(const String& V) { dateFormat_ = V; }
  const String& DateTimeFormat() const { return dateTimeFormat_; }
  void SetDateTimeFormat(const String& V) { dateTimeFormat_ = V; }
  const String& TimeFormat() const { return timeFormat_; }
  void SetTimeFormat(const String& V) { timeFormat_ = V; }
  const String& LeftDelimiter() const { return leftDelimiter_; }
  void SetLeftDelimiter(const String& V) { leftDelimiter_ = V; }
  const String& RightDelimiter() const { return rightDelimiter_; }
  void SetRightDelimiter(const String& V) { rightDelimiter_ = V; }
  TProcessCommandEvent OnProcessCommand;

 private:
  // A version-block string, read once; a program without version
  // information gets the fallback, once announced in a message box.
  String VersionValue(bool& Handled, String& Cache, const char16_t* Key, const char16_t* Macro,
                      const char16_t* Fallback);
  ui::TComponent* OwnerForm() const;

  bool appNameHandled_ = false;
  String appName_;
  bool companyNameHandled_ = false;
  String companyName_;
  bool fileVersionHandled_ = false;
  String fileVersion_;
  bool productVersionHandled_ = false;
  String productVersion_;
  String dateFormat_ = u"dd_mm_yyyy";
  String dateTimeFormat_ = u"dd_mm_yyyy hh_nn_ss";
  String leftDelimiter_ = u"%";
  String rightDelimiter_ = u"%";
  String timeFormat_ = u"hh_nn_ss";
};

}  // namespace ext

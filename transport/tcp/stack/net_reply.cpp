#include "transport/tcp/stack/net_reply.h"

#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/core/net_global.h"
#include "platform/runtime/rtl_string.h"

namespace net {

const ui::TClassInfo& TNetReply::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TNetReply>("TNetReply", &ui::TCollectionItem::StaticClassInfo())
          .Str("Code", &TNetReply::Code, &TNetReply::SetCode)
          .Build();
  return info;
}

const ui::TClassInfo& TNetReplyRFC::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TNetReplyRFC>("TNetReplyRFC", &TNetReply::StaticClassInfo()).Build();
  return info;
}

TNetReply::TNetReply(ui::TCollection* collection) : TNetReply(collection, nullptr) {}

TNetReply::TNetReply(ui::TCollection* collection, ui::TCollection* replyTexts)
    : ui::TCollectionItem(collection),
      formattedLines_(std::make_unique<ui::TStringList>()),
      replyTexts_(replyTexts),
      text_(std::make_unique<ui::TStringList>()) {}

TNetReply::~TNetReply() {
  text_.reset();
  formattedLines_.reset();
}

void TNetReply::SetCode(const rtl::String& value) {
  if (value == code_) return;
  if (!CheckCode(value)) RaiseNet<ENetException>("rsreplyinvalidcode", {value});
  if (ui::TCollection* c = Collection()) {
    for (int i = 0; i < c->Count(); ++i) {
      auto* other = dynamic_cast<TNetReply*>(c->Items(i));
      if (other && other != this && other->code_ == value) RaiseNet<ENetException>("rsreplycodealreadyexists", {value});
    }
  }
  ClearReply();
  code_ = value;
}

std::int32_t TNetReply::NumericCode() const { return StrToIntOr(rtl::Trim(code_), 0); }

void TNetReply::SetNumericCode(std::int32_t value) { SetCode(rtl::IntToStr(value)); }

void TNetReply::SetText(const ui::TStrings& value) { text_->Assign(value); }

ui::TStrings& TNetReply::FormattedLinesCleared() {
  formattedLines_->Clear();
  return *formattedLines_;
}

ui::TStrings& TNetReply::FormattedReply() { return FormattedLinesCleared(); }

void TNetReply::ClearReply() {
  text_->Clear();
  code_.clear();
}

bool TNetReply::CheckCode(const rtl::String&) const { return true; }

bool TNetReply::IsEndLine(const rtl::String&) const { return false; }

bool TNetReply::HasReply() const { return !code_.empty(); }

void TNetReply::AssignReply(std::int32_t code, const rtl::String& text) { AssignReply(rtl::IntToStr(code), text); }

void TNetReply::AssignReply(const rtl::String& code, const rtl::String& text) {
  SetCode(code);
  text_->SetText(text);
}

void TNetReply::Assign(const ui::TPersistent* Source) {
  if (auto* reply = dynamic_cast<const TNetReply*>(Source)) {
    SetCode(reply->code_);
    SetText(*reply->text_);
    return;
  }
  ui::TCollectionItem::Assign(Source);
}

rtl::String TNetReply::DisplayName() const {
  rtl::String name = code_;
  if (text_->Count() > 0) name += u" " + text_->Get(0);
  return name;
}

// --- numeric replies ---------------------------------------------------------
bool TNetReplyRFC::CheckCode(const rtl::String& code) const {
  const std::int32_t n = StrToIntOr(code, 0);
  return (n >= 100 && n <= 999) || rtl::Trim(code).empty();
}

bool TNetReplyRFC::IsEndLine(const rtl::String& line) const { return line.size() < 4 || line[3] == u' '; }

ui::TStrings& TNetReplyRFC::FormattedReply() {
  ui::TStrings& lines = FormattedLinesCleared();
  const std::int32_t n = NumericCode();
  if (n <= 0) {
    lines.AddStrings(Text());
    return lines;
  }
  const rtl::String code = rtl::IntToStr(n);
  const int count = Text().Count();
  if (count == 0) {
    lines.Add(code);
    return lines;
  }
  for (int i = 0; i < count; ++i) lines.Add(code + (i + 1 < count ? u"-" : u" ") + Text().Get(i));
  return lines;
}

void TNetReplyRFC::SetFormattedReply(const ui::TStrings& lines) {
  ClearReply();
  if (lines.Count() == 0) return;
  SetCode(rtl::Trim(std::u16string_view(lines.Get(0)).substr(0, 3)));
  for (int i = 0; i < lines.Count(); ++i) {
    const rtl::String line = lines.Get(i);
    Text().Add(line.size() > 4 ? line.substr(4) : rtl::String());
  }
}

void TNetReplyRFC::RaiseAsError() { throw ENetReplyRFCError(NumericCode(), Text().Text()); }

bool TNetReplyRFC::HasReply() const { return NumericCode() > 0 || Text().Count() > 0; }

void TNetReplyRFC::Assign(const ui::TPersistent* Source) {
  if (auto* reply = dynamic_cast<const TNetReplyRFC*>(Source)) {
    // A reply without a code copies as one without a code: "0" is no valid
    // numeric code and would refuse the copy.
    const std::int32_t n = reply->NumericCode();
    SetCode(n > 0 ? rtl::IntToStr(n) : rtl::String());
    SetText(reply->Text());
    return;
  }
  TNetReply::Assign(Source);
}

}  // namespace net

// One server reply of a line-oriented command protocol: a code and text
// lines, converted to and from the lines sent on the wire. TNetReplyRFC is
// the three-digit numeric form with "-" continuation lines.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/classes/classes.h"
#include "platform/classes/string_list.h"

namespace net {

class TNetReply : public ui::TCollectionItem {
  JQ_UI_CLASSINFO
 public:
  explicit TNetReply(ui::TCollection* collection);
  // replyTexts: standard reply texts, not owned.
  TNetReply(ui::TCollection* collection, ui::TCollection* replyTexts);
  ~TNetReply() override;

  const rtl::String& Code() const { return code_; }
  // Raises ENetException when the code is not valid for this kind of reply
  // or another reply of the same collection has it; the reply then stays
  // as it was.
  void SetCode(const rtl::String& value);
  std::int32_t NumericCode() const;
  void SetNumericCode(std::int32_t value);
  ui::TStrings& Text() { return *text_; }
  const ui::TStrings& Text() const { return *text_; }
  void SetText(const ui::TStrings& value);
  ui::TCollection* ReplyTexts() const { return replyTexts_; }

  virtual ui::TStrings& FormattedReply();
  virtual void SetFormattedReply(const ui::TStrings& lines) = 0;
  virtual void ClearReply();
  virtual bool IsEndLine(const rtl::String& line) const;
  [[noreturn]] virtual void RaiseAsError() = 0;
  virtual bool HasReply() const;
  void AssignReply(std::int32_t code, const rtl::String& text);
  void AssignReply(const rtl::String& code, const rtl::String& text);

  void Assign(const ui::TPersistent* Source) override;
  rtl::String DisplayName() const override;

 protected:
  virtual bool CheckCode(const rtl::String& code) const;
  ui::TStrings& FormattedLinesCleared();

 private:
  rtl::String code_;
  std::unique_ptr<ui::TStringList> formattedLines_;
  ui::TCollection* replyTexts_ = nullptr;
  std::unique_ptr<ui::TStringList> text_;
};

class TNetReplyRFC : public TNetReply {
  JQ_UI_CLASSINFO
 public:
  using TNetReply::TNetReply;

  ui::TStrings& FormattedReply() override;
  void SetFormattedReply(const ui::TStrings& lines) override;
  bool IsEndLine(const rtl::String& line) const override;
  [[noreturn]] void RaiseAsError() override;
  bool HasReply() const override;
  void Assign(const ui::TPersistent* Source) override;

 protected:
  bool CheckCode(const rtl::String& code) const override;
};

}  // namespace net

#include "components/extended/data/ext_expr_parser.h"

#include "platform/runtime/convert.h"
#include "platform/runtime/format.h"
#include "platform/runtime/format_settings.h"
#include "platform/runtime/rtl_string.h"

namespace ext {

namespace {

const char16_t* const TokenNames[] = {u"N/A", u"End of expression", u"Error", u"(", u")", u",",
                                      u"Operator", u"Identifier", u"Number", u"Integer", u"String"};

bool IsOperatorChar(char16_t c) {
  switch (c) {
    case u'!': case u'&': case u'*': case u'+': case u'-': case u'/': case u'<': case u'=': case u'>': case u'|':
      return true;
    default:
      return false;
  }
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
// Names may be written in any script; ASCII punctuation is not a letter.
bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c >= 0x80; }

char16_t Fold(char16_t c) {
  String s = rtl::UpperCase(std::u16string_view(&c, 1));
  return s.size() == 1 ? s[0] : c;
}

}  // namespace

String TLex::Debug() const {
  String s = TokenNames[token_];
  if (token_ == tkOperator) s += u": " + String(1, chr_);
  else if (token_ == tkIdentifier || token_ == tkNumber || token_ == tkInteger || token_ == tkString) s += u": " + str_;
  return s + u" at pos: " + rtl::IntToStr(pos_);
}

EParserError::EParserError(const String& Message, const TLex& Lex)
    : EExprParserError(rtl::Format(u"%s %s", {Message, Lex.Debug()})) {}

// ---------------------------------------------------------------- scanner

bool TScan::Parse(const String& Text) {
  items_.clear();
  errorMessage_.clear();
  const std::size_t n = Text.size();
  std::size_t i = 0;
  bool ok = true;
  while (i < n) {
    char16_t c = Text[i];
    int pos = static_cast<int>(i) + 1;
    if (c == u' ' || c == u'\t') {
      ++i;
    } else if (c == u'(' || c == u')' || c == u',') {
      items_.emplace_back(c == u'(' ? tkLParen : c == u')' ? tkRParen : tkComa, c, String(1, c), pos);
      ++i;
    } else if (IsOperatorChar(c)) {
      items_.emplace_back(tkOperator, c, String(1, c), pos);
      ++i;
    } else if (c == u'\'' || c == u'"') {
      std::size_t end = Text.find(c, i + 1);
      if (end == String::npos) {
        errorMessage_ = u"No end of string found";
        ok = false;
        break;
      }
      items_.emplace_back(tkString, c, Text.substr(i + 1, end - i - 1), pos);
      i = end + 1;
    } else if (IsDigit(c) || c == u'.') {
      std::size_t start = i;
      bool dot = false;
      while (i < n && IsDigit(Text[i])) ++i;
      if (i < n && Text[i] == u'.') {
        dot = true;
        ++i;
        while (i < n && IsDigit(Text[i])) ++i;
      }
      items_.emplace_back(dot ? tkNumber : tkInteger, c, Text.substr(start, i - start), pos);
    } else if (IsLetter(c)) {
      std::size_t start = i;
      while (i < n && (IsLetter(Text[i]) || IsDigit(Text[i]))) ++i;
      String word = Text.substr(start, i - start);
      if (rtl::SameText(word, u"and")) items_.emplace_back(tkOperator, u'&', word, pos);
      else if (rtl::SameText(word, u"or")) items_.emplace_back(tkOperator, u'|', word, pos);
      else items_.emplace_back(tkIdentifier, c, word, pos);
    } else {
      errorMessage_ = rtl::Format(u"Bad character '%s'", {String(1, c)});
      ok = false;
      break;
    }
  }
  items_.emplace_back(tkEOF, u'\0', String(), static_cast<int>(n) + 1);
  return ok;
}

// ---------------------------------------------------------------- nodes

namespace {

class TNodeCValue : public TNode {
 public:
  TNodeCValue(TParser* p, TLex lex) : TNode(p), lex_(std::move(lex)) {}
  void Eval(Variant& Result) override {
    // A filter evaluates its constants once per record: convert them once.
    if (!converted_) {
      switch (lex_.Token()) {
        // Constants in the text are written with "." in every locale.
        case tkNumber: value_ = Variant(rtl::StrToFloat(lex_.Str(), rtl::TFormatSettings::Invariant())); break;
        case tkInteger: value_ = Variant(static_cast<int>(rtl::StrToInt(lex_.Str()))); break;
        default: value_ = Variant(lex_.Str()); break;
      }
      converted_ = true;
    }
    Result = value_;
  }

 private:
  TLex lex_;
  Variant value_;
  bool converted_ = false;
};

class TNodeUnary : public TNode {
 public:
  TNodeUnary(TParser* p, char16_t op, std::unique_ptr<TNode> right) : TNode(p), op_(op), right_(std::move(right)) {}
  void Eval(Variant& Result) override {
    Variant v;
    right_->Eval(v);
    if (op_ == u'-') Result = -v;
    else if (op_ == u'!') Result = !v;
    else Result = v;
  }

 private:
  char16_t op_;
  std::unique_ptr<TNode> right_;
};

bool HasWildcard(const String& s) { return s.find_first_of(u"*?") != String::npos; }

class TNodeBin : public TNode {
 public:
  TNodeBin(TParser* p, char16_t op, std::unique_ptr<TNode> left, std::unique_ptr<TNode> right)
      : TNode(p), op_(op), left_(std::move(left)), right_(std::move(right)) {}
  void Eval(Variant& Result) override {
    Variant l, r;
    left_->Eval(l);
    right_->Eval(r);
    switch (op_) {
      case u'+':
        // Text on the left joins, as filters on text fields expect.
        if (l.IsText()) Result = Variant(rtl::VarToStr(l) + rtl::VarToStr(r));
        else Result = l + r;
        break;
      case u'-': Result = l - r; break;
      case u'*': Result = l * r; break;
      case u'/': Result = l / r; break;
      case u'&': Result = l & r; break;
      case u'|': Result = l | r; break;
      case u'=': Result = Variant(Equal(l, r)); break;
      case u'<':
        if (l.IsNull() || r.IsNull()) Result = Variant(l.IsNull());
        else Result = Variant(rtl::VarCompareValue(l, r) == rtl::TVariantRelationship::vrLessThan);
        break;
      case u'>':
        if (l.IsNull() || r.IsNull()) Result = Variant(r.IsNull());
        else Result = Variant(rtl::VarCompareValue(l, r) == rtl::TVariantRelationship::vrGreaterThan);
        break;
      default: throw EExprParserError(u"Invalid variant operation");
    }
  }

 private:
  bool Equal(const Variant& l, const Variant& r) const {
    if (l.IsNull() && r.IsNull()) return true;
    if (l.IsNull() || r.IsNull()) return false;
    if (parser_->Parent() && parser_->Parent()->EnableWildcardMatching()) {
      String ls = rtl::VarToStr(l), rs = rtl::VarToStr(r);
      bool lw = HasWildcard(ls), rw = HasWildcard(rs);
      if (lw && !rw) return MatchesMask(rs, ls);
      if (rw) return MatchesMask(ls, rs);
    }
    return l == r;
  }

  char16_t op_;
  std::unique_ptr<TNode> left_, right_;
};

}  // namespace

class TNodeVariable : public TNode {
 public:
  TNodeVariable(TParser* p, TLex lex) : TNode(p), lex_(std::move(lex)) {}
  void Eval(Variant& Result) override {
    TExprParser* owner = parser_->Parent();
    Variant v;
    if (!owner || !owner->OnGetVariable || !owner->OnGetVariable(owner, lex_.Str(), v))
      throw EExprParserError(u"Variable " + lex_.Str() + u" could not be fetched.");
    Result = v;
  }

 private:
  TLex lex_;
};

class TNodeFunction : public TNode {
 public:
  TNodeFunction(TParser* p, TLex func) : TNode(p), func_(std::move(func)) {}
  void AddArg(std::unique_ptr<TNode> arg) { args_.push_back(std::move(arg)); }
  void Eval(Variant& Result) override {
    Variant args = rtl::VarArrayCreate(0, static_cast<int>(args_.size()) - 1);
    for (std::size_t i = 0; i < args_.size(); ++i) {
      Variant v;
      args_[i]->Eval(v);
      args[static_cast<int>(i)] = v;
    }
    TExprParser* owner = parser_->Parent();
    Variant res;
    if (!owner || !owner->OnExecuteFunction || !owner->OnExecuteFunction(owner, func_.Str(), args, res))
      throw EExprParserError(rtl::Format(u"Function %s could not be executed.", {func_.Str()}));
    Result = res;
  }

 private:
  TLex func_;
  std::vector<std::unique_ptr<TNode>> args_;
};

// ---------------------------------------------------------------- parser

TParser::~TParser() = default;

const TLex& TParser::LexC() const { return LexLook(0); }

const TLex& TParser::LexLook(int Ahead) const {
  int i = scanIdx_ + Ahead;
  if (i >= scan_->Count()) return (*scan_)[scan_->Count() - 1];
  return (*scan_)[i];
}

void TParser::Enter() {
  if (depth_ >= MaxDepth) throw EParserError(u"Expression nested too deeply at", LexC());
}

namespace {
struct DepthGuard {
  int& d;
  explicit DepthGuard(int& x) : d(x) { ++d; }
  ~DepthGuard() { --d; }
};
}  // namespace

void TParser::ExpectOperand(const TLex& Op) {
  if (LexC().Token() == tkEOF) throw EParserError(u"Expression expected after", Op);
}

std::unique_ptr<TNode> TParser::Expr() {
  Enter();
  DepthGuard g(depth_);
  return BinaryTail(Term(), true);
}

std::unique_ptr<TNode> TParser::Term() { return BinaryTail(Factor(), false); }

// The operator after an operand, when it belongs to the rule (+ and - to
// Expr, the others but ! to Term), and an Expr as the right operand.
std::unique_ptr<TNode> TParser::BinaryTail(std::unique_ptr<TNode> Left, bool Additive) {
  const TLex& c = LexC();
  bool additive = c.Chr() == u'+' || c.Chr() == u'-';
  if (c.Token() != tkOperator || additive != Additive || c.Chr() == u'!') return Left;
  TLex op = c;
  LexAccept();
  ExpectOperand(op);
  std::unique_ptr<TNode> right = Expr();
  return std::make_unique<TNodeBin>(this, op.Chr(), std::move(Left), std::move(right));
}

std::unique_ptr<TNode> TParser::Factor() {
  Enter();
  DepthGuard g(depth_);
  TLex c = LexC();
  switch (c.Token()) {
    case tkLParen: {
      LexAccept();
      std::unique_ptr<TNode> e = Expr();
      if (LexC().Token() != tkRParen) throw EParserError(u"Expected closing parenthesis instead of", LexC());
      LexAccept();
      return e;
    }
    case tkOperator:
      if (c.Chr() == u'!' || c.Chr() == u'+' || c.Chr() == u'-') {
        LexAccept();
        std::unique_ptr<TNode> operand = Factor();
        return std::make_unique<TNodeUnary>(this, c.Chr(), std::move(operand));
      }
      throw EParserError(u"Unexpected ", c);
    case tkNumber:
    case tkInteger:
    case tkString:
      LexAccept();
      return std::make_unique<TNodeCValue>(this, c);
    case tkIdentifier:
      LexAccept();
      if (LexC().Token() == tkLParen) {
        LexAccept();
        auto f = std::make_unique<TNodeFunction>(this, c);
        if (LexC().Token() == tkRParen) {
          LexAccept();
          return f;
        }
        for (;;) {
          f->AddArg(Expr());
          if (LexC().Token() == tkComa) {
            LexAccept();
            continue;
          }
          if (LexC().Token() != tkRParen) throw EParserError(u"Expected closing parenthesis instead of", LexC());
          LexAccept();
          return f;
        }
      }
      return std::make_unique<TNodeVariable>(this, c);
    default:
      throw EParserError(u"Unexpected ", c);
  }
}

bool TParser::Parse() {
  root_.reset();
  errorMessage_.clear();
  scanIdx_ = 0;
  depth_ = 0;
  try {
    std::unique_ptr<TNode> root = Expr();
    if (LexC().Token() != tkEOF) throw EParserError(u"Unexpected ", LexC());
    root_ = std::move(root);
    return true;
  } catch (const EParserError& e) {
    errorMessage_ = e.Message();
  } catch (const rtl::Exception& e) {
    errorMessage_ = EParserError(e.Message(), LexC()).Message();
  } catch (const std::exception& e) {
    errorMessage_ = EParserError(rtl::Utf8ToString(e.what()), LexC()).Message();
  }
  return false;
}

bool TParser::Execute() {
  errorMessage_.clear();
  if (!root_) return false;
  try {
    Variant v;
    root_->Eval(v);
    value_ = v;
    return true;
  } catch (const rtl::Exception& e) {
    errorMessage_ = e.Message();
  } catch (const std::exception& e) {
    errorMessage_ = rtl::Utf8ToString(e.what());
  }
  return false;
}

// ---------------------------------------------------------------- TExprParser

TExprParser::~TExprParser() = default;

void TExprParser::SetExpression(const String& Value) {
  if (hasExpression_ && Value == expression_) return;
  expression_ = Value;
  hasExpression_ = true;
  parser_.reset();
  scan_ = std::make_unique<TScan>();
  scanned_ = scan_->Parse(Value);
  if (scanned_) {
    parser_ = std::make_unique<TParser>(this, scan_.get());
    parser_->Parse();
  }
}

bool TExprParser::Eval() {
  errorMessage_.clear();
  if (!hasExpression_) {
    errorMessage_ = u"No expression";
    return false;
  }
  if (!scanned_) {
    errorMessage_ = scan_->ErrorMessage();
    return false;
  }
  if (parser_->HasTree() && parser_->Execute()) {
    value_ = parser_->Value();
    return true;
  }
  errorMessage_ = parser_->ErrorMessage();
  return false;
}

// ---------------------------------------------------------------- masks

namespace {

// Matches one mask element at Mask[mi] against c; Next receives the index
// after the element. False for a malformed set (treated as no match).
bool MatchOne(std::u16string_view Mask, std::size_t mi, char16_t c, std::size_t& Next) {
  if (Mask[mi] == u'?') {
    Next = mi + 1;
    return true;
  }
  if (Mask[mi] == u'[') {
    std::size_t close = Mask.find(u']', mi + 1);
    if (close != std::u16string_view::npos) {
      Next = close + 1;
      std::size_t i = mi + 1;
      bool negate = i < close && Mask[i] == u'!';
      if (negate) ++i;
      bool in = false;
      char16_t fc = Fold(c);
      for (; i < close; ++i) {
        if (i + 2 < close && Mask[i + 1] == u'-') {
          if (fc >= Fold(Mask[i]) && fc <= Fold(Mask[i + 2])) in = true;
          i += 2;
        } else if (Fold(Mask[i]) == fc) {
          in = true;
        }
      }
      return in != negate;
    }
  }
  Next = mi + 1;
  return Fold(Mask[mi]) == Fold(c);
}

}  // namespace

bool MatchesMask(std::u16string_view Text, std::u16string_view Mask) {
  // Greedy with one backtrack point per star: linear in practice, never exponential.
  std::size_t ti = 0, mi = 0;
  std::size_t starMask = std::u16string_view::npos, starText = 0;
  while (ti < Text.size()) {
    std::size_t next;
    if (mi < Mask.size() && Mask[mi] == u'*') {
      starMask = ++mi;
      starText = ti;
    } else if (mi < Mask.size() && MatchOne(Mask, mi, Text[ti], next)) {
      mi = next;
      ++ti;
    } else if (starMask != std::u16string_view::npos) {
      mi = starMask;
      ti = ++starText;
    } else {
      return false;
    }
  }
  while (mi < Mask.size() && Mask[mi] == u'*') ++mi;
  return mi == Mask.size();
}

}  // namespace ext

// TExprParser: a one-line expression over variants (constants, variables
// and functions answered by the owner, arithmetic, comparison with optional
// wildcard matching, logic). The memory dataset's filter runs on it.
//
// Grammar (both two-operand rules take a whole Expr on the right, so binary
// operators group to the right and the Term operators bind looser to their
// right than + and -; stored filters rely on exactly this reading):
//   Expr   := Term [ ('+' | '-') Expr ]
//   Term   := Factor [ ('&' '*' '/' '<' '=' '>' '|') Expr ]
//   Factor := '(' Expr ')' | ('!' | '+' | '-') Factor | number | integer | string
//           | identifier '(' [Expr {',' Expr}] ')' | identifier
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/runtime/exceptions.h"
#include "platform/runtime/variant.h"

namespace ext {

using rtl::String;
using rtl::Variant;

class EExprParserError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

enum TToken { tkNA, tkEOF, tkError, tkLParen, tkRParen, tkComa, tkOperator, tkIdentifier, tkNumber, tkInteger, tkString };

class TLex {
 public:
  TLex(TToken Token, char16_t Chr, String Str, int Pos) : token_(Token), chr_(Chr), str_(std::move(Str)), pos_(Pos) {}
  TToken Token() const { return token_; }
  char16_t Chr() const { return chr_; }
  const String& Str() const { return str_; }
  int Pos() const { return pos_; }  // 1-based
  String Debug() const;

 private:
  TToken token_;
  char16_t chr_;
  String str_;
  int pos_;
};

class EParserError : public EExprParserError {
 public:
  EParserError(const String& Message, const TLex& Lex);
};

// The tokens of one text, always ending with one tkEOF.
class TScan {
 public:
  bool Parse(const String& Text);
  int Count() const { return static_cast<int>(items_.size()); }
  const TLex& operator[](int Index) const { return items_[static_cast<std::size_t>(Index)]; }
  const String& ErrorMessage() const { return errorMessage_; }

 private:
  std::vector<TLex> items_;
  String errorMessage_;
};

class TExprParser;
class TParser;

class TNode {
 public:
  explicit TNode(TParser* Parser) : parser_(Parser) {}
  virtual ~TNode() = default;
  virtual void Eval(Variant& Result) = 0;

 protected:
  TParser* parser_;
};

class TParser {
 public:
  // Deeper nesting is refused with a parse error, so hostile or runaway
  // text cannot exhaust the stack while parsing, evaluating or freeing.
  static constexpr int MaxDepth = 1000;

  TParser(TExprParser* Parent, const TScan* Scan) : parent_(Parent), scan_(Scan) {}
  ~TParser();
  bool Parse();
  bool Execute();
  TExprParser* Parent() const { return parent_; }
  const TScan* Scan() const { return scan_; }
  const Variant& Value() const { return value_; }
  const String& ErrorMessage() const { return errorMessage_; }
  bool HasTree() const { return root_ != nullptr; }

 private:
  const TLex& LexC() const;
  const TLex& LexLook(int Ahead) const;
  void LexAccept() { ++scanIdx_; }
  std::unique_ptr<TNode> Expr();
  std::unique_ptr<TNode> Term();
  std::unique_ptr<TNode> Factor();
  std::unique_ptr<TNode> BinaryTail(std::unique_ptr<TNode> Left, bool Additive);
  void Enter();
  void ExpectOperand(const TLex& Op);

  TExprParser* parent_;
  const TScan* scan_;
  int scanIdx_ = 0;
  int depth_ = 0;
  std::unique_ptr<TNode> root_;
  String errorMessage_;
  Variant value_;
};

class TExprParser {
 public:
  using TOnGetVariableValue = std::function<bool(TExprParser* Sender, const String& VarName, Variant& Value)>;
  using TOnExecuteFunction =
      std::function<bool(TExprParser* Sender, const String& FuncName, const Variant& Args, Variant& ResVal)>;

  TExprParser() = default;
  TExprParser(const TExprParser&) = delete;
  TExprParser& operator=(const TExprParser&) = delete;
  ~TExprParser();

  const String& Expression() const { return expression_; }
  void SetExpression(const String& Value);
  bool Eval();
  bool Eval(const String& AExpression) {
    SetExpression(AExpression);
    return Eval();
  }
  const Variant& Value() const { return value_; }
  const String& ErrorMessage() const { return errorMessage_; }
  bool EnableWildcardMatching() const { return enableWildcardMatching_; }
  void SetEnableWildcardMatching(bool v) { enableWildcardMatching_ = v; }

  TOnGetVariableValue OnGetVariable;
  TOnExecuteFunction OnExecuteFunction;

 private:
  friend class TNodeVariable;
  friend class TNodeFunction;
  String expression_;
  bool hasExpression_ = false;
  std::unique_ptr<TScan> scan_;
  std::unique_ptr<TParser> parser_;
  bool scanned_ = false;
  Variant value_;
  String errorMessage_;
  bool enableWildcardMatching_ = false;
};

// Case-insensitive mask match: * any run, ? one character, [..] a set
// ([a-z] ranges, [!..] negation).
bool MatchesMask(std::u16string_view Text, std::u16string_view Mask);

}  // namespace ext

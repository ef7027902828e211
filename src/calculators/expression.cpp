#include "calculators/expression.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>
#include <system_error>

namespace mv::calc {

namespace {

constexpr char kPiCharacter = '\xB9';  // pi in Mac Roman

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

struct Symbol {
  std::array<char, kMaxSymbolName + 1> name{};
  int16_t length = 0;
  int16_t type = 0;
  int16_t code = 0;
};

// The value of a number text that passed the format check. Magnitudes beyond the
// double range read as infinity, those below it as 0, as the usual conversion does.
double NumberValue(const char* first, const char* last) {
  double value = 0;
  const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
  (void)end;
  if (ec == std::errc()) return value;
  if (ec != std::errc::result_out_of_range) return 0;
  // Out of range: the decimal order of the first significant digit decides.
  long order = 0;
  bool seenPoint = false, seenDigit = false;
  long digitsBefore = 0, zerosAfterPoint = 0;
  const char* p = first;
  for (; p != last && *p != 'E'; ++p) {
    if (*p == '.') {
      seenPoint = true;
    } else if (!seenDigit && *p == '0') {
      if (seenPoint) ++zerosAfterPoint;
    } else {
      if (!seenDigit && seenPoint) order = -(zerosAfterPoint + 1);
      seenDigit = true;
      if (!seenPoint) ++digitsBefore;
    }
  }
  if (!seenDigit) return 0;
  if (digitsBefore > 0) order = digitsBefore - 1;
  long exponent = 0;
  if (p != last) {
    ++p;
    const bool negative = p != last && *p == '-';
    if (p != last && (*p == '-' || *p == '+')) ++p;
    for (; p != last; ++p) exponent = exponent < 100'000 ? exponent * 10 + (*p - '0') : exponent;
    if (negative) exponent = -exponent;
  }
  return order + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

// A complete number: digits with an optional point (at least one digit), then an
// optional exponent of E, an optional sign and at least one digit.
bool IsCompleteNumber(const char* p, const char* last) {
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  int digits = 0;
  while (p != last && isDigit(*p)) ++p, ++digits;
  if (p != last && *p == '.') {
    ++p;
    while (p != last && isDigit(*p)) ++p, ++digits;
  }
  if (digits == 0) return false;
  if (p != last && *p == 'E') {
    ++p;
    if (p != last && (*p == '+' || *p == '-')) ++p;
    int exponentDigits = 0;
    while (p != last && isDigit(*p)) ++p, ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return p == last;
}

class Parser {
 public:
  Parser(std::string_view text, ParseOutcome& out)
      : text_(text.substr(0, std::min<std::size_t>(text.size(), kMaxExpressionText))),
        len_(static_cast<int>(text_.size())),
        tooLong_(text.size() > static_cast<std::size_t>(kMaxExpressionText)),
        out_(out) {}

  void Run(std::string_view name1, std::string_view name2) {
    if (!BuildSymbolTable(name1, name2)) return;
    // Text past the limit is refused rather than left out, which could change what
    // the formula means; the insertion point goes to the first character too many.
    if (tooLong_) {
      pos_ = len_ + 1;
      ParseError(parse_message::kTooLong);
      return;
    }
    int16_t lexeme = GetLexeme();
    if (lexeme == kEnd) ParseError(parse_message::kMissing);
    if (!error_) {
      lexeme = Expression(lexeme);
      SkipBlanksAndComments();
    }
    if (error_) return;
    if (lexeme != kEnd) {
      ParseError(parse_message::kSyntax);
    } else if (pos_ != len_ + 1) {
      ParseError(parse_message::kEndExpected);
    } else {
      out_.ok = true;
    }
  }

 private:
  // ---- symbol table ------------------------------------------------------------
  bool BuildSymbolTable(std::string_view name1, std::string_view name2) {
    static constexpr struct {
      const char* name;
      int16_t type, code;
    } kFixed[] = {
        {"+", kAdditive, kOpAdd},
        {"-", kAdditive, kOpSubtract},
        {"*", kMultiplicative, kOpMultiply},
        {"/", kMultiplicative, kOpDivide},
        {"^", kPower, kOpPower},
        {"EXP", kFunction, kOpExp},
        {"LOG", kFunction, kOpLn},
        {"LN", kFunction, kOpLn},
        {"LOG10", kFunction, kOpLog10},
        {"SIN", kFunction, kOpSin},
        {"COS", kFunction, kOpCos},
        {"TAN", kFunction, kOpTan},
        {"ATN", kFunction, kOpAtan},
        {"ATAN", kFunction, kOpAtan},
        {"SQR", kFunction, kOpSquare},
        {"SQRT", kFunction, kOpSqrt},
        {"ABS", kFunction, kOpAbs},
        {"INT", kFunction, kOpInt},
        {"\xB9", kOperand, kOpPushPi},
        {"PI", kOperand, kOpPushPi},
        {"(", kLeftParen, 0},
        {")", kRightParen, 0},
    };
    static_assert(kPiCharacter == '\xB9');
    for (const auto& s : kFixed)
      if (!AddSymbol(s.name, s.type, s.code)) return false;
    if (!name1.empty() && !AddSymbol(name1, kOperand, kOpPushX)) return false;
    if (!name2.empty() && !AddSymbol(name2, kOperand, kOpPushY)) return false;
    return true;
  }

  // Keeps the table in order of non-increasing name length, equal lengths in the
  // order added, so the longest name matches first.
  bool AddSymbol(std::string_view name, int16_t type, int16_t code) {
    if (name.size() > static_cast<std::size_t>(kMaxSymbolName)) name = name.substr(0, kMaxSymbolName);
    const auto length = static_cast<int16_t>(name.size());
    for (int i = 0; i < numSyms_; ++i) {
      if (symbols_[i].length != length) continue;
      bool same = true;
      for (int k = 0; k < length && same; ++k) same = symbols_[i].name[k] == Upper(name[k]);
      if (same) return SymbolTableFault(parse_message::kDuplicated);
    }
    if (numSyms_ >= kMaxSymbols) return SymbolTableFault(parse_message::kTableFull);
    int at = numSyms_;
    while (at > 0 && symbols_[at - 1].length < length) --at;
    for (int i = numSyms_; i > at; --i) symbols_[i] = symbols_[i - 1];
    Symbol& s = symbols_[at];
    s = Symbol{};
    for (int k = 0; k < length; ++k) s.name[k] = Upper(name[k]);
    s.length = length;
    s.type = type;
    s.code = code;
    ++numSyms_;
    return true;
  }

  // A caller's mistake in the names given, not the user's: the check fails with it
  // instead of stopping the program.
  bool SymbolTableFault(const char* message) {
    pos_ = 1;
    ParseError(message);
    return false;
  }

  // ---- lexer -------------------------------------------------------------------
  char At(int position) const { return text_[static_cast<std::size_t>(position - 1)]; }

  // Skips characters below 33 and `comments`; false (with the error) when a
  // comment is left open.
  bool SkipBlanksAndComments() {
    while (pos_ <= len_) {
      const auto c = static_cast<unsigned char>(At(pos_));
      if (c < 33) {
        ++pos_;
      } else if (c == '`') {
        int close = pos_ + 1;
        while (close <= len_ && At(close) != '`') ++close;
        if (close > len_) {
          pos_ = len_ + 1;
          ParseError(parse_message::kUnterminatedComment);
          return false;
        }
        pos_ = close + 1;
      } else {
        break;
      }
    }
    return true;
  }

  bool MatchesHere(std::string_view piece) const {
    if (pos_ - 1 + static_cast<int>(piece.size()) > len_) return false;
    for (std::size_t k = 0; k < piece.size(); ++k)
      if (Upper(At(pos_ + static_cast<int>(k))) != piece[k]) return false;
    return true;
  }

  int16_t GetLexeme() {
    if (error_) return kEnd;
    if (!SkipBlanksAndComments()) return kEnd;
    for (int i = 0; i < numSyms_; ++i) {
      const Symbol& s = symbols_[i];
      if (MatchesHere(std::string_view(s.name.data(), static_cast<std::size_t>(s.length)))) {
        pos_ += s.length;
        code_ = s.code;
        return s.type;
      }
    }
    if (pos_ <= len_ && ((At(pos_) >= '0' && At(pos_) <= '9') || At(pos_) == '.')) return ReadNumber();
    if (pos_ >= len_) return kEnd;
    ParseError(parse_message::kNotRecognisable);
    return kEnd;
  }

  int16_t ReadNumber() {
    static constexpr std::string_view kContent[] = {"0", "1", "2", "3", "4",  "5",  "6",
                                                    "7", "8", "9", ".", "E-", "E+", "E"};
    // The whole number is kept: it cannot be longer than the text.
    std::array<char, kMaxExpressionText> buffer{};
    int n = 0;
    bool more = true;
    while (more && pos_ <= len_) {
      more = false;
      for (std::string_view piece : kContent) {
        if (!MatchesHere(piece)) continue;
        for (char c : piece) buffer[static_cast<std::size_t>(n++)] = c;
        pos_ += static_cast<int>(piece.size());
        more = true;
        break;
      }
    }
    if (!IsCompleteNumber(buffer.data(), buffer.data() + n)) {
      ParseError(parse_message::kBadNumber);
      return kEnd;
    }
    code_ = ConstantNumber(NumberValue(buffer.data(), buffer.data() + n));
    return kNumber;
  }

  // The number of the constant with this value, added when new.
  int16_t ConstantNumber(double value) {
    CompiledExpression& c = out_.compiled;
    for (int16_t k = 1; k <= c.numConsts; ++k)
      if (c.constants[static_cast<std::size_t>(k)] == value) return k;
    if (c.numConsts >= kMaxConstants) {
      ParseError(parse_message::kTooManyConstants);
      return 1;
    }
    ++c.numConsts;
    c.constants[static_cast<std::size_t>(c.numConsts)] = value;
    return c.numConsts;
  }

  // ---- grammar: each level takes the lexeme read and returns the one after it ---
  int16_t Expression(int16_t lexeme) {
    lexeme = Term(lexeme);
    while (lexeme == kAdditive) {
      const int16_t op = code_;
      lexeme = Term(GetLexeme());
      Emit(op);
    }
    return lexeme;
  }

  int16_t Term(int16_t lexeme) {
    lexeme = PowerTerm(lexeme);
    while (lexeme == kMultiplicative) {
      const int16_t op = code_;
      lexeme = PowerTerm(GetLexeme());
      Emit(op);
    }
    return lexeme;
  }

  int16_t PowerTerm(int16_t lexeme) {
    lexeme = Factor(lexeme);
    while (lexeme == kPower) {
      lexeme = Factor(GetLexeme());
      Emit(kOpPower);
    }
    return lexeme;
  }

  int16_t Factor(int16_t lexeme) {
    switch (lexeme) {
      case kAdditive: {
        const int16_t op = code_;
        lexeme = Factor(GetLexeme());
        if (op == kOpSubtract) Emit(kOpNegate);
        return lexeme;
      }
      case kLeftParen:
        return ClosingParenthesis(Expression(GetLexeme()));
      case kOperand:
        Emit(code_);
        return GetLexeme();
      case kFunction: {
        const int16_t op = code_;
        if (GetLexeme() != kLeftParen) {
          ParseError(parse_message::kLeftParen);
          return kEnd;
        }
        lexeme = ClosingParenthesis(Expression(GetLexeme()));
        Emit(op);
        return lexeme;
      }
      case kNumber:
        Emit(kOpPushConstant);
        Emit(code_);
        return GetLexeme();
      default:
        ParseError(parse_message::kSyntax);
        return lexeme;
    }
  }

  int16_t ClosingParenthesis(int16_t lexeme) {
    if (lexeme != kRightParen) {
      ParseError(parse_message::kRightParen);
      return kEnd;
    }
    return GetLexeme();
  }

  void Emit(int16_t word) {
    auto& code = out_.compiled.code;
    if (code[0] >= kMaxCodeWords) {
      ParseError(parse_message::kTooLong);
      return;
    }
    ++code[0];
    code[static_cast<std::size_t>(code[0])] = word;
  }

  // Only the first error of a parse counts.
  void ParseError(const char* message) {
    if (error_) return;
    error_ = true;
    out_.ok = false;
    out_.message = message;
    out_.errorPosition = std::max(0, std::min(pos_ - 1, len_));
  }

  std::string_view text_;
  int len_ = 0;
  bool tooLong_ = false;
  int pos_ = 1;
  int16_t code_ = 0;
  bool error_ = false;
  std::array<Symbol, kMaxSymbols> symbols_{};
  int numSyms_ = 0;
  ParseOutcome& out_;
};

}  // namespace

ParseOutcome ParseText(std::string_view name1, std::string_view name2, std::string_view text) {
  ParseOutcome out;
  Parser(text, out).Run(name1, name2);
  return out;
}

double Evaluate(const CompiledExpression& compiled, double x, double y, int16_t& error) {
  error = 0;
  std::array<double, kEvaluationStack> stack{};
  int sp = 0;  // values on the stack
  const int count = std::clamp<int>(compiled.code[0], 0, kMaxCodeWords);
  const auto fail = [&error] {
    error = 1;
    return std::numeric_limits<double>::quiet_NaN();
  };
  for (int i = 1; i <= count; ++i) {
    const int16_t op = compiled.code[static_cast<std::size_t>(i)];
    const bool binary = op >= kOpAdd && op <= kOpPower;
    const bool unary = op >= kOpNegate && op <= kOpInt;
    const bool push = op == kOpPushX || op == kOpPushY || op == kOpPushPi || op == kOpPushConstant;
    if ((binary && sp < 2) || (unary && sp < 1) || (push && sp >= kEvaluationStack)) return fail();
    double& top = stack[static_cast<std::size_t>(sp > 0 ? sp - 1 : 0)];
    if (binary) {
      const double b = stack[static_cast<std::size_t>(--sp)];
      double& a = stack[static_cast<std::size_t>(sp - 1)];
      switch (op) {
        case kOpAdd:
          a = a + b;
          break;
        case kOpSubtract:
          a = a - b;
          break;
        case kOpMultiply:
          a = a * b;
          break;
        case kOpDivide:
          a = a / b;
          break;
        default:
          a = std::pow(a, b);
          break;
      }
      continue;
    }
    switch (op) {
      case kOpPushX:
        stack[static_cast<std::size_t>(sp++)] = x;
        break;
      case kOpPushY:
        stack[static_cast<std::size_t>(sp++)] = y;
        break;
      case kOpPushPi:
        stack[static_cast<std::size_t>(sp++)] = std::numbers::pi;
        break;
      case kOpPushConstant: {
        const int k = i < count ? compiled.code[static_cast<std::size_t>(++i)] : 0;
        if (k < 1 || k > compiled.numConsts || k > kMaxConstants) return fail();
        stack[static_cast<std::size_t>(sp++)] = compiled.constants[static_cast<std::size_t>(k)];
        break;
      }
      case kOpNegate:
        top = -top;
        break;
      case kOpExp:
        top = std::exp(top);
        break;
      case kOpLn:
        top = std::log(top);
        break;
      case kOpLog10:
        top = std::log10(top);
        break;
      case kOpSquare:
        top = top * top;
        break;
      case kOpSqrt:
        top = std::sqrt(top);
        break;
      case kOpSin:
        top = std::sin(top);
        break;
      case kOpCos:
        top = std::cos(top);
        break;
      case kOpTan:
        top = std::tan(top);
        break;
      case kOpAtan:
        top = std::atan(top);
        break;
      case kOpAbs:
        top = std::fabs(top);
        break;
      case kOpInt:
        top = std::trunc(top);
        break;
      default:
        return fail();
    }
  }
  if (sp < 1) return fail();
  return stack[0];
}

}  // namespace mv::calc

// Fuzz target of the formula language: the parser and the stack machine. For any
// bytes the check must end in success or one of its messages, with the insertion
// point inside the text; accepted code must stay inside its limits and run without
// the machine's error; and code made of arbitrary words must stop with the error
// instead of reading outside its tables. Built with MV_BUILD_FUZZ; with clang and
// MV_LIBFUZZER it is a libFuzzer target, otherwise a plain driver with its own mutator:
//   expression-fuzz CORPUS_DIR [EXECUTIONS] [SEED] [SECONDS]
// runs EXECUTIONS mutated inputs (default 100,000) made from the files of
// CORPUS_DIR (tools/fuzz/corpus/expression).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "calculators/expression.h"

namespace {

using mv::calc::CompiledExpression;
using mv::calc::ParseOutcome;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

bool KnownMessage(const std::string& m) {
  namespace pm = mv::calc::parse_message;
  for (const char* known :
       {pm::kUnterminatedComment, pm::kNotRecognisable, pm::kTooManyConstants, pm::kBadNumber, pm::kSyntax,
        pm::kRightParen, pm::kLeftParen, pm::kTooLong, pm::kMissing, pm::kEndExpected})
    if (m == known) return true;
  return false;
}

void CheckParse(std::string_view text) {
  const ParseOutcome out = mv::calc::ParseText("x", "y", text);
  const int limit = static_cast<int>(std::min<std::size_t>(text.size(), mv::calc::kMaxExpressionText));
  Require(out.errorPosition >= 0 && out.errorPosition <= limit, "insertion point inside the text");
  if (!out.ok) {
    Require(KnownMessage(out.message), "a known message");
    return;
  }
  Require(out.message.empty(), "no message on success");
  Require(text.size() <= static_cast<std::size_t>(mv::calc::kMaxExpressionText), "long texts refused");
  const CompiledExpression& c = out.compiled;
  Require(c.code[0] >= 1 && c.code[0] <= mv::calc::kMaxCodeWords, "code length");
  Require(c.numConsts >= 0 && c.numConsts <= mv::calc::kMaxConstants, "constant count");
  const double values[][2] = {
      {1, 2.01}, {0, 0}, {-3.5, 1e300}, {std::numeric_limits<double>::quiet_NaN(), -0.0}};
  for (const auto& v : values) {
    int16_t error = -1;
    mv::calc::Evaluate(c, v[0], v[1], error);
    Require(error == 0, "accepted code runs");
  }
  const ParseOutcome again = mv::calc::ParseText("x", "y", text);
  Require(again.ok && again.compiled.code == c.code, "the same code twice");
}

// The bytes read as code words and constants: malformed code must stop cleanly.
void CheckRawCode(std::string_view bytes) {
  CompiledExpression c;
  const std::size_t words = std::min<std::size_t>(bytes.size() / 2, mv::calc::kMaxCodeWords + 1);
  for (std::size_t i = 0; i < words; ++i) {
    int16_t w = 0;
    std::memcpy(&w, bytes.data() + 2 * i, 2);
    c.code[i] = static_cast<int16_t>(i == 0 ? w : w % 24);
  }
  c.numConsts = static_cast<int16_t>(bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]) % 40);
  for (std::size_t k = 0; k < c.constants.size(); ++k) c.constants[k] = static_cast<double>(k) - 3.5;
  int16_t error = -1;
  const double v = mv::calc::Evaluate(c, 2, 3, error);
  Require(error == 0 || error == 1, "error 0 or 1");
  Require(error == 0 || std::isnan(v), "a failed run gives NaN");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckParse(bytes);
  CheckRawCode(bytes);
  return 0;
}

#ifndef MV_LIBFUZZER
#include "fuzz_driver.h"

namespace {

// Pieces of the language and of its faults: names, functions, signs, exponents,
// brackets, comments, the pi character, long digit runs and long texts.
const std::vector<std::string> kTokens = {"x",
                                          "y",
                                          "+",
                                          "-",
                                          "*",
                                          "/",
                                          "^",
                                          "(",
                                          ")",
                                          "((",
                                          "))",
                                          "`",
                                          "`c`",
                                          ".",
                                          "E",
                                          "E-",
                                          "e+",
                                          "1e",
                                          "1.2.3",
                                          "0.5",
                                          "9e999",
                                          "-(-(",
                                          "\xB9",
                                          "PI",
                                          "SIN(",
                                          "LOG",
                                          "LOG10",
                                          "SQRT",
                                          "SQR(",
                                          "INT",
                                          "ATAN(",
                                          "ATN",
                                          "EXP(",
                                          "abs",
                                          " ",
                                          "\t",
                                          std::string(1, '\0'),
                                          "$",
                                          "\xFF",
                                          "x*x",
                                          "2^-",
                                          "--",
                                          std::string(40, '9'),
                                          std::string(120, '('),
                                          std::string(200, ' '),
                                          std::string(60, '+')};

}  // namespace

int main(int argc, char** argv) {
  return mv::fuzz::RunPlainDriver(argc, argv, "expression-fuzz", kTokens);
}
#endif

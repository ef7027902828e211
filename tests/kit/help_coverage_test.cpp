// Every "?" of the program opens a page that exists, and every window the program
// builds is named on some page of the help book. The windows and the topics are read
// from the program's own sources: each call that builds a window or opens a help
// topic is followed back to the texts and numbers it is given (through constants,
// locals, parameters and their callers, and the functions that make a title), so a
// window added later is held to the same rule without this test naming it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/help_page.h"
#include "kit/help.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

// Windows that are no part of the help book: a review window only the tests open, and
// the alert whose title is the message of whatever went wrong.
const std::map<std::string, std::string> kNotHelpWindows = {
    {"src/kit/gallery.cpp", "the drawing kit's review window, opened only by tests"},
    {"src/files/file_alert.cpp", "the file alert, titled with its caller's message"},
};

bool IsWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// Whether a word starts at `at` (no word character just before it).
bool WordStartsAt(const std::string& s, std::size_t at) {
  return at == 0 || !IsWordChar(s[at - 1]);
}

std::string Trim(std::string_view s) {
  std::size_t a = 0, b = s.size();
  while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
  return std::string(s.substr(a, b - a));
}

// The end of the string or character literal starting at i (one past its quote).
std::size_t LiteralEnd(const std::string& s, std::size_t i) {
  const char quote = s[i];
  for (++i; i < s.size() && s[i] != quote; ++i)
    if (s[i] == '\\') ++i;
  return i + 1;
}

// A quote that opens a literal: not the digit separator of 2'000'000.
bool OpensLiteral(const std::string& s, std::size_t i) {
  return s[i] == '"' || (s[i] == '\'' && !(i > 0 && std::isxdigit(static_cast<unsigned char>(s[i - 1]))));
}

// The source with its comments blanked (same length, so offsets and lines hold).
std::string WithoutComments(std::string s) {
  for (std::size_t i = 0; i < s.size();) {
    if (OpensLiteral(s, i)) {
      i = LiteralEnd(s, i);
    } else if (s.compare(i, 2, "//") == 0) {
      while (i < s.size() && s[i] != '\n') s[i++] = ' ';
    } else if (s.compare(i, 2, "/*") == 0) {
      const std::size_t end = std::min(s.find("*/", i + 2), s.size() - 2) + 2;
      for (; i < end; ++i)
        if (s[i] != '\n') s[i] = ' ';
    } else {
      ++i;
    }
  }
  return s;
}

bool Opens(char c) {
  return c == '(' || c == '[' || c == '{';
}
bool Closes(char c) {
  return c == ')' || c == ']' || c == '}';
}

// Calls at(i) for each position of s from `from` on that lies outside literals and
// brackets, until it returns true (that position is returned). With `bracket` the walk
// starts at an opening bracket and returns the one that closes it.
template <class At>
std::size_t WalkTopLevel(const std::string& s, At at, std::size_t from = 0, bool bracket = false) {
  int depth = 0;
  for (std::size_t i = from; i < s.size(); ++i) {
    if (OpensLiteral(s, i)) {
      i = LiteralEnd(s, i) - 1;
    } else if (Opens(s[i])) {
      ++depth;
    } else if (Closes(s[i])) {
      if (--depth == 0 && bracket) return i;
    } else if (depth == 0 && at(i)) {
      return i;
    }
  }
  return std::string::npos;
}

// The bracket closing the one opened at i, or npos.
std::size_t Closing(const std::string& s, std::size_t i) {
  return WalkTopLevel(
      s, [](std::size_t) { return false; }, i, true);
}

// The parts of an expression list split at top-level occurrences of sep ("+=" is no "+").
std::vector<std::string> SplitTop(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  WalkTopLevel(s, [&](std::size_t i) {
    if (s[i] == sep && !(sep == '+' && i + 1 < s.size() && s[i + 1] == '=')) {
      parts.push_back(Trim(s.substr(start, i - start)));
      start = i + 1;
    }
    return false;
  });
  parts.push_back(Trim(s.substr(start)));
  return parts;
}

// The branches of a top-level conditional "c ? a : b", or none.
std::vector<std::string> Branches(const std::string& s) {
  const std::size_t q = WalkTopLevel(s, [&](std::size_t i) { return s[i] == '?'; });
  if (q == std::string::npos) return {};
  // The ':' that closes this '?', counting nested conditionals and skipping '::'.
  int open = 1;
  const std::size_t colon = WalkTopLevel(
      s,
      [&](std::size_t i) {
        if (s[i] == '?') ++open;
        return s[i] == ':' && s[i + 1] != ':' && s[i - 1] != ':' && --open == 0;
      },
      q + 1);
  if (colon == std::string::npos) return {};
  return {Trim(s.substr(q + 1, colon - q - 1)), Trim(s.substr(colon + 1))};
}

// The text of a string literal expression ("..." possibly in parts), else nullopt.
std::optional<std::string> LiteralText(const std::string& e) {
  if (e.empty() || e[0] != '"') return std::nullopt;
  std::string text;
  for (std::size_t i = 0; i < e.size();) {
    if (std::isspace(static_cast<unsigned char>(e[i]))) {
      ++i;
      continue;
    }
    if (e[i] != '"') return std::nullopt;
    const std::size_t end = LiteralEnd(e, i);
    for (std::size_t k = i + 1; k + 1 < end; ++k) text += e[k] == '\\' ? e[++k] : e[k];
    i = end;
  }
  return text;
}

// A call "Name(args)" spanning the whole expression: its name and argument text.
std::optional<std::pair<std::string, std::string>> WholeCall(const std::string& e) {
  std::size_t i = 0;
  while (i < e.size() && (IsWordChar(e[i]) || e[i] == ':' || e[i] == '<' || e[i] == '>')) ++i;
  if (i == 0 || i >= e.size() || e[i] != '(' || Closing(e, i) != e.size() - 1) return std::nullopt;
  std::string name = e.substr(0, i);
  if (const std::size_t lt = name.find('<'); lt != std::string::npos) name = name.substr(0, lt);
  if (const std::size_t colons = name.rfind("::"); colons != std::string::npos)
    name = name.substr(colons + 2);
  return std::pair{name, e.substr(i + 1, e.size() - i - 2)};
}

bool IsIdentifier(const std::string& e) {
  return !e.empty() && !std::isdigit(static_cast<unsigned char>(e[0])) &&
         std::all_of(e.begin(), e.end(), IsWordChar);
}

// A title text is named when its words are on a page; texts with no two letters
// together ("", " ", ": ") name nothing.
bool NamesSomething(const std::string& text) {
  int letters = 0;
  for (char c : text) letters += std::isalpha(static_cast<unsigned char>(c)) ? 1 : 0;
  return letters >= 2;
}

struct SourceFile {
  std::string path;  // relative to the source tree
  std::string code;  // comments blanked
  int LineOf(std::size_t at) const {
    return 1 + static_cast<int>(std::count(code.begin(), code.begin() + at, '\n'));
  }
};

struct Place {
  const SourceFile* file;
  std::size_t at;
  std::string Where() const { return file->path + ":" + std::to_string(file->LineOf(at)); }
};

// A function body in a file: its name, parameter names and braces.
struct Body {
  std::string name;
  std::vector<std::string> params;
  std::size_t open = 0, close = 0;
};

// What an expression was followed to: the texts a title starts from, the numbers a
// topic can be, and where it could not be followed.
// (Each text and number with the place it was written.)
struct Values {
  std::map<std::string, std::string> texts;
  std::map<long, std::string> numbers;
  std::vector<std::string> lost;
  void Add(const Values& v) {
    texts.insert(v.texts.begin(), v.texts.end());
    numbers.insert(v.numbers.begin(), v.numbers.end());
    lost.insert(lost.end(), v.lost.begin(), v.lost.end());
  }
};

const std::set<std::string> kKeywords = {"if", "for", "while", "switch", "catch", "return", "sizeof", "else"};

class ProgramSources {
 public:
  ProgramSources() {
    const fs::path root = test::SourcePath("src");
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      const std::string ext = entry.path().extension().string();
      if (ext != ".cpp" && ext != ".h") continue;
      const std::string rel = "src/" + fs::relative(entry.path(), root).generic_string();
      if (rel.rfind("src/runtime/", 0) == 0) continue;  // the platform's own windows
      std::ifstream in(entry.path(), std::ios::binary);
      files_.push_back({rel, WithoutComments(std::string(std::istreambuf_iterator<char>(in), {}))});
    }
    for (const SourceFile& f : files_) bodies_[f.path] = BodiesOf(f.code);
  }

  // Every call of the function name (not its definition or declaration), with its arguments.
  // A function no header declares is called only from its own file.
  std::vector<std::pair<Place, std::vector<std::string>>> CallsOf(const std::string& name,
                                                                  const SourceFile* home = nullptr) const {
    std::vector<std::pair<Place, std::vector<std::string>>> calls;
    if (home && (!home->path.ends_with(".cpp") || DeclaredInAHeader(name))) home = nullptr;
    for (const SourceFile& f : files_)
      if (!home || &f == home)
        for (std::size_t at = f.code.find(name); at != std::string::npos; at = f.code.find(name, at + 1)) {
          const std::size_t open = f.code.find_first_not_of(" \n", at + name.size());
          if (!WordStartsAt(f.code, at) || open == std::string::npos || f.code[open] != '(') continue;
          if (IsDefinitionOrDeclaration(f.code, at)) continue;
          const std::size_t close = Closing(f.code, open);
          if (close == std::string::npos) continue;
          const std::string args = Trim(f.code.substr(open + 1, close - open - 1));
          calls.push_back({Place{&f, at}, args.empty() ? std::vector<std::string>{} : SplitTop(args, ',')});
        }
    return calls;
  }

  bool DeclaredInAHeader(const std::string& name) const {
    for (const SourceFile& f : files_) {
      if (!f.path.ends_with(".h")) continue;
      for (std::size_t at = f.code.find(name + "("); at != std::string::npos;
           at = f.code.find(name + "(", at + 1))
        if (WordStartsAt(f.code, at)) return true;
    }
    return false;
  }

  // What the expression at the place can be, followed up to a few steps.
  Values Follow(std::string e, const Place& where, int depth = 0) const {
    Values v;
    e = Trim(e);
    while (!e.empty() && (e[0] == '*' || e[0] == '&')) e = Trim(e.substr(1));
    if (e.size() > 1 && e[0] == '(' && Closing(e, 0) == e.size() - 1) e = Trim(e.substr(1, e.size() - 2));
    if (e.empty() || depth > 8) {
      v.lost.push_back(where.Where() + " \"" + e + "\"");
      return v;
    }
    if (const auto branches = Branches(e); !branches.empty()) {
      for (const std::string& b : branches) v.Add(Follow(b, where, depth + 1));
      return v;
    }
    if (const auto text = LiteralText(e)) {
      v.texts[*text] = where.Where();
      return v;
    }
    if (std::isdigit(static_cast<unsigned char>(e[0])) && std::all_of(e.begin(), e.end(), IsWordChar)) {
      v.numbers[std::stol(e)] = where.Where();
      return v;
    }
    if (const auto parts = SplitTop(e, '+'); parts.size() > 1) return FollowJoin(parts, where, depth);
    if (const auto call = WholeCall(e)) return FollowCall(call->first, call->second, where, depth);
    if (IsIdentifier(e)) return FollowName(e, where, depth);
    if (const std::size_t dot = e.rfind('.'); dot != std::string::npos && IsIdentifier(e.substr(dot + 1)))
      return FollowField(e.substr(0, dot), e.substr(dot + 1), where, depth);
    v.lost.push_back(where.Where() + " \"" + e + "\"");
    return v;
  }

  // The innermost function body around the place, or none at file scope.
  const Body* Enclosing(const Place& where) const {
    const Body* inner = nullptr;
    for (const Body& b : bodies_.at(where.file->path))
      if (b.open < where.at && where.at < b.close && (!inner || b.open > inner->open)) inner = &b;
    return inner;
  }

 private:
  // A definition or declaration names a type (its result, or a class) just before the
  // name, which may be qualified; a call follows anything else.
  static bool IsDefinitionOrDeclaration(const std::string& code, std::size_t at) {
    std::size_t p = at;
    if (p >= 2 && code.compare(p - 2, 2, "::") == 0) {
      p -= 2;
      while (p > 0 && IsWordChar(code[p - 1])) --p;
    }
    while (p > 0 && (code[p - 1] == ' ' || code[p - 1] == '\n')) --p;
    if (p == 0) return true;
    const char c = code[p - 1];
    if (c == '>') return p < 2 || code[p - 2] != '-';
    if (c == '&' || c == '*') return true;
    if (!IsWordChar(c)) return false;
    std::size_t w = p;
    while (w > 0 && IsWordChar(code[w - 1])) --w;
    const std::string word = code.substr(w, p - w);
    return !kKeywords.count(word) && word != "new" && word != "case";
  }

  // The function bodies of a file: a brace after a parameter list (a constructor's
  // initialisers skipped), whose name is neither a keyword nor a lambda's capture.
  static std::vector<Body> BodiesOf(const std::string& code) {
    std::vector<Body> bodies;
    for (std::size_t b = code.find('{'); b != std::string::npos; b = code.find('{', b + 1)) {
      std::size_t p = code.find_last_not_of(" \n", b - 1);
      for (const std::string_view word : {"const", "override", "noexcept", "mutable"})
        if (p != std::string::npos && std::string_view(code).substr(0, p + 1).ends_with(word))
          p = code.find_last_not_of(" \n", p - word.size());
      if (p == std::string::npos || code[p] != ')') continue;
      std::optional<Body> body = BodyBefore(code, p);
      if (!body) continue;
      body->open = b;
      body->close = Closing(code, b);
      if (body->close != std::string::npos) bodies.push_back(*body);
    }
    return bodies;
  }

  // The function whose parameter list ends at the ')' at p, going back over a
  // constructor's initialisers.
  static std::optional<Body> BodyBefore(const std::string& code, std::size_t p) {
    for (;;) {
      const std::size_t open = OpeningBefore(code, p);
      if (open == std::string::npos || open == 0) return std::nullopt;
      std::size_t e = code.find_last_not_of(" \n", open - 1);
      std::size_t s = e + 1;
      while (s > 0 && IsWordChar(code[s - 1])) --s;
      if (s > e) return std::nullopt;
      const std::string name = code.substr(s, e + 1 - s);
      const std::size_t before = s == 0 ? std::string::npos : code.find_last_not_of(" \n", s - 1);
      if (before != std::string::npos &&
          (code[before] == ',' || (code[before] == ':' && code[before - 1] != ':'))) {
        // An initialiser: the constructor's parameter list ends before it.
        const std::size_t q = code.find_last_of(')', before);
        if (q == std::string::npos) return std::nullopt;
        p = q;
        continue;
      }
      if (kKeywords.count(name) || std::isdigit(static_cast<unsigned char>(name[0]))) return std::nullopt;
      Body body;
      body.name = name;
      for (const std::string& param : SplitTop(code.substr(open + 1, p - open - 1), ',')) {
        std::string decl = Trim(param.substr(0, param.find('=')));
        std::size_t n = decl.size();
        while (n > 0 && IsWordChar(decl[n - 1])) --n;
        body.params.push_back(decl.substr(n));
      }
      return body;
    }
  }

  static std::size_t OpeningBefore(const std::string& code, std::size_t close) {
    int depth = 0;
    for (std::size_t i = close + 1; i-- > 0;) {
      if (code[i] == ')') ++depth;
      if (code[i] == '(' && --depth == 0) return i;
    }
    return std::string::npos;
  }

  // A joined text: the literal parts it is made of, and what its first part is when
  // that is not a literal (the title it starts from).
  Values FollowJoin(const std::vector<std::string>& parts, const Place& where, int depth) const {
    Values v;
    std::optional<std::string> other;
    bool first = false, literalNames = false;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      std::string part = parts[i];
      if (const auto call = WholeCall(part); call && (call->first == "Str255" || call->first == "string"))
        part = Trim(call->second);
      if (const auto text = LiteralText(part)) {
        v.texts[*text] = where.Where();
        literalNames = literalNames || NamesSomething(*text);
      } else if (!other) {
        other = part;
        first = i == 0;
      }
    }
    if (other && (first || !literalNames)) {
      Values start = Follow(*other, where, depth + 1);
      // A number joined to others is computed, not a topic of its own.
      for (const auto& [n, at] : start.numbers) v.lost.push_back(at + " a sum with " + std::to_string(n));
      start.numbers.clear();
      v.Add(start);
    }
    return v;
  }

  // A call: what the function returns when it is the program's own, else its one argument.
  Values FollowCall(const std::string& name, const std::string& args, const Place& where, int depth) const {
    Values v;
    bool defined = false;
    for (const SourceFile& f : files_)
      for (const Body& b : bodies_.at(f.path)) {
        if (b.name != name) continue;
        defined = true;
        for (std::size_t r = f.code.find("return", b.open); r < b.close; r = f.code.find("return", r + 1)) {
          if (!WordStartsAt(f.code, r) || IsWordChar(f.code[r + 6])) continue;
          const std::size_t end = f.code.find(';', r);
          const std::string returned = Trim(f.code.substr(r + 6, end - r - 6));
          if (!returned.empty() && returned != "{}") v.Add(Follow(returned, Place{&f, r}, depth + 1));
        }
      }
    if (defined) return v;
    const auto list = SplitTop(args, ',');
    if (list.size() == 1 && !list[0].empty()) return Follow(list[0], where, depth + 1);
    v.lost.push_back(where.Where() + " \"" + name + "(" + args + ")\"");
    return v;
  }

  // The assignments "name = ..." in [from, to) of a file; an assignment that extends the
  // name's own value ("t = t + ...", "t += ...") adds to a title, it does not start one.
  std::vector<std::pair<std::size_t, std::string>> Assignments(const SourceFile& f, const std::string& name,
                                                               std::size_t from, std::size_t to,
                                                               bool member = false) const {
    std::vector<std::pair<std::size_t, std::string>> found;
    for (std::size_t at = f.code.find(name, from); at < to; at = f.code.find(name, at + 1)) {
      if (!WordStartsAt(f.code, at) || (at > 0 && f.code[at - 1] == '.') != member ||
          IsWordChar(f.code[at + name.size()]))
        continue;
      const std::size_t eq = f.code.find_first_not_of(" \n", at + name.size());
      if (eq == std::string::npos || f.code[eq] != '=' || f.code[eq + 1] == '=') continue;
      const auto endsValue = [&](std::size_t i) { return f.code[i] == ';' || f.code[i] == ','; };
      const std::size_t end = std::min(WalkTopLevel(f.code, endsValue, eq + 1), f.code.size());
      const std::string value = Trim(f.code.substr(eq + 1, end - eq - 1));
      if (SplitTop(value, '+').front() == name) continue;
      found.push_back({at, value});
    }
    return found;
  }

  // Parameter `index` of the function of body b (in the file of `where`): what its
  // callers give for it.
  Values FollowArgument(const Body& b, std::size_t index, const Place& where, int depth) const {
    Values v;
    for (const auto& [call, args] : CallsOf(b.name, where.file))
      if (index < args.size()) v.Add(Follow(args[index], call, depth + 1));
    return v;
  }

  // A name: a parameter (what its callers give), a local, a member set from a
  // constructor's parameter, or a constant of the file or of the program.
  Values FollowName(const std::string& name, const Place& where, int depth) const {
    Values v;
    const Body* body = Enclosing(where);
    if (body) {
      const auto param = std::find(body->params.begin(), body->params.end(), name);
      if (param != body->params.end())
        return FollowArgument(*body, static_cast<std::size_t>(param - body->params.begin()), where, depth);
      const auto locals = Assignments(*where.file, name, body->open, where.at);
      for (const auto& [at, value] : locals) v.Add(Follow(value, Place{where.file, at}, depth + 1));
      if (!locals.empty()) return v;
    }
    if (const auto member = MemberFromConstructor(name, where, depth)) return *member;
    for (bool sameFile : {true, false}) {
      for (const SourceFile& f : files_) {
        if ((&f == where.file) != sameFile) continue;
        for (const auto& [at, value] : Assignments(f, name, 0, f.code.size()))
          if (!Enclosing(Place{&f, at})) v.Add(Follow(value, Place{&f, at}, depth + 1));
      }
      if (!v.texts.empty() || !v.numbers.empty() || !v.lost.empty()) return v;
    }
    v.lost.push_back(where.Where() + " \"" + name + "\"");
    return v;
  }

  // A member initialised as "name(param)" by a constructor of the file: what the
  // constructor's callers give for that parameter.
  std::optional<Values> MemberFromConstructor(const std::string& name, const Place& where, int depth) const {
    const std::string& code = where.file->code;
    for (std::size_t at = code.find(name + "("); at != std::string::npos;
         at = code.find(name + "(", at + 1)) {
      if (!WordStartsAt(code, at)) continue;
      const std::size_t close = Closing(code, at + name.size());
      const std::string param = Trim(code.substr(at + name.size() + 1, close - at - name.size() - 1));
      const std::size_t brace = code.find('{', close);
      for (const Body& b : bodies_.at(where.file->path)) {
        if (b.open != brace) continue;
        const auto p = std::find(b.params.begin(), b.params.end(), param);
        if (p != b.params.end())
          return FollowArgument(b, static_cast<std::size_t>(p - b.params.begin()), where, depth);
      }
    }
    return std::nullopt;
  }

  // A field of a local "T base = F(...)": the values F gives that field, or, when F
  // only picks a row, that field of every row of the tables of T.
  Values FollowField(const std::string& base, const std::string& field, const Place& where, int depth) const {
    Values v;
    const Body* body = Enclosing(where);
    const std::string& code = where.file->code;
    if (body && IsIdentifier(base)) {
      for (const auto& [at, value] : Assignments(*where.file, base, body->open, where.at)) {
        const std::size_t typeEnd = code.find_last_not_of(" \n&*", at - 1);
        std::size_t typeStart = typeEnd + 1;
        while (typeStart > 0 && IsWordChar(code[typeStart - 1])) --typeStart;
        const std::string type = code.substr(typeStart, typeEnd + 1 - typeStart);
        if (const auto call = WholeCall(value)) {
          const Values set = FieldSetBy(call->first, field, depth);
          if (!set.texts.empty() || !set.numbers.empty()) return set;
        }
        return FieldOfRows(type, field, where);
      }
    }
    v.lost.push_back(where.Where() + " \"" + base + "." + field + "\"");
    return v;
  }

  Values FieldSetBy(const std::string& function, const std::string& field, int depth) const {
    Values v;
    for (const SourceFile& f : files_)
      for (const Body& b : bodies_.at(f.path)) {
        if (b.name != function) continue;
        for (std::size_t at = f.code.find("." + field, b.open); at < b.close;
             at = f.code.find("." + field, at + 1))
          for (const auto& [where, value] : Assignments(f, field, at + 1, at + 2, true))
            v.Add(Follow(value, Place{&f, where}, depth + 1));
      }
    return v;
  }

  // The field of every row of the tables "T name[] = {...}": counted by the field's
  // place among the members of struct T.
  Values FieldOfRows(const std::string& type, const std::string& field, const Place& where) const {
    Values v;
    std::optional<std::size_t> index;
    for (const SourceFile& f : files_) {
      const std::size_t s = f.code.find("struct " + type + " {");
      if (s == std::string::npos) continue;
      const std::size_t open = f.code.find('{', s);
      std::size_t n = 0;
      for (const std::string& member :
           SplitTop(f.code.substr(open + 1, Closing(f.code, open) - open - 1), ';'))
        for (const std::string& declarator : SplitTop(member, ',')) {
          std::string name = Trim(declarator.substr(0, declarator.find('=')));
          std::size_t k = name.size();
          while (k > 0 && IsWordChar(name[k - 1])) --k;
          if (name.empty()) continue;
          if (name.substr(k) == field) index = n;
          ++n;
        }
    }
    for (const SourceFile& f : files_)
      for (std::size_t at = f.code.find(type + " "); index && at != std::string::npos;
           at = f.code.find(type + " ", at + 1)) {
        const std::size_t bracket = f.code.find_first_of("[;(", at);
        if (bracket == std::string::npos || f.code[bracket] != '[') continue;
        const std::size_t open = f.code.find('{', bracket);
        if (f.code.find(';', bracket) < open) continue;
        for (const std::string& row :
             SplitTop(f.code.substr(open + 1, Closing(f.code, open) - open - 1), ',')) {
          if (row.empty() || row[0] != '{') continue;
          const auto fields = SplitTop(row.substr(1, row.size() - 2), ',');
          if (*index < fields.size()) v.Add(Follow(fields[*index], Place{&f, open}, 0));
        }
      }
    if (v.texts.empty() && v.numbers.empty())
      v.lost.push_back(where.Where() + " \"" + type + "::" + field + "\"");
    return v;
  }

  std::vector<SourceFile> files_;
  std::map<std::string, std::vector<Body>> bodies_;
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The words of every page of the help book, as a reader sees them.
std::string AllPagesText() {
  std::string all;
  for (const auto& entry : fs::directory_iterator(test::SourcePath("resources/HelpFiles")))
    if (entry.path().extension() == ".html")
      all += test::HelpPageText(entry.path().filename().string()) + " | ";
  return Lower(all);
}

TEST(HelpCoverage, NoHelpButtonOpensAMissingPageAndNoWindowIsLeftUnnamed) {
  const ProgramSources sources;
  const std::string pages = AllPagesText();
  const fs::path folder = test::SourcePath("resources/HelpFiles");
  std::vector<std::string> missing;
  std::set<long> topics;

  for (const auto& [call, args] : sources.CallsOf("DoHelpWindow")) {
    if (call.file->path == "src/kit/help.cpp" || args.empty()) continue;
    const Values v = sources.Follow(args[0], call);
    for (const std::string& lost : v.lost) missing.push_back("help topic not followed to a number: " + lost);
    for (const auto& [topic, at] : v.numbers) {
      topics.insert(topic);
      const std::string page = HelpTopicPage(static_cast<int16_t>(topic));
      if (page.empty() || !fs::is_regular_file(folder / page))
        missing.push_back("help topic " + std::to_string(topic) + " (" + at + ") opens no page");
    }
  }
  for (const auto& [call, args] : sources.CallsOf("HBGotoPage")) {
    if (call.file->path == "src/kit/help.cpp" || args.empty()) continue;
    const Values v = sources.Follow(args[0], call);
    for (const std::string& lost : v.lost) missing.push_back("help page not followed to a name: " + lost);
    for (const auto& [page, at] : v.texts)
      if (!fs::is_regular_file(folder / page))
        missing.push_back("help page \"" + page + "\" (" + at + ") is missing");
  }

  int windows = 0;
  for (const auto& [builder, titleArg] : {std::pair{"BuildWINDOW", 1u}, std::pair{"OpenWindow", 1u}})
    for (const auto& [call, args] : sources.CallsOf(builder)) {
      if (kNotHelpWindows.count(call.file->path) || args.size() <= titleArg) continue;
      // The kit's builder opens its window through the runtime: counted at its callers.
      if (const Body* inside = sources.Enclosing(call); inside && inside->name == "BuildWINDOW") continue;
      ++windows;
      const Values v = sources.Follow(args[titleArg], call);
      for (const std::string& lost : v.lost)
        missing.push_back("window title not followed to its text: " + lost);
      for (const auto& [text, at] : v.texts)
        if (NamesSomething(text) && pages.find(Lower(test::SqueezedText(Trim(text)))) == std::string::npos)
          missing.push_back("window title \"" + Trim(text) + "\" (" + at + ") is on no help page");
    }

  EXPECT_GT(topics.size(), 40u) << "the scan found the program's help topics";
  EXPECT_GT(windows, 80) << "the scan found the program's windows";
  std::sort(missing.begin(), missing.end());
  missing.erase(std::unique(missing.begin(), missing.end()), missing.end());
  std::ostringstream list;
  for (const std::string& m : missing) list << "\n  " << m;
  EXPECT_TRUE(missing.empty()) << missing.size() << " missing:" << list.str();
}

}  // namespace
}  // namespace mv

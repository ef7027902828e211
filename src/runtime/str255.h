// Counted strings of at most 255 bytes of Mac Roman text. Every assignment and
// concatenation truncates at 255 bytes, as the stored labels and file names expect.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace mv {

class Str255 {
 public:
  static constexpr std::size_t kMax = 255;

  Str255() = default;
  Str255(const char* s) : s_(clip(std::string_view(s ? s : ""))) {}
  Str255(std::string_view s) : s_(clip(s)) {}
  Str255(const std::string& s) : s_(clip(s)) {}
  Str255(std::size_t count, char c) : s_(count > kMax ? kMax : count, c) {}

  const std::string& str() const { return s_; }
  operator const std::string&() const { return s_; }
  operator std::string_view() const { return s_; }
  const char* c_str() const { return s_.c_str(); }

  std::size_t size() const { return s_.size(); }
  std::size_t length() const { return s_.size(); }
  bool empty() const { return s_.empty(); }
  char operator[](std::size_t i) const { return s_[i]; }
  char& operator[](std::size_t i) { return s_[i]; }
  char back() const { return s_.back(); }
  void pop_back() { s_.pop_back(); }
  void clear() { s_.clear(); }
  void resize(std::size_t n, char c = ' ') { s_.resize(n > kMax ? kMax : n, c); }

  Str255& operator+=(std::string_view t) {
    s_.append(t.substr(0, kMax - s_.size()));
    return *this;
  }
  Str255& operator+=(char c) {
    if (s_.size() < kMax) s_.push_back(c);
    return *this;
  }
  friend Str255 operator+(Str255 a, std::string_view b) { return a += b; }
  friend Str255 operator+(Str255 a, const Str255& b) { return a += std::string_view(b.s_); }
  friend Str255 operator+(Str255 a, const char* b) { return a += std::string_view(b); }
  friend Str255 operator+(const char* a, const Str255& b) { return Str255(a) += std::string_view(b.s_); }
  friend Str255 operator+(Str255 a, char c) { return a += c; }

  // 1-based substring, clamped to the string (MID$-style).
  Str255 mid(std::size_t start1, std::size_t count = kMax) const {
    if (start1 < 1 || start1 > s_.size()) return {};
    return Str255(std::string_view(s_).substr(start1 - 1, count));
  }

  friend bool operator==(const Str255& a, const Str255& b) { return a.s_ == b.s_; }
  friend bool operator==(const Str255& a, std::string_view b) { return a.s_ == b; }
  friend bool operator==(const Str255& a, const char* b) { return a.s_ == b; }

 private:
  static std::string clip(std::string_view v) { return std::string(v.substr(0, kMax)); }
  std::string s_;
};

}  // namespace mv

// Byte codecs shared by every file the program reads and writes: big- and
// little-endian whole numbers and floats, fixed-width and counted Mac Roman
// text, and CR-ended lines.
//
// Writers append to a byte string and never fail. Readers check every read
// against the end of their data: a read that does not fit returns false,
// leaves its output and the position unchanged, and marks the reader failed
// (ok() stays false), so a parser can read a whole record and test once.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mv::bytes {

constexpr char kCR = '\r';
constexpr char kLF = '\n';

// The text cut or padded to exactly width bytes.
std::string FixedWidth(std::string_view text, std::size_t width, char pad = ' ');

class ByteWriter {
 public:
  void u8(uint8_t v);
  void u16be(uint16_t v);
  void i16be(int16_t v) { u16be(static_cast<uint16_t>(v)); }
  void u32be(uint32_t v);
  void i32be(int32_t v) { u32be(static_cast<uint32_t>(v)); }
  void f32be(float v);
  void f64be(double v);
  void u16le(uint16_t v);
  void i16le(int16_t v) { u16le(static_cast<uint16_t>(v)); }
  void u32le(uint32_t v);
  void i32le(int32_t v) { u32le(static_cast<uint32_t>(v)); }
  void f32le(float v);

  void raw(std::string_view data) { data_.append(data); }
  // The text's bytes, at most width of them, then pad bytes up to width; no length byte.
  void fixedText(std::string_view text, std::size_t width, char pad = ' ');
  // A length byte, then the text (cut at 255 bytes).
  void countedText(std::string_view text);
  // A counted text in a field of fieldSize bytes (length byte included): the text is
  // cut to fieldSize - 1 bytes and the rest of the field is zeros. fieldSize 0 writes nothing.
  void countedField(std::string_view text, std::size_t fieldSize);
  // The text, then CR.
  void line(std::string_view text);

  std::size_t size() const { return data_.size(); }
  const std::string& data() const { return data_; }
  std::string take() { return std::move(data_); }

 private:
  std::string data_;
};

class ByteReader {
 public:
  explicit ByteReader(std::string_view data) : data_(data) {}

  bool u8(uint8_t& v);
  bool u16be(uint16_t& v);
  bool i16be(int16_t& v);
  bool u32be(uint32_t& v);
  bool i32be(int32_t& v);
  bool f32be(float& v);
  bool f64be(double& v);
  bool u16le(uint16_t& v);
  bool i16le(int16_t& v);
  bool u32le(uint32_t& v);
  bool i32le(int32_t& v);
  bool f32le(float& v);

  // Exactly n bytes as they are.
  bool raw(std::size_t n, std::string& out);
  // A fixed-width text: exactly width bytes, padding included.
  bool fixedText(std::size_t width, std::string& out) { return raw(width, out); }
  // A length byte, then that many bytes.
  bool countedText(std::string& out);
  // A counted text in a field of fieldSize bytes; a length that does not fit the
  // field fails the read.
  bool countedField(std::size_t fieldSize, std::string& out);
  // The next line, without its end (CR, LF or CRLF). At the end of the data there is
  // no line; a last line without an end is a line.
  bool line(std::string& out);
  bool skip(std::size_t n);

  std::size_t position() const { return pos_; }
  std::size_t remaining() const { return data_.size() - pos_; }
  bool atEnd() const { return pos_ >= data_.size(); }
  // False once any read has failed.
  bool ok() const { return ok_; }

 private:
  // The next n bytes, or nullptr (and the reader failed) when fewer remain.
  const unsigned char* take(std::size_t n);

  std::string_view data_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

// The lines of a text whose lines end in CR, LF or CRLF (mixed ends allowed). A
// text ending in a line end has no empty line after it; an empty text has no lines.
std::vector<std::string> SplitLines(std::string_view text);
// The text up to its first CR or LF (the whole text when it has none).
std::string_view FirstLine(std::string_view text);
// The lines joined with CR after each.
std::string JoinLinesCR(const std::vector<std::string>& lines);

}  // namespace mv::bytes

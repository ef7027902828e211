#include "files/bytes.h"

#include <bit>

namespace mv::bytes {

std::string FixedWidth(std::string_view text, std::size_t width, char pad) {
  std::string out(text.substr(0, width));
  out.resize(width, pad);
  return out;
}

// ---- writer --------------------------------------------------------------------------------

void ByteWriter::u8(uint8_t v) {
  data_.push_back(static_cast<char>(v));
}

void ByteWriter::u16be(uint16_t v) {
  u8(static_cast<uint8_t>(v >> 8));
  u8(static_cast<uint8_t>(v));
}

void ByteWriter::u32be(uint32_t v) {
  u16be(static_cast<uint16_t>(v >> 16));
  u16be(static_cast<uint16_t>(v));
}

void ByteWriter::f32be(float v) {
  u32be(std::bit_cast<uint32_t>(v));
}

void ByteWriter::f64be(double v) {
  const auto bits = std::bit_cast<uint64_t>(v);
  u32be(static_cast<uint32_t>(bits >> 32));
  u32be(static_cast<uint32_t>(bits));
}

void ByteWriter::u16le(uint16_t v) {
  u8(static_cast<uint8_t>(v));
  u8(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::u32le(uint32_t v) {
  u16le(static_cast<uint16_t>(v));
  u16le(static_cast<uint16_t>(v >> 16));
}

void ByteWriter::f32le(float v) {
  u32le(std::bit_cast<uint32_t>(v));
}

void ByteWriter::fixedText(std::string_view text, std::size_t width, char pad) {
  data_.append(FixedWidth(text, width, pad));
}

void ByteWriter::countedText(std::string_view text) {
  const std::string_view t = text.substr(0, 255);
  u8(static_cast<uint8_t>(t.size()));
  raw(t);
}

void ByteWriter::countedField(std::string_view text, std::size_t fieldSize) {
  if (fieldSize == 0) return;
  const std::size_t room = fieldSize - 1 < 255 ? fieldSize - 1 : 255;
  const std::string_view t = text.substr(0, room);
  u8(static_cast<uint8_t>(t.size()));
  raw(t);
  data_.append(fieldSize - 1 - t.size(), '\0');
}

void ByteWriter::line(std::string_view text) {
  raw(text);
  data_.push_back(kCR);
}

// ---- reader --------------------------------------------------------------------------------

const unsigned char* ByteReader::take(std::size_t n) {
  if (n > remaining()) {
    ok_ = false;
    return nullptr;
  }
  const auto* p = reinterpret_cast<const unsigned char*>(data_.data() + pos_);
  pos_ += n;
  return p;
}

bool ByteReader::u8(uint8_t& v) {
  const unsigned char* p = take(1);
  if (!p) return false;
  v = p[0];
  return true;
}

bool ByteReader::u16be(uint16_t& v) {
  const unsigned char* p = take(2);
  if (!p) return false;
  v = static_cast<uint16_t>((p[0] << 8) | p[1]);
  return true;
}

bool ByteReader::i16be(int16_t& v) {
  uint16_t u = 0;
  if (!u16be(u)) return false;
  v = static_cast<int16_t>(u);
  return true;
}

bool ByteReader::u32be(uint32_t& v) {
  const unsigned char* p = take(4);
  if (!p) return false;
  v = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
  return true;
}

bool ByteReader::i32be(int32_t& v) {
  uint32_t u = 0;
  if (!u32be(u)) return false;
  v = static_cast<int32_t>(u);
  return true;
}

bool ByteReader::f32be(float& v) {
  uint32_t u = 0;
  if (!u32be(u)) return false;
  v = std::bit_cast<float>(u);
  return true;
}

bool ByteReader::f64be(double& v) {
  if (remaining() < 8) {
    ok_ = false;
    return false;
  }
  uint32_t hi = 0, lo = 0;
  u32be(hi);
  u32be(lo);
  v = std::bit_cast<double>((uint64_t{hi} << 32) | lo);
  return true;
}

bool ByteReader::u16le(uint16_t& v) {
  const unsigned char* p = take(2);
  if (!p) return false;
  v = static_cast<uint16_t>(p[0] | (p[1] << 8));
  return true;
}

bool ByteReader::i16le(int16_t& v) {
  uint16_t u = 0;
  if (!u16le(u)) return false;
  v = static_cast<int16_t>(u);
  return true;
}

bool ByteReader::u32le(uint32_t& v) {
  const unsigned char* p = take(4);
  if (!p) return false;
  v = uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
  return true;
}

bool ByteReader::i32le(int32_t& v) {
  uint32_t u = 0;
  if (!u32le(u)) return false;
  v = static_cast<int32_t>(u);
  return true;
}

bool ByteReader::f32le(float& v) {
  uint32_t u = 0;
  if (!u32le(u)) return false;
  v = std::bit_cast<float>(u);
  return true;
}

bool ByteReader::raw(std::size_t n, std::string& out) {
  const unsigned char* p = take(n);
  if (!p) return false;
  out.assign(reinterpret_cast<const char*>(p), n);
  return true;
}

bool ByteReader::countedText(std::string& out) {
  if (remaining() < 1) {
    ok_ = false;
    return false;
  }
  const std::size_t n = static_cast<unsigned char>(data_[pos_]);
  if (n + 1 > remaining()) {
    ok_ = false;
    return false;
  }
  ++pos_;
  return raw(n, out);
}

bool ByteReader::countedField(std::size_t fieldSize, std::string& out) {
  if (fieldSize == 0 || remaining() < fieldSize) {
    ok_ = false;
    return false;
  }
  const std::size_t n = static_cast<unsigned char>(data_[pos_]);
  if (n + 1 > fieldSize) {
    ok_ = false;
    return false;
  }
  out.assign(data_.substr(pos_ + 1, n));
  pos_ += fieldSize;
  return true;
}

bool ByteReader::line(std::string& out) {
  if (atEnd()) {
    ok_ = false;
    return false;
  }
  const std::string_view rest = data_.substr(pos_);
  const std::size_t end = rest.find_first_of("\r\n");
  if (end == std::string_view::npos) {
    out.assign(rest);
    pos_ = data_.size();
    return true;
  }
  out.assign(rest.substr(0, end));
  pos_ += end + 1;
  if (rest[end] == kCR && end + 1 < rest.size() && rest[end + 1] == kLF) ++pos_;
  return true;
}

bool ByteReader::skip(std::size_t n) {
  return take(n) != nullptr;
}

// ---- lines ----------------------------------------------------------------------------------

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  ByteReader r(text);
  std::string l;
  while (r.line(l)) lines.push_back(l);
  return lines;
}

std::string_view FirstLine(std::string_view text) {
  const std::size_t end = text.find_first_of("\r\n");
  return end == std::string_view::npos ? text : text.substr(0, end);
}

std::string JoinLinesCR(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) {
    out += l;
    out += kCR;
  }
  return out;
}

}  // namespace mv::bytes

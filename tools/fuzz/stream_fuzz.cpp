// Fuzz target of the instruments' text: the streaming line assembler (bytes in any
// pieces must give the same whole lines) and field splitter, the name line, the
// instrument database records, the Sable serial instrument's line and firmware reply,
// the ADAM reading, address and identification replies,
// the line and number reads of the serial port, and the DataTaker channel command and
// reply decoding. Each must keep its promises for any bytes: values finite or the
// failed-reading mark, lines whole and bounded, refusals with a reason. Built with
// MV_BUILD_FUZZ; with clang and MV_LIBFUZZER it is a libFuzzer target, otherwise a
// plain driver with its own mutator:
//   stream-fuzz CORPUS_DIR [EXECUTIONS] [SEED] [SECONDS]
// runs EXECUTIONS mutated inputs (default 100,000) made from the files of
// CORPUS_DIR (tools/fuzz/corpus/stream).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "devices/adam_protocol.h"
#include "devices/datataker_protocol.h"
#include "devices/interfaces.h"
#include "devices/sable_protocol.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "devices/stream_protocol.h"
#include "setup/serial_instrument_windows.h"

namespace {

constexpr float kBad = -99999.0f;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

bool FiniteOrBad(float v) {
  return std::isfinite(v) || v == kBad;
}

// A port whose received bytes are the input.
class BytesPort : public mv::SerialPort {
 public:
  explicit BytesPort(std::string_view bytes) : bytes_(bytes) {}
  bool IsOpen() const override { return true; }
  void Close() override {}
  int BytesWaiting() override { return static_cast<int>(bytes_.size()); }
  std::string ReadBytes(int n) override {
    const std::string out(bytes_.substr(0, static_cast<std::size_t>(std::max(n, 0))));
    bytes_.remove_prefix(out.size());
    return out;
  }
  bool Write(std::string_view) override { return true; }
  void Pause(int) override {}

 private:
  std::string_view bytes_;
};

void CheckLine(const std::string& line) {
  Require(!line.empty() && line.size() <= mv::stream::LineAssembler::kLongestLine, "line length");
  Require(line.find_first_of("\r\n") == std::string::npos, "line end inside a line");
  for (int n = 1; n <= mv::stream::kVariables; ++n)
    Require(FiniteOrBad(mv::stream::SplitLine(line)[n]), "stream value");
  const std::string name = mv::stream::InstrumentName(line);
  Require(name.size() <= 22 && name.find(':') == std::string::npos, "instrument name");
}

// The lines of the bytes fed whole, and fed in pieces whose sizes the bytes choose.
void CheckStreamLines(std::string_view bytes) {
  mv::stream::LineAssembler whole, pieces;
  whole.Add(bytes);
  const std::vector<std::string> lines = whole.TakeLines();
  std::vector<std::string> pieced;
  for (std::size_t at = 0, k = 0; at < bytes.size(); ++k) {
    const std::size_t size = 1 + static_cast<unsigned char>(bytes[k % bytes.size()]) % 9;
    pieces.Add(bytes.substr(at, size));
    for (auto& l : pieces.TakeLines()) pieced.push_back(std::move(l));
    at += size;
  }
  Require(lines == pieced, "lines depend on how the bytes arrived");
  Require(whole.HasUnfinished() == pieces.HasUnfinished(), "unfinished tail");
  for (const std::string& line : lines) CheckLine(line);
  pieces.GiveUpUnfinished();
  pieces.Add(bytes);
  for (const std::string& line : pieces.TakeLines()) CheckLine(line);
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  for (std::size_t at = 0;;) {
    const std::size_t end = s.find(sep, at);
    parts.push_back(s.substr(at, end == std::string_view::npos ? s.npos : end - at));
    if (end == std::string_view::npos) return parts;
    at = end + 1;
  }
}

// A record made of the input's "|" parts is found again with its count and labels.
void CheckDatabase(std::string_view bytes) {
  (void)mv::stream::FindRecord(bytes, Split(bytes, ',')[0]);
  const std::vector<std::string_view> parts = Split(bytes, '|');
  if (parts.size() < 3) return;
  const std::string name(parts[0]);
  const int count = static_cast<int>(parts[1].size()) - 2;
  std::vector<std::string> labels(parts.begin() + 3, parts.end());
  const std::string record = mv::stream::FormatRecord(name, count, parts[2], labels);
  const auto found = mv::stream::FindRecord(record, name);
  const bool plainName =
      !name.empty() && name.front() != ' ' && name.find_first_of(",\r\n") == std::string::npos;
  if (!plainName) return;
  Require(found.has_value(), "record not found again");
  Require(found->count == count, "record count");
  if (!labels.empty()) Require(found->labels.size() == labels.size(), "record labels");
}

void CheckInstrumentLines(std::string_view bytes) {
  for (int field = 0; field <= 16; ++field) {
    const auto v = mv::sable::InstrumentField(bytes, field);
    Require(!v || std::isfinite(*v), "Sable instrument value");
  }
  Require(mv::InstrumentValueTexts(bytes).size() <= mv::kMaxInstrumentValues, "Sable instrument values");
  const auto adam = mv::adam::DecodeReading(bytes);
  Require(!adam || std::isfinite(*adam), "ADAM reading");
  Require(mv::adam::AddressAccepted(bytes) == (!bytes.empty() && bytes[0] == '!'), "ADAM address reply");
  const auto address = mv::adam::ModuleAddress(bytes);
  Require(!address || (address->size() == 2 && address->find_first_of("\r,") == std::string::npos),
          "ADAM module address");
  const int16_t second = mv::SecondAdamModuleCode(bytes);
  Require(second == 0 || second == 13 || second == 14, "second ADAM module");
  for (int16_t code : {mv::ExternalADCode::SableUI2, mv::ExternalADCode::SableUI3}) {
    const mv::SableFirmware f = mv::JudgeSableFirmware(code, bytes);
    Require(f.version.size() <= 3, "Sable firmware version");
  }
  BytesPort port(bytes);
  for (int k = 0; k < 4; ++k) {
    Require(port.ReadLine().find('\r') == std::string::npos, "port line");
    Require(std::isfinite(port.ReadNumber()), "port number");
  }
}

void CheckDataTaker(std::string_view bytes) {
  for (bool voltage : {false, true}) {
    const mv::datataker::Decoded d = mv::datataker::DecodeReply(bytes, voltage);
    Require(d.ok ? std::isfinite(d.value) : d.reason != nullptr && *d.reason != '\0', "DataTaker reply");
  }
  if (bytes.size() < 12) return;
  mv::DataTakerChannelsRecord record{};
  for (int w = 0; w < mv::kDataTakerWords; ++w)
    record[w] = static_cast<int16_t>(static_cast<unsigned char>(bytes[2 * w]) << 8 |
                                     static_cast<unsigned char>(bytes[2 * w + 1]));
  const int input = static_cast<int16_t>(static_cast<unsigned char>(bytes[10]) << 8 |
                                         static_cast<unsigned char>(bytes[11]));
  for (auto family : {mv::datataker::Family::DT500, mv::datataker::Family::DT800}) {
    for (bool fast : {false, true}) {
      const std::string c = mv::datataker::ChannelCommand(family, input, record, fast);
      Require(c.empty() == (input < 1 || input > mv::datataker::kMaxInput), "DataTaker input range");
      Require(c.find_first_of("\r\n") == std::string::npos && c.size() < 32, "DataTaker command");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckStreamLines(bytes);
  for (int n = 1; n <= mv::stream::kVariables; ++n)
    Require(FiniteOrBad(mv::stream::SplitLine(bytes)[n]), "field");
  CheckDatabase(bytes);
  CheckInstrumentLines(bytes);
  CheckDataTaker(bytes);
  return 0;
}

#ifndef MV_LIBFUZZER
#include "fuzz_driver.h"

namespace {

// Texts that make line readers stumble: line ends, separators, signs, points,
// exponents, long digit runs, name markers.
const std::vector<std::string> kTokens = {"\r",
                                          "\n",
                                          "\r\n",
                                          ",",
                                          ":",
                                          "-",
                                          ".",
                                          "--5",
                                          "1.2.3",
                                          "1e309",
                                          "-99999",
                                          "!!!:",
                                          "!!!",
                                          ">",
                                          ">+",
                                          "?01",
                                          "!01",
                                          "|",
                                          ", ",
                                          std::string(300, '9'),
                                          std::string(1100, 'x'),
                                          "\t",
                                          "nan",
                                          "inf",
                                          std::string("\x00", 1),
                                          "\xFF"};

}  // namespace

int main(int argc, char** argv) {
  return mv::fuzz::RunPlainDriver(argc, argv, "stream-fuzz", kTokens);
}
#endif

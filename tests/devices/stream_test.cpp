// The streaming serial text: the field splitter, the line assembler, the name line,
// the database records, the reader on a scripted port with the virtual clock, and the
// reader against a simulated instrument at 1,200 baud on a pseudo-terminal.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/state.h"
#include "common/test_support.h"
#include "devices/adam_protocol.h"
#include "devices/datataker_protocol.h"
#include "devices/line_step.h"
#include "devices/sable_protocol.h"
#include "devices/scripted_port.h"
#include "devices/sim_pty_fixture.h"
#include "devices/state.h"
#include "devices/stream_protocol.h"
#include "devices/stream_reader.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/sound.h"

namespace mv {
namespace {

constexpr float kBad = -99999.0f;

// A field is the number at its start (after blanks and a sign), exponent included; what
// follows it, digits in a unit too, is no part of it; a field that does not start with a
// number is no value.
TEST(StreamLine, AFieldIsTheNumberAtItsStartOrNoValue) {
  const struct {
    const char* line;
    std::vector<float> fields;
  } cases[] = {
      {"12.5,abc,-3:7", {12.5f, kBad, -3.0f, 7.0f}},
      {"1.5e3,2.5E-1,3.5", {1500.0f, 0.25f, 3.5f}},
      {"---,-,N/A", {kBad, kBad, kBad}},
      {"1.2.3,--5,.,-.,5.", {1.2f, kBad, kBad, kBad, 5.0f}},
      {"1.5e3V,-2E+2 kPa,4e,3 eggs", {1500.0f, -200.0f, 4.0f, 3.0f}},
      {"20.95 O2,21.5 m3/h,1 e3, \t-0.5e-1x2", {20.95f, 21.5f, 1.0f, -0.05f}},
      {"+7, +.5,inf,nan,0x1A", {7.0f, 0.5f, kBad, kBad, 0.0f}},
      // A label before the number: the field does not start with one.
      {"T=21.5C, RH=40%", {kBad, kBad}},
      {"T=1.25e-1C:RH=.5", {kBad, kBad}},
      {"21.5C, 40 %RH", {21.5f, 40.0f}},
  };
  for (const auto& c : cases) {
    const auto v = stream::SplitLine(c.line);
    for (size_t n = 0; n < c.fields.size(); ++n) EXPECT_FLOAT_EQ(v[n + 1], c.fields[n]) << c.line << " field " << n + 1;
    for (size_t n = c.fields.size() + 1; n <= 16; ++n) EXPECT_FLOAT_EQ(v[n], kBad) << c.line << " field " << n;
  }
}

TEST(InstrumentText, NumbersNoReadingCanHoldAreNoReading) {
  const std::string huge(45, '9');  // 1e45: beyond a single-precision reading
  auto v = stream::SplitLine("1.5," + huge + ",-" + huge + ",2");
  EXPECT_FLOAT_EQ(v[1], 1.5f);
  EXPECT_FLOAT_EQ(v[2], kBad);
  EXPECT_FLOAT_EQ(v[3], kBad);
  EXPECT_FLOAT_EQ(v[4], 2.0f);
  EXPECT_FALSE(sable::InstrumentField("SN1," + huge + ",2", 1));
  EXPECT_FLOAT_EQ(*sable::InstrumentField("SN1," + huge + ",2", 2), 2.0f);
  EXPECT_FALSE(adam::DecodeReading(">+" + huge));
  EXPECT_FALSE(datataker::DecodeReply(huge, false).ok);
  ScriptedSerialPort port;
  port.DeliverNow("inf,nan,2.5\r");
  EXPECT_EQ(port.ReadNumber(), 0.0);  // words, not numbers
  EXPECT_EQ(port.ReadNumber(), 0.0);
  EXPECT_EQ(port.ReadNumber(), 2.5);
}

TEST(StreamLine, SeventeenFieldsKeepSixteenAndEmptyLineIsAllBad) {
  auto v = stream::SplitLine("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17");
  EXPECT_FLOAT_EQ(v[16], 16.0f);
  v = stream::SplitLine("");
  for (int n = 1; n <= 16; ++n) EXPECT_FLOAT_EQ(v[n], kBad);
}

struct AssemblyCase {
  const char* name;
  std::vector<std::string> pieces;
  bool giveUpAfterFirst;  // the reader's deadline passes after the first piece
  std::vector<std::string> lines;
  bool unfinished;
};

TEST(StreamLineAssembly, LinesAreTakenWholeWhateverThePieces) {
  const AssemblyCase cases[] = {
      {"cut mid-number", {"12.50,3", ".75,7.25\r"}, false, {"12.50,3.75,7.25"}, false},
      {"one byte at a time", {"1", ",", "2", "\r"}, false, {"1,2"}, false},
      {"CR LF, LF and blank lines", {"1\r\n2\n\r\r\n3\r"}, false, {"1", "2", "3"}, false},
      {"tail kept", {"1\r2.5,3"}, false, {"1"}, true},
      {"no line end: no line", {"1,2,3"}, false, {}, true},
      {"rest of a given-up line is no line", {"2.5,3", "7\r8\r"}, true, {"8"}, false},
      {"nothing to give up keeps the next line", {"", "4,5\r"}, true, {"4,5"}, false},
  };
  for (const AssemblyCase& c : cases) {
    stream::LineAssembler a;
    std::vector<std::string> lines;
    for (size_t k = 0; k < c.pieces.size(); ++k) {
      a.Add(c.pieces[k]);
      for (auto& l : a.TakeLines()) lines.push_back(l);
      if (k == 0 && c.giveUpAfterFirst) a.GiveUpUnfinished();
    }
    EXPECT_EQ(lines, c.lines) << c.name;
    EXPECT_EQ(a.HasUnfinished(), c.unfinished) << c.name;
  }
}

TEST(StreamLineAssembly, EndlessBytesWithoutALineEndStayBounded) {
  stream::LineAssembler a;
  a.Add(std::string(5000, '7'));
  EXPECT_TRUE(a.TakeLines().empty());
  a.Add("9\r1,2\r");  // the end of the endless run is no line; the next one is
  EXPECT_EQ(a.TakeLines(), std::vector<std::string>{"1,2"});
  a.Add(std::string(300, '5') + "\r");
  EXPECT_EQ(a.TakeLines().at(0).size(), stream::LineAssembler::kLongestLine);
}

TEST(StreamNameLine, ColonAndBareForms) {
  EXPECT_EQ(stream::InstrumentName("!!!:MFC-2:1.0,2.0"), "MFC-2");
  EXPECT_EQ(stream::InstrumentName("!!!Probe:5"), "Probe");
  EXPECT_EQ(stream::InstrumentName("ABC:1"), "");
  // At most characters 5 to 25: 21 characters.
  EXPECT_EQ(stream::InstrumentName("!!!:ABCDEFGHIJKLMNOPQRSTUVWXYZ"), "ABCDEFGHIJKLMNOPQRSTU");
}

TEST(InstrumentDatabase, RecordBytesForThreeValidVariables) {
  EXPECT_EQ(stream::FormatRecord("MFC-2", 2, "Flow meter", {"flow", "temp"}),
            "\rMFC-2,  2, Flow meter, flow,temp\r");
  // No labels: no closing CR; a negative count has no leading blank.
  EXPECT_EQ(stream::FormatRecord("X", -1, "Y", {}), "\rX, -1, Y, ");
}

TEST(InstrumentDatabase, PlaceholderLabelKeepsLaterLabelsOnTheirVariables) {
  const std::string rec =
      stream::FormatRecord("P", 3, "Probe", {"a", std::string(stream::kLabelPlaceholder), "c"});
  EXPECT_EQ(rec, "\rP,  3, Probe, a,,c\r");
  auto found = stream::FindRecord(rec, "P");
  ASSERT_TRUE(found);
  ASSERT_EQ(found->labels.size(), 3u);
  EXPECT_EQ(found->labels[2], "c");
}

TEST(InstrumentDatabase, CommasTypedInNamesCannotSplitFields) {
  const std::string rec = stream::FormatRecord("P", 1, "a,b", {"x,y"});
  auto found = stream::FindRecord(rec, "P");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->displayName, "a b");
  EXPECT_EQ(found->labels.at(0), "x y");
}

TEST(InstrumentDatabase, LookupFindsFirstMatchAndStopsAtTheEnd) {
  const std::string text = "\rA,  1, Alpha, l1\r\nB,  2, Beta, b1,b2\r\rB,  0, Later, \r";
  auto b = stream::FindRecord(text, "B");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->count, 2);
  EXPECT_EQ(b->displayName, "Beta");
  EXPECT_EQ(b->labels, (std::vector<std::string>{"b1", "b2"}));
  EXPECT_FALSE(stream::FindRecord(text, "C"));
  EXPECT_FALSE(stream::FindRecord("", "C"));
}

class StreamReaderTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
    ResetStreamReader();
    External_AD = ExternalADCode::SerialStream;
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(test::SoundFileName(path)); });
  }
  void TearDown() override {
    CloseSerialPort();
    ProgramTest::TearDown();
  }
  ScriptedSerialPort* port = nullptr;
  std::vector<std::string> sounds;
};

TEST_F(StreamReaderTest, ReadsOneLineIntoTheVariables) {
  port->DeliverAt(rt::TickCount() + 3, "1.5,2.5,3\r");
  ReadSerialStream(1);
  EXPECT_FLOAT_EQ(serialArray[1][1], 1.5f);
  EXPECT_FLOAT_EQ(serialArray[2][1], 2.5f);
  EXPECT_FLOAT_EQ(serialArray[3][1], 3.0f);
  EXPECT_FLOAT_EQ(serialArray[4][1], kBad);
  EXPECT_FLOAT_EQ(volts, kBad);  // the last field
  EXPECT_EQ(Action, ActionCode::Click);
  EXPECT_EQ(EventID, 0);
}

TEST_F(StreamReaderTest, BurstOfLinesGivesNewestNotStaleValues) {
  port->DeliverNow("1,1\r2,2\r3,3\r4,");
  ReadSerialStream(1);
  EXPECT_FLOAT_EQ(serialArray[1][1], 3.0f);
  // The unfinished line is kept and completed by the next bytes.
  port->DeliverNow("4.25\r");
  ReadSerialStream(0);
  EXPECT_FLOAT_EQ(serialArray[1][1], 4.0f);
  EXPECT_FLOAT_EQ(serialArray[2][1], 4.25f);
}

TEST_F(StreamReaderTest, ShortLineWaitsForMoreBytes) {
  port->DeliverNow("1,2");
  port->DeliverAt(rt::TickCount() + 20, "3,4\r");
  ReadSerialStream(1);
  EXPECT_FLOAT_EQ(serialArray[2][1], 23.0f);
  EXPECT_FLOAT_EQ(serialArray[3][1], 4.0f);
}

TEST_F(StreamReaderTest, SilentInstrumentCannotHangTheRead) {
  SerialWarningBuzz = 1;
  serialArray[1][1] = 5.0f;
  const uint32_t start = rt::TickCount();
  ReadSerialStream(0);
  EXPECT_LE(rt::TickCount() - start, kStreamTimeoutTicks + 2);
  for (int n = 1; n <= 16; ++n) EXPECT_FLOAT_EQ(serialArray[n][1], kBad);
  EXPECT_EQ(sounds, std::vector<std::string>{"AlarmBUZZ.mp3"});
}

TEST_F(StreamReaderTest, ALineCutMidTransmissionIsParsedWhole) {
  const uint32_t t = rt::TickCount();
  port->DeliverAt(t + 1, "12.50,3");
  port->DeliverAt(t + 4, ".75,7.25\r");
  port->DeliverAt(t + 64, "1,2,3\r");
  ReadSerialStream(1);
  EXPECT_FLOAT_EQ(serialArray[1][1], 12.5f);
  EXPECT_FLOAT_EQ(serialArray[2][1], 3.75f);
  EXPECT_FLOAT_EQ(serialArray[3][1], 7.25f);
  EXPECT_FLOAT_EQ(serialArray[4][1], kBad);
  EXPECT_GE(rt::TickCount(), t + 4);
  // The rest of the cut line was not left to be read as a line of its own.
  ReadSerialStream(1);
  EXPECT_FLOAT_EQ(serialArray[1][1], 1.0f);
  EXPECT_FLOAT_EQ(serialArray[3][1], 3.0f);
}

TEST_F(StreamReaderTest, AnUnfinishedLineAtTheDeadlineIsAFailedReadNotAValue) {
  SerialWarningBuzz = 1;
  port->DeliverNow("2.5,3");
  ReadSerialStream(1);
  for (int n = 1; n <= 16; ++n) EXPECT_FLOAT_EQ(serialArray[n][1], kBad) << n;
  EXPECT_EQ(sounds, std::vector<std::string>{"AlarmBUZZ.mp3"});
  // Its rest comes late: it is dropped, and the next whole line is read.
  port->DeliverNow("7\r");
  port->DeliverAt(rt::TickCount() + 30, "8,9\r");
  ReadSerialStream(1);
  EXPECT_FLOAT_EQ(serialArray[1][1], 8.0f);
  EXPECT_FLOAT_EQ(serialArray[2][1], 9.0f);
}

// Line noise without a line end joins the front of the next line; a comma among it
// would move every value of that line to the next variable. The damaged line is no
// data: the read fails at once.
TEST_F(StreamReaderTest, NoiseJoinedToALineNeverShiftsItsValuesToAnotherVariable) {
  for (const std::string& noise : {std::string("\x93\x01q,\x1b", 5), std::string("\x02:\x7f", 3)}) {
    port->DeliverNow(noise + "1.5,2.5,3.5\r");
    ReadSerialStream(1);
    for (int n = 1; n <= 16; ++n) EXPECT_FLOAT_EQ(serialArray[n][1], kBad) << n;
  }
  // A tab is text, not noise.
  port->DeliverNow("1.5\t,2.5\r");
  ReadSerialStream(1);
  EXPECT_FLOAT_EQ(serialArray[1][1], 1.5f);
  EXPECT_FLOAT_EQ(serialArray[2][1], 2.5f);
}

// Line noise gives lines of any bytes, and a piece of a line between two line ends can
// look like a line. When the newest line holds a byte outside printable ASCII, or has
// fewer fields than the variables the channels read, the sample's reading is a failed
// one (-99999, the warning buzz) at once: the read neither waits for a later line nor
// takes an older clean one. The degree and micro signs of a unit are text in each
// encoding instruments use; the numbers are read around them.
TEST_F(StreamReaderTest, ADamagedOrShortNewestLineIsAFailedReadingAtOnce) {
  struct Case {
    const char* name;
    std::string line;
    float first;  // variable 1 read; variables 2 and 3 read 2 and 3 when it is no failure
  };
  const Case cases[] = {
      {"a byte above 126 (B7)", "\2673\r", kBad},
      {"a byte above 126 in a whole line", "1.5,2\xF5.5,3.5\r", kBad},
      {"a piece with one field", "3.\r", kBad},
      {"a piece with two fields", "2.5,3.5\r", kBad},
      {"a clean line, then a damaged one", "4,2,3\r4,\x01,3\r", kBad},
      {"a damaged line, then a clean one", "4,\x01,3\r4,2,3\r", 4.0f},
      {"a degree sign in Latin-1 (B0)", "21.5\260C,2,3\r", 21.5f},
      {"a degree sign in UTF-8 (C2 B0)", "21.5\302\260C,2,3\r", 21.5f},
      {"a degree sign in Mac Roman (A1)", "21.5\241C,2,3\r", 21.5f},
      {"micro signs (B5, C2 B5)", "21.5\265mol,2\302\265l,3\r", 21.5f},
      {"an ordinal sign, no degree sign (BA)", "21.5\272C,2,3\r", kBad},
      {"a UTF-8 lead byte before another sign (C2 A1)", "21.5\302\241C,2,3\r", kBad},
  };
  SerialWarningBuzz = 1;
  for (int n = 1; n <= 3; ++n) serialArray[n][2] = static_cast<float>(n);  // variables 1..3 recorded
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sounds.clear();
    const uint64_t failed = ReadingsFailed();
    const uint32_t start = rt::TickCount();
    port->DeliverNow(c.line);
    port->DeliverAt(start + 5, "1.25,2.25,3.25\r");
    ReadSerialStream(1);
    EXPECT_LE(rt::TickCount() - start, 2u) << "no wait for the next line";
    EXPECT_FLOAT_EQ(serialArray[1][1], c.first);
    EXPECT_FLOAT_EQ(serialArray[2][1], c.first == kBad ? kBad : 2.0f);
    EXPECT_FLOAT_EQ(serialArray[3][1], c.first == kBad ? kBad : 3.0f);
    EXPECT_EQ(ReadingsFailed() - failed, c.first == kBad ? 1u : 0u);
    EXPECT_EQ(sounds.size(), c.first == kBad ? 1u : 0u);
    // The next read takes the next clean line.
    ReadSerialStream(1);
    EXPECT_FLOAT_EQ(serialArray[1][1], 1.25f);
  }
}

// During a recording the run's stop (Escape alone, the toolbar's stop icon, Ctrl-Q)
// ends a wait for a line at once: no line, and no warning buzz for a read that did not
// fail.
TEST_F(StreamReaderTest, TheRunsStopEndsTheWaitForALine) {
  struct Case {
    const char* name;
    std::function<void(bool)> ask;
  };
  const Case cases[] = {
      {"Escape", [](bool on) { rt::SetKeyDown(rt::key::Escape, on); }},
      {"stop icon", [](bool on) { StopIconClicked = on ? 1 : 0; }},
      {"Ctrl-Q", [](bool on) { CommandQTyped = on ? 1 : 0; }},
  };
  SerialWarningBuzz = 1;
  RecordingLoopRunning = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sounds.clear();
    c.ask(true);
    const uint32_t start = rt::TickCount();
    ReadSerialStream(1);
    c.ask(false);
    EXPECT_LE(rt::TickCount() - start, 2u);
    EXPECT_FLOAT_EQ(serialArray[1][1], kBad);
    EXPECT_TRUE(sounds.empty());
  }
  RecordingLoopRunning = 0;
}

TEST_F(StreamReaderTest, NameLinesAmongTheDataAreNoValues) {
  port->DeliverNow("1.5,2\r!!!:MFC-2:1.0\r");
  ReadSerialStream(1);
  EXPECT_FLOAT_EQ(serialArray[1][1], 1.5f);
  EXPECT_FLOAT_EQ(serialArray[2][1], 2.0f);
}

TEST_F(StreamReaderTest, BytesKeptFromOneOpeningNeverJoinTheNext) {
  port->DeliverNow("1,1\r9,");
  ReadSerialStream(1);
  EXPECT_FLOAT_EQ(serialArray[1][1], 1.0f);
  auto next = std::make_unique<ScriptedSerialPort>();
  next->DeliverNow("5,5\r");
  InstallSerialPort(std::move(next));
  ReadSerialStream(1);
  EXPECT_FLOAT_EQ(serialArray[1][1], 5.0f);
  EXPECT_FLOAT_EQ(serialArray[2][1], 5.0f);
  EXPECT_FLOAT_EQ(serialArray[3][1], kBad);
}

TEST_F(StreamReaderTest, TwoReadersKeepTheirOwnUnfinishedLines) {
  ScriptedSerialPort a, b;
  StreamReader ra, rb;
  a.DeliverNow("1,2\r3,");
  b.DeliverNow("7,8\r9,");
  EXPECT_TRUE(ra.Read(a, 1).gotLine);
  EXPECT_TRUE(rb.Read(b, 1).gotLine);
  a.DeliverNow("4\r");
  b.DeliverNow("6\r");
  EXPECT_FLOAT_EQ(ra.Read(a, 1).values[2], 4.0f);
  EXPECT_FLOAT_EQ(rb.Read(b, 1).values[2], 6.0f);
}

TEST_F(StreamReaderTest, NameLineAndItsTimeOut) {
  port->DeliverAt(rt::TickCount() + 2, "!!!:MFC-2:1.0,2.0\r");
  EXPECT_EQ(GetInstrumentName(), "MFC-2");
  const uint32_t start = rt::TickCount();
  EXPECT_EQ(GetInstrumentName(), "");
  EXPECT_LE(rt::TickCount() - start, kNameLineTicks + 2);
}

// A real line at 1,200 baud: a line takes about 130 ms to arrive, far longer than a
// pass of the reader, and the instrument also cuts every line in two with a pause.
class StreamPtyTest : public test::SimPtyTest, public ::testing::WithParamInterface<sim::Fault> {};

TEST_P(StreamPtyTest, LinesAt1200BaudParseWhole) {
  sim::Options o;
  o.kind = sim::Kind::Stream;
  o.link = (dir / "stream").string();
  o.baud = 1200;
  o.periodMs = 250;
  o.faults = {{.fault = GetParam()}};
  o.lines = {"12.50,3.75,7.25", "-1.5,22.125,0.5"};
  sim = std::make_unique<sim::Simulator>(o);
  std::string error;
  ASSERT_TRUE(sim->Start(&error)) << error;
  ASSERT_TRUE(OpenSerialPortPath(o.link, 1200).ok);
  const std::vector<float> first = {12.5f, 3.75f, 7.25f}, second = {-1.5f, 22.125f, 0.5f};
  for (int read = 0; read < 5; ++read) {
    ReadSerialStream(1);
    const std::vector<float> got = {serialArray[1][1], serialArray[2][1], serialArray[3][1]};
    EXPECT_TRUE(got == first || got == second)
        << "read " << read << ": " << got[0] << ", " << got[1] << ", " << got[2];
    EXPECT_FLOAT_EQ(serialArray[4][1], kBad);
  }
  EXPECT_EQ(sounds, "");
}

INSTANTIATE_TEST_SUITE_P(WholeAndCut, StreamPtyTest,
                         ::testing::Values(sim::Fault::None, sim::Fault::Partial));

}  // namespace
}  // namespace mv

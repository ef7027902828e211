// The streaming serial text: the field splitter, the name line, the database records,
// and the reader on a scripted port with the virtual clock.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/test_support.h"
#include "devices/scripted_port.h"
#include "devices/state.h"
#include "devices/stream_protocol.h"
#include "devices/stream_reader.h"
#include "runtime/clock.h"
#include "runtime/sound.h"
#include "shell/state.h"

namespace mv {
namespace {

constexpr float kBad = -99999.0f;

TEST(StreamLine, FieldsKeepOnlyDigitsSignsAndPoints) {
  auto v = stream::SplitLine("12.5,abc,-3:7");
  EXPECT_FLOAT_EQ(v[1], 12.5f);
  EXPECT_FLOAT_EQ(v[2], kBad);
  EXPECT_FLOAT_EQ(v[3], -3.0f);
  EXPECT_FLOAT_EQ(v[4], 7.0f);
  for (int n = 5; n <= 16; ++n) EXPECT_FLOAT_EQ(v[n], kBad) << n;

  v = stream::SplitLine("T=21.5C, RH=40%");
  EXPECT_FLOAT_EQ(v[1], 21.5f);
  EXPECT_FLOAT_EQ(v[2], 40.0f);
  EXPECT_FLOAT_EQ(v[3], kBad);

  v = stream::SplitLine("1.2.3,--5,-,.");
  EXPECT_FLOAT_EQ(v[1], 1.2f);
  EXPECT_FLOAT_EQ(v[2], 0.0f);
  EXPECT_FLOAT_EQ(v[3], 0.0f);
  EXPECT_FLOAT_EQ(v[4], 0.0f);
}

TEST(StreamLine, SeventeenFieldsKeepSixteenAndEmptyLineIsAllBad) {
  auto v = stream::SplitLine("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17");
  EXPECT_FLOAT_EQ(v[16], 16.0f);
  v = stream::SplitLine("");
  for (int n = 1; n <= 16; ++n) EXPECT_FLOAT_EQ(v[n], kBad);
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

TEST_F(StreamReaderTest, NameLineAndItsTimeOut) {
  port->DeliverAt(rt::TickCount() + 2, "!!!:MFC-2:1.0,2.0\r");
  EXPECT_EQ(GetInstrumentName(), "MFC-2");
  const uint32_t start = rt::TickCount();
  EXPECT_EQ(GetInstrumentName(), "");
  EXPECT_LE(rt::TickCount() - start, kNameLineTicks + 2);
}

}  // namespace
}  // namespace mv

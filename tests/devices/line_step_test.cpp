// Every reader that shares the line step, on a scripted line whose sender is held back
// inside a reply: the rest of the reply, its CR or its LF comes at each of the moments
// at which the program may look at the line, so a race between a byte's arrival and the
// program's looks is met every time rather than by chance on a busy machine.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/state.h"
#include "common/test_support.h"
#include "devices/acquisition_stand_ins.h"
#include "devices/dispatcher.h"
#include "devices/scripted_port.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "setup/state.h"

namespace mv {
namespace {

using namespace std::string_literals;

// An interface with two channels and the replies it sends them.
struct Reader {
  const char* name;
  int16_t code;
  int inputs[2];
  std::string replies[2];
  float values[2];
};

// A UI2's word 0x83E8, 1000 counts above the middle of its +-5 V range.
const float kWord1 = static_cast<float>(1000 / 6553.5);

const Reader kReaders[] = {
    {"DT800", ExternalADCode::DT800, {1, 2}, {"100\r\n", "200\r\n"}, {0.1f, 0.2f}},
    {"DT500", ExternalADCode::DT500, {1, 2}, {"100\r\n", "200\r\n"}, {0.1f, 0.2f}},
    {"ADAM", ExternalADCode::ADAM, {1, 2}, {">+01.100\r\n", ">+01.200\r\n"}, {1.1f, 1.2f}},
    // The serial instrument's text through the interface, then a binary word.
    {"Sable", ExternalADCode::SableUI2, {15, 1}, {"N1,3.5\r\n", "\xE8\x83"s}, {3.5f, kWord1}},
};

class LineStepTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    acquisition.Install();
  }
  void TearDown() override {
    CloseSerialPort();
    ProgramTest::TearDown();
  }

  // A fresh line (which owes nothing) and the reader's two channels.
  ScriptedSerialPort& Connect(const Reader& r) {
    auto owned = std::make_unique<ScriptedSerialPort>();
    ScriptedSerialPort& line = *owned;
    InstallSerialPort(std::move(owned));
    // Longer than the moments at which the held-back bytes come: they are all bytes the
    // sender meant to send back to back.
    line.SetQuietGap(std::chrono::milliseconds(30));
    External_AD = r.code;
    // Two channels a sample: the instrument's text is asked for once in each.
    nChannels = 2;
    for (int16_t ch = 1; ch <= 2; ++ch) {
      ChannelVariables[ch][ChanField::Input] = static_cast<float>(r.inputs[ch - 1]);
      DataTakerChannels[ch] = {1, 0, 0, 0, 0};
      ADsensorType[ch] = 1;
      lastvoltage[ch] = kBadReading;
    }
    return line;
  }

  // One sweep over both channels: which readings stood, and their values.
  static std::vector<ChannelSweep::Reading> Sweep() {
    ChannelSweep sweep(0);
    sweep.Read(1);
    sweep.Read(2);
    sweep.Settle();
    return sweep.Readings();
  }

  test::AcquisitionStandIns acquisition;
};

// Held back anywhere inside a reply (the rest of its number, its CR, its LF, the second
// byte of a binary word), the rest of a reply is that reply's own: no reading fails, no
// value moves to another channel, and the next sweep asks and reads as if nothing had
// happened.
TEST_F(LineStepTest, AReplyHeldBackBetweenItsBytesIsStillItsOwn) {
  for (const Reader& r : kReaders) {
    for (int reply = 0; reply < 2; ++reply) {
      const std::string& bytes = r.replies[reply];
      const bool text = bytes.back() == '\n';
      std::vector<size_t> splits = {1};
      if (text) splits = {1, bytes.size() - 2, bytes.size() - 1};
      for (const size_t at : splits) {
        for (int looks = 1; looks <= 24; ++looks) {
          SCOPED_TRACE(std::string(r.name) + ": reply " + std::to_string(reply + 1) +
                       " held back after byte " + std::to_string(at) + " until look " +
                       std::to_string(looks));
          ScriptedSerialPort& line = Connect(r);
          Sample = 5;
          for (int k = 0; k < 2; ++k) {
            if (k == reply)
              line.ReplyNextHeldBack(bytes.substr(0, at), bytes.substr(at), looks, 1);
            else
              line.ReplyNext(r.replies[k], 1);
          }
          std::vector<ChannelSweep::Reading> got = Sweep();
          for (int k = 0; k < 2; ++k) {
            EXPECT_TRUE(got[k].stood) << "channel " << k + 1;
            EXPECT_EQ(got[k].value, r.values[k]) << "channel " << k + 1;
          }
          // The next sample; anything still owed would come before these replies.
          Sample = 6;
          rt::AdvanceVirtualClock(0.1);
          line.ReplyNext(r.replies[0], 1);
          line.ReplyNext(r.replies[1], 1);
          got = Sweep();
          EXPECT_FALSE(line.HoldsBytesBack());
          for (int k = 0; k < 2; ++k) {
            EXPECT_TRUE(got[k].stood) << "next sweep, channel " << k + 1;
            EXPECT_EQ(got[k].value, r.values[k]) << "next sweep, channel " << k + 1;
          }
          if (HasFailure()) return;
        }
      }
    }
  }
}

// A byte that follows the sweep's last reply, whenever it comes while the program still
// waits for the line to fall quiet, may be the start of a reply that shifted every reading
// of the sweep onto the request after its own: none of them stands.
TEST_F(LineStepTest, AByteAfterTheLastReplyFailsTheSweepWheneverItComesBeforeTheQuiet) {
  for (const Reader& r : kReaders) {
    for (int looks = 1; looks <= 24; ++looks) {
      SCOPED_TRACE(std::string(r.name) + ": the byte at look " + std::to_string(looks));
      ScriptedSerialPort& line = Connect(r);
      Sample = 5;
      line.ReplyNext(r.replies[0], 1);
      line.ReplyNextHeldBack(r.replies[1], "X", looks, 1);
      const std::vector<ChannelSweep::Reading> got = Sweep();
      EXPECT_FALSE(line.HoldsBytesBack()) << "the byte came before the sweep settled";
      for (int k = 0; k < 2; ++k) EXPECT_FALSE(got[k].stood) << "channel " << k + 1;
      if (HasFailure()) return;
    }
  }
}

}  // namespace
}  // namespace mv

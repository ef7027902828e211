// The real port code against simulated instruments on pseudo-terminals, on the real
// clock: binary transparency, one reading of each kind, every injected fault, closing
// and reopening, inputs that rise steadily, and the simulator run as a child process
// (its control lines, schedule and log, and its idle cost).
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/state.h"
#include "common/test_support.h"
#include "devices/adam_protocol.h"
#include "devices/adam_reader.h"
#include "devices/adc1_reader.h"
#include "devices/datataker_reader.h"
#include "devices/dispatcher.h"
#include "devices/line_step.h"
#include "devices/needs.h"
#include "devices/sable_reader.h"
#include "devices/serial_port.h"
#include "devices/sim_pty_fixture.h"
#include "devices/state.h"
#include "devices/stream_reader.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/sound.h"
#include "setup/state.h"
#include "sim/sim.h"

extern char** environ;

namespace mv {
namespace {

using namespace std::string_literals;
using SteadyClock = std::chrono::steady_clock;

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The wall clock in microseconds, as the simulator's log gives its events.
long long RealtimeMicroseconds() {
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  return static_cast<long long>(t.tv_sec) * 1'000'000 + t.tv_nsec / 1000;
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The wall-clock microseconds of the log's first event line "<us> -- WHAT at <realtime>";
// -1 when there is none.
long long EventTime(const std::string& log, const std::string& what) {
  const size_t at = log.find("-- " + what + " at ");
  return at == std::string::npos ? -1 : std::stoll(log.substr(at + what.size() + 7));
}

// The share of a core a process has used over `seconds`, from /proc.
double ProcessCpuShare(pid_t pid, double seconds) {
  const auto ticks = [pid] {
    std::istringstream stat(ReadText("/proc/" + std::to_string(pid) + "/stat"));
    std::string field;
    long long used = 0;
    for (int i = 1; i <= 15 && stat >> field; ++i)
      if (i >= 14) used += std::stoll(field);  // utime and stime
    return used;
  };
  const long long before = ticks();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  return static_cast<double>(ticks() - before) / static_cast<double>(sysconf(_SC_CLK_TCK)) / seconds;
}

// Waits up to 2 s for a count of waiting bytes.
bool WaitForCount(SerialPort& port, int n) {
  auto end = SteadyClock::now() + std::chrono::seconds(2);
  while (port.BytesWaiting() < n) {
    if (SteadyClock::now() > end) return false;
    port.Pause(1);
  }
  return true;
}

class PtyTest : public test::SimPtyTest {
 protected:
  // Channel c on hardware input `input`, read through the dispatcher.
  float Read(int16_t channel, float input) {
    ChannelVariables[channel][1] = input;
    ReadExternalADdevice(channel, 1);
    return volts;
  }
};

TEST_F(PtyTest, BinaryBytesPassUnchangedBothWays) {
  StartSim(sim::Kind::UI3);
  const std::string binary = "\x00\x0D\x11\x13\x7F\xFF"s;
  ASSERT_TRUE(SerialLine().Write(binary));
  auto end = SteadyClock::now() + std::chrono::seconds(2);
  while (sim->Received().size() < binary.size() && SteadyClock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(sim->Received(), binary);

  sim->SetWord(0x80, 0x0D00);
  sim->SetWord(0x81, 0x1311);
  sim->SetWord(0x82, 0xFF7F);
  ASSERT_TRUE(SerialLine().Write("\x80\x81\x82"));
  ASSERT_TRUE(WaitForCount(SerialLine(), 6));
  EXPECT_EQ(SerialLine().ReadBytes(64), binary);
}

TEST_F(PtyTest, OneReadingOfEachKindFromAUI3) {
  StartSim(sim::Kind::UI3);
  External_AD = ExternalADCode::SableUI3;
  PrefsArray[PrefsSlot::Range512] = 1;
  // The simulator's words: input i is 32768 + 1000 i; T1..T4 25..28 degrees or 32768;
  // counter 1234; input 14 20000; instrument line "SIM123,12.5,3.2 %:7".
  EXPECT_FLOAT_EQ(Read(1, 2), static_cast<float>(2000 / 6399.9));
  EXPECT_EQ(sim->Received(), "\x81");
  TInputMode[3] = 0;
  EXPECT_FLOAT_EQ(Read(2, 11), 27.0f);
  TInputMode[4] = 1;
  EXPECT_FLOAT_EQ(Read(3, 12), static_cast<float>(32768 * 7.6295e-05));
  TInputMode[1] = 2;
  EXPECT_NEAR(Read(4, 9), 100002.8f, 1.0f);
  EXPECT_FLOAT_EQ(Read(5, 13), 1234.0f);
  EXPECT_FLOAT_EQ(Read(6, 14), static_cast<float>(20000 * 7.812608e-05));
  ADsensorType[7] = 2;
  EXPECT_FLOAT_EQ(Read(7, 15), 3.2f);
  ADsensorType[8] = 3;
  EXPECT_FLOAT_EQ(Read(8, 15), 7.0f);
  EXPECT_EQ(sim->Received(), "\x81\xB2\xB7\xB4\x63\xC1i\r");
  EXPECT_TRUE(sounds.empty());
}

TEST_F(PtyTest, OneReadingFromAUI2AfterReopening) {
  StartSim(sim::Kind::UI2);
  External_AD = ExternalADCode::SableUI2;
  EXPECT_FLOAT_EQ(Read(1, 8), static_cast<float>(8000 / 6553.5));
  // Closing and reopening the port (as a baud switch does) keeps the line working.
  CloseSerialPort();
  ASSERT_TRUE(OpenSerialPortPath((dir / "port").string(), 115200).ok);
  EXPECT_FLOAT_EQ(Read(1, 1), static_cast<float>(1000 / 6553.5));
  EXPECT_EQ(sim->Received(), "\x97\x90");
}

struct FaultCase {
  sim::Fault fault;
  bool failsFirst;
  // No reply at all: one may still come late, so nothing is asked until the late-reply
  // window has passed.
  bool holdsTheLine = false;
};

class PtyFaultTest : public PtyTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(PtyFaultTest, FaultGivesABadReadingInTimeAndTheNextReadingIsRight) {
  StartSim(sim::Kind::UI3);
  External_AD = ExternalADCode::SableUI3;
  const float good = static_cast<float>(5000 / 6553.5);
  sim->SetFault(GetParam().fault, 1);
  auto start = SteadyClock::now();
  float first = Read(1, 5);
  auto took = SteadyClock::now() - start;
  if (GetParam().failsFirst) {
    EXPECT_FLOAT_EQ(first, kBadReading);
    EXPECT_EQ(sounds, "AlarmBUZZ.mp3;");
  } else {
    EXPECT_FLOAT_EQ(first, good);
  }
  EXPECT_LT(took, std::chrono::milliseconds(1400)) << "60 ticks and some slack";
  if (GetParam().holdsTheLine) {
    const std::string asked = sim->Received();
    EXPECT_FLOAT_EQ(Read(2, 6), kBadReading) << "a reading within the window fails unasked";
    EXPECT_EQ(sim->Received(), asked);
    std::this_thread::sleep_for(kLateReplyWindow);
  }
  // Other inputs next, so a reply taken for the wrong request shows.
  EXPECT_FLOAT_EQ(Read(2, 6), static_cast<float>(6000 / 6553.5));
  EXPECT_FLOAT_EQ(Read(3, 7), static_cast<float>(7000 / 6553.5));
}

std::string FaultName(const ::testing::TestParamInfo<FaultCase>& info) {
  static const char* kNames[] = {"None",    "Silent", "Late",   "Partial", "Stale",
                                 "Garbage", "HangUp", "Freeze", "Slow"};
  return kNames[static_cast<int>(info.param.fault)];
}

INSTANTIATE_TEST_SUITE_P(Faults, PtyFaultTest,
                         ::testing::Values(FaultCase{sim::Fault::Silent, true, true},
                                           FaultCase{sim::Fault::Late, true},
                                           FaultCase{sim::Fault::Partial, true},
                                           FaultCase{sim::Fault::Stale, true},
                                           FaultCase{sim::Fault::Garbage, true},
                                           // Within the time-out: read as it comes.
                                           FaultCase{sim::Fault::Slow, false}),
                         FaultName);

TEST_F(PtyTest, AWaitWakesOnTheBytesAndKeepsThemInOrder) {
  StartSim(sim::Kind::UI3);
  sim->SetWord(0x80, 0x0201);
  sim->SetWord(0x81, 0x0403);
  SerialPort& line = SerialLine();
  ASSERT_TRUE(line.Write("\x80\x81"));
  const auto start = SteadyClock::now();
  ASSERT_TRUE(line.AwaitBytes(4, std::chrono::seconds(5)));
  EXPECT_LT(SteadyClock::now() - start, std::chrono::seconds(5)) << "woke on the bytes, not at the end";
  EXPECT_EQ(line.BytesWaiting(), 4);
  EXPECT_FALSE(line.AwaitBytes(5, std::chrono::milliseconds(20))) << "nothing more comes";
  EXPECT_EQ(line.ReadBytes(3), "\x01\x02\x03");
  EXPECT_EQ(line.BytesWaiting(), 1);
  ASSERT_TRUE(line.Write("\x80"));
  ASSERT_TRUE(line.AwaitBytes(3, std::chrono::seconds(5)));
  EXPECT_EQ(line.ReadBytes(16), "\x04\x01\x02");
  EXPECT_EQ(line.Discard(), 0);
}

class PacedPtyTest : public PtyTest, public ::testing::WithParamInterface<int> {};

// The bytes follow each other at the line's pace: a second reply behind the first
// arrives only after the first two bytes, and must still not be taken for a reading.
TEST_P(PacedPtyTest, AReplyWithAnotherBehindItIsAFailedReading) {
  sim::Options o;
  o.kind = sim::Kind::UI3;
  o.link = (dir / "paced").string();
  o.baud = GetParam();
  o.faults = {{.fault = sim::Fault::Stale, .count = 2}};
  sim = std::make_unique<sim::Simulator>(o);
  std::string error;
  ASSERT_TRUE(sim->Start(&error)) << error;
  ASSERT_TRUE(OpenSerialPortPath(o.link, GetParam()).ok);
  External_AD = ExternalADCode::SableUI3;
  EXPECT_FLOAT_EQ(Read(1, 5), kBadReading);
  EXPECT_FLOAT_EQ(Read(2, 6), kBadReading);
  EXPECT_FLOAT_EQ(Read(3, 7), static_cast<float>(7000 / 6553.5));
  EXPECT_FLOAT_EQ(Read(1, 5), static_cast<float>(5000 / 6553.5));
}

INSTANTIATE_TEST_SUITE_P(Baud, PacedPtyTest, ::testing::Values(9600, 115200));

// A garbage reply runs on: five bytes in place of two, the third still on the wire when
// the next channel is asked. Each reading after it may take another's reply, and the
// serial instrument's text line, read up to its CR, would take what is left as its own
// start. Whichever channel's reply is garbage, no reading of the sweep that stands is
// another channel's value.
TEST_P(PacedPtyTest, AReplyThatRunsOnNeverLeavesAnotherChannelsValueStanding) {
  sim::Options o;
  o.kind = sim::Kind::UI3;
  o.link = (dir / "paced").string();
  o.baud = GetParam();
  sim = std::make_unique<sim::Simulator>(o);
  std::string error;
  ASSERT_TRUE(sim->Start(&error)) << error;
  ASSERT_TRUE(OpenSerialPortPath(o.link, GetParam()).ok);
  External_AD = ExternalADCode::SableUI3;
  sim->SetInstrumentLine("SN1,7.5");
  const int16_t inputs[] = {1, 2, 3, 4, 15};
  constexpr int kChannels = 5;
  nChannels = kChannels;
  std::vector<float> own(kChannels + 1);
  for (int c = 1; c <= kChannels; ++c) {
    ChannelVariables[c][ChanField::Input] = inputs[c - 1];
    ADsensorType[c] = 1;  // input 15: the line's first field
    own[c] = inputs[c - 1] == 15 ? 7.5f : static_cast<float>((inputs[c - 1] * 1000) / 6553.5);
  }
  int right = 0, failed = 0, wrong = 0;
  for (int round = 0; round < 3; ++round) {
    for (int16_t faulty = 1; faulty <= kChannels; ++faulty) {
      serialWasRead = 0;
      ++Sample;
      ChannelSweep sweep(1);
      for (int16_t c = 1; c <= kChannels; ++c) {
        if (c == faulty) sim->SetFault(sim::Fault::Garbage, 1);
        sweep.Read(c);
      }
      sweep.Settle();
      for (const auto& r : sweep.Readings()) {
        if (!r.stood)
          ++failed;
        else if (r.value == own[r.channel])
          ++right;
        else
          ++wrong;
        EXPECT_TRUE(!r.stood || r.value == own[r.channel])
            << "channel " << r.channel << " read " << r.value << " with channel " << faulty
            << "'s reply garbage";
      }
      // The line's doubt is over before the next sweep.
      std::this_thread::sleep_for(kQuietAfterLateBytes);
    }
  }
  std::printf("%d baud: %d readings right, %d failed, %d wrong\n", GetParam(), right, failed, wrong);
  EXPECT_GT(right, 0);
  // Once the garbage is spent, every reading of a sweep stands.
  ++Sample;
  serialWasRead = 0;
  ChannelSweep sweep(1);
  for (int16_t c = 1; c <= kChannels; ++c) sweep.Read(c);
  sweep.Settle();
  for (const auto& r : sweep.Readings()) EXPECT_TRUE(r.stood && r.value == own[r.channel]) << r.channel;
}

TEST_F(PtyTest, SilenceInARunGivesTheLastValue) {
  StartSim(sim::Kind::UI3);
  External_AD = ExternalADCode::SableUI3;
  PrefsArray[PrefsSlot::BadReadingKeepsLast] = 1;
  Sample = 3;
  const float good = static_cast<float>(3000 / 6553.5);
  EXPECT_FLOAT_EQ(Read(4, 3), good);
  sim->SetFault(sim::Fault::Silent, 1);
  EXPECT_FLOAT_EQ(Read(4, 3), good);
  EXPECT_EQ(sounds, "AlarmBUZZ.mp3;");
}

// A line that hangs up is reported once however many reads fail on it, and once more
// when it has been reopened at its path; reading then resumes.
TEST_F(PtyTest, AHungUpLineIsReportedOnceAndReopenedWhenItComesBack) {
  StartSim(sim::Kind::UI3);
  External_AD = ExternalADCode::SableUI3;
  PrefsArray[PrefsSlot::BadReadingKeepsLast] = 0;
  Sample = 3;
  std::vector<std::string> reports;
  SetSerialLossReporter([&reports](bool lost, const std::string& path) {
    reports.push_back((lost ? "lost " : "back ") + path);
  });
  const float good = static_cast<float>(3000 / 6553.5);
  EXPECT_FLOAT_EQ(Read(4, 3), good);
  sim->Stop();
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(Read(4, 3), -99999.0f) << "read " << i;
  const std::string link = (dir / "port").string();
  EXPECT_EQ(reports, std::vector<std::string>{"lost " + link});
  std::string error;
  ASSERT_TRUE(sim->Start(&error)) << error;
  // Reopening is tried at most once a second.
  float value = -99999.0f;
  const auto end = SteadyClock::now() + std::chrono::seconds(3);
  while (value != good && SteadyClock::now() < end) value = Read(4, 3);
  SetSerialLossReporter(nullptr);
  EXPECT_FLOAT_EQ(value, good);
  EXPECT_EQ(reports, (std::vector<std::string>{"lost " + link, "back " + link}));
}

// A streaming instrument is never written to, and its terminal, once hung up, reads as
// always having something (poll) that turns out to be nothing (read): the hang-up is
// still noticed and reported, the reads wait without spinning, and the line is read
// again once a new terminal has taken its link.
TEST_F(PtyTest, AStreamThatHangsUpIsReportedAndReadAgainOnceItIsBack) {
  sim::Options o;
  o.kind = sim::Kind::Stream;
  o.link = (dir / "stream").string();
  o.periodMs = 20;
  o.lines = {"1.5,22.25"};
  sim = std::make_unique<sim::Simulator>(o);
  std::string error;
  ASSERT_TRUE(sim->Start(&error)) << error;
  ASSERT_TRUE(OpenSerialPortPath(o.link, 115200).ok);
  External_AD = ExternalADCode::SerialStream;
  std::vector<std::string> reports;
  SetSerialLossReporter(
      [&reports](bool lost, const std::string&) { reports.push_back(lost ? "lost" : "back"); });
  ReadSerialStream(1);
  EXPECT_FLOAT_EQ(serialArray[2][1], 22.25f);
  sim->SetFaultSpan(sim::Fault::HangUp, 0, 1.5);
  const double cpu0 = ThreadCpuSeconds();
  const auto t0 = SteadyClock::now();
  std::vector<float> read;
  while (SteadyClock::now() - t0 < std::chrono::seconds(4) && (read.empty() || read.back() != 22.25f)) {
    ReadSerialStream(1);
    read.push_back(serialArray[2][1]);
  }
  const double cpuShare =
      (ThreadCpuSeconds() - cpu0) / std::chrono::duration<double>(SteadyClock::now() - t0).count();
  SetSerialLossReporter(nullptr);
  EXPECT_EQ(reports, (std::vector<std::string>{"lost", "back"}));
  ASSERT_FALSE(read.empty());
  EXPECT_FLOAT_EQ(read.back(), 22.25f) << "read again once the line was back";
  EXPECT_LT(cpuShare, 0.5) << "the hang-up is waited out, not spun on";
}

// A line that hangs up in the middle of a line, at 1,200 baud: the piece of it read
// before never joins the bytes that come once the line is back (the instrument may be
// in the middle of another line then): every read gives one line's values, or fails.
TEST_F(PtyTest, AStreamLineCutByAHangUpNeverJoinsTheLinesAfterIt) {
  sim::Options o;
  o.kind = sim::Kind::Stream;
  o.link = (dir / "stream").string();
  o.baud = 1200;
  o.periodMs = 200;
  o.lines = {"11.5,12.5,13.5,14.5", "21.5,22.5,23.5,24.5"};
  sim = std::make_unique<sim::Simulator>(o);
  std::string error;
  ASSERT_TRUE(sim->Start(&error)) << error;
  ASSERT_TRUE(OpenSerialPortPath(o.link, 1200).ok);
  External_AD = ExternalADCode::SerialStream;
  for (int n = 1; n <= 16; ++n) serialArray[n][2] = n <= 4 ? static_cast<float>(n) : 0.0f;
  int whole = 0;
  for (int cut = 0; cut < 3; ++cut) {
    ReadSerialStream(1);
    // The hang-up falls 0 to 160 ms into the line being sent.
    std::this_thread::sleep_for(std::chrono::milliseconds(60 + 50 * cut));
    sim->SetFaultSpan(sim::Fault::HangUp, 0, 1.2);
    const auto t0 = SteadyClock::now();
    while (SteadyClock::now() - t0 < std::chrono::seconds(3)) {
      ReadSerialStream(1);
      const float first = serialArray[1][1];
      if (first == kBadReading) continue;
      ++whole;
      for (int n = 2; n <= 4; ++n)
        EXPECT_EQ(serialArray[n][1], first + static_cast<float>(n - 1)) << "cut " << cut << " variable " << n;
    }
  }
  EXPECT_GT(whole, 6) << "lines are read again once the line is back";
}

TEST_F(PtyTest, LinesAndNumbersFromAStreamingInstrument) {
  sim::Options o;
  o.kind = sim::Kind::Stream;
  o.link = (dir / "stream").string();
  o.periodMs = 20;
  o.nameLine = "!!!:SIM-7:";
  o.lines = {"1.5,22.25"};
  sim = std::make_unique<sim::Simulator>(o);
  std::string error;
  ASSERT_TRUE(sim->Start(&error)) << error;
  // The name line is sent at once; opening the port later flushes it, like a real line.
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_TRUE(OpenSerialPortPath(o.link, 9600).ok);
  ASSERT_TRUE(WaitForCount(SerialLine(), 10));
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  std::string line = SerialLine().ReadLine();
  if (line.rfind("!!!", 0) == 0) {
    // On a loaded machine the name line can arrive after the open's flush.
    ASSERT_TRUE(WaitForCount(SerialLine(), 10));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    line = SerialLine().ReadLine();
  }
  EXPECT_EQ(line, "1.5,22.25");
  ASSERT_TRUE(WaitForCount(SerialLine(), 10));
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_EQ(SerialLine().ReadNumber(), 1.5);
  EXPECT_EQ(SerialLine().ReadNumber(), 22.25);
}

// What an input reads, set while the instrument runs, reaches the program's reading of
// every kind; an ADAM module answers its cold-junction read with a signed temperature
// after a ">", as it answers an input's read.
TEST_F(PtyTest, AnInputReadsTheValueSetWhileTheInstrumentRuns) {
  struct Case {
    sim::Kind kind;
    int16_t code;
    int input;
    double set;
    float read;
  };
  const Case cases[] = {
      {sim::Kind::UI3, ExternalADCode::SableUI3, 3, 1.25, static_cast<float>(8000 / 6399.9)},
      {sim::Kind::DT500, ExternalADCode::DT500, 3, 1.25, 1.25f},
      {sim::Kind::ADAM, ExternalADCode::ADAM, 11, -1.25, -1.25f},
      {sim::Kind::ADC1, ExternalADCode::ADC1, 3, 0.125, 0.125f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(sim::KindName(c.kind));
    ASSERT_NO_FATAL_FAILURE(StartSim(c.kind));
    services::ReadDataTaker500 = ReadDataTaker500;
    services::ReadADAM = ReadADAM;
    services::ReadADC1 = ReadADC1;
    External_AD = c.code;
    PrefsArray[PrefsSlot::Range512] = 1;
    GainSet = 2;
    DataTakerChannels[1] = {1, 0, 0, 0, 0};
    ChannelVariables[1][ChanField::Input] = static_cast<float>(c.input);
    EXPECT_TRUE(sim->SetValue(c.input, c.set));
    ReadExternalADValue(1, 0);
    EXPECT_FLOAT_EQ(volts, c.read);
    if (c.kind == sim::Kind::ADAM) {
      SerialLine().Write("$013\r");
      const std::optional<std::string> cjc = AwaitAdamLine(SerialLine(), 5, rt::TickCount() + 30, 0);
      ASSERT_TRUE(cjc);
      EXPECT_EQ(*cjc, ">+0025.0");
      EXPECT_EQ(adam::DecodeReading(*cjc), 25.0f);
    }
    CloseSerialPort();
    sim->Stop();
  }
}

// With a ramp each input rises from its own value at the rate from the ramp's origin,
// the first request, which the log gives on the wall clock: a reading tells when it
// was taken, for every kind of instrument the program reads.
TEST_F(PtyTest, EveryKindsInputRisesFromItsValueAtTheRampsRate) {
  struct Case {
    sim::Kind kind;
    int16_t code;
    int input;
    double base;
    double resolution;  // of the instrument's reply
  };
  const Case cases[] = {
      {sim::Kind::UI3, ExternalADCode::SableUI3, 3, 1.25, 1 / 6399.9},
      {sim::Kind::DT500, ExternalADCode::DT500, 3, 1.25, 1e-6},
      {sim::Kind::ADAM, ExternalADCode::ADAM, 11, -1.25, 1e-4},
      {sim::Kind::ADC1, ExternalADCode::ADC1, 3, 0.125, 1e-4},
  };
  constexpr double kRate = 0.5;  // volts a second
  for (const Case& c : cases) {
    SCOPED_TRACE(sim::KindName(c.kind));
    sim::Options o;
    o.kind = c.kind;
    o.link = (dir / "ramp").string();
    o.logPath = (dir / "ramp.log").string();
    o.ramp = kRate;
    o.values = {{c.input, c.base}};
    sim = std::make_unique<sim::Simulator>(o);
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    ASSERT_TRUE(OpenSerialPortPath(o.link, 115200).ok);
    services::ReadDataTaker500 = ReadDataTaker500;
    services::ReadADAM = ReadADAM;
    services::ReadADC1 = ReadADC1;
    External_AD = c.code;
    PrefsArray[PrefsSlot::Range512] = 1;
    GainSet = 2;
    DataTakerChannels[1] = {1, 0, 0, 0, 0};
    ChannelVariables[1][ChanField::Input] = static_cast<float>(c.input);
    ReadExternalADValue(1, 0);  // the ramp's origin
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const long long before = RealtimeMicroseconds();
    ReadExternalADValue(1, 0);
    const long long after = RealtimeMicroseconds();
    const long long origin = EventTime(ReadText(o.logPath), "ramp origin");
    ASSERT_GT(origin, 0);
    EXPECT_GE(volts, c.base + kRate * static_cast<double>(before - origin) / 1e6 - c.resolution - 1e-5);
    EXPECT_LE(volts, c.base + kRate * static_cast<double>(after - origin) / 1e6 + c.resolution + 1e-5);
    CloseSerialPort();
    sim->Stop();
  }
}

// A streaming instrument's fields rise from their own numbers, the text around them kept.
TEST_F(PtyTest, AStreamsFieldsRiseAroundTheirText) {
  sim::Options o;
  o.kind = sim::Kind::Stream;
  o.link = (dir / "stream").string();
  o.nameLine = "";
  o.periodMs = 100;
  o.ramp = 10;
  o.lines = {"T=21.5C,RH 40%"};
  sim = std::make_unique<sim::Simulator>(o);
  std::string error;
  ASSERT_TRUE(sim->Start(&error)) << error;
  ASSERT_TRUE(OpenSerialPortPath(o.link, 115200).ok);
  const std::regex line(R"(T=([0-9.]+)C,RH ([0-9.]+)%)");
  std::vector<double> temperatures, humidities;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(SerialLine().AwaitBytes(12, std::chrono::seconds(1)));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const std::string text = SerialLine().ReadLine();
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, line)) << text;
    temperatures.push_back(std::stod(m[1]));
    humidities.push_back(std::stod(m[2]));
  }
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_NEAR(temperatures[i] - temperatures[i - 1], 1.0, 0.3) << "10 a second, a line every 0.1 s";
    EXPECT_NEAR(humidities[i] - temperatures[i], 40.0 - 21.5, 1e-9) << "both from the same origin";
  }
}

// mv-sim run as a reviewer runs it: an input read as given on the command line, and
// changed by a control line on its standard input while it runs.
TEST_F(PtyTest, SimulatorAsAChildProcess) {
  const std::string link = (dir / "child").string();
  const std::string schedule = (dir / "schedule").string(), log = (dir / "child.log").string();
  // Frozen for the first fifth of a second: the first reading waits for it (well within
  // the Sable's time-out).
  std::ofstream(schedule) << "0 fault freeze 0.2\n";
  const char* argv[] = {MV_SIM_EXE, "--kind", "ui2",       "--link",     link.c_str(),     "--value",
                        "1=0.5",    "--log",  log.c_str(), "--schedule", schedule.c_str(), nullptr};
  int control[2];
  ASSERT_EQ(pipe(control), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, control[0], STDIN_FILENO);
  posix_spawn_file_actions_addclose(&actions, control[1]);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, MV_SIM_EXE, &actions, nullptr, const_cast<char**>(argv), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(control[0]);
  auto end = SteadyClock::now() + std::chrono::seconds(3);
  while (!std::filesystem::exists(link) && SteadyClock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  SerialOpenResult r = OpenSerialPortPath(link, 115200);
  EXPECT_TRUE(r.ok) << r.reason;
  External_AD = ExternalADCode::SableUI2;
  EXPECT_FLOAT_EQ(Read(1, 13), 1234.0f);
  EXPECT_FLOAT_EQ(Read(2, 1), static_cast<float>(3200 / 6553.5)) << "0.5 V is 3200 counts";
  const std::string line = "set 13 77\n";
  ASSERT_EQ(write(control[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
  float counter = 0;
  end = SteadyClock::now() + std::chrono::seconds(2);
  while (counter != 77.0f && SteadyClock::now() < end) counter = Read(1, 13);
  EXPECT_FLOAT_EQ(counter, 77.0f);
  close(control[1]);
  CloseSerialPort();
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link))) << "the link is removed";
  // Every event says when it happened on the wall clock, in order.
  const std::string text = ReadText(log);
  std::vector<long long> times;
  for (const char* event : {"start", "control \"fault freeze 0.2\"", "fault freeze begins", "ramp origin",
                            "fault freeze ends", "control \"set 13 77\""}) {
    times.push_back(EventTime(text, event));
    EXPECT_GT(times.back(), 0) << event << "\n" << text;
  }
  // In the order they must come (the first request, the ramp's origin, may come during
  // the freeze or after it, and the reads may give up before the freeze ends).
  EXPECT_LE(times[0], times[1]);
  EXPECT_LE(times[1], times[2]);
  EXPECT_LE(times[2], times[4]);
  EXPECT_LE(times[0], times[3]);
  EXPECT_LE(times[1], times[5]);
  // The freeze's end: not before its 0.2 s, and not much after on a loaded machine.
  EXPECT_GE(static_cast<double>(times[4] - times[0]), 150'000) << "the freeze's end";
  EXPECT_LE(static_cast<double>(times[4] - times[0]), 1'000'000) << "the freeze's end";
}

// A simulator that nobody reads, or that paces its bytes, waits without spinning: its
// line fills and then loses what it sends, as a serial line does.
TEST_F(PtyTest, AnUnreadSimulatorWaitsWithoutSpinning) {
  for (const char* baud : {"0", "9600"}) {
    SCOPED_TRACE(baud);
    const std::string link = (dir / "unread").string();
    const char* argv[] = {MV_SIM_EXE, "--kind",  "stream", "--link", link.c_str(), "--period",
                          "2",        "--burst", "10",     "--baud", baud,         nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, MV_SIM_EXE, nullptr, nullptr, const_cast<char**>(argv), environ), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // long enough to fill the line
    // A spinning simulator keeps most of a core busy; one that waits uses a few hundredths
    // (more under the sanitizers on a loaded machine, never near a core).
    EXPECT_LT(ProcessCpuShare(pid, 1.0), 0.4);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
  }
}

}  // namespace
}  // namespace mv

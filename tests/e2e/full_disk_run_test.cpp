// A demonstration recording with automatic period saves and timed backups onto a disk
// that fills up in mid-run: a small memory file system mounted for the test where the
// machine allows it, else a file-size limit on the process (the write fails part-way,
// as on a full disk). The saves that cannot be written fail part-way through their
// data; the files already there stay whole, nothing half-written is left behind, the
// recording goes on, and once there is room again the stop's save writes every period.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/state.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "files/files_test_support.h"
#include "files/needs.h"
#include "files/state.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "shell/main_body.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

// A folder that can be filled to the last page and emptied again.
class SmallDisk {
 public:
  explicit SmallDisk(const fs::path& folder) : folder_(folder) {
    fs::create_directories(folder);
    mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=512k") == 0;
    if (!mounted_) reason_ = std::strerror(errno);
  }
  ~SmallDisk() {
    limit_.reset();
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }
  const std::string& WhyNotMounted() const { return reason_; }

  // Leaves one page free, so a larger file is written in part and then fails.
  void Fill() {
    if (!mounted_) {
      limit_ = std::make_unique<test::FileSizeLimit>(kPage);
      return;
    }
    std::ofstream filler(folder_ / "filler", std::ios::binary);
    const std::string block(kPage, 'x');
    while (filler.write(block.data(), kPage)) {
    }
    filler.close();
    const auto size = fs::file_size(folder_ / "filler");
    fs::resize_file(folder_ / "filler", size > kPage ? size - kPage : 0);
  }
  void Free() {
    limit_.reset();
    if (mounted_) fs::remove(folder_ / "filler");
  }
  uint64_t FreeBytes() const {
    struct statvfs s {};
    return ::statvfs(folder_.c_str(), &s) == 0 ? uint64_t{s.f_bavail} * s.f_frsize : 0;
  }

 private:
  static constexpr std::size_t kPage = 4096;
  fs::path folder_;
  bool mounted_ = false;
  std::string reason_;
  std::unique_ptr<test::FileSizeLimit> limit_;
};

int StoredSamples(const fs::path& file) {
  const std::string dump = test::DumpDataFile(file);
  std::smatch m;
  if (!std::regex_search(dump, m, std::regex(R"(samples of channel block 1 \((\d+) values\))"))) return -1;
  return std::stoi(m[1].str());
}

class FullDiskRunE2E : public test::ProgramRunTest {
 protected:
  void TearDown() override {
    SetSampleTimingTap(nullptr);
    disk_.reset();
    ProgramRunTest::TearDown();
  }
  std::unique_ptr<SmallDisk> disk_;
};

// Periods of 1500 samples (about 6 kB a file, more than the page left free). The disk
// fills in the second period: a timed backup of 1200 samples fails, the second and third periods' saves
// fail; room comes back in the fourth period, which is stopped and saved. The earlier
// backup and the first period's file stay whole, no temporary file is left, and the
// stop's save writes the two held periods into their own names beside its own file.
TEST_F(FullDiskRunE2E, SavesOntoAFullDiskFailWholeAndTheStopsSaveWritesEveryPeriod) {
  constexpr int32_t kPeriod = 1500;
  const fs::path folder = documents_ / "disk";
  disk_ = std::make_unique<SmallDisk>(folder);
  if (!disk_->Mounted())
    std::cerr << "no memory file system (" << disk_->WhyNotMounted() << "): a file-size limit stands in\n";
  const fs::path backup = folder / "backup.kstr", backupCopy = documents_ / "backup-after-failure.kstr";
  std::vector<std::string> failures;
  RecordInPeriodsOf(kPeriod, [&failures] {
    TimedSaveINTERVAL = 1'000'000;  // backups only when the test asks
    KeepSaveFailures(failures);
  });
  int32_t backedUpAt = 0;
  uint64_t freeWhenFull = 0;
  SetSampleTimingTap([&](double, double) {
    if (ScopeCount == 1 && Sample == 100) {
      NextSAVEtime = 0;  // a backup that fits
      backedUpAt = Sample;
    }
    if (ScopeCount == 1 && Sample == 1200) {
      disk_->Fill();
      freeWhenFull = disk_->FreeBytes();
      NextSAVEtime = 0;  // a backup onto the full disk, larger than the page left
    }
    if (ScopeCount == 1 && Sample == 1300) fs::copy_file(backup, backupCopy);
    if (ScopeCount == 3 && Sample == 100) disk_->Free();
    if (ScopeCount == 3 && Sample == 200) rt::SetKeyDown(rt::key::Escape, true);
  });
  const std::string script =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\npick 310 500 1\nclick 310 101\nclick 310 23\ngone 310\nuntil 9\nclick 9 14\n" +
      test::ChannelDialogs() + "until 104\nclick 104 203\ngone 104\npanel " + backup.string() + "\npanel " +
      (folder / "run 1.kssc").string() +
      "\nuntil 15\nclick 15 11\ngone 15\n"
      "until 112 60\nrelease Escape\npanel " +
      (folder / "stopped.kstr").string() +
      "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\n"
      "click 112 6\nexpect-exit 0\n";  // every period written: the guard has nothing to ask
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  if (disk_->Mounted()) {
    EXPECT_LT(freeWhenFull, 8192u) << "the disk was full";
  }
  EXPECT_EQ(failures, (std::vector<std::string>{"199 backup failed", "198 save failed", "198 save failed"}));
  EXPECT_EQ(ScopeCount, 3) << "the recording went on into the fourth period";

  // The backup written before the disk filled stayed as it was.
  const int backedUp = StoredSamples(backupCopy);
  EXPECT_GE(backedUp, backedUpAt);
  EXPECT_LE(backedUp, backedUpAt + 1);
  // Every period is whole in its own file, the stopped one too.
  for (const char* name : {"run 1.kstr", "run 2.kstr", "run 3.kstr"})
    EXPECT_EQ(StoredSamples(folder / name), kPeriod) << name;
  EXPECT_EQ(StoredSamples(folder / "stopped.kstr"), 200);
  for (const auto& entry : fs::directory_iterator(folder))
    EXPECT_NE(entry.path().filename().string().front(), '.') << "a temporary file was left: " << entry.path();
}

}  // namespace
}  // namespace mv

// The safe writer and the whole-file reader.
#include "files/file_io.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "files_test_support.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int FilesIn(const fs::path& dir) {
  return static_cast<int>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override { dir = test::MakeTempDir("file-io"); }
  void TearDown() override {
    fs::permissions(dir, fs::perms::owner_all);
    fs::remove_all(dir);
  }
  fs::path dir;
};

TEST_F(FileIoTest, WritesANewFileAndReplacesAnOldOneWhole) {
  const fs::path p = dir / "a file.bin";
  ASSERT_TRUE(WriteFileSafely(p.string(), std::string("a much longer first content\0", 28)));
  const FileResult second = WriteFileSafely(p.string(), "short");
  ASSERT_TRUE(second) << second.reason;
  EXPECT_EQ(Slurp(p), "short") << "nothing of the longer file survives";
  EXPECT_EQ(FilesIn(dir), 1) << "no temporary file is left behind";
}

TEST_F(FileIoTest, AFailedWriteLeavesTheOldFileIntactAndSaysWhy) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  const fs::path p = dir / "prefs";
  ASSERT_TRUE(WriteFileSafely(p.string(), "old contents"));
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  const FileResult r = WriteFileSafely(p.string(), "new contents");
  fs::permissions(dir, fs::perms::owner_all);
  EXPECT_FALSE(r);
  EXPECT_NE(r.reason.find("temporary file"), std::string::npos) << r.reason;
  EXPECT_EQ(Slurp(p), "old contents");
  EXPECT_EQ(FilesIn(dir), 1);
}

TEST_F(FileIoTest, AWriteThatFailsHalfwayLeavesTheOldFileIntact) {
  const fs::path p = dir / "prefs";
  ASSERT_TRUE(WriteFileSafely(p.string(), "old contents"));
  FileResult r;
  {
    test::FileSizeLimit limit(100);
    r = WriteFileSafely(p.string(), std::string(1433, 'n'));
  }
  EXPECT_FALSE(r);
  EXPECT_NE(r.reason.find("could not write"), std::string::npos) << r.reason;
  EXPECT_EQ(Slurp(p), "old contents");
  EXPECT_EQ(FilesIn(dir), 1) << "the half-written temporary file is removed";
}

TEST_F(FileIoTest, AFolderInTheWayOrAMissingFolderIsAFailure) {
  fs::create_directory(dir / "taken");
  EXPECT_FALSE(WriteFileSafely((dir / "taken").string(), "x"));
  EXPECT_FALSE(WriteFileSafely((dir / "no such folder" / "f").string(), "x"));
  EXPECT_FALSE(WriteFileSafely("", "x"));
}

TEST_F(FileIoTest, AReplacedFileKeepsItsPermissions) {
  const fs::path p = dir / "f";
  ASSERT_TRUE(WriteFileSafely(p.string(), "1"));
  fs::permissions(p, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(WriteFileSafely(p.string(), "2"));
  EXPECT_EQ(fs::status(p).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(FileIoTest, ReadingTellsMissingTooLargeAndWhole) {
  EXPECT_EQ(ReadFileBytes((dir / "none").string(), 10).status, ReadStatus::Missing);
  const fs::path p = dir / "f";
  ASSERT_TRUE(WriteFileSafely(p.string(), "0123456789"));
  const FileBytes whole = ReadFileBytes(p.string(), 10);
  EXPECT_EQ(whole.status, ReadStatus::Ok);
  EXPECT_EQ(whole.bytes, "0123456789");
  const FileBytes big = ReadFileBytes(p.string(), 9);
  EXPECT_EQ(big.status, ReadStatus::TooLarge);
  EXPECT_TRUE(big.bytes.empty());
  EXPECT_EQ(ReadFileBytes(dir.string(), 10).status, ReadStatus::Failed) << "a folder is no file";
}

}  // namespace
}  // namespace mv

// Large recordings are written in pieces; the file must be the same bytes as the
// whole-file encoding, whatever the piece boundaries.
#include <gtest/gtest.h>

#include "common/test_support.h"
#include "files/chart_file.h"
#include "files/file_io.h"
#include "files/sable_file.h"
#include "files/text_file.h"
#include "files/writers_test_support.h"

namespace mv {
namespace {

TEST(StreamedWriters, ABigRecordingWrittenInPiecesEqualsTheWholeEncoding) {
  test::FakeRecording r = test::SmallRecording();
  DataFileFacts f = test::SmallFacts();
  const int32_t samples = 150'000;  // over a megabyte in every format
  for (int n = 1; n <= 3; ++n) {
    r.rows[n].resize(samples + 1);
    for (int32_t i = 0; i <= samples; ++i) r.rows[n][i] = static_cast<float>(i % 977) * 0.125f - n;
  }
  f.samples = samples;
  const auto dir = test::MakeTempDir("streamed");
  const std::string chart = (dir / "run.kstr").string(), sable = (dir / "run.KSSable").string(),
                    text = (dir / "run.txt").string();
  ASSERT_TRUE(WriteChartFile(chart, r, f).ok);
  ASSERT_TRUE(WriteSableChart(sable, r, f).ok);
  ASSERT_TRUE(WriteTextFile(text, r, f).ok);
  const std::pair<std::string, std::string> files[] = {{chart, EncodeChartFile(r, f)},
                                                       {sable, EncodeSableChart(r, f)},
                                                       {text, EncodeTextFile(r, f)}};
  for (const auto& [path, whole] : files) {
    FileBytes written = ReadFileBytes(path, 64u << 20);
    ASSERT_EQ(written.status, ReadStatus::Ok) << path;
    EXPECT_GT(whole.size(), 1u << 20) << path;
    EXPECT_TRUE(written.bytes == whole) << path << ": the pieces differ from the whole encoding";
  }
}

TEST(StreamedWriters, APieceTheSinkRefusesFailsTheWrite) {
  int pieces = 0;
  ChunkedOutput out([&](std::string_view) { return ++pieces < 2; });
  out.text().assign(3u << 20, 'x');
  out.Spill();
  EXPECT_TRUE(out.Flush()) << "the first piece was taken";
  out.text().assign(2u << 20, 'y');
  out.Spill();
  EXPECT_FALSE(out.Flush()) << "the second was refused, and the output stays failed";
  EXPECT_EQ(pieces, 2);
}

}  // namespace
}  // namespace mv

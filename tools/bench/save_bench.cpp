// save-bench [--samples K] [--channels N] [--dir PATH]: writes a recording of K
// samples x N channels in each data-file format and prints `name: value` lines:
// MB/s of each writer, MB/s of a plain copy of the binary file on the same disk
// (the physical limit), and the peak memory each writer adds above the store.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/chart_file.h"
#include "files/data_file_model.h"
#include "files/sable_file.h"
#include "files/text_file.h"
#include "usage.h"

namespace {

using Clock = std::chrono::steady_clock;

class StoreView : public mv::RecordingView {
 public:
  StoreView(int channels, int32_t samples) : samples_(samples), store_(static_cast<std::size_t>(channels)) {
    for (int c = 0; c < channels; ++c) {
      store_[c].resize(static_cast<std::size_t>(samples) + 1);
      for (int32_t i = 0; i <= samples; ++i)
        store_[c][i] = 20.0f + 0.001f * static_cast<float>((i * 7 + c) % 5000);
    }
  }
  void ChartColumns(int channel, int32_t first, int32_t count, float* out) const override {
    const auto& row = store_[static_cast<std::size_t>(channel - 1)];
    for (int32_t i = 0; i < count; ++i) {
      const int32_t col = first + i;
      out[i] = col >= 0 && col <= samples_ ? row[static_cast<std::size_t>(col)] : 0.0f;
    }
  }
  int MarkerCount() const override { return 0; }
  mv::DataFileMarker MarkerAt(int) const override { return {}; }
  int NoteCount() const override { return 0; }
  mv::DataFileNote NoteAt(int) const override { return {}; }
  float ScopeValue(int32_t) const override { return 0; }

 private:
  int32_t samples_;
  std::vector<std::vector<float>> store_;
};

long PeakRssKb() {
  std::ifstream in("/proc/self/status");
  std::string key;
  while (in >> key) {
    if (key == "VmHWM:") {
      long kb = 0;
      in >> kb;
      return kb;
    }
    std::getline(in, key);
  }
  return 0;
}

long RssKb() {
  std::ifstream in("/proc/self/status");
  std::string key;
  while (in >> key) {
    if (key == "VmRSS:") {
      long kb = 0;
      in >> kb;
      return kb;
    }
    std::getline(in, key);
  }
  return 0;
}

// Lets the next peak reading start from the memory in use now.
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

template <typename F>
void Measure(const char* name, const std::string& path, F write) {
  ResetPeak();
  const long before = RssKb();
  const auto t0 = Clock::now();
  const mv::FileResult r = write(path);
  const double s = std::chrono::duration<double>(Clock::now() - t0).count();
  const double mb = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
  std::printf("%s_ok: %d\n%s_mb: %.1f\n%s_mb_per_s: %.1f\n%s_peak_extra_mb: %.1f\n", name, r.ok ? 1 : 0, name,
              mb, name, mb / s, name, static_cast<double>(PeakRssKb() - before) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  int32_t samples = 2'000'000;
  int channels = 16;
  std::string dir = std::filesystem::temp_directory_path().string();
  bool known = argc % 2 == 1;
  for (int i = 1; known && i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--samples"))
      samples = std::atoi(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--channels"))
      channels = std::atoi(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--dir"))
      dir = argv[i + 1];
    else
      known = false;
  }
  const bool help = mv::tools::AskedForHelp(argc, argv);
  if (help || !known || samples < 1 || samples > 2'000'000 || channels < 1 || channels > 16)
    return mv::tools::Usage(
        "usage: save-bench [--samples K] [--channels N] [--dir FOLDER]\n"
        "  K samples of N channels (default 2000000 x 16, at most that) in each data-file format,\n"
        "  written into FOLDER (default the temporary folder)\n",
        help);
  const StoreView view(channels, samples);
  mv::DataFileFacts f;
  f.samples = samples;
  f.sampleInterval = 0.5f;
  f.nChannels = static_cast<int16_t>(channels);
  f.firstChan = 1;
  for (int n = 1; n <= channels; ++n) f.channels[n].label = std::string(30, ' ');
  std::printf("store_mb: %.1f\n", 4.0 * samples * channels / 1e6);

  const std::string chart = dir + "/save-bench.kstr", sable = dir + "/save-bench.KSSable",
                    text = dir + "/save-bench.txt", copy = dir + "/save-bench-copy.kstr";
  Measure("chart", chart, [&](const std::string& p) { return mv::WriteChartFile(p, view, f); });
  Measure("sable", sable, [&](const std::string& p) { return mv::WriteSableChart(p, view, f); });
  Measure("text", text, [&](const std::string& p) { return mv::WriteTextFile(p, view, f); });

  // The physical limit: a plain copy of the binary file, flushed to the disk.
  const auto t0 = Clock::now();
  std::filesystem::copy_file(chart, copy, std::filesystem::copy_options::overwrite_existing);
  const int fd = ::open(copy.c_str(), O_RDONLY);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  const double s = std::chrono::duration<double>(Clock::now() - t0).count();
  std::printf("plain_copy_mb_per_s: %.1f\n", static_cast<double>(std::filesystem::file_size(copy)) / 1e6 / s);
  for (const auto& p : {chart, sable, text, copy}) std::filesystem::remove(p);
  return 0;
}

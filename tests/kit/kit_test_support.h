// The kit tests' fixture, which the shell's fixtures build on: the program's own
// resource folder of the source tree, a sound sink that records every file asked for,
// and helpers for reading back the canvas.
#pragma once
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "runtime/sound.h"
#include "runtime/types.h"
#include "runtime/windows.h"

namespace mv::test {

class KitTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(path); });
  }
  void TearDown() override {
    unsetenv("MV_RESOURCES_DIR");
    ProgramTest::TearDown();
  }
  // The files played, as "folder/file" relative to the resource folder.
  std::vector<std::string> Played() const {
    std::vector<std::string> v;
    std::string root = SourcePath("resources").string() + "/";
    for (const auto& p : sounds) v.push_back(p.rfind(root, 0) == 0 ? p.substr(root.size()) : p);
    return v;
  }
  // True when a file of this name was asked to play.
  bool PlayedFile(const std::string& name) const {
    for (const auto& p : Played())
      if (p.size() >= name.size() && p.compare(p.size() - name.size(), name.size(), name) == 0) return true;
    return false;
  }
  // A window of the given size filled white, as the output window.
  void WhiteWindow(int16_t number, int16_t width, int16_t height) {
    rt::OpenWindow(number, "canvas",
                   Rect{20, 40, static_cast<int16_t>(20 + width), static_cast<int16_t>(40 + height)}, 6);
    rt::FillWindow(kWhite);
  }
  std::vector<RGBColor> Snapshot(int width, int height) const {
    std::vector<RGBColor> v;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) v.push_back(rt::CanvasPixel(x, y));
    return v;
  }

  // A colour as the 8-bit canvas keeps it.
  static RGBColor OnCanvas(RGBColor c) {
    auto q = [](uint16_t v) { return static_cast<uint16_t>(std::lround(v / 257.0) * 257); };
    return RGBColor{q(c.red), q(c.green), q(c.blue)};
  }

  static constexpr RGBColor kWhite{65535, 65535, 65535};
  static constexpr RGBColor kBlack{0, 0, 0};
  std::vector<std::string> sounds;
};

}  // namespace mv::test

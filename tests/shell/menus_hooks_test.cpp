// After start-up has installed the program's services, every hook is installed or
// knowingly left at its default: either a seam whose default is the real behaviour,
// or the entry of a window that is not part of the program yet. Such a window's
// commands are dimmed wherever they are offered, and the README says it is not built.
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "kit/hook.h"
#include "setup/channel_table.h"
#include "setup/state.h"
#include "shell/startup.h"
#include "shell_test_support.h"

namespace mv {
namespace {

using namespace MenuNumber;

// Hooks whose default is the program's own behaviour; only tests replace them.
const char* const kSeams[] = {
    "setup_hooks::SELECTCHANNEL",  // the set-up subsystem's own input dialog
    "setup_hooks::SCALE",          // its scaling dialog
    "setup_hooks::MAXAVERAGE",     // its readings-averaged limit
    "setup_hooks::AVERAGING",      // its averaging dialog
    "files_hooks::FileNotice",     // the files subsystem's own alert window
    // The conversions window, and the services the channel table calls, which its tests
    // record.
    "setup_hooks::ConversionsWindow",
    "setup_hooks::ExternalDeviceControl",
    "setup_hooks::SELECTNEXTVALVE",
    "setup_hooks::DATATAKERSTATUS",
    "setup_hooks::CLEARARRAY",
    "setup_hooks::ADAMChannels",
    "setup_hooks::InspectSerialInput",
    "setup_hooks::SwitchDT800ToHIGHSpeed",
    "setup_hooks::SwitchDT800ToLOWSpeed",
    "setup_hooks::CHECKCHANNEL",
    "setup_hooks::TRIGGER",
    "setup_hooks::SetADAM",
    // The windows, services and saves a recording pass calls, which the loop tests record,
    // and the DT800's block transfer.
    "acq_hooks::PAUSE",
    "acq_hooks::REPLAY",
    "acq_hooks::ClearXYPlot",
    "acq_hooks::PlotNewestXYPoint",
    "acq_hooks::HandleAlertSounds",
    "acq_hooks::checkAOscript",
    "acq_hooks::checkFEEDBACKLoop",
    "acq_hooks::PumpAOvolts",
    "acq_hooks::FirstMarkerCheck",
    "acq_hooks::Q_Key_check",
    "acq_hooks::X_Key_check",
    "acq_hooks::AutoTimedBACKUP",
    "acq_hooks::AUTOSAVE",
    "fast_scope_hooks::HIGHSPEEDIO",
    // The switching window's move to the reference state and its zero-link window.
    "switch_window_hooks::SWITCHTOREFERENCE",
    "switch_window_hooks::EXTRAZERO",

    // The files subsystem's own windows before a save.
    "files_hooks::GETFILECOMMENTS",  // the file information window
    "files_hooks::ASCIIWARN",        // the caution about text files

    // The device readers, through which tests stand in for an interface.
    "services::ReadDataTaker500",  // DT500 and DT50
    "services::ReadDataTaker800",  // DT800, DT80 and DT85
    "services::ReadADAM",          // ADAM modules
    "services::ReadADC1",          // the ADC-1
    "services::ReadSerialStream",  // a streaming instrument
};

struct NotBuilt {
  const char* hook;
  const char* window;       // what is missing
  const char* readmeWords;  // how the README's list of what is not built names it
};
// Windows not part of the program yet. When one is built and installed, its row goes,
// and so does its line in the README.
// Empty while every window is built; the tests below keep the rule for the next one.
const std::vector<NotBuilt> kNotBuilt = {};

class HookCheckTest : public test::MenusTest {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    for (HookBase* hook : AllHooks()) hook->Reset();
    SetMainValues();  // what the program does at start-up, services included
  }
  void TearDown() override {
    for (HookBase* hook : AllHooks()) hook->Reset();
    MenusTest::TearDown();
  }
  static const HookBase* Find(const std::string& name) {
    for (const HookBase* hook : AllHooks())
      if (name == hook->Name()) return hook;
    return nullptr;
  }
};

TEST_F(HookCheckTest, StartUpInstallsEveryHookButTheListedOnes) {
  ASSERT_FALSE(AllHooks().empty()) << "the hooks of every subsystem are registered";
  const std::set<std::string> seams(std::begin(kSeams), std::end(kSeams));
  std::set<std::string> notBuilt;
  for (const NotBuilt& n : kNotBuilt) notBuilt.insert(n.hook);
  for (const HookBase* hook : AllHooks()) {
    const std::string name = hook->Name();
    SCOPED_TRACE(name);
    if (!hook->AtDefault() || seams.count(name)) {
      EXPECT_TRUE(hook->Built()) << "installed as nothing, or a seam whose default is no real behaviour";
      continue;
    }
    EXPECT_TRUE(notBuilt.count(name)) << "left at its default by start-up and on no list: install it, or "
                                         "dim its commands and add it to the not-built list and the README";
    EXPECT_FALSE(hook->Built());
  }
  for (const std::string& name : seams) {
    ASSERT_NE(Find(name), nullptr) << name << " is no hook";
    EXPECT_TRUE(Find(name)->AtDefault()) << name << " is installed now: take it off the list of seams";
  }
  for (const NotBuilt& n : kNotBuilt) {
    ASSERT_NE(Find(n.hook), nullptr) << n.hook << " is no hook";
    EXPECT_FALSE(Find(n.hook)->Built()) << n.window << " is installed now: take " << n.hook
                                        << " off the not-built list and out of the README";
  }
}

TEST_F(HookCheckTest, TheReadmeListsEveryWindowThatIsNotBuilt) {
  std::ifstream in(test::SourcePath("README.md"));
  const std::string readme((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto section = readme.find("## What the system does not do");
  ASSERT_NE(section, std::string::npos);
  const std::string notDone = readme.substr(section);
  for (const NotBuilt& n : kNotBuilt)
    EXPECT_NE(notDone.find(n.readmeWords), std::string::npos) << n.window << " is missing from the README";
}

TEST_F(HookCheckTest, TheSpikeFilterAndConversionOptionsWindowsAreOfferedInTheMainBar) {
  MainMENU();
  nChannels = 3;
  BlankChannelLabels();
  MENU_100();
  EXPECT_TRUE(rt::MenuItemEnabled(AD, 12)) << "Spike Filter... opens its window";
  EXPECT_TRUE(rt::MenuItemChecked(AD, 12) == (PrefsArray[PrefsSlot::SpikeFilterOn] != 0))
      << "the mark shows whether the filter is on";
  EXPECT_TRUE(rt::MenuItemEnabled(AD, 2)) << "the Conversion Options submenu: its window is built";
  for (int16_t ch = 1; ch <= 3; ++ch) EXPECT_TRUE(rt::MenuItemEnabled(ConversionOptions, ch)) << ch;
  EXPECT_TRUE(rt::MenuItemEnabled(AD, 1)) << "their neighbours too";
  EXPECT_TRUE(rt::MenuItemEnabled(ConversionEquations, 1));
}

}  // namespace
}  // namespace mv

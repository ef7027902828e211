// The runtime's numbered windows, controls, fields, canvas, menus and key map
// under the offscreen platform. Picture buttons show their picture over the whole of
// their rectangle, so a column of them with rectangles a pixel or two apart in
// height still lines up. Menu items offered only under a condition: a command whose
// window may not exist, and the standard text commands, which need a focused field.
#include "runtime/windows.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/test_support.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/qt_bridge.h"
#include "runtime/str255.h"
#include "runtime/system.h"

namespace mv {
namespace {

using RuntimeTest = test::ProgramTest;
using PictureButtonTest = test::ProgramTest;

void Drain() {
  for (int i = 0; i < 50 && rt::EventsPending(); ++i) rt::PumpEvents(0);
}

TEST_F(RuntimeTest, WindowContentRectangleAndCurrentOutputWindow) {
  rt::OpenWindow(12, "Twelve", Rect{100, 120, 420, 360}, 6);
  EXPECT_EQ(rt::WindowContentRect(12).width(), 320);
  EXPECT_EQ(rt::OutputWindow(), 12);
  rt::OpenWindow(13, "Thirteen", Rect{0, 0, 50, 50}, 262);
  EXPECT_EQ(rt::OutputWindow(), 13);
  rt::SetOutputWindow(12);
  rt::SetOutputWindow(99);  // not open: unchanged
  EXPECT_EQ(rt::OutputWindow(), 12);
  rt::CloseWindow(12);
  EXPECT_FALSE(rt::WindowExists(12));
  EXPECT_EQ(rt::OutputWindow(), 0);
  rt::FillWindow(RGBColor{1, 2, 3});  // no output window: nothing happens
  EXPECT_EQ(rt::NextFreeWindowNumber(), 1);
}

TEST_F(RuntimeTest, FieldsKeepMacRomanTextAndCrStartsALineOnlyInSeveralLineFields) {
  rt::OpenWindow(2, "Fields", Rect{0, 0, 300, 200}, 6);
  std::string degrees = "25\xA1" "C";  // Mac Roman degree sign
  rt::NewEditField(1, degrees, Rect{10, 10, 100, 30}, 3, 3);
  EXPECT_EQ(rt::EditText(1), degrees);
  EXPECT_EQ(rt::EditSelection(1), (std::pair<int, int>{0, 4})) << "editable fields start all selected";
  rt::NewEditField(1, "one", Rect{20, 40, 120, 60}, 3, 1);
  rt::NewEditField(2, "line one\rline two", Rect{10, 70, 200, 150}, 2, 1);
  EXPECT_EQ(rt::EditText(2), "line one\rline two") << "several-line fields keep CR line ends";
  rt::FocusEditField(1);
  EXPECT_EQ(rt::FocusedEditField(), 1);
  rt::SelectEditText(1, 3, 3);
  for (const char* typed : {"\x1b", "\r"}) rt::InsertIntoFocusedField(typed);
  EXPECT_EQ(rt::EditText(1), "one") << "control characters and CR are never text of a one-line field";
  rt::FocusEditField(2);
  rt::SelectEditText(2, 4, 4);
  rt::InsertIntoFocusedField("\r");
  EXPECT_EQ(rt::EditText(2), "line\r one\rline two");
}

// A one-line static field shows a count or a percentage to its last character, in a
// smaller font if need be, and cuts a text too long even for that at its end with an
// ellipsis (its first words then reach the field's right edge) instead of wrapping it
// out of sight. A field two lines tall still wraps. The program reads the whole text.
TEST_F(RuntimeTest, AOneLineStaticFieldFitsItsTextOrCutsItsEnd) {
  rt::OpenWindow(2, "Status", Rect{0, 0, 300, 120}, 6);
  const std::string words = "data panel switched off for sampling speed";
  struct Row { Rect where; std::string text; bool endShows; };
  const Row rows[] = {{{2, 17, 114, 33}, " Sample 10000", true},  // the status fields' size and font
                      {{114, 17, 222, 33}, " 99.99 % done", true},
                      {{2, 17, 114, 33}, words, false},
                      {{2, 17, 114, 90}, words, true}};
  const QColor paper(255, 255, 0);
  auto shown = [&](const Row& r, char last) {
    std::string text = r.text;
    text.back() = last;
    rt::NewEditField(5, text, r.where, 5, 0);
    rt::SetEditFont(5, rt::FontSpec{"", 14, true});
    rt::SetEditColors(5, RGBColor{0, 0, 0}, RGBColor{65535, 65535, 0});
    EXPECT_EQ(rt::EditText(5), text);
    return rt::bridge::EditFieldWidget(2, 5)->grab().toImage();
  };
  for (const Row& r : rows) {
    const QImage image = shown(r, r.text.back());
    EXPECT_EQ(image != shown(r, '#'), r.endShows) << r.text;
    int inkRight = -1;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixelColor(x, y) != paper) inkRight = std::max(inkRight, x);
    EXPECT_TRUE(r.endShows || inkRight > image.width() * 3 / 4) << r.text << ": ink ends at " << inkRight;
  }
}

TEST_F(RuntimeTest, PopupControlTakesItsItemsFromANumberedMenu) {
  rt::NewMenu(128, "");
  rt::AppendMenuItems(128, 1, "300;1200;-;4800;9600;19,200");
  rt::OpenWindow(2, "Popup", Rect{0, 0, 300, 60}, 6);
  rt::NewPopupControl(4, 128, "", Rect{10, 10, 150, 30}, 5);
  auto* combo = qobject_cast<QComboBox*>(rt::bridge::ControlWidget(2, 4));
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->count(), 6);
  EXPECT_EQ(combo->currentText(), "9600");
  Drain();
  std::vector<std::pair<int16_t, int16_t>> events;
  rt::SetDialogHandler([&](int16_t k, int16_t i) { events.push_back({k, i}); });
  combo->setCurrentIndex(5);
  emit combo->activated(5);
  Drain();
  EXPECT_EQ(rt::ControlValue(4), 6);
  EXPECT_EQ(events, (std::vector<std::pair<int16_t, int16_t>>{{1, 4}}));
}

TEST_F(RuntimeTest, MenuKeyEquivalentsReachTheMenuHandlerFromAnyWindow) {
  rt::NewMenu(1, "File");
  rt::SetMenuItem(1, 1, "Open");
  rt::SetMenuItemKey(1, 1, 'o');
  rt::SetMenuItem(1, 2, "Close");
  rt::SetMenuItemKey(1, 2, 'W');
  rt::EnableMenuItem(1, 2, false);
  rt::SetMenuItem(1, 3, "Grids");
  rt::SetSubmenu(1, 3, 91);
  rt::NewMenu(91, "");
  rt::SetMenuItem(91, 1, "Show Scale Grid");
  rt::SetMenuItemKey(91, 1, 'Y');
  rt::SetMenuBar({1});
  rt::DrawMenuBar();
  rt::OpenWindow(2, "Any", Rect{0, 0, 200, 100}, 6);
  std::vector<std::pair<int16_t, int16_t>> menus, dialogs;
  rt::SetMenuHandler([&](int16_t m, int16_t i) { menus.push_back({m, i}); });
  rt::SetDialogHandler([&](int16_t k, int16_t i) { dialogs.push_back({k, i}); });
  Drain();
  dialogs.clear();
  QTest::keyClick(rt::bridge::WindowWidget(2), Qt::Key_O, Qt::ControlModifier);
  QTest::keyClick(rt::bridge::WindowWidget(2), Qt::Key_W, Qt::ControlModifier);
  QTest::keyClick(rt::bridge::WindowWidget(2), Qt::Key_Y, Qt::ControlModifier);
  rt::EnableMenuItem(1, 3, false);
  QTest::keyClick(rt::bridge::WindowWidget(2), Qt::Key_Y, Qt::ControlModifier);
  Drain();
  EXPECT_EQ(menus, (std::vector<std::pair<int16_t, int16_t>>{{1, 1}, {91, 1}})) << "a submenu's key works";
  EXPECT_EQ(dialogs, (std::vector<std::pair<int16_t, int16_t>>{{24, 'w'}, {24, 'y'}}))
      << "a dimmed item's key, or a key under a dimmed parent, is a Ctrl key";
}

TEST_F(RuntimeTest, MenuModelItemsTextsAndStates) {
  rt::NewMenu(66, "");
  rt::AppendMenuItems(66, 16, "a;DUMMY;DUMMY;b");
  rt::SetMenuItemUtf8(66, 17, "\xC2\xB0" "C - g H\xE2\x82\x82O");  // °C, subscript two
  EXPECT_EQ(rt::MenuItemCount(66), 19);
  EXPECT_EQ(rt::GetMenuItem(66, 17).text, "\xC2\xB0" "C - g H\xE2\x82\x82O");
  EXPECT_EQ(rt::MenuItemText(66, 17).str(), "\xA1" "C - g H?O") << "Mac Roman lacks the subscript";
  rt::CheckMenuItem(66, 16, true);
  EXPECT_TRUE(rt::MenuItemChecked(66, 16));
  rt::EnableMenuItem(66, 0, false);
  EXPECT_FALSE(rt::MenuItemEnabled(66, 16)) << "a dimmed menu dims its items";
}

TEST_F(RuntimeTest, KeyMapWordsFollowTheClassicLayout) {
  rt::ClearKeyMap();
  rt::SetKeyDown(rt::key::Option, true);
  EXPECT_EQ(rt::KeyMapWord(rt::GetKeys(), 3), 1024);
  rt::ClearKeyMap();
  rt::OpenWindow(2, "Keys", Rect{0, 0, 100, 100}, 6);
  QTest::keyPress(rt::bridge::WindowWidget(2), Qt::Key_Control);
  EXPECT_TRUE(rt::KeyIsDown(rt::key::Command)) << "Ctrl stands for Command";
  QTest::keyRelease(rt::bridge::WindowWidget(2), Qt::Key_Control);
  EXPECT_FALSE(rt::KeyIsDown(rt::key::Command));
}

TEST_F(RuntimeTest, VirtualClockTicksAndDelays) {
  rt::SetVirtualMicroseconds(0);
  rt::Delay(1000);
  EXPECT_EQ(rt::TickCount(), 60u);
  rt::AdvanceVirtualClock(0.5);
  EXPECT_EQ(rt::Microseconds(), 1'500'000u);
  rt::SleepUntilMicroseconds(1'600'000);
  EXPECT_EQ(rt::Microseconds(), 1'600'000u);
  rt::SetVirtualMicroseconds(uint64_t{1} << 40);  // past 32-bit microseconds
  EXPECT_EQ(rt::TickCount(), static_cast<uint32_t>((uint64_t{1} << 40) * 60 / 1'000'000));
}

// A whole-program script waits in real seconds while the program sleeps on the virtual
// clock: paced, the program's time never runs ahead of real time times the pace, and
// real time spent without sleeping is no credit for a later burst.
TEST_F(RuntimeTest, APacedVirtualClockRunsNoFasterThanItsPace) {
  rt::SetVirtualClockPace(1000);
  const auto realStart = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // busy elsewhere: no credit
  const uint64_t virtualStart = rt::Microseconds();
  for (int i = 0; i < 600; ++i) rt::SleepUntilMicroseconds(rt::Microseconds() + 16'667);  // 10 s of ticks
  const auto real = std::chrono::steady_clock::now() - realStart;
  EXPECT_GE(rt::Microseconds() - virtualStart, 9'999'000u);
  EXPECT_GE(real, std::chrono::milliseconds(20 + 9)) << "10 virtual seconds take at least 10 real ms";
  rt::UseVirtualClock(false);
  rt::UseVirtualClock(true);
  const auto unpaced = std::chrono::steady_clock::now();
  rt::SleepUntilMicroseconds(rt::Microseconds() + 60'000'000);
  EXPECT_LT(std::chrono::steady_clock::now() - unpaced, std::chrono::seconds(1)) << "unpaced by default";
}

TEST(Str255Test, TruncatesAt255Bytes) {
  Str255 s(std::string(300, 'a'));
  EXPECT_EQ(s.size(), 255u);
  Str255 t("abc");
  t += std::string(260, 'b');
  EXPECT_EQ(t.size(), 255u);
  EXPECT_EQ(Str255("hello").mid(2, 3).str(), "ell");
  EXPECT_EQ(Str255("hello").mid(9).str(), "");
}

TEST_F(RuntimeTest, ScrollCanvasMovesOnlyTheAreaAndFillsTheUncoveredStrip) {
  const RGBColor white{65535, 65535, 65535}, grey{0x8080, 0x8080, 0x8080};
  const RGBColor red{65535, 0, 0}, blue{0, 0, 65535};
  rt::OpenWindow(2, "Scroll", Rect{0, 0, 100, 60}, 6);
  rt::SetWindowBackground(grey);
  rt::FillWindow(white);
  rt::StrokeLine(60.5, 0, 60.5, 60, rt::StrokeStyle{1, 0, 0, 1, 1});  // crosses the area's top and bottom
  rt::StrokeLine(25.5, 0, 25.5, 60, rt::StrokeStyle{0, 0, 1, 1, 1});  // leaves the area when moved 30 left
  rt::ScrollCanvas(Rect{20, 10, 90, 50}, -30);
  EXPECT_EQ(rt::CanvasPixel(30, 10), red) << "the red column arrives at x 30";
  EXPECT_EQ(rt::CanvasPixel(89, 30), grey) << "the uncovered strip is the background";
  EXPECT_EQ(rt::CanvasPixel(19, 30), white) << "the blue column is dropped, not spilled left of the area";
  EXPECT_EQ(rt::CanvasPixel(60, 9), red) << "outside the area nothing moved";
  EXPECT_EQ(rt::CanvasPixel(25, 55), blue);
  rt::ScrollCanvas(Rect{0, 0, 200, 60}, 5);  // an area reaching past the canvas is clipped to it
  EXPECT_EQ(rt::CanvasPixel(2, 30), grey);
}

TEST_F(RuntimeTest, AreaCursorIsACrossHairOverItsAreaOnlyAndAnEmptyAreaGivesTheArrowBack) {
  rt::OpenWindow(2, "Cursor", Rect{0, 0, 200, 120}, 6);
  rt::SetAreaCursor(Rect{0, 30, 200, 120}, rt::CursorShape::Cross);
  QWidget* w = rt::bridge::WindowWidget(2);
  ASSERT_NE(w, nullptr);
  auto shapeAt = [w](int x, int y) {
    QMouseEvent move(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    return w->cursor().shape();
  };
  EXPECT_EQ(shapeAt(150, 80), Qt::CrossCursor);
  EXPECT_EQ(shapeAt(150, 10), Qt::ArrowCursor) << "above the area";
  EXPECT_EQ(shapeAt(150, 30), Qt::CrossCursor) << "the area's top row";
  rt::SetAreaCursor(Rect{}, rt::CursorShape::Cross);
  EXPECT_EQ(shapeAt(150, 80), Qt::ArrowCursor) << "no area any more";
}

// Pumps until the window reports the size, or gives up after a bounded number of passes.
bool PumpUntilSize(int16_t window, int width, int height) {
  for (int i = 0; i < 100; ++i) {
    const Rect c = rt::WindowContentRect(window);
    if (c.width() == width && c.height() == height) return true;
    rt::PumpEvents(1);
  }
  return false;
}

TEST_F(RuntimeTest, AResizableWindowFollowsTheUsersDragButNeverBelowItsMinimum) {
  const RGBColor grey{0x8080, 0x8080, 0x8080}, red{65535, 0, 0};
  rt::OpenWindow(33, "Sized", Rect{4, 45, 904, 745}, rt::kResizableWindow);
  rt::SetWindowMinimumSize(33, 640, 400);
  rt::SetWindowBackground(grey);
  rt::FillRect(0, 0, 20, 20, 1, 0, 0);
  std::vector<int16_t> redraws;
  rt::SetDialogHandler([&](int16_t kind, int16_t item) {
    if (kind == 5) redraws.push_back(item);
  });
  Drain();
  redraws.clear();
  const Rect opened = rt::WindowContentRect(33);  // placed on the display

  rt::bridge::DragWindowSize(33, 1200, 800);
  ASSERT_TRUE(PumpUntilSize(33, 1200, 800));
  Drain();
  const Rect c = rt::WindowContentRect(33);
  EXPECT_EQ(c.left, opened.left);
  EXPECT_EQ(c.top, opened.top);
  EXPECT_EQ(redraws, std::vector<int16_t>{33}) << "the program is asked to draw the new part";
  rt::SetOutputWindow(33);
  EXPECT_EQ(rt::CanvasPixel(10, 10), red) << "what was drawn stays";
  EXPECT_EQ(rt::CanvasPixel(1150, 780), grey) << "the canvas grew with the window";

  rt::bridge::DragWindowSize(33, 300, 200);
  EXPECT_TRUE(PumpUntilSize(33, 640, 400)) << "the window stops at its minimum";

  rt::OpenWindow(6, "Fixed", Rect{0, 0, 300, 200}, 6);
  rt::bridge::DragWindowSize(6, 500, 500);
  for (int i = 0; i < 10; ++i) rt::PumpEvents(1);
  EXPECT_EQ(rt::WindowContentRect(6).width(), 300) << "other kinds keep the size the program gives them";
  EXPECT_EQ(rt::WindowContentRect(6).height(), 200);
}

// A wide picture with a thick red frame around a blue middle, like the options
// window's button pictures.
std::string FramedPicture() {
  const auto path = test::MakeTempDir("picture-button") / "framed.png";
  QImage image(320, 44, QImage::Format_RGB32);
  image.fill(QColor(255, 0, 0));
  QPainter(&image).fillRect(QRect(5, 5, 310, 34), QColor(0, 0, 255));
  EXPECT_TRUE(image.save(QString::fromStdString(path.string())));
  return path.string();
}

bool Red(QRgb c) { return qRed(c) > 180 && qBlue(c) < 90; }
bool Blue(QRgb c) { return qBlue(c) > 180 && qRed(c) < 90; }

TEST_F(PictureButtonTest, ThePictureFillsItsRectangleWhateverItsHeight) {
  const std::string picture = FramedPicture();
  rt::OpenWindow(112, "Buttons", Rect{0, 0, 340, 170}, 6);
  // Rectangles 44, 43 and 42 pixels high, as a column of buttons has them.
  const Rect rects[] = {{5, 5, 325, 49}, {5, 54, 325, 97}, {5, 103, 325, 145}};
  for (int16_t n = 1; n <= 3; ++n) rt::NewPictureButton(n, picture, rects[n - 1], 1);
  rt::FlushWindow();
  for (int16_t n = 1; n <= 3; ++n) {
    SCOPED_TRACE(n);
    QWidget* button = rt::bridge::ControlWidget(112, n);
    ASSERT_NE(button, nullptr);
    const QImage shown = button->grab().toImage();
    ASSERT_EQ(shown.height(), rects[n - 1].height());
    const int right = shown.width() - 1, bottom = shown.height() - 1;
    for (const QPoint corner : {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)})
      EXPECT_TRUE(Red(shown.pixel(corner))) << "the frame reaches the corner " << corner.x() << "," << corner.y();
    EXPECT_TRUE(Blue(shown.pixel(shown.width() / 2, shown.height() / 2)));
  }
}

TEST_F(PictureButtonTest, AMarkedPictureButtonLooksDifferentFromAnEnabledOne) {
  rt::OpenWindow(112, "Buttons", Rect{0, 0, 340, 60}, 6);
  rt::NewPictureButton(1, FramedPicture(), Rect{5, 5, 325, 49}, 1);
  QWidget* button = rt::bridge::ControlWidget(112, 1);
  ASSERT_NE(button, nullptr);
  const QImage enabled = button->grab().toImage();
  rt::SetControlState(1, 2);
  EXPECT_NE(button->grab().toImage(), enabled);
  rt::SetControlState(1, 0);
  EXPECT_NE(button->grab().toImage(), enabled) << "a dimmed picture button looks dimmed";
}

// A check box dimmed for a while keeps showing the mark its choice holds, takes no
// click, and comes back as it was; state 0 dims it without a mark, as before.
TEST_F(RuntimeTest, ADimmedCheckBoxKeepsItsMarkAndTakesNoClick) {
  rt::OpenWindow(112, "Boxes", Rect{0, 0, 300, 60}, 6);
  rt::NewControl(4, rt::ControlType::CheckBox, "Absorbed", Rect{5, 5, 200, 25}, 2);
  auto* box = qobject_cast<QAbstractButton*>(rt::bridge::ControlWidget(112, 4));
  ASSERT_NE(box, nullptr);
  rt::SetControlDimmed(4, true);
  EXPECT_FALSE(box->isEnabled());
  EXPECT_TRUE(box->isChecked());
  EXPECT_TRUE(rt::ControlDimmed(4));
  EXPECT_EQ(rt::ControlState(4), 2);
  rt::FlushEvents();
  box->click();
  EXPECT_TRUE(box->isChecked());
  EXPECT_FALSE(rt::EventsPending()) << "no click reported";
  rt::SetControlDimmed(4, false);
  EXPECT_TRUE(box->isEnabled());
  EXPECT_TRUE(box->isChecked());
  EXPECT_FALSE(rt::ControlDimmed(4));
  rt::SetControlState(4, 0);
  EXPECT_FALSE(box->isEnabled());
  EXPECT_FALSE(box->isChecked());
  EXPECT_TRUE(rt::ControlDimmed(4));
}

using MenuConditionTest = test::ProgramTest;

// Whether the menu bar offers an item, asked after the menu announced that it opens.
bool ShownEnabled(const QString& menuTitle, const QString& itemText) {
  auto* bar = rt::bridge::MenuBarWindow() ? rt::bridge::MenuBarWindow()->findChild<QMenuBar*>() : nullptr;
  for (QAction* top : bar ? bar->actions() : QList<QAction*>{}) {
    if (!top->menu() || top->text() != menuTitle) continue;
    emit top->menu()->aboutToShow();
    for (QAction* a : top->menu()->actions())
      if (a->text().startsWith(itemText)) return a->isEnabled();
  }
  ADD_FAILURE() << "no item " << itemText.toStdString() << " in the bar";
  return false;
}

TEST_F(MenuConditionTest, AConditionDimsTheItemWhateverItsOwnStateAndHidesItsKey) {
  bool built = false;
  rt::NewMenu(3, "View");
  rt::SetMenuItem(3, 1, "Chart Views...");
  rt::SetMenuItemKey(3, 1, 'G');
  rt::SetMenuItemCondition(3, 1, [&built] { return built; });
  rt::SetMenuBar({3});
  rt::DrawMenuBar();
  int16_t menu = 0, item = 0;
  EXPECT_FALSE(rt::MenuItemEnabled(3, 1));
  EXPECT_FALSE(rt::FindMenuKey('g', menu, item)) << "a dimmed item's key equivalent chooses nothing";
  EXPECT_FALSE(ShownEnabled("View", "Chart Views..."));

  built = true;
  EXPECT_TRUE(rt::MenuItemEnabled(3, 1)) << "the condition is asked each time, not kept";
  EXPECT_TRUE(rt::FindMenuKey('g', menu, item));
  EXPECT_TRUE(ShownEnabled("View", "Chart Views...")) << "the bar asks again as the menu opens";
  rt::EnableMenuItem(3, 1, false);
  EXPECT_FALSE(rt::MenuItemEnabled(3, 1)) << "the item's own state still counts";

  rt::NewMenu(3, "View");
  rt::SetMenuItem(3, 1, "Chart Views...");
  built = false;
  EXPECT_TRUE(rt::MenuItemEnabled(3, 1)) << "a menu made again starts without conditions";
}

TEST_F(MenuConditionTest, TextCommandsAreOfferedOnlyWhileAnEditableFieldHasTheFocus) {
  rt::NewMenu(2, "Edit");
  rt::SetMenuItem(2, 1, "Cut");
  rt::SetMenuItemFieldCommand(2, 1, rt::FieldCommand::Cut);
  rt::SetMenuBar({2});
  rt::DrawMenuBar();
  std::vector<std::pair<int16_t, int16_t>> handled;
  rt::SetMenuHandler([&handled](int16_t m, int16_t i) { handled.push_back({m, i}); });

  EXPECT_FALSE(rt::MenuItemEnabled(2, 1)) << "no window";
  rt::OpenWindow(20, "Fields", Rect{40, 60, 340, 200}, 6);
  EXPECT_FALSE(rt::MenuItemEnabled(2, 1)) << "a window without a field";
  rt::NewEditField(1, "abc", Rect{10, 10, 200, 30}, 3, 1);
  rt::NewEditField(2, "a label", Rect{10, 40, 200, 60}, 5, 1);
  rt::FocusEditField(2);
  EXPECT_FALSE(rt::MenuItemEnabled(2, 1)) << "a static text takes no focus and no text command";
  rt::FocusEditField(0);
  EXPECT_FALSE(ShownEnabled("Edit", "Cut")) << "no focus";
  rt::FocusEditField(1);
  EXPECT_TRUE(ShownEnabled("Edit", "Cut")) << "the bar asks again as the menu opens";

  rt::SelectEditText(1, 0, 3);
  rt::bridge::ChooseMenuItem(2, 1);
  for (int i = 0; i < 5; ++i) rt::PumpEvents(0);
  EXPECT_EQ(rt::EditText(1), "");
  EXPECT_TRUE(handled.empty()) << "the window's menu handler is not asked to do the field's work";
  rt::CloseWindow(20);
  EXPECT_FALSE(rt::MenuItemEnabled(2, 1)) << "the window closed with its field";
}
}  // namespace
}  // namespace mv

namespace mv {
namespace {

// Records the area of every paint of a widget.
class PaintAreas : public QObject {
 public:
  std::vector<QRect> areas;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) areas.push_back(static_cast<QPaintEvent*>(e)->rect());
    return false;
  }
};

// A recording draws a few pixels per sample into a large window: a flush paints what
// was drawn since the last one, not the whole window, and shows it.
TEST_F(RuntimeTest, AFlushPaintsOnlyWhatWasDrawnSinceTheLastOne) {
  rt::OpenWindow(20, "Chart", Rect{0, 40, 1000, 740}, 6);
  rt::ShowWindow(20);
  rt::FlushWindow();
  Drain();
  PaintAreas paints;
  QWidget* w = rt::bridge::WindowWidget(20);
  w->installEventFilter(&paints);
  rt::StrokeLine(500, 300, 503, 310, rt::StrokeStyle{});
  rt::FlushWindow();
  w->removeEventFilter(&paints);
  ASSERT_FALSE(paints.areas.empty());
  const QRect painted = paints.areas.front();
  EXPECT_TRUE(painted.contains(QRect(500, 300, 4, 11))) << "the line is painted";
  EXPECT_LT(painted.width() * painted.height(), 1000) << "and not the whole window";
  // With nothing drawn or changed since, a flush paints nothing.
  w->installEventFilter(&paints);
  paints.areas.clear();
  rt::FlushWindow();
  w->removeEventFilter(&paints);
  EXPECT_TRUE(paints.areas.empty());
  // A scroll is painted at the next flush, and a scroll by the area's whole width or
  // more clears it.
  rt::FillWindow(RGBColor{0, 0, 65535});
  rt::FlushWindow();
  rt::ScrollCanvas(Rect{100, 50, 900, 650}, -1000);
  w->installEventFilter(&paints);
  paints.areas.clear();
  rt::FlushWindow();
  w->removeEventFilter(&paints);
  ASSERT_FALSE(paints.areas.empty());
  EXPECT_TRUE(paints.areas.front().contains(QRect(100, 50, 800, 600)));
  EXPECT_EQ(rt::CanvasPixel(899, 649), rt::WindowBackgroundColor());
  EXPECT_EQ(rt::CanvasPixel(99, 649), (RGBColor{0, 0, 65535}));
  rt::CloseWindow(20);
}

// The painted widgets of a window, by their class, while `act` runs.
std::vector<std::string> PaintedDuring(QWidget* window, const std::function<void()>& act) {
  class Painted : public QObject {
   public:
    std::vector<std::string> names;
    bool eventFilter(QObject* o, QEvent* e) override {
      if (e->type() == QEvent::Paint) names.emplace_back(o->metaObject()->className());
      return false;
    }
  } painted;
  const auto children = window->findChildren<QWidget*>();
  window->installEventFilter(&painted);
  for (QWidget* c : children) c->installEventFilter(&painted);
  act();
  for (QWidget* c : children) c->removeEventFilter(&painted);
  window->removeEventFilter(&painted);
  return painted.names;
}

// A recording writes its readouts and status fields with every sample, mostly with
// the texts they already show: a field is painted again only when its text changed,
// and then at the window's flush.
TEST_F(RuntimeTest, AFieldWhoseTextDidNotChangeIsNotRepainted) {
  rt::OpenWindow(20, "Chart", Rect{0, 40, 600, 400}, 6);
  rt::NewEditField(2, " Sample 1", Rect{2, 17, 114, 33}, 5, 0);
  rt::NewEditField(3, " 0.25", Rect{170, 50, 255, 62}, 5, 0);
  rt::ShowWindow(20);
  rt::FlushWindow();
  Drain();
  QWidget* w = rt::bridge::WindowWidget(20);
  const auto unchanged = PaintedDuring(w, [] {
    rt::SetEditText(2, " Sample 1");
    rt::SetEditText(3, " 0.25");
    rt::FlushWindow();
    Drain();
  });
  EXPECT_TRUE(unchanged.empty()) << unchanged.size() << " paints with no text changed";
  const auto changed = PaintedDuring(w, [] {
    rt::SetEditText(2, " Sample 2");
    rt::SetEditText(3, " 0.25");
    rt::FlushWindow();
  });
  EXPECT_EQ(std::count(changed.begin(), changed.end(), "QLabel"), 1)
      << "only the field whose text changed is painted, at the flush";
  EXPECT_EQ(rt::EditText(2), " Sample 2");
  rt::CloseWindow(20);
}

// The progress bar of a recording moves inside a sample: it is painted with its
// window at the next flush, never at once with everything else waiting.
TEST_F(RuntimeTest, AProgressBarThatMovesIsPaintedAtTheWindowsFlush) {
  rt::OpenWindow(20, "Chart", Rect{0, 40, 600, 400}, 6);
  rt::NewProgressBar(5, Rect{100, 19, 500, 27}, 0, 100, 0);
  rt::ShowWindow(20);
  rt::FlushWindow();
  Drain();
  QWidget* w = rt::bridge::WindowWidget(20);
  const auto moved = PaintedDuring(w, [] { rt::SetControlValue(5, 60); });
  EXPECT_TRUE(moved.empty()) << "the bar painted at once when its value was set";
  EXPECT_EQ(rt::ControlValue(5), 60);
  const auto atFlush = PaintedDuring(w, [] { rt::FlushWindow(); });
  EXPECT_NE(std::find(atFlush.begin(), atFlush.end(), "QProgressBar"), atFlush.end());
  rt::CloseWindow(20);
}

}  // namespace
}  // namespace mv

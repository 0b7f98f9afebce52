// The real window on a (virtual) display, driven from outside with xdotool and xclip.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "GtkTestSupport.h"
#include "gfx/Draw.h"

using namespace platform;
using namespace platform::gtk;
using gtktest::PumpUntil;
using gtktest::RunPumping;

namespace {

struct TRecordingSink : WindowEvents {
  gfx::TBitmap32 Canvas;
  int Paints = 0;
  std::vector<std::string> Events;

  void OnPaint(Window& w) override {
    ++Paints;
    w.Present(Canvas);
  }
  void OnMouseDown(TMouseButton b, TShiftState, int x, int y) override {
    Events.push_back("down " + std::to_string(int(b)) + " " + std::to_string(x) + "," + std::to_string(y));
  }
  void OnMouseUp(TMouseButton b, TShiftState, int x, int y) override {
    Events.push_back("up " + std::to_string(int(b)) + " " + std::to_string(x) + "," + std::to_string(y));
  }
  void OnMouseWheel(int delta, TShiftState, int, int) override { Events.push_back("wheel " + std::to_string(delta)); }
  void OnKeyDown(TVirtualKey key, TShiftState) override { Events.push_back("keydown " + std::to_string(key)); }
  void OnKeyUp(TVirtualKey key, TShiftState) override { Events.push_back("keyup " + std::to_string(key)); }
  void OnKeyPress(char32_t ch) override { Events.push_back("char " + std::to_string(uint32_t(ch))); }

  bool Saw(const std::string& event) const {
    for (const std::string& e : Events)
      if (e == event) return true;
    return false;
  }
};

// A canvas whose every block has its own opaque colour, so a shifted or converted frame shows.
gfx::TBitmap32 TestCanvas(int w, int h) {
  gfx::TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, gfx::Color32(uint8_t(x * 3), uint8_t(y * 5), uint8_t((x / 16) * 40 + y / 16)));
  return b;
}

class GtkWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string& reason = gtktest::DisplayUnavailableReason();
    if (!reason.empty()) GTEST_SKIP() << reason;
    if (!gtktest::HaveProgram("xdotool") || !gtktest::HaveProgram("xclip"))
      GTEST_SKIP() << "xdotool and xclip are needed to drive the real window (Debian packages xdotool, xclip)";
    Backend = TGtkBackend::Init();
    ASSERT_TRUE(Backend) << "the display did not accept a connection";
    Sink.Canvas = TestCanvas(320, 200);
    Title = "NorvoGtkTest" + std::to_string(getpid());
    Win = Backend->CreateMainWindow(Sink, 320, 200);
    Win->SetTitle(Title);
    Win->Show();
    ASSERT_TRUE(PumpUntil(Backend->Loop, [&] { return Sink.Paints > 0; })) << "the window never painted";
    const auto found = RunPumping(Backend->Loop, {"xdotool", "search", "--sync", "--name", "^" + Title + "$"});
    WindowId = found.Output.substr(0, found.Output.find('\n'));
    ASSERT_FALSE(WindowId.empty());
    RunPumping(Backend->Loop, {"xdotool", "windowfocus", "--sync", WindowId});
  }

  void TearDown() override {
    Win.reset();
    Backend.reset();
  }

  void Xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    ASSERT_EQ(RunPumping(Backend->Loop, args).ExitCode, 0);
  }

  std::unique_ptr<TGtkBackend> Backend;
  TRecordingSink Sink;
  std::unique_ptr<TGtkWindow> Win;
  std::string Title, WindowId;
};

}  // namespace

TEST_F(GtkWindowTest, ClickArrivesWithClientCoordinatesAndButton) {
  Xdotool({"mousemove", "--window", WindowId, "37", "52", "click", "3"});
  ASSERT_TRUE(PumpUntil(Backend->Loop, [&] { return Sink.Saw("up 1 37,52"); }));
  EXPECT_TRUE(Sink.Saw("down 1 37,52"));  // mbRight
  // Two quick clicks are two single presses: double clicks are left to the control manager.
  Sink.Events.clear();
  Xdotool({"click", "--repeat", "2", "--delay", "30", "1"});
  ASSERT_TRUE(PumpUntil(Backend->Loop, [&] {
    int ups = 0;
    for (auto& e : Sink.Events) ups += e.rfind("up 0", 0) == 0;
    return ups == 2;
  }));
  int downs = 0;
  for (auto& e : Sink.Events) downs += e.rfind("down 0", 0) == 0;
  EXPECT_EQ(downs, 2);
}

TEST_F(GtkWindowTest, KeyArrivesAsVirtualKeyAndCharacter) {
  Xdotool({"key", "a"});
  ASSERT_TRUE(PumpUntil(Backend->Loop, [&] { return Sink.Saw("keyup 65"); }));
  ASSERT_GE(Sink.Events.size(), 2u);
  EXPECT_EQ(Sink.Events[0], "keydown 65");
  EXPECT_EQ(Sink.Events[1], "char 97");
  Sink.Events.clear();
  Xdotool({"key", "Tab", "Left", "F2"});  // keys GTK would otherwise use for focus moves
  ASSERT_TRUE(PumpUntil(Backend->Loop, [&] { return Sink.Saw("keyup 113"); }));
  EXPECT_TRUE(Sink.Saw("keydown 9"));
  EXPECT_TRUE(Sink.Saw("keydown 37"));
}

TEST_F(GtkWindowTest, OneWheelNotchIs120) {
  Xdotool({"mousemove", "--window", WindowId, "100", "100", "click", "4"});
  ASSERT_TRUE(PumpUntil(Backend->Loop, [&] { return Sink.Saw("wheel 120"); }));
  Xdotool({"click", "5"});
  ASSERT_TRUE(PumpUntil(Backend->Loop, [&] { return Sink.Saw("wheel -120"); }));
  int wheels = 0;
  for (auto& e : Sink.Events) wheels += e.rfind("wheel", 0) == 0;
  EXPECT_EQ(wheels, 2);  // no notch counted twice
}

TEST_F(GtkWindowTest, PresentedFrameEqualsTheCanvas) {
  Win->RedrawSync(nullptr);
  gfx::TBitmap32 shown;
  ASSERT_TRUE(PumpUntil(Backend->Loop, [&] { return Win->CaptureClientArea(shown) && shown.Width() == 320; }));
  ASSERT_EQ(shown.Height(), 200);
  int different = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 320; ++x) different += shown.Pixel(x, y) != Sink.Canvas.Pixel(x, y);
  EXPECT_EQ(different, 0);
}

TEST_F(GtkWindowTest, TextAndFileListsSurviveTheClipboard) {
  TheClipboard().SetText("Norvo ünïcode ✓");
  EXPECT_EQ(RunPumping(Backend->Loop, {"xclip", "-selection", "clipboard", "-o"}).Output, "Norvo ünïcode ✓");

  for (TFileClipOp op : {TFileClipOp::fcCopy, TFileClipOp::fcCut}) {
    TheClipboard().SetFiles({{"/tmp/a b.txt", "/srv/ü/two"}, op});
    const std::string word = op == TFileClipOp::fcCut ? "cut" : "copy";
    EXPECT_EQ(RunPumping(Backend->Loop, {"xclip", "-selection", "clipboard", "-o", "-t", "x-special/gnome-copied-files"}).Output,
              word + "\nfile:///tmp/a%20b.txt\nfile:///srv/%C3%BC/two");
    EXPECT_EQ(RunPumping(Backend->Loop, {"xclip", "-selection", "clipboard", "-o", "-t", "text/uri-list"}).Output,
              "file:///tmp/a%20b.txt\r\nfile:///srv/%C3%BC/two\r\n");
    TClipFiles back;
    ASSERT_TRUE(TheClipboard().GetFiles(back));
    EXPECT_EQ(back.Op, op);
    EXPECT_EQ(back.Paths, (std::vector<std::string>{"/tmp/a b.txt", "/srv/ü/two"}));
  }

  // A list another program put there as a plain uri-list, with a URI that is not a file.
  {
    TheClipboard().SetText("no files here");  // until the other program takes the clipboard
    gtktest::TBackgroundChild owner({"xclip", "-quiet", "-selection", "clipboard", "-t", "text/uri-list", "-i"},
                                    "file:///x/one\r\nhttps://example.org/\r\nfile:///x/two\r\n");
    TClipFiles back;
    ASSERT_TRUE(PumpUntil(Backend->Loop, [&] { return TheClipboard().GetFiles(back); }));
    EXPECT_EQ(back.Op, TFileClipOp::fcCopy);
    EXPECT_EQ(back.Paths, (std::vector<std::string>{"/x/one", "/x/two"}));
  }
  // The owner is gone: the clipboard reads as empty.
  TClipFiles none;
  EXPECT_FALSE(TheClipboard().GetFiles(none));
  EXPECT_EQ(TheClipboard().GetText(), "");
}

namespace {
// Answers drags with a fixed effect and records what it hears.
struct TRecordingDropTarget : DropTarget {
  TDropEffect Answer = deCopy;
  std::vector<std::string> Calls;
  std::vector<std::string> EnterPaths, DropPaths;

  TDropEffect OnDragEnter(const std::vector<std::string>& paths, int, int, TShiftState) override {
    Calls.push_back("enter");
    EnterPaths = paths;
    return Answer;
  }
  TDropEffect OnDragOver(int, int, TShiftState) override {
    if (Calls.empty() || Calls.back() != "over") Calls.push_back("over");
    return Answer;
  }
  void OnDragLeave() override { Calls.push_back("leave"); }
  TDropEffect OnDrop(const std::vector<std::string>& paths, int, int, TShiftState) override {
    Calls.push_back("drop");
    DropPaths = paths;
    return Answer;
  }
};
}  // namespace

// The window drags files onto itself: its drag source and its drop target talk through the
// display as with any other program.
TEST_F(GtkWindowTest, FileDragOutAndDropInReportTheEffectPerformed) {
  TRecordingDropTarget target;
  Win->SetDropTarget(&target);
  const std::vector<std::string> paths{"/tmp/one.txt", "/tmp/two words.png"};
  for (TDropEffect answer : {deCopy, deNone}) {
    target = TRecordingDropTarget{};
    target.Answer = answer;
    Xdotool({"mousemove", "--window", WindowId, "40", "40", "mousedown", "1"});
    ASSERT_TRUE(PumpUntil(Backend->Loop, [&] { return Sink.Saw("down 0 40,40"); }));
    Sink.Events.clear();
    // The pointer moves and lets go while the drag loop runs.
    gtktest::TBackgroundChild mover({"xdotool", "sleep", "0.3", "mousemove", "--window", WindowId, "120", "90", "sleep",
                                     "0.3", "mousemove", "--window", WindowId, "140", "100", "sleep", "0.3", "mouseup", "1"},
                                    "");
    const TDropEffect performed = Win->StartFileDrag(paths, deCopy | deMove);
    PumpUntil(Backend->Loop, [] { return false; }, 300);  // a held-back leave would arrive now
    EXPECT_EQ(performed, answer);
    ASSERT_FALSE(target.Calls.empty());
    EXPECT_EQ(target.Calls.front(), "enter");
    EXPECT_EQ(target.EnterPaths, paths);
    if (answer == deNone) {
      // A refused drag is not dropped: the target hears it leave.
      EXPECT_EQ(target.Calls.back(), "leave");
      EXPECT_TRUE(target.DropPaths.empty());
    } else {
      EXPECT_EQ(target.Calls.back(), "drop") << "a drop is never reported as a leave";
      EXPECT_EQ(target.DropPaths, paths);
    }
  }
  Win->SetDropTarget(nullptr);
}

// A modal message box answers with the button pressed; the keyboard reaches it.
TEST_F(GtkWindowTest, MessageBoxReturnsTheButtonPressed) {
  const std::string caption = "NorvoQuestion" + std::to_string(getpid());
  struct TCase {
    std::string key;
    TMsgResult expected;
  } cases[] = {{"Return", TMsgResult::mrYes}, {"Escape", TMsgResult::mrNo}};
  for (const TCase& c : cases) {
    // Presses the key until the box is gone: a key sent before the box takes input is lost.
    const std::string press = "for i in $(seq 100); do id=$(xdotool search --name '^" + caption +
                              "$' | head -n 1); if [ -n \"$id\" ]; then xdotool windowfocus $id key " + c.key +
                              "; fi; sleep 0.2; done";
    gtktest::TBackgroundChild answer({"sh", "-c", press}, "");
    EXPECT_EQ(TheDialogs().MessageBox("Replace the file?", caption, TMsgButtons::mbYesNo, TMsgKind::mkQuestion),
              c.expected)
        << c.key;
  }
}

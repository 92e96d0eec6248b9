// The monitor's logic against the simulated desktop: the snapshot of the windows
// as miniatures, the timers, the options it follows and the switch's use of it.

#include "monitor_fixture.h"
#include "platform/sim/sim_registry.h"
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace zim
{
namespace
{

using sim::WindowSetup;

class MonitorModelTest : public testing::MonitorTest
{
protected:
    MonitorModelTest()
    {
        model.onShownChanged = [this](bool shown) { shownChanges.push_back(shown); };
        // The window at the very bottom never gets a miniature.
        bottom = Add("bottom", Rect::FromSize(0, 0, W, H));
    }

    std::vector<WindowHandle> Tags() const
    {
        std::vector<WindowHandle> out;
        for (const Miniature& m : model.Miniatures().Items())
        {
            out.push_back(m.tag);
        }
        return out;
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> out;
        for (const Miniature& m : model.Miniatures().Items())
        {
            out.push_back(m.name);
        }
        return out;
    }
    Rect RectOfWindow(WindowHandle w) { return desktop.GetWindowRect(w).value_or(Rect{}); }
    void Show()
    {
        model.FormShow();
        surface.ForgetPaints();
    }

    std::vector<bool> shownChanges;
    WindowHandle bottom = kNoWindow;
};

// --- the snapshot ---

TEST_F(MonitorModelTest, MiniaturesFollowTheZOrderFromBottomToTopAndScaleToTheShownCell)
{
    const auto a = Add("a", Rect::FromSize(100, 100, 400, 300));
    const auto b = Add("b", Rect::FromSize(W, 0, 400, 300));   // top-left of the desktop to the right
    const auto c = Add("c", Rect::FromSize(128, H, 256, 384)); // the desktop below, halves to round
    Show();

    EXPECT_EQ(Tags(), (std::vector<WindowHandle>{a, b, c})) << "bottom-most skipped, the topmost painted last";
    EXPECT_EQ(Names(), (std::vector<std::string>{"Shape0", "Shape1", "Shape2"}));
    // sx = 100 / 1024, sy = 75 / 768: 100 -> 9.77, 500 -> 48.83, 400 -> 39.06.
    EXPECT_EQ(MiniatureOf(a), (Rect{10, 10, 49, 39}));
    EXPECT_EQ(MiniatureOf(b), (Rect{100, 0, 139, 29})) << "the top-left corner of the next cell";
    // 128 -> 12.5 rounds to 12, 384 -> 37.5 rounds to 38; 768 -> 75, 1152 -> 112.5 -> 112.
    EXPECT_EQ(MiniatureOf(c), (Rect{12, 75, 38, 112}));
    EXPECT_EQ(model.FocusFrame(), (Rect{-1, -1, 101, 76}));

    // Seen from desktop (1, 0) the same windows stay in their cells.
    engine.DrawGrid1SelectCell(1, 0);
    model.UpdateMiniatures();
    EXPECT_EQ(MiniatureOf(a), (Rect{10, 10, 49, 39}));
    EXPECT_EQ(MiniatureOf(b), (Rect{100, 0, 139, 29}));
    EXPECT_EQ(model.FocusFrame(), (Rect{99, -1, 201, 76}));
}

TEST_F(MonitorModelTest, MinimisedHiddenParkedAndDesktopBackgroundWindowsGetNoMiniature)
{
    const auto shown = Add("shown");
    const auto minimised = Add("minimised");
    desktop.SetMinimized(minimised, true);
    WindowSetup hiddenSetup;
    hiddenSetup.visible = false;
    const auto hidden = desktop.AddWindow(hiddenSetup);
    const auto parked = Add("parked", Rect::FromSize(-32000, -32000, 160, 30));
    const auto justInside = Add("far left", Rect::FromSize(-30999, 0, 160, 30));
    surface.background = Add("background", Rect::FromSize(0, 0, W, H), "DesktopBackgroundClass");
    Show();

    EXPECT_EQ(Tags(), (std::vector<WindowHandle>{shown, justInside}));
    (void)hidden;
    (void)parked;
}

TEST_F(MonitorModelTest, SlotsAreReusedInOrderAndOnlyTheSurplusIsFreed)
{
    std::vector<WindowHandle> windows;
    for (int i = 0; i < 6; ++i)
    {
        std::string title = "w"; // built in steps: mingw's g++ 12 warns falsely on "w" + to_string
        title += std::to_string(i);
        windows.push_back(Add(title, Rect::FromSize(10 * i, 10 * i, 300, 200)));
    }
    Show();
    ASSERT_EQ(Names().size(), 6u);
    const Rect freed4 = model.Miniatures().Items()[4].bounds;
    const Rect freed5 = model.Miniatures().Items()[5].bounds;

    // The two lowest go: every slot now takes the window two above its old one.
    desktop.DestroyWindow(windows[0]);
    desktop.DestroyWindow(windows[1]);
    model.UpdateMiniatures();

    EXPECT_EQ(Names(), (std::vector<std::string>{"Shape0", "Shape1", "Shape2", "Shape3"}));
    EXPECT_EQ(Tags(), (std::vector<WindowHandle>{windows[2], windows[3], windows[4], windows[5]}));
    ASSERT_EQ(surface.reported.size(), 1u);
    const MiniatureChanges& changes = surface.reported[0];
    EXPECT_EQ(changes.previousCount, 6u);
    EXPECT_EQ(changes.count, 4u);
    EXPECT_EQ(changes.changed, (std::vector<std::size_t>{0, 1, 2, 3}));
    const auto repaints = [&](const Rect& r) { return std::find(changes.dirty.begin(), changes.dirty.end(), r); };
    EXPECT_NE(repaints(freed4), changes.dirty.end()) << "a freed miniature's place is repainted";
    EXPECT_NE(repaints(freed5), changes.dirty.end());

    // More windows again: new slots continue the numbering.
    Add("new");
    model.UpdateMiniatures();
    EXPECT_EQ(Names().back(), "Shape4");
}

TEST_F(MonitorModelTest, ASteadyDesktopRepaintsNothingAndAMoveRepaintsOnlyThatMiniature)
{
    const auto a = Add("a");
    const auto b = Add("b", Rect::FromSize(500, 300, 200, 200));
    Show();
    model.UpdateMiniatures();
    model.UpdateMiniatures();
    EXPECT_TRUE(surface.reported.empty());
    EXPECT_TRUE(surface.repainted.empty());
    EXPECT_EQ(surface.fullRepaints, 0);

    const Rect before = MiniatureOf(b);
    desktop.SetRect(b, Rect::FromSize(600, 300, 200, 200));
    model.UpdateMiniatures();
    ASSERT_EQ(surface.reported.size(), 1u);
    EXPECT_EQ(surface.reported[0].changed, (std::vector<std::size_t>{1}));
    EXPECT_EQ(surface.reported[0].dirty, (std::vector<Rect>{before, MiniatureOf(b)}));
    EXPECT_EQ(surface.fullRepaints, 0);
    (void)a;
}

TEST_F(MonitorModelTest, ASlotTakenByAnotherWindowInTheSamePlaceIsRepainted)
{
    const auto a = Add("a");
    Show();
    desktop.DestroyWindow(a);
    const auto b = Add("b"); // same rectangle, another title and icon
    model.UpdateMiniatures();
    ASSERT_EQ(surface.reported.size(), 1u);
    EXPECT_EQ(surface.reported[0].changed, (std::vector<std::size_t>{0}));
    EXPECT_EQ(Tags(), (std::vector<WindowHandle>{b}));
}

TEST_F(MonitorModelTest, WindowsHeldHiddenComeFirstFromTheLastEntryAtTheirStoredPlace)
{
    options.Update([](Options& o) { o.compatibilityClasses.Add("RollUp", true); });
    const auto live = Add("live");
    const auto first = Add("first", {0, 0, 205, 154}, "RollUp");
    const auto released = Add("released", {10, 0, 215, 154}, "RollUp");
    const auto gone = Add("gone", {20, 0, 225, 154}, "RollUp");
    const auto second = Add("second", {512, 384, 717, 538}, "RollUp");
    // Each sent one desktop to the right: held hidden, drawn in cell (1, 0).
    for (const WindowHandle w : {first, released, gone, second})
    {
        hideMode.HideModeMove(w, W, 0);
    }
    ASSERT_FALSE(desktop.IsWindowVisible(first));
    hideMode.Release(released); // dragged out: no longer held
    desktop.DestroyWindow(gone);
    Show();

    EXPECT_EQ(Tags(), (std::vector<WindowHandle>{second, first, live}));
    EXPECT_EQ(MiniatureOf(second), (Rect{150, 38, 170, 53})) << "37.5 rounds to even";
    EXPECT_EQ(MiniatureOf(first), (Rect{100, 0, 120, 15}));
}

TEST_F(MonitorModelTest, AHeldHiddenWindowItsApplicationShowsIsSentBackToItsDesktop)
{
    options.Update([](Options& o) { o.compatibilityClasses.Add("RollUp", true); });
    const auto w = Add("roll-up", {0, 0, 205, 154}, "RollUp");
    hideMode.HideModeMove(w, W, 0);           // held for desktop (1, 0)
    desktop.ShowWindow(w, ShowCommand::Show); // its application shows it again
    Show();

    // Sent to desktop (1, 0), which is not shown: hidden again there.
    EXPECT_FALSE(desktop.IsWindowVisible(w));
    ASSERT_EQ(hideMode.HideWndList().size(), 1u);
    const HideWndItem& entry = *hideMode.HideWndList().front().second;
    EXPECT_TRUE(entry.hidden);
    EXPECT_EQ(entry.column, 1);
    ASSERT_FALSE(Tags().empty());
    EXPECT_EQ(Tags().front(), w);
    EXPECT_EQ(MiniatureOf(w), (Rect{100, 0, 120, 15}));
}

// --- the window's life and its timers ---

TEST_F(MonitorModelTest, ShowingStartsTheRefreshAndHidingStopsItButNotTheAutoHideTimer)
{
    options.Update([](Options& o) { o.autoHide = true; });
    model.FormShow();
    model.FormShow(); // a second show message changes nothing
    EXPECT_EQ(shownChanges, (std::vector<bool>{true}));
    EXPECT_TRUE(model.RefreshEnabled());
    EXPECT_TRUE(model.Timer2().IsEnabled());
    EXPECT_EQ(model.Grid().CellWidth(), 100) << "showing lays the grid out";

    const auto a = Add("a");
    desktop.Advance(MonitorModel::kRefreshMs);
    EXPECT_NE(model.FindMiniature(a), nullptr) << "the refresh picks up a new window";

    model.FormHide();
    EXPECT_EQ(shownChanges, (std::vector<bool>{true, false}));
    EXPECT_FALSE(model.RefreshEnabled());
    EXPECT_TRUE(model.Timer2().IsEnabled());
    const auto b = Add("b");
    desktop.Advance(5 * MonitorModel::kRefreshMs);
    EXPECT_EQ(model.FindMiniature(b), nullptr) << "no refresh while hidden";

    model.FormClose();
    EXPECT_FALSE(model.RefreshEnabled());
    EXPECT_FALSE(model.Timer2().IsEnabled());
}

TEST_F(MonitorModelTest, AutoHideHidesAtTheFirstTickWithThePointerOutsideOrOnTheBorder)
{
    options.Update(
        [](Options& o)
        {
            o.autoHide = true;
            o.autoHideDelay = 2000;
        });
    surface.bounds = Rect::FromSize(200, 100, 120, 100);
    model.FormShow();

    desktop.SetCursorPos({260, 150});
    desktop.Advance(2000);
    EXPECT_EQ(surface.hides, 0) << "pointer inside";

    desktop.SetCursorPos({200, 150}); // the left border
    desktop.Advance(1999);
    EXPECT_EQ(surface.hides, 0) << "not before the delay";
    desktop.Advance(1);
    EXPECT_EQ(surface.hides, 1);
    EXPECT_FALSE(model.Shown());
    EXPECT_FALSE(model.Timer2().IsEnabled());
    desktop.Advance(10000);
    EXPECT_EQ(surface.hides, 1);
}

TEST_F(MonitorModelTest, OptionChangesActAtOnce)
{
    model.FormShow();
    surface.ForgetPaints();

    surface.client = {400, 300};
    options.Update([](Options& o) { o.sizeX = 4; });
    EXPECT_EQ(model.Grid().Columns(), 4);
    EXPECT_EQ(model.Grid().CellWidth(), 100);
    EXPECT_EQ(surface.fullRepaints, 1);

    options.Update([](Options& o) { o.sizeY = 11; });
    EXPECT_EQ(model.Grid().Rows(), 3) << "a size outside 1..10 leaves the grid as it was";
    options.Update([](Options& o) { o.sizeY = 0; });
    EXPECT_EQ(model.Grid().Rows(), 3);

    options.Update([](Options& o) { o.alwaysOnTop = false; });
    EXPECT_FALSE(surface.topmost);

    options.Update([](Options& o) { o.autoHideDelay = 7000; });
    EXPECT_EQ(model.Timer2().Interval(), 7000u);
    options.Update([](Options& o) { o.autoHideDelay = 0; });
    EXPECT_EQ(model.Timer2().Interval(), 2000u) << "never shorter than the slider allows";

    options.Update([](Options& o) { o.autoHide = true; });
    EXPECT_TRUE(model.Timer2().IsEnabled());
    options.Update([](Options& o) { o.autoHide = false; });
    EXPECT_FALSE(model.Timer2().IsEnabled());

    surface.ForgetPaints();
    options.Update([](Options& o) { o.showWndNames = false; });
    options.Update([](Options& o) { o.showWndIcons = false; });
    EXPECT_EQ(surface.fullRepaints, 2);
    options.Update([](Options& o) { o.soundFile = "x.wav"; });
    EXPECT_EQ(surface.fullRepaints, 2) << "options the monitor does not show repaint nothing";
}

// --- what the switch does through the monitor ---

TEST_F(MonitorModelTest, TheSwitchMovesTheFrameAndASticyWindowsMiniatureBeforeAnyWindowMoves)
{
    const auto sticky = Add("Clock", Rect::FromSize(800, 10, 200, 100));
    options.Update([](Options& o) { o.stickyWindows.Add("Clock", true); });
    Show();
    ASSERT_EQ(MiniatureOf(sticky), (Rect{78, 1, 98, 11}));
    const auto other = Add("other", Rect::FromSize(10, 10, 100, 100));
    Rect otherWhenFrameRepainted;
    surface.ForgetPaints();

    struct Probe final : SwitchListener
    {
        std::function<void()> seen;
        void DesktopSwitching(Point, Point) override { seen(); }
    } probe;
    // Listeners are told in subscription order: the monitor's frame is set by now.
    probe.seen = [&] { otherWhenFrameRepainted = surface.repainted.empty() ? Rect{} : RectOfWindow(other); };
    state.Grid.Subscribe(probe);
    EXPECT_TRUE(engine.DrawGrid1SelectCell(2, 1));
    state.Grid.Unsubscribe(probe);
    EXPECT_EQ(otherWhenFrameRepainted, Rect::FromSize(10, 10, 100, 100)) << "the frame moved before any window";
    EXPECT_EQ(model.FocusFrame(), (Rect{199, 74, 301, 151}));
    EXPECT_EQ(model.CoordinateLabel(), "(1,2)");
    EXPECT_EQ(MiniatureOf(sticky), (Rect{278, 76, 298, 86})) << "the sticky window's miniature follows at once";
    ASSERT_FALSE(surface.reported.empty());
    EXPECT_EQ(surface.reported.back().changed, (std::vector<std::size_t>{0}));

    EXPECT_FALSE(model.MoveMiniature(0x999999, {0, 0, 1, 1}));
}

TEST_F(MonitorModelTest, CloseWhenSelectedHidesTheMonitorAfterEverySwitch)
{
    Show();
    const auto w = Add("w", Rect::FromSize(W + 10, 10, 100, 100));
    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_EQ(surface.hides, 0);
    options.Update([](Options& o) { o.closeWhenSelected = true; });
    bool movedWhenHidden = false;
    surface.onHide = [&]
    {
        movedWhenHidden = desktop.GetWindowRect(w)->left == 10;
        model.FormHide();
    };
    engine.DrawGrid1SelectCell(0, 0);
    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_EQ(surface.hides, 2);
    EXPECT_TRUE(movedWhenHidden) << "hidden once the windows have moved";
    EXPECT_FALSE(model.Shown());
}

TEST_F(MonitorModelTest, ColourCommandsRepaintAsTheirColoursNeed)
{
    Add("a");
    Show();

    model.ApplyColorCommand(GridColorCommand::Line, std::nullopt);
    EXPECT_EQ(surface.fullRepaints, 1) << "the grid lines repaint even after a cancel";
    model.ApplyColorCommand(GridColorCommand::Line, 0x00FF00);
    EXPECT_EQ(model.Colors().LineColor, 0x00FF00);

    surface.ForgetPaints();
    model.ApplyColorCommand(GridColorCommand::Highlight, 0x0000FF);
    EXPECT_EQ(model.Colors().HilightColor, 0x0000FF);
    EXPECT_EQ(surface.fullRepaints, 0);
    EXPECT_TRUE(surface.repainted.empty()) << "the frame shows the colour at its next paint";

    model.ApplyColorCommand(GridColorCommand::Fill, std::nullopt);
    EXPECT_TRUE(surface.reported.empty());
    model.ApplyColorCommand(GridColorCommand::Fill, 0x123456);
    EXPECT_EQ(model.Miniatures().Items()[0].color, 0x123456);
    ASSERT_EQ(surface.reported.size(), 1u);
    EXPECT_EQ(surface.reported[0].dirty.size(), 1u);
    Add("b");
    model.UpdateMiniatures();
    EXPECT_EQ(model.Miniatures().Items()[1].color, 0x123456) << "new miniatures take the new fill colour";
}

TEST_F(MonitorModelTest, AStoredGridSizeInHexLaysOutTheGridAndAnUnreadableOneLeavesIt)
{
    sim::SimRegistry registry;
    const std::string key = "Software\\zimdesk.ini\\Options";
    registry.SetRaw(key, "SizeX", RegistryType::String, "0x4");
    SettingsStore store(registry);
    ASSERT_TRUE(store.LoadPartTwo(options, "C:\\Zim"));
    EXPECT_EQ(model.Grid().Columns(), 4);
    EXPECT_EQ(model.Grid().Rows(), 3);

    registry.SetRaw(key, "SizeX", RegistryType::String, "abc");
    registry.SetRaw(key, "SizeY", RegistryType::String, "");
    ASSERT_TRUE(store.LoadPartTwo(options, "C:\\Zim"));
    EXPECT_EQ(model.Grid().Columns(), 4);
    EXPECT_EQ(model.Grid().Rows(), 3);
    EXPECT_EQ(options.Get().sizeXText, "abc");
}

} // namespace
} // namespace zim

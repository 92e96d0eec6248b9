// What the user does with the monitor, against the simulated desktop: presses
// that switch, the right drag that carries a real window along, the programs
// popup, moving the monitor itself, and the skin buttons.

#include "monitor/monitor_interaction.h"
#include "monitor/programs_list.h"
#include "monitor_fixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zim
{
namespace
{

using sim::WindowSetup;
using testing::MonitorTest;

constexpr int W = MonitorTest::W;
constexpr int H = MonitorTest::H;

// Records what the handlers ask of the windows; the popup reports its showing
// and hiding back as the real one does.
class FakeInteractionSurface final : public InteractionSurface
{
public:
    Point GridToScreen(Point g) const override { return {g.x + origin.x, g.y + origin.y}; }
    // Under the natural look the grid area fills the client area.
    Point ClientToScreen(Point c) const override { return GridToScreen(c); }
    void RepaintClient(const Rect& area) override { repainted.push_back(area); }
    void ShowProgramsPopup(const std::vector<std::string>& titles, const Rect& bounds) override
    {
        popupTitles = titles;
        popupBounds = bounds;
        popupShown = true;
        interaction->ProgramsPopupShown(true);
    }
    void HideProgramsPopup() override
    {
        if (popupShown)
        {
            popupShown = false;
            interaction->ProgramsPopupShown(false);
        }
    }
    void SetMonitorTopmost(bool topmost) override { topmostCalls.push_back(topmost); }
    void BringToFront() override { ++fronts; }
    void BeginMonitorMove() override { ++monitorMoves; }

    MonitorInteraction* interaction = nullptr;
    Point origin{500, 300}; // the grid area's top-left corner on the screen
    std::vector<std::string> popupTitles;
    Rect popupBounds;
    bool popupShown = false;
    std::vector<bool> topmostCalls;
    std::vector<Rect> repainted;
    int fronts = 0;
    int monitorMoves = 0;
};

class MonitorInteractionTest : public testing::MonitorTest
{
protected:
    MonitorInteractionTest()
    {
        // The bottom-most window never gets a miniature.
        Add("bottom", Rect::FromSize(0, 0, W, H));
        // The monitor itself, at the bottom right of the shown desktop: miniature (88, 63, 98, 73).
        surface.handle = Add("Zim Desk monitor", Rect::FromSize(900, 650, 100, 100));
        surface.bounds = Rect::FromSize(500, 280, 320, 260);
        engine.SetMonitorWindow(surface.handle);
        inputTimer = desktop.CreateTimer(50, [] {});
        inputTimer->SetEnabled(true);
        engine.SetInputTimer(inputTimer.get());
        interaction.SetInputTimer(inputTimer.get());
        ui.interaction = &interaction;
    }

    Point Pos(WindowHandle w)
    {
        const Rect r = desktop.GetWindowRect(w).value_or(Rect{});
        return {r.left, r.top};
    }
    // Both timers that a drag holds off are running.
    bool TimersOn() const { return model.RefreshEnabled() && inputTimer->IsEnabled(); }

    FakeInteractionSurface ui;
    testing::RecordingCommands commands;
    MonitorInteraction interaction{desktop, options, engine, hideMode, model, ui, commands};
    std::unique_ptr<Timer> inputTimer;
};

// --- where a grid position puts a window ---

TEST(MonitorPosToScreenTest, ScalesByTheGridWidthPerDesktopAndRoundsHalvesToEven)
{
    const Size screen{W, H};
    const GridGeometry exact({300, 225}, 3, 3);
    EXPECT_EQ(MonitorPosToScreen(screen, exact, {0, 0}, {100, 75}), (Point{W, H}));
    EXPECT_EQ(MonitorPosToScreen(screen, exact, {1, 1}, {100, 75}), (Point{0, 0})) << "relative to the shown desktop";

    // 301 x 226 still gives cells of 100 x 75, but the scale is 301 / 3 per desktop:
    // a cell's corner lies short of the next desktop.
    const GridGeometry wider({301, 226}, 3, 3);
    EXPECT_EQ(MonitorPosToScreen(screen, wider, {0, 0}, {100, 75}), (Point{1021, 765}));

    // Half a pixel per grid pixel: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2, -1.5 -> -2.
    const GridGeometry halves({2048, 1536}, 1, 1);
    EXPECT_EQ(MonitorPosToScreen(screen, halves, {0, 0}, {5, 7}), (Point{2, 4}));
    EXPECT_EQ(MonitorPosToScreen(screen, halves, {0, 0}, {-5, -3}), (Point{-2, -2}));

    EXPECT_FALSE(MonitorPosToScreen(screen, GridGeometry({0, 0}, 3, 3), {0, 0}, {10, 10}))
        << "no grid area laid out yet";
}

// --- the drag ---

TEST_F(MonitorInteractionTest, ARightDragCarriesTheWindowLiveAndOnlyTheRightReleaseEndsIt)
{
    const auto a = Add("a", Rect::FromSize(100, 100, 400, 300));
    model.FormShow();
    ASSERT_EQ(MiniatureOf(a), (Rect{10, 10, 49, 39}));

    interaction.MouseDown(MouseButton::Right, {20, 20});
    EXPECT_TRUE(interaction.Dragging());
    EXPECT_TRUE(interaction.WantsCapture());
    EXPECT_FALSE(model.RefreshEnabled());
    EXPECT_FALSE(inputTimer->IsEnabled());

    // The grab offset (10, 10) is kept; 35 -> 3 * 1024 * 35 / 300 = 358.4, 10 -> 102.4.
    interaction.MouseMove({45, 20}, true);
    EXPECT_EQ(MiniatureOf(a), (Rect{35, 10, 74, 39}));
    EXPECT_EQ(Pos(a), (Point{358, 102})) << "the window follows at once";

    interaction.MouseUp(MouseButton::Left, {45, 20});
    EXPECT_TRUE(interaction.Dragging()) << "a left release does not end a right drag";

    // A jump off the miniature moves only the miniature; the next move, on it, the window too.
    interaction.MouseMove({119, 20}, true);
    EXPECT_EQ(MiniatureOf(a), (Rect{109, 10, 148, 39}));
    EXPECT_EQ(Pos(a), (Point{358, 102}));
    interaction.MouseMove({120, 20}, true);
    EXPECT_EQ(Pos(a), (Point{1126, 102}));

    interaction.MouseUp(MouseButton::Right, {120, 20});
    EXPECT_FALSE(interaction.Dragging());
    EXPECT_FALSE(interaction.WantsCapture());
    EXPECT_EQ(Pos(a), (Point{1126, 102})) << "one screen width to the right, off the shown screen";
    EXPECT_TRUE(TimersOn());
    EXPECT_EQ(ui.fronts, 1);

    model.UpdateMiniatures();
    EXPECT_EQ(model.Grid().CellAt({MiniatureOf(a).left, MiniatureOf(a).top}), (Cell{1, 0}));
}

TEST_F(MonitorInteractionTest, ADroppedMaximisedWindowsFrameLiesJustOutsideItsNewDesktop)
{
    WindowSetup setup;
    setup.title = "maximised";
    setup.rect = Rect::FromSize(-4, -4, W + 8, H + 8);
    setup.maximized = true;
    const auto big = desktop.AddWindow(setup);
    model.FormShow();
    ASSERT_EQ(MiniatureOf(big), (Rect{0, 0, 100, 75}));

    interaction.MouseDown(MouseButton::Right, {50, 40});
    interaction.MouseMove({150, 40}, true);
    interaction.MouseUp(MouseButton::Right, {150, 40});
    EXPECT_EQ(Pos(big), (Point{W - 4, -4}));
}

TEST_F(MonitorInteractionTest, AWindowThatHangsOrDiesDuringADragIsLeftWhereItIs)
{
    const auto hung = Add("hung", Rect::FromSize(100, 100, 400, 300));
    model.FormShow();
    desktop.HangUntil(hung, desktop.NowMs() + 60000);
    interaction.MouseDown(MouseButton::Right, {20, 20});
    interaction.MouseMove({40, 20}, true);
    interaction.MouseMove({60, 20}, true);
    interaction.MouseUp(MouseButton::Right, {60, 20});
    EXPECT_EQ(Pos(hung), (Point{100, 100}));
    EXPECT_EQ(desktop.BlockedMoveCount(), 0) << "never waits on a hung window beyond the probe";
    EXPECT_EQ(MiniatureOf(hung).left, 50) << "its miniature shows the drop until the next refresh";
    EXPECT_TRUE(TimersOn());

    const auto doomed = Add("doomed", Rect::FromSize(100, 400, 400, 300)); // miniature (10, 39, 49, 68)
    model.UpdateMiniatures();
    interaction.MouseDown(MouseButton::Right, {20, 50});
    ASSERT_TRUE(interaction.Dragging());
    desktop.DestroyWindow(doomed);
    interaction.MouseMove({40, 50}, true);
    interaction.MouseUp(MouseButton::Right, {40, 50});
    EXPECT_FALSE(interaction.Dragging());
    EXPECT_TRUE(TimersOn());
    model.UpdateMiniatures();
    EXPECT_EQ(model.FindMiniature(doomed), nullptr);
}

TEST_F(MonitorInteractionTest, TheMonitorsOwnMiniatureAndTheOptionsDialogsCannotBeDragged)
{
    const auto dialog = Add("Options", Rect::FromSize(300, 500, 200, 100)); // miniature (29, 49, 49, 59)
    interaction.SetOptionsDialogWindow(dialog);
    model.FormShow();

    for (const Point p : {Point{90, 65}, Point{35, 52}})
    {
        interaction.MouseDown(MouseButton::Right, p);
        EXPECT_FALSE(interaction.Dragging());
        EXPECT_FALSE(interaction.WantsCapture());
        EXPECT_TRUE(TimersOn());
    }
    EXPECT_FALSE(ui.popupShown) << "a press on a miniature never opens the popup";
}

TEST_F(MonitorInteractionTest, AWindowHeldHiddenIsMovedToItsMiniatureAndShownWhenPressed)
{
    options.Update([](Options& o) { o.compatibilityClasses.Add("Roller", true); });
    const auto held = Add("roller", {0, 0, 410, 307}, "Roller");
    hideMode.HideModeMove(held, W, 0); // sent to desktop (1, 0): hidden, parked on the shown screen
    ASSERT_FALSE(desktop.IsWindowVisible(held));
    model.FormShow();
    ASSERT_EQ(MiniatureOf(held), (Rect{100, 0, 140, 30}));

    interaction.MouseDown(MouseButton::Right, {120, 20});
    EXPECT_TRUE(desktop.IsWindowVisible(held));
    EXPECT_FALSE(hideMode.HideWndList().front().second->hidden);
    EXPECT_EQ(Pos(held), (Point{W, 0}));
    EXPECT_EQ(interaction.DraggedWindow(), held);
}

TEST_F(MonitorInteractionTest, ALostReleaseALostMouseOrTheProgramsEndNeverLeaveTheTimersOff)
{
    const auto a = Add("a", Rect::FromSize(100, 100, 400, 300));
    model.FormShow();

    interaction.MouseDown(MouseButton::Right, {20, 20});
    interaction.MouseMove({70, 20}, false); // the release went to another window
    EXPECT_FALSE(interaction.Dragging());
    EXPECT_TRUE(TimersOn());

    interaction.MouseDown(MouseButton::Right, {20, 20});
    interaction.CaptureLost();
    EXPECT_FALSE(interaction.Dragging());
    EXPECT_TRUE(TimersOn());

    // A second press before any move: the first drag is finished, not stacked.
    interaction.MouseDown(MouseButton::Right, {20, 20});
    interaction.MouseDown(MouseButton::Right, {20, 20});
    interaction.MouseUp(MouseButton::Right, {20, 20});
    EXPECT_FALSE(interaction.Dragging());
    EXPECT_TRUE(TimersOn());

    // At the program's end the windows are being gathered: no further move.
    interaction.MouseDown(MouseButton::Right, {20, 20});
    interaction.MouseMove({40, 20}, true);
    const int moves = desktop.MoveCount(a);
    ASSERT_GT(moves, 0);
    interaction.Reset();
    EXPECT_FALSE(interaction.Dragging());
    EXPECT_EQ(desktop.MoveCount(a), moves);
}

TEST_F(MonitorInteractionTest, APointerLeavingTheGridLeavesTheMiniatureUnderItsLastPlaceInside)
{
    const auto a = Add("a", Rect::FromSize(100, 100, 400, 300));
    model.FormShow();
    interaction.MouseDown(MouseButton::Right, {20, 20});
    interaction.MouseMove({40, 20}, true);
    interaction.MouseMove({5000, -300}, true); // the window holds the mouse: far outside
    interaction.MouseUp(MouseButton::Right, {5000, -300});

    EXPECT_TRUE(MiniatureOf(a).Contains({299, 0}));
    const Rect r = desktop.GetWindowRect(a).value_or(Rect{});
    // Still on desktop (2, 0), where the monitor shows it and can drag it again.
    EXPECT_TRUE(r.left < 3 * W && r.right > 2 * W && r.top < H && r.bottom > 0) << r.left << "," << r.top;
}

// --- presses that switch ---

TEST_F(MonitorInteractionTest, LeftOrMiddlePressesSwitchToTheCellUnderThePointExceptOnTheFrame)
{
    options.Update([](Options& o) { o.soundFile = "switch.wav"; }); // one sound per switch
    Add("a", Rect::FromSize(100, 100, 400, 300));                   // miniature (10, 10, 49, 39)
    Add("wide", Rect::FromSize(900, 300, 400, 200));                // miniature (88, 29, 127, 49), over two cells
    model.FormShow();
    const auto switches = [&] { return desktop.SoundsPlayed().size(); };

    interaction.MouseDown(MouseButton::Left, {60, 60});
    EXPECT_EQ(switches(), 0u) << "the highlight frame covers the shown cell";

    interaction.MouseDown(MouseButton::Left, {20, 20});
    EXPECT_EQ(switches(), 1u) << "a miniature in the shown cell switches to it again";
    EXPECT_EQ(Current(), (Point{0, 0}));

    interaction.MouseDown(MouseButton::Middle, {110, 40});
    EXPECT_EQ(Current(), (Point{1, 0})) << "the cell under the point, not the window's";

    interaction.MouseDown(MouseButton::Left, {250, 200});
    EXPECT_EQ(Current(), (Point{2, 2}));
    EXPECT_EQ(switches(), 3u);

    surface.client = {302, 227};
    model.Desktopsize1Click();
    interaction.MouseDown(MouseButton::Left, {301, 100});
    EXPECT_EQ(switches(), 3u) << "the strip right of the last whole cell is no cell";
    EXPECT_FALSE(interaction.WantsCapture());
}

// --- the programs popup ---

TEST_F(MonitorInteractionTest, ARightPressBesideTheMiniaturesListsThatDesktopWhileTheButtonIsHeld)
{
    Add("Bravo", Rect::FromSize(W + 100, 100, 300, 200));
    Add("alpha", Rect::FromSize(W + 500, 300, 300, 200));
    Add("here", Rect::FromSize(100, 100, 400, 300));
    model.FormShow();

    interaction.MouseDown(MouseButton::Right, {150, 60});
    EXPECT_EQ(ui.popupTitles, (std::vector<std::string>{"alpha", "Bravo"}));
    EXPECT_EQ(ui.popupBounds, (Rect{650 - 168, 360, 650, 360 + 26}));
    EXPECT_EQ(ui.topmostCalls, (std::vector<bool>{false})) << "the popup may lie above the monitor";
    EXPECT_TRUE(interaction.WantsCapture());
    EXPECT_FALSE(interaction.Dragging());

    interaction.MouseUp(MouseButton::Left, {150, 60});
    EXPECT_TRUE(ui.popupShown);
    interaction.MouseUp(MouseButton::Right, {150, 60});
    EXPECT_FALSE(ui.popupShown);
    EXPECT_EQ(ui.topmostCalls, (std::vector<bool>{false, true})) << "back to the option";

    // In the shown cell, on the frame: the shown desktop, without the monitor itself.
    options.Update([](Options& o) { o.alwaysOnTop = false; });
    ui.origin = {0, 0};
    interaction.MouseDown(MouseButton::Right, {60, 60});
    EXPECT_EQ(ui.popupTitles, (std::vector<std::string>{"bottom", "here"}));
    EXPECT_EQ(ui.popupBounds.left, 0) << "never past the left screen edge";
    interaction.MouseMove({61, 60}, false); // released somewhere the monitor did not hear
    EXPECT_FALSE(ui.popupShown);
    EXPECT_FALSE(ui.topmostCalls.back());

    interaction.MouseDown(MouseButton::Right, {250, 200});
    EXPECT_TRUE(ui.popupTitles.empty());
    EXPECT_EQ(ui.popupBounds.Height(), 0);
}

// --- moving the monitor and the buttons ---

TEST_F(MonitorInteractionTest, TheLabelAndTheBackgroundMoveTheMonitorUnlessTheSkinEditorIsOpen)
{
    model.FormShow();
    interaction.Label2MouseDown();
    interaction.Image1MouseDown();
    EXPECT_EQ(ui.monitorMoves, 2);

    interaction.SetSkinEditing(true);
    interaction.Label2MouseDown();
    interaction.Image1MouseDown();
    EXPECT_EQ(ui.monitorMoves, 2);
    interaction.Panel3MouseDown();
    EXPECT_EQ(ui.monitorMoves, 3) << "the editor's title bar moves it";

    interaction.MouseDown(MouseButton::Left, {250, 200});
    interaction.MouseDown(MouseButton::Right, {250, 200});
    EXPECT_EQ(Current(), (Point{0, 0})) << "grid presses belong to the editor";
    EXPECT_FALSE(ui.popupShown);
}

TEST_F(MonitorInteractionTest, CommandButtonsHideTheMonitorOrAskForHelpAnOptionsPageOrTheMenu)
{
    model.FormShow();
    commands.onHideMonitor = [this] { model.HideMonitor(); };

    interaction.SpeedButton8Click();
    interaction.SpeedButton7Click();
    interaction.SpeedButton3Click();
    interaction.SpeedButton4Click();
    interaction.SpeedButton2Click({10, 20, 30, 40});
    EXPECT_EQ(commands.log, std::vector<std::string>{"help"});
    EXPECT_EQ(commands.pages,
              (std::vector<OptionsPage>{OptionsPage::About, OptionsPage::StickyWindows, OptionsPage::GeneralOptions}));
    EXPECT_EQ(commands.menus, (std::vector<Point>{{10, 40}})) << "at the button's lower-left corner";

    interaction.SpeedButton1Click();
    EXPECT_EQ(commands.log, (std::vector<std::string>{"help", "hide monitor"}));
    EXPECT_EQ(surface.hides, 1);
    EXPECT_FALSE(model.Shown());
}

TEST_F(MonitorInteractionTest, IconDesktopButtonsRecordTheChosenSetAndFollowTheOption)
{
    int heard = 0;
    options.Subscribe({Option::IconDesktop}, [&](const Options&, const OptionSet&) { ++heard; });
    EXPECT_EQ(interaction.IconDesktopDown(), 1) << "button 1 is down at first";

    interaction.IconDesktopClick(4);
    EXPECT_EQ(options.Get().iconDesktop, 4);
    EXPECT_EQ(heard, 1) << "the tray menu hears of it";
    EXPECT_EQ(interaction.IconDesktopDown(), 4);

    interaction.IconDesktopClick(0);
    interaction.IconDesktopClick(7);
    EXPECT_EQ(options.Get().iconDesktop, 4);
    EXPECT_EQ(heard, 1);

    options.Update([](Options& o) { o.iconDesktop = 2; }); // chosen in the tray menu
    EXPECT_EQ(interaction.IconDesktopDown(), 2);
    options.Update([](Options& o) { o.iconDesktop = 7; }); // a stored value out of range
    EXPECT_EQ(interaction.IconDesktopDown(), 0);
}

// --- the skinned monitor: presses routed by the layout ---

class SkinnedInteractionTest : public MonitorInteractionTest
{
protected:
    SkinnedInteractionTest()
    {
        // A 300 x 250 bitmap: grid area at (10, 20), 240 x 180 (cells of 80 x 60),
        // the label at (10, 220), the buttons in their default row at y = 101..117
        // moved down to y = 220 here.
        skins::SkinLayout skin;
        skin.backgroundFile = "face.bmp";
        skin.grid.bounds = Rect::FromSize(10, 20, 240, 180);
        skin.coordinates.bounds = Rect::FromSize(10, 220, 30, 14);
        for (skins::SkinButton& b : skin.buttons)
        {
            b.bounds = Rect::FromSize(50 + 17 * static_cast<int>(b.n), 220, 16, 16);
        }
        surface.client = {300, 250};
        model.ApplyBitmapSkin(skin, {300, 250});
        model.FormShow();
        ui.origin = {500, 300}; // the client area's corner on the screen, here
    }

    Point ButtonCentre(std::size_t n) const
    {
        const Rect b = model.Layout().ButtonBounds(n);
        return {b.left + 8, b.top + 8};
    }
    void Click(std::size_t n)
    {
        interaction.ClientMouseDown(MouseButton::Left, ButtonCentre(n));
        interaction.ClientMouseUp(MouseButton::Left, ButtonCentre(n));
    }
};

TEST_F(SkinnedInteractionTest, EachButtonRunsItsCommandOnAPressAndAReleaseOnIt)
{
    commands.onHideMonitor = [this] { model.HideMonitor(); };
    Click(1);  // Help
    Click(2);  // About
    Click(3);  // Sticky Windows
    Click(4);  // Options
    Click(11); // Menu
    EXPECT_EQ(commands.log, std::vector<std::string>{"help"});
    EXPECT_EQ(commands.pages,
              (std::vector<OptionsPage>{OptionsPage::About, OptionsPage::StickyWindows, OptionsPage::GeneralOptions}));
    const Rect menu = model.Layout().ButtonBounds(11);
    EXPECT_EQ(commands.menus, (std::vector<Point>{{500 + menu.left, 300 + menu.bottom}}))
        << "the main menu at the button's lower-left corner on the screen";

    // The icon desktop buttons in the file's order: 5, 1, 3, 4, 6, 2.
    const int sets[] = {5, 1, 3, 4, 6, 2};
    for (std::size_t n = 5; n <= 10; ++n)
    {
        Click(n);
        EXPECT_EQ(options.Get().iconDesktop, sets[n - 5]) << n;
        EXPECT_TRUE(interaction.ButtonDown(n)) << "the chosen set's button stays down";
        EXPECT_FALSE(interaction.ButtonDown(n == 5 ? 6 : 5));
    }

    Click(0); // Close Desktop Monitor
    EXPECT_EQ(commands.log, (std::vector<std::string>{"help", "hide monitor"}));
    EXPECT_FALSE(model.Shown());
}

TEST_F(SkinnedInteractionTest, AButtonClicksOnlyWhenReleasedOnItselfAndWithTheLeftButton)
{
    // Released beside it, or on another button: no click.
    interaction.ClientMouseDown(MouseButton::Left, ButtonCentre(2));
    EXPECT_TRUE(interaction.WantsCapture()) << "the release must come back here";
    EXPECT_TRUE(interaction.ButtonDown(2));
    interaction.ClientMouseMove({5, 5}, false);
    EXPECT_FALSE(interaction.ButtonDown(2)) << "looks up while the pointer is off it";
    interaction.ClientMouseUp(MouseButton::Left, {5, 5});
    interaction.ClientMouseDown(MouseButton::Left, ButtonCentre(2));
    interaction.ClientMouseUp(MouseButton::Left, ButtonCentre(3));
    EXPECT_TRUE(commands.pages.empty());
    EXPECT_FALSE(interaction.WantsCapture());

    // Right and middle presses do nothing on a button; a lost release is no click.
    interaction.ClientMouseDown(MouseButton::Right, ButtonCentre(2));
    interaction.ClientMouseUp(MouseButton::Right, ButtonCentre(2));
    interaction.ClientMouseDown(MouseButton::Middle, ButtonCentre(2));
    interaction.ClientMouseUp(MouseButton::Middle, ButtonCentre(2));
    interaction.ClientMouseDown(MouseButton::Left, ButtonCentre(2));
    interaction.CaptureLost();
    interaction.ClientMouseUp(MouseButton::Left, ButtonCentre(2));
    EXPECT_TRUE(commands.pages.empty());
    EXPECT_TRUE(commands.menus.empty());

    // In the skin editor the buttons are the editor's.
    interaction.SetSkinEditing(true);
    Click(2);
    EXPECT_TRUE(commands.pages.empty());
}

TEST_F(SkinnedInteractionTest, GridPressesAreInGridAreaCoordinatesAndTheRestMovesTheMonitor)
{
    // Cell (1, 1) of the grid lies at client (90..170, 80..140).
    interaction.ClientMouseDown(MouseButton::Left, {95, 85});
    interaction.ClientMouseUp(MouseButton::Left, {95, 85});
    EXPECT_EQ(Current(), (Point{1, 1}));
    // The strip left of the grid area is background, not column 0.
    interaction.ClientMouseDown(MouseButton::Left, {5, 85});
    EXPECT_EQ(Current(), (Point{1, 1}));
    EXPECT_EQ(ui.monitorMoves, 1);

    interaction.ClientMouseDown(MouseButton::Right, {15, 225}); // the label, any button
    EXPECT_EQ(ui.monitorMoves, 2);
    interaction.ClientMouseDown(MouseButton::Right, {290, 240}); // the background's context menu
    EXPECT_EQ(ui.monitorMoves, 2);
    EXPECT_EQ(commands.menus, (std::vector<Point>{{790, 540}}));
    interaction.ClientMouseDown(MouseButton::Left, {400, 400}); // outside the client area
    EXPECT_EQ(ui.monitorMoves, 2);

    // A right press in the grid opens the programs popup at the pointer; a
    // release anywhere closes it.
    interaction.ClientMouseDown(MouseButton::Right, {10 + 2 * 80 + 70, 20 + 50});
    EXPECT_TRUE(ui.popupShown);
    interaction.ClientMouseUp(MouseButton::Right, {0, 0});
    EXPECT_FALSE(ui.popupShown);
}

TEST_F(SkinnedInteractionTest, TheButtonUnderThePointerIsLitAndRepaintedWhenItChanges)
{
    interaction.ClientMouseMove(ButtonCentre(4), false);
    EXPECT_EQ(interaction.HotButton(), std::optional<std::size_t>(4));
    EXPECT_EQ(ui.repainted, std::vector<Rect>{model.Layout().ButtonBounds(4)});
    interaction.ClientMouseMove(ButtonCentre(4), false);
    EXPECT_EQ(ui.repainted.size(), 1u) << "nothing changed";
    interaction.ClientMouseMove(ButtonCentre(5), false);
    EXPECT_EQ(ui.repainted.size(), 3u) << "the old and the new one";
    interaction.PointerLeft();
    EXPECT_EQ(interaction.HotButton(), std::nullopt);
    EXPECT_EQ(ui.repainted.back(), model.Layout().ButtonBounds(5));

    // The tray menu choosing a set repaints the six set buttons.
    surface.ForgetPaints();
    options.Update([](Options& o) { o.iconDesktop = 3; });
    EXPECT_EQ(surface.repaintedClient.size(), 6u);
}

} // namespace
} // namespace zim

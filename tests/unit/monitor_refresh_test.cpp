// What the monitor's refresh and its part of a switch ask of the window system:
// one question per window for an unchanged desktop, a class name once per
// handle, and every change still seen at the next tick, also when a handle
// value comes back for another window.

#include "monitor_fixture.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace zim
{
namespace
{

// The simulated desktop as the monitor sees it, with handle values the system
// can hand out again: once a window is gone, GiveValue makes its value name a
// new window, as a real system may after a while. Counts what the monitor asks.
class ReusedHandles final : public WindowSystem
{
public:
    explicit ReusedHandles(sim::SimDesktop& sim) : m_sim(sim) {}

    void GiveValue(WindowHandle value, WindowHandle simWindow)
    {
        m_toSim[value] = simWindow;
        m_fromSim[simWindow] = value;
    }
    int classNames = 0;
    int captions = 0;
    int states = 0;
    int zOrder = 0; // questions about the z-order: a whole list or one step
    void ResetCounts() { classNames = captions = states = zOrder = 0; }
    // Called before a window's state is read, as if another program acted meanwhile.
    std::function<void(WindowHandle)> beforeState;

    void EnumWindows(FunctionRef<bool(WindowHandle)> callback) override
    {
        ++zOrder;
        m_sim.EnumWindows([&](WindowHandle w) { return callback(Out(w)); });
    }
    WindowHandle GetTopWindow() override { return ++zOrder, Out(m_sim.GetTopWindow()); }
    WindowHandle GetNextWindow(WindowHandle w) override { return ++zOrder, Out(m_sim.GetNextWindow(In(w))); }
    WindowHandle GetPrevWindow(WindowHandle w) override { return ++zOrder, Out(m_sim.GetPrevWindow(In(w))); }
    WindowHandle GetLastWindow(WindowHandle w) override { return ++zOrder, Out(m_sim.GetLastWindow(In(w))); }
    WindowHandle GetDesktopWindow() override { return m_sim.GetDesktopWindow(); }
    bool IsWindow(WindowHandle w) override { return ++states, m_sim.IsWindow(In(w)); }
    bool IsWindowVisible(WindowHandle w) override { return ++states, m_sim.IsWindowVisible(In(w)); }
    bool IsIconic(WindowHandle w) override { return ++states, m_sim.IsIconic(In(w)); }
    bool IsZoomed(WindowHandle w) override { return ++states, m_sim.IsZoomed(In(w)); }
    std::optional<Rect> GetWindowRect(WindowHandle w) override { return ++states, m_sim.GetWindowRect(In(w)); }
    std::optional<WindowState> GetWindowState(WindowHandle w) override
    {
        if (beforeState)
        {
            beforeState(w);
        }
        return ++states, m_sim.GetWindowState(In(w));
    }
    std::string GetClassName(WindowHandle w) override { return ++classNames, m_sim.GetClassName(In(w)); }
    std::string GetWindowText(WindowHandle w) override { return ++captions, m_sim.GetWindowText(In(w)); }
    std::uint32_t GetWindowProcessId(WindowHandle w) override { return m_sim.GetWindowProcessId(In(w)); }
    bool MoveWindow(WindowHandle w, Point p) override { return m_sim.MoveWindow(In(w), p); }
    bool MoveWindowAsync(WindowHandle w, Point p) override { return m_sim.MoveWindowAsync(In(w), p); }
    void ShowWindow(WindowHandle w, ShowCommand c) override { m_sim.ShowWindow(In(w), c); }
    void ShowWindowAsync(WindowHandle w, ShowCommand c) override { m_sim.ShowWindowAsync(In(w), c); }
    void BringWindowToTop(WindowHandle w) override { m_sim.BringWindowToTop(In(w)); }
    bool SetForegroundWindow(WindowHandle w) override { return m_sim.SetForegroundWindow(In(w)); }
    WindowHandle GetForegroundWindow() override { return Out(m_sim.GetForegroundWindow()); }
    void SetActiveWindow(WindowHandle w) override { m_sim.SetActiveWindow(In(w)); }
    bool ProbeWindow(WindowHandle w, unsigned ms) override { return m_sim.ProbeWindow(In(w), ms); }
    std::optional<std::intptr_t> HitTest(WindowHandle w, Point p, unsigned ms) override
    {
        return m_sim.HitTest(In(w), p, ms);
    }
    Point GetCursorPos() override { return m_sim.GetCursorPos(); }
    void SetCursorPos(Point p) override { m_sim.SetCursorPos(p); }
    std::int16_t GetKeyState(int key) override { return m_sim.GetKeyState(key); }
    std::int16_t GetAsyncKeyState(int key) override { return m_sim.GetAsyncKeyState(key); }
    Size GetScreenSize() override { return m_sim.GetScreenSize(); }
    Rect GetWorkArea() override { return m_sim.GetWorkArea(); }
    int GetCaptionFrameHeight() override { return m_sim.GetCaptionFrameHeight(); }
    std::uint32_t RegisterWindowMessage(const std::string& name) override { return m_sim.RegisterWindowMessage(name); }

private:
    WindowHandle In(WindowHandle w) const
    {
        const auto it = m_toSim.find(w);
        return it == m_toSim.end() ? w : it->second;
    }
    WindowHandle Out(WindowHandle w) const
    {
        const auto it = m_fromSim.find(w);
        return it == m_fromSim.end() ? w : it->second;
    }

    sim::SimDesktop& m_sim;
    std::map<WindowHandle, WindowHandle> m_toSim;
    std::map<WindowHandle, WindowHandle> m_fromSim;
};

// Built in steps: mingw's g++ 12 warns falsely on "w" + to_string.
std::string Numbered(const char* prefix, int i)
{
    std::string text = prefix;
    text += std::to_string(i);
    return text;
}

class MonitorRefreshTest : public ::testing::Test
{
protected:
    static constexpr int W = 1024;
    static constexpr int H = 768;

    MonitorRefreshTest()
    {
        surface.onHide = [this] { model.FormHide(); };
        model.Desktopsize1Click();
        Add("bottom", Rect::FromSize(0, 0, W, H)); // never shown
    }

    WindowHandle Add(const std::string& title, Rect rect = Rect::FromSize(100, 100, 400, 300),
                     const std::string& className = "Notepad")
    {
        return testing::AddSimWindow(desktop, title, rect, className);
    }
    Rect MiniatureOf(WindowHandle w) const
    {
        const Miniature* m = model.FindMiniature(w);
        return m ? m->bounds : Rect{-1, -1, -1, -1};
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
    void Tick() { desktop.Advance(MonitorModel::kRefreshMs); }
    void Show()
    {
        model.FormShow();
        surface.ForgetPaints();
    }

    sim::SimDesktop desktop{{W, H}};
    ReusedHandles windows{desktop};
    OptionsModel options;
    EngineState state{desktop};
    HideMode hideMode{desktop, options, state};
    FrozenWindows frozen{desktop, hideMode};
    DesktopEngine engine{desktop, desktop, options, state, hideMode, frozen};
    testing::FakeMonitorSurface surface;
    MonitorModel model{windows, desktop, options, state, hideMode, surface};
};

TEST_F(MonitorRefreshTest, AnUnchangedDesktopCostsOneQuestionPerWindowAndNothingElse)
{
    options.Update([](Options& o) { o.compatibilityClasses.Add("RollUp", true); });
    for (int i = 0; i < 50; ++i)
    {
        // Spread over the nine desktops.
        Add(Numbered("w", i), Rect::FromSize((i % 3) * W + i * 7, ((i / 3) % 3) * H + i * 5, 300, 200));
    }
    const auto minimised = Add("minimised");
    desktop.SetMinimized(minimised, true);
    sim::WindowSetup hiddenSetup;
    hiddenSetup.visible = false;
    desktop.AddWindow(hiddenSetup);
    const auto held = Add("held", {0, 0, 205, 154}, "RollUp");
    hideMode.HideModeMove(held, W, 0); // held hidden for desktop (1, 0)
    Show();
    ASSERT_EQ(model.Miniatures().Size(), 51u) << "fifty live windows and the one held hidden";

    desktop.ResetQueryCounts();
    windows.ResetCounts();
    for (int i = 0; i < 3; ++i)
    {
        Tick();
    }
    // Every window above the bottom one is asked once per tick (the held one
    // also as an entry of the hidden list); nothing else.
    const int walked = 53;
    EXPECT_EQ(windows.states, 3 * (walked + 1));
    EXPECT_EQ(desktop.StateQueries(), 3 * (walked + 1));
    EXPECT_EQ(desktop.ClassNameQueries(), 0);
    EXPECT_EQ(windows.zOrder, 3) << "the z-order in one question a tick";
    EXPECT_EQ(windows.captions, 0);
    EXPECT_TRUE(surface.reported.empty()) << "no miniature created, moved or freed";
    EXPECT_TRUE(surface.repainted.empty());
    EXPECT_EQ(surface.fullRepaints, 0);
}

TEST_F(MonitorRefreshTest, AWindowClosingDuringARefreshCostsOnlyItsOwnMiniature)
{
    const auto a = Add("a", Rect::FromSize(0, 0, 200, 200));
    const auto b = Add("b", Rect::FromSize(300, 0, 200, 200));
    const auto c = Add("c", Rect::FromSize(600, 0, 200, 200));
    const auto d = Add("d", Rect::FromSize(W + 100, 0, 200, 200));
    Show();
    ASSERT_EQ(Tags(), (std::vector<WindowHandle>{a, b, c, d}));

    // b closes just as the refresh comes to it; the windows above it are still seen.
    windows.beforeState = [&](WindowHandle w)
    {
        if (w == b && desktop.IsWindow(b))
        {
            desktop.DestroyWindow(b);
        }
    };
    desktop.SetRect(d, Rect::FromSize(2 * W + 100, 0, 200, 200));
    Tick();
    EXPECT_EQ(Tags(), (std::vector<WindowHandle>{a, c, d}));
    EXPECT_EQ(MiniatureOf(d), (Rect{210, 0, 229, 20})) << "a move above the closed window is seen";
}

TEST_F(MonitorRefreshTest, EveryChangeIsSeenAtTheNextTick)
{
    const auto a = Add("a", Rect::FromSize(0, 0, 200, 200));
    const auto b = Add("b", Rect::FromSize(300, 0, 200, 200));
    const auto c = Add("c", Rect::FromSize(600, 0, 200, 200));
    Show();
    ASSERT_EQ(Tags(), (std::vector<WindowHandle>{a, b, c}));

    desktop.SetRect(b, Rect::FromSize(W + 300, 0, 200, 200)); // onto the next desktop
    Tick();
    EXPECT_EQ(MiniatureOf(b), (Rect{129, 0, 149, 20}));

    desktop.SetMinimized(a, true);
    Tick();
    EXPECT_EQ(Tags(), (std::vector<WindowHandle>{b, c})) << "minimised";
    desktop.SetMinimized(a, false);
    Tick();
    EXPECT_EQ(Tags(), (std::vector<WindowHandle>{a, b, c})) << "restored";

    desktop.ShowWindow(b, ShowCommand::Hide);
    Tick();
    EXPECT_EQ(Tags(), (std::vector<WindowHandle>{a, c})) << "hidden by its application";
    desktop.ShowWindow(b, ShowCommand::ShowNoActivate);
    Tick();

    const auto d = Add("d", Rect::FromSize(0, H, 200, 200));
    Tick();
    EXPECT_EQ(Tags(), (std::vector<WindowHandle>{a, b, c, d})) << "a new window, on top";
    EXPECT_EQ(MiniatureOf(d), (Rect{0, 75, 20, 95}));

    desktop.BringWindowToTop(a);
    Tick();
    EXPECT_EQ(Tags(), (std::vector<WindowHandle>{b, c, d, a})) << "raised";

    desktop.DestroyWindow(c);
    Tick();
    EXPECT_EQ(Tags(), (std::vector<WindowHandle>{b, d, a})) << "destroyed";
}

TEST_F(MonitorRefreshTest, ASwitchAsksAClassOncePerWindowAndACaptionOnlyWhenACaptionCanBeSticky)
{
    options.Update([](Options& o) { o.stickyClasses.Add("Clock", true); });
    const auto clock = Add("clock", Rect::FromSize(800, 10, 200, 100), "Clock");
    const auto draft = Add("Draft", Rect::FromSize(10, 400, 200, 100));
    for (int i = 0; i < 5; ++i)
    {
        Add(Numbered("plain", i), Rect::FromSize(20 * i, 20 * i, 300, 200));
    }
    Show();
    const std::size_t miniatures = model.Miniatures().Size();
    ASSERT_EQ(miniatures, 7u);

    windows.ResetCounts();
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));
    EXPECT_EQ(MiniatureOf(clock), (Rect{178, 1, 198, 11})) << "the sticky window's miniature follows the switch";
    EXPECT_EQ(windows.classNames, static_cast<int>(miniatures));
    EXPECT_EQ(windows.captions, 0) << "no sticky caption is checked";
    EXPECT_EQ(windows.states, 1) << "before any window moves, only the sticky one's place is asked";

    Tick();
    windows.ResetCounts();
    ASSERT_TRUE(engine.DrawGrid1SelectCell(0, 0));
    EXPECT_EQ(MiniatureOf(clock), (Rect{78, 1, 98, 11}));
    EXPECT_EQ(windows.classNames, 0) << "a handle's class is asked once";
    EXPECT_EQ(windows.states, 1);

    // A caption can change, so it is read at every switch once one can make a window sticky.
    options.Update([](Options& o) { o.stickyWindows.Add("Notes", true); });
    desktop.SetTitle(draft, "Notes");
    Tick();
    const Rect draftBefore = MiniatureOf(draft);
    windows.ResetCounts();
    ASSERT_TRUE(engine.DrawGrid1SelectCell(0, 1));
    EXPECT_EQ(MiniatureOf(draft), draftBefore.Offset(0, 75)) << "sticky by its new caption";
    EXPECT_EQ(windows.classNames, 0);
    EXPECT_EQ(windows.captions, static_cast<int>(miniatures) - 1) << "every window not sticky by its class";
}

TEST_F(MonitorRefreshTest, AHandleValueGivenToANewWindowIsClassifiedByItsNewClass)
{
    options.Update([](Options& o) { o.stickyClasses.Add("Clock", true); });
    const auto clock = Add("clock", Rect::FromSize(800, 10, 200, 100), "Clock");
    Show();
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0)); // the clock's class is known now
    ASSERT_EQ(MiniatureOf(clock), (Rect{178, 1, 198, 11}));

    // The clock closes; the next refresh sees it gone, then its value names a plain window.
    desktop.DestroyWindow(clock);
    Tick();
    ASSERT_EQ(model.FindMiniature(clock), nullptr);
    windows.GiveValue(clock, Add("plain", Rect::FromSize(100, 100, 400, 300)));
    Tick();
    const Rect plain = MiniatureOf(clock);
    ASSERT_EQ(plain, (Rect{110, 10, 149, 39}));

    ASSERT_TRUE(engine.DrawGrid1SelectCell(2, 0));
    EXPECT_EQ(MiniatureOf(clock), plain) << "not sticky: its miniature waits for the next refresh";
    Tick();
    EXPECT_EQ(MiniatureOf(clock), plain) << "still on its desktop, now left of the shown one";

    // While hidden the monitor sees no window go: what it knew before counts for nothing.
    const auto clock2 = Add("clock 2", Rect::FromSize(800, 10, 200, 100), "Clock");
    Tick();
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));
    ASSERT_EQ(MiniatureOf(clock2), (Rect{178, 1, 198, 11}));
    model.FormHide();
    desktop.DestroyWindow(clock2);
    windows.GiveValue(clock2, Add("plain 2", Rect::FromSize(100, 400, 400, 300)));
    Show();
    const Rect plain2 = MiniatureOf(clock2);
    ASSERT_EQ(plain2, (Rect{110, 39, 149, 68}));
    ASSERT_TRUE(engine.DrawGrid1SelectCell(2, 0));
    EXPECT_EQ(MiniatureOf(clock2), plain2) << "not sticky";
}

} // namespace
} // namespace zim

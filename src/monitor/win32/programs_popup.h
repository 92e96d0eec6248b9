#pragma once

// TZIM2, the programs popup: a borderless list of the titles of the windows on
// one desktop, shown while the right button is held on that desktop's cell of
// the monitor. Choosing an entry does nothing but close it.

#include "platform/types.h"
#include "platform/win32/handles.h"
#include "platform/win32/window.h"

#include <functional>
#include <string>
#include <vector>

namespace zim::win32
{

class TZIM2 final : public Window
{
public:
    static constexpr const wchar_t* kClassName = L"TZIM2";
    // The height until the first list gives it another.
    static constexpr int kDesignHeight = 240;

    TZIM2() = default;
    ~TZIM2() override = default;

    bool Create();
    // Fills the list in the given order and shows the popup at `bounds` (screen
    // coordinates) above the other windows, without taking the activation.
    void ShowList(const std::vector<std::string>& titles, const Rect& bounds);
    // Hides it; nothing when hidden already.
    void Close();
    bool Shown() const { return m_shown; }

    // FormShow (true, before the popup appears) and FormHide (false, after it is gone).
    std::function<void(bool shown)> onShownChanged;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // A press or a release anywhere in the list closes the popup.
    static LRESULT CALLBACK ListBox1Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);

    HWND ListBox1 = nullptr; // a child: destroyed with the popup
    UniqueFont m_font;
    bool m_shown = false;
};

} // namespace zim::win32

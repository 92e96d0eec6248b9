#pragma once

// TStretchHandle's window: a transparent child window laid over the elements
// it holds, that draws only its grips, turns mouse and arrow-key messages into
// calls on the handle's logic, previews a drag with a dotted rectangle on the
// screen, and hands presses off its children to the window below it.
//
// The elements may be painted parts of the parent window rather than windows:
// the logic's "parent" is an area of the parent window whose top-left corner
// lies at `origin` in the parent's client coordinates.

#include "components/stretch_handle.h"
#include "platform/win32/window.h"

#include <functional>

namespace zim::win32
{

class StretchHandleWindow final : public Window
{
public:
    static constexpr const wchar_t* kClassName = L"TStretchHandle";

    StretchHandleWindow() = default;

    // Hidden and disabled until something is attached.
    bool Create(HWND parent);
    TStretchHandle& Logic() { return m_logic; }
    const TStretchHandle& Logic() const { return m_logic; }

    // Where the elements' area lies in the parent window, and how large it is
    // (a dragged pointer is held inside it).
    void SetArea(Point origin, Size size);

    // Attach and Detach through the window: it follows the logic at once, and
    // an attach takes the mouse and the keyboard focus, so that the press that
    // attached an element goes on as a drag of the handle.
    void Attach(const HandleChild& child);
    void Detach();
    // The window takes the logic's bounds and visibility and is repainted.
    void Sync();
    // The parent repainted `area` (its client coordinates), over the grips.
    void ParentPainted(const RECT& area);

    // After every change of the children's bounds by the mouse or the keys.
    std::function<void()> onChanged;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();
    void OnMouseDown(MouseButton button, LPARAM lParam);
    void OnMouseMove(WPARAM wParam, LPARAM lParam);
    void OnMouseUp(MouseButton button, LPARAM lParam);
    void OnKeyDown(WPARAM key);
    // The press or release, in the parent's coordinates, to the parent.
    void ForwardMouse(bool press, MouseButton button, LPARAM lParam);
    // Draws the preview rectangle anew, or only removes the last one.
    void DrawDragRect(bool draw);
    void Apply(const HandleMouseResult& result);
    RECT ParentRect(const Bounds& b) const;

    TStretchHandle m_logic;
    Point m_origin;
    Size m_size;
    HCURSOR m_cursor = nullptr;
    // The dotted rectangle on the screen, to be drawn again (inverted) to go.
    bool m_previewShown = false;
    RECT m_preview{};
};

} // namespace zim::win32

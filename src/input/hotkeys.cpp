#include "input/hotkeys.h"

namespace zim
{
namespace
{

constexpr unsigned kKeyMask = 0xFF;
constexpr int kFlagShift = 13;
constexpr unsigned kControlFlagShift = 8;
// HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT; HOTKEYF_EXT (8) lies outside.
constexpr unsigned kControlFlags = 0x7;

} // namespace

int HotKeyCodeFromControl(unsigned controlValue)
{
    const unsigned key = controlValue & kKeyMask;
    unsigned flags = (controlValue >> kControlFlagShift) & kControlFlags;
    if (flags != kControlFlags)
    {
        flags = 0;
    }
    return static_cast<int>(key | flags << kFlagShift);
}

unsigned HotKeyControlValue(int code)
{
    const auto bits = static_cast<unsigned>(code);
    return (bits & kKeyMask) | ((bits >> kFlagShift) & kControlFlags) << kControlFlagShift;
}

unsigned RegistrationKey(int code)
{
    return static_cast<unsigned>(code) & 0x1FFF;
}

unsigned HotKeyModifiers(const Options& o)
{
    return (o.hotShift ? kModShift : 0) | (o.hotControl ? kModControl : 0) | (o.hotAlt ? kModAlt : 0) |
           (o.hotWin ? kModWin : 0);
}

HotKeyStatuses RegisterHotKeys(HotKeyService& service, const Options& o)
{
    HotKeyStatuses statuses;
    statuses.fill(HotKeyStatus::Off);
    if (!o.hotKeys)
    {
        return statuses;
    }
    for (int id = 0; id < kHotKeyCount; ++id)
    {
        service.Unregister(id);
    }
    const unsigned modifiers = HotKeyModifiers(o);
    // Every attempt so far succeeded; an empty field is no attempt, so an empty
    // first field leaves the others to be registered as the user expects.
    bool allRegistered = true;
    for (int id = 0; id < kHotKeyCount; ++id)
    {
        HotKeyStatus& status = statuses[static_cast<std::size_t>(id)];
        const unsigned key = RegistrationKey(o.hotKeyCodes[static_cast<std::size_t>(id)]);
        if (key == 0)
        {
            status = HotKeyStatus::Empty;
        }
        else if (!allRegistered)
        {
            status = HotKeyStatus::NotTried;
        }
        else
        {
            allRegistered = service.Register(id, modifiers, key);
            status = allRegistered ? HotKeyStatus::Registered : HotKeyStatus::Failed;
        }
    }
    return statuses;
}

void UnregisterHotKeys(HotKeyService& service)
{
    // Up to id 5: an id that was never registered is no error.
    for (int id = 0; id <= kHotKeyCount; ++id)
    {
        service.Unregister(id);
    }
}

void DispatchHotKey(int id, DesktopEngine& engine, Timer* inputTimer, ProgramCommands& commands)
{
    // No edge scroll may start a second switch while this one runs.
    const bool wasEnabled = inputTimer && inputTimer->IsEnabled();
    if (inputTimer)
    {
        inputTimer->SetEnabled(false);
    }
    switch (id)
    {
    case 0:
        engine.LabelEffect4Click();
        break;
    case 1:
        engine.LabelEffect5Click();
        break;
    case 2:
        engine.LabelEffect6Click();
        break;
    case 3:
        engine.LabelEffect3Click();
        break;
    case 4:
        commands.ToggleMonitor();
        break;
    default:
        break; // not one of ours
    }
    if (inputTimer)
    {
        inputTimer->SetEnabled(wasEnabled);
    }
}

} // namespace zim

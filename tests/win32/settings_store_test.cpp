#include "platform/win32/utf.h"
#include "platform/win32/win32_registry.h"
#include "settings/settings_store.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zim::win32
{
namespace
{

// The store under a scratch root of its own, removed afterwards, so the user's
// real settings are never touched.
class SettingsStoreRegistryTest : public ::testing::Test
{
protected:
    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, Widen(m_root).c_str()); }
    void TearDown() override
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, Widen(m_root).c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZimDeskTest"); // only when no other run uses it
    }

    // The raw value as the system holds it: type and text.
    std::pair<DWORD, std::wstring> Raw(const std::string& section, const wchar_t* name)
    {
        wchar_t data[256] = {};
        DWORD bytes = sizeof(data);
        DWORD type = 0;
        const std::wstring key = Widen(Section(section));
        if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &bytes) !=
            ERROR_SUCCESS)
        {
            return {REG_NONE, L"<missing>"};
        }
        return {type, data};
    }

    std::string Section(const std::string& section) const
    {
        std::string key = m_root;
        key += '\\';
        key += section;
        return key;
    }

    const std::string m_root = std::string("Software\\ZimDeskTest\\store-") += std::to_string(::GetCurrentProcessId());
    Win32Registry m_registry;
    std::vector<std::string> m_errors;
    SettingsStore m_store{m_registry, [this](const std::string& message) { m_errors.push_back(message); }, m_root};
};

TEST_F(SettingsStoreRegistryTest, SettingsRoundTripThroughTheRealRegistryAsText)
{
    const std::string caption = "Bloc-notes \xe2\x80\x93 \xc3\x9cn\xc3\xaf"
                                "code";
    Options saved;
    SetGridSizeText(saved, true, "4");
    saved.hotKeys = true;
    saved.hotKeyCodes = {0x25, 0, 0x2026, 0, 0x78};
    saved.mouseDelay = 400;
    saved.monitorLeft = -1500;
    saved.monitorVisible = false;
    saved.soundFile = "C:\\Sounds\\switch.wav";
    saved.skin = "";
    saved.stickyWindows.Add(caption, true);
    saved.stickyWindows.Add("Calculator", true);
    saved.compatibilityClasses.Add("RollUp", true);
    saved.wallpapers = {{"C:\\a.bmp", true}, {"C:\\b.bmp", false}};
    ASSERT_TRUE(m_store.SaveWindowState(saved, SaveOccasion::Close));
    ASSERT_TRUE(m_store.SaveDialogGroup(saved, SaveOccasion::Close));

    EXPECT_EQ(Raw("ZIMMonitor", L"Left"), std::make_pair(DWORD{REG_SZ}, std::wstring(L"-1500")));
    EXPECT_EQ(Raw("Options", L"Hot3"), std::make_pair(DWORD{REG_SZ}, std::wstring(L"8230")));
    EXPECT_EQ(Raw("Options", L"HotKeys"), std::make_pair(DWORD{REG_SZ}, std::wstring(L"1")));
    EXPECT_EQ(Raw("ZIM", L"Visible"), std::make_pair(DWORD{REG_SZ}, std::wstring(L"0")));

    // One sticky window fewer: the old numbered entry is gone from the registry.
    saved.stickyWindows.SetChecked(static_cast<std::size_t>(saved.stickyWindows.Find("Calculator")), false);
    ASSERT_TRUE(m_store.SaveDialogGroup(saved, SaveOccasion::Close));
    EXPECT_EQ(Raw("Sticky", L"StickyW2").second, L"<missing>");

    Options loaded;
    EXPECT_TRUE(m_store.LoadPartOne(loaded));
    EXPECT_TRUE(m_store.LoadPartTwo(loaded, "C:\\Zim"));
    EXPECT_EQ(loaded.sizeX, 4);
    EXPECT_TRUE(loaded.hotKeys);
    EXPECT_EQ(loaded.hotKeyCodes, saved.hotKeyCodes);
    EXPECT_EQ(loaded.mouseDelay, 400);
    EXPECT_EQ(loaded.monitorLeft, -1500);
    EXPECT_FALSE(loaded.monitorVisible);
    EXPECT_EQ(loaded.soundFile, saved.soundFile);
    EXPECT_EQ(loaded.skin, "");
    EXPECT_EQ(loaded.skinDir, "C:\\Zim\\skins");
    ASSERT_EQ(loaded.stickyWindows.Size(), 1u);
    EXPECT_EQ(loaded.stickyWindows.Entries()[0].text, caption);
    EXPECT_TRUE(loaded.compatibilityClasses.IsChecked("RollUp"));
    EXPECT_EQ(loaded.wallpapers, saved.wallpapers);
    EXPECT_TRUE(m_errors.empty());
}

TEST_F(SettingsStoreRegistryTest, ANumberStoredAsDwordTakesItsDefaultAfterItsMessageAndTheLoadGoesOn)
{
    ASSERT_TRUE(m_registry.WriteString(Section("Options"), "SizeX", "0x5"));
    ASSERT_TRUE(m_registry.WriteDword(Section("Options"), "SizeY", 4));
    ASSERT_TRUE(m_registry.WriteString(Section("Options"), "Autohide", "1"));
    const wchar_t expand[] = L"%SystemRoot%\\media\\ding.wav";
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, Widen(Section("ZIM")).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    const UniqueKey owned(key);
    ASSERT_EQ(
        ::RegSetValueExW(key, L"SoundFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand), sizeof(expand)),
        ERROR_SUCCESS);

    Options o;
    EXPECT_TRUE(m_store.LoadPartOne(o));
    EXPECT_EQ(o.soundFile, "%SystemRoot%\\media\\ding.wav");
    const StoreResult result = m_store.LoadPartTwo(o, "C:\\Zim");
    EXPECT_FALSE(result);
    EXPECT_EQ(result.stoppedAt, "SizeY");
    EXPECT_EQ(m_errors, std::vector<std::string>{"Invalid data type for 'SizeY'"});
    EXPECT_EQ(o.sizeX, 5);
    EXPECT_EQ(o.sizeY, 3);
    EXPECT_TRUE(o.autoHide) << "read after the value of the wrong type";
    // The grid sizes go back as the texts they were read as.
    ASSERT_TRUE(m_store.SaveDialogGroup(o, SaveOccasion::Close));
    EXPECT_EQ(Raw("Options", L"SizeX"), std::make_pair(DWORD{REG_SZ}, std::wstring(L"0x5")));
    EXPECT_EQ(Raw("Options", L"SizeY"), std::make_pair(DWORD{REG_SZ}, std::wstring(L"3")));
}

TEST_F(SettingsStoreRegistryTest, TheFirstLoadLeavesTheKeyBehindEvenWithoutASave)
{
    ASSERT_FALSE(m_registry.KeyExists(m_root));
    Options o;
    EXPECT_TRUE(m_store.LoadPartOne(o));
    EXPECT_TRUE(m_registry.KeyExists(m_root));
    EXPECT_FALSE(m_registry.KeyExists(Section("ZIM")));
}

} // namespace
} // namespace zim::win32

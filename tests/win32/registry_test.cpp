#include "platform/win32/win32_registry.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace zim::win32
{
namespace
{

// Every case works in its own scratch key under HKCU, removed afterwards.
class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, WideKey().c_str()); }
    void TearDown() override
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, WideKey().c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZimDeskTest"); // only when no other run uses it
    }

    std::wstring WideKey() const { return L"Software\\ZimDeskTest\\" + std::to_wstring(::GetCurrentProcessId()); }

    // Writes a value of any type with the raw API.
    void Plant(const wchar_t* name, DWORD type, const void* data, DWORD bytes)
    {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, WideKey().c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                    nullptr),
                  ERROR_SUCCESS);
        const UniqueKey owned(key);
        ASSERT_EQ(::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    }

    Win32Registry m_registry;
    const std::string m_key = "Software\\ZimDeskTest\\" + std::to_string(::GetCurrentProcessId());
};

TEST_F(RegistryTest, CreateKeyLeavesAnEmptyKeyAndOpensAnExistingOne)
{
    EXPECT_FALSE(m_registry.KeyExists(m_key));
    ASSERT_TRUE(m_registry.CreateKey(m_key + "\\Options"));
    EXPECT_TRUE(m_registry.KeyExists(m_key));
    EXPECT_TRUE(m_registry.KeyExists(m_key + "\\Options"));
    ASSERT_TRUE(m_registry.WriteString(m_key + "\\Options", "SizeX", "0x4"));
    EXPECT_TRUE(m_registry.CreateKey(m_key + "\\Options"));
    std::string value;
    EXPECT_EQ(m_registry.ReadString(m_key + "\\Options", "SizeX", value), RegistryRead::Ok);
    EXPECT_EQ(value, "0x4");
    EXPECT_FALSE(m_registry.CreateKey("\\"));
}

TEST_F(RegistryTest, AVolatileKeyHasOrdinaryParentsAndTakesNoOrdinaryChildren)
{
    ASSERT_TRUE(m_registry.CreateVolatileKey(m_key + "\\Parent\\Recovery"));
    ASSERT_TRUE(m_registry.WriteString(m_key + "\\Parent\\Recovery", "State", "record"));
    std::string value;
    EXPECT_EQ(m_registry.ReadString(m_key + "\\Parent\\Recovery", "State", value), RegistryRead::Ok);
    EXPECT_EQ(value, "record");
    EXPECT_TRUE(m_registry.CreateVolatileKey(m_key + "\\Parent\\Recovery")); // opened again
    // The parent is an ordinary key: ordinary keys still go beside the volatile one.
    EXPECT_TRUE(m_registry.CreateKey(m_key + "\\Parent\\Settings"));
    // Under a volatile key only volatile keys may be created.
    EXPECT_FALSE(m_registry.CreateKey(m_key + "\\Parent\\Recovery\\Child"));
    EXPECT_FALSE(m_registry.CreateVolatileKey(""));
    EXPECT_TRUE(m_registry.DeleteKey(m_key + "\\Parent\\Recovery"));
    EXPECT_FALSE(m_registry.KeyExists(m_key + "\\Parent\\Recovery"));
}

TEST_F(RegistryTest, WrittenStringsReadBackAndCreateTheKey)
{
    EXPECT_FALSE(m_registry.KeyExists(m_key));
    const std::string text = "Sk\xc3\xafn \xe7\xaa\x93 \xf0\x9f\x98\x80";
    ASSERT_TRUE(m_registry.WriteString(m_key + "\\Options", "SkinName", text));
    ASSERT_TRUE(m_registry.WriteString(m_key + "\\Options", "Empty", ""));
    EXPECT_TRUE(m_registry.KeyExists(m_key));
    EXPECT_TRUE(m_registry.KeyExists(m_key + "\\Options"));

    std::string value;
    EXPECT_EQ(m_registry.ReadString(m_key + "\\Options", "SkinName", value), RegistryRead::Ok);
    EXPECT_EQ(value, text);
    // Names and keys ignore case; backslashes around the key do not matter.
    value.clear();
    EXPECT_EQ(m_registry.ReadString("\\" + m_key + "\\OPTIONS\\", "skinname", value), RegistryRead::Ok);
    EXPECT_EQ(value, text);
    EXPECT_EQ(m_registry.ReadString(m_key + "\\Options", "Empty", value), RegistryRead::Ok);
    EXPECT_EQ(value, "");

    ASSERT_TRUE(m_registry.WriteString(m_key + "\\Options", "SkinName", "short"));
    EXPECT_EQ(m_registry.ReadString(m_key + "\\Options", "SkinName", value), RegistryRead::Ok);
    EXPECT_EQ(value, "short");
}

TEST_F(RegistryTest, MissingKeysAndValuesAreMissingAndLeaveTheOutputAlone)
{
    std::string value = "untouched";
    EXPECT_EQ(m_registry.ReadString(m_key + "\\Nowhere", "SizeX", value), RegistryRead::Missing);
    ASSERT_TRUE(m_registry.WriteString(m_key, "Other", "1"));
    EXPECT_EQ(m_registry.ReadString(m_key, "SizeX", value), RegistryRead::Missing);
    EXPECT_EQ(value, "untouched");
}

TEST_F(RegistryTest, NonTextValuesAreWrongTypeAndExpandStringsStayUnexpanded)
{
    ASSERT_TRUE(m_registry.WriteDword(m_key, "SizeX", 7));
    DWORD number = 0;
    DWORD bytes = sizeof(number);
    DWORD type = 0;
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, WideKey().c_str(), L"SizeX", RRF_RT_ANY, &type, &number, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(number, 7u);

    const BYTE binary[] = {1, 2, 3};
    Plant(L"Blob", REG_BINARY, binary, sizeof(binary));
    const wchar_t expand[] = L"%SystemRoot%\\zim";
    Plant(L"Path", REG_EXPAND_SZ, expand, sizeof(expand));
    // Stored without a terminating NUL, and with extra NULs.
    Plant(L"Bare", REG_SZ, L"abc", 3 * sizeof(wchar_t));
    Plant(L"Padded", REG_SZ, L"abc\0\0\0", 6 * sizeof(wchar_t));

    std::string value = "untouched";
    EXPECT_EQ(m_registry.ReadString(m_key, "SizeX", value), RegistryRead::WrongType);
    EXPECT_EQ(m_registry.ReadString(m_key, "Blob", value), RegistryRead::WrongType);
    EXPECT_EQ(value, "untouched");
    EXPECT_EQ(m_registry.ReadString(m_key, "Path", value), RegistryRead::Ok);
    EXPECT_EQ(value, "%SystemRoot%\\zim");
    EXPECT_EQ(m_registry.ReadString(m_key, "Bare", value), RegistryRead::Ok);
    EXPECT_EQ(value, "abc");
    EXPECT_EQ(m_registry.ReadString(m_key, "Padded", value), RegistryRead::Ok);
    EXPECT_EQ(value, "abc");
}

TEST_F(RegistryTest, DeleteValueAndDeleteKeyReportWhetherSomethingWasThere)
{
    ASSERT_TRUE(m_registry.WriteString(m_key, "Gone", "x"));
    EXPECT_TRUE(m_registry.DeleteValue(m_key, "Gone"));
    EXPECT_FALSE(m_registry.DeleteValue(m_key, "Gone"));
    EXPECT_FALSE(m_registry.DeleteValue(m_key + "\\Nowhere", "Gone"));
    std::string value;
    EXPECT_EQ(m_registry.ReadString(m_key, "Gone", value), RegistryRead::Missing);

    ASSERT_TRUE(m_registry.WriteString(m_key + "\\Wallpapers\\Deep", "A", "1"));
    ASSERT_TRUE(m_registry.WriteDword(m_key + "\\Wallpapers", "B", 2));
    EXPECT_TRUE(m_registry.DeleteKey(m_key + "\\Wallpapers"));
    EXPECT_FALSE(m_registry.KeyExists(m_key + "\\Wallpapers\\Deep"));
    EXPECT_FALSE(m_registry.KeyExists(m_key + "\\Wallpapers"));
    EXPECT_TRUE(m_registry.KeyExists(m_key));
    EXPECT_FALSE(m_registry.DeleteKey(m_key + "\\Wallpapers"));

    // An empty key names no key, never HKEY_CURRENT_USER itself.
    EXPECT_FALSE(m_registry.KeyExists(""));
    EXPECT_FALSE(m_registry.DeleteKey("\\"));
    EXPECT_TRUE(m_registry.KeyExists("Software"));
}

} // namespace
} // namespace zim::win32

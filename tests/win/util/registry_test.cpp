#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "util/Registry.h"

namespace {

const char kParent[] = "SOFTWARE\\PLMOInstAppTests";

// A key of this test run's own under HKLM in the 32-bit view, removed afterwards.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_subkey = std::string(kParent) + "\\util_" + std::to_string(::GetCurrentProcessId());
        ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, m_subkey.c_str(), 0, nullptr, 0,
                                    KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &m_key, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        if (m_key)
            ::RegCloseKey(m_key);
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_subkey.c_str());
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kParent); // only succeeds once it is empty
    }
    void Set(const char* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(::RegSetValueExA(m_key, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }

    HKEY m_key = nullptr;
    std::string m_subkey;
};

} // namespace

TEST_F(RegistryTest, StringValue) {
    Set("Version", REG_SZ, "1.2.3.4", 8);
    std::string out = "old";
    ASSERT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, m_subkey, "Version", out));
    EXPECT_EQ(out, "1.2.3.4");
}

TEST_F(RegistryTest, EmptyStringValueIsRead) {
    Set("Custom_001.002", REG_SZ, "", 1);
    std::string out = "old";
    ASSERT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, m_subkey, "Custom_001.002", out));
    EXPECT_EQ(out, "");
}

TEST_F(RegistryTest, DwordIsTheTextOfItsBytes) {
    DWORD value = 0x00333231; // bytes 31 32 33 00
    Set("Number", REG_DWORD, &value, sizeof value);
    std::string out;
    ASSERT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, m_subkey, "Number", out));
    EXPECT_EQ(out, "123");
}

TEST_F(RegistryTest, TextStopsAtTheFirstZeroByte) {
    Set("Multi", REG_MULTI_SZ, "ab\0cd\0", 7);
    std::string out;
    ASSERT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, m_subkey, "Multi", out));
    EXPECT_EQ(out, "ab");
}

TEST_F(RegistryTest, FullBufferWithoutTerminator) {
    std::string data(256, 'x');
    Set("Full", REG_BINARY, data.data(), 256);
    std::string out;
    ASSERT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, m_subkey, "Full", out));
    EXPECT_EQ(out, data);
}

TEST_F(RegistryTest, ValueOverTheBufferFails) {
    std::string data(257, 'y');
    Set("Large", REG_BINARY, data.data(), 257);
    std::string big(300, 's');
    big.push_back('\0');
    Set("LargeText", REG_SZ, big.data(), static_cast<DWORD>(big.size()));
    std::string out = "untouched";
    EXPECT_FALSE(ReadRegistryString(HKEY_LOCAL_MACHINE, m_subkey, "Large", out));
    EXPECT_FALSE(ReadRegistryString(HKEY_LOCAL_MACHINE, m_subkey, "LargeText", out));
    EXPECT_EQ(out, "untouched");
}

TEST_F(RegistryTest, MissingKeyOrValueLeavesTheOutput) {
    std::string out = "untouched";
    EXPECT_FALSE(ReadRegistryString(HKEY_LOCAL_MACHINE, m_subkey, "NoSuchValue", out));
    EXPECT_FALSE(ReadRegistryString(HKEY_LOCAL_MACHINE, m_subkey + "\\NoSuchKey", "Version", out));
    EXPECT_EQ(out, "untouched");
}

TEST_F(RegistryTest, OverlongNamesAreNotCutToSomeOtherName) {
    std::string name(255, 'n');
    Set(name.c_str(), REG_SZ, "v", 2);
    std::string out;
    ASSERT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, m_subkey, name, out));
    EXPECT_EQ(out, "v");
    out = "untouched";
    EXPECT_FALSE(ReadRegistryString(HKEY_LOCAL_MACHINE, m_subkey, name + "n", out));
    EXPECT_FALSE(ReadRegistryString(HKEY_LOCAL_MACHINE, m_subkey + std::string(300, 'k'), name, out));
    EXPECT_EQ(out, "untouched");
}

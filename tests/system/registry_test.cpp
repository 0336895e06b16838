// The registry class against the registry of the test's Wine prefix.
#include "system/registry.h"
#include "system/registry_text.h"
#include "tests/winharness/registry_lock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kTestRoot[] = "Software\\LindarTest";

class RegistryTest : public ::testing::Test {
protected:
    winharness::RegistryLock registryLock;  // first: held from before SetUp to after TearDown
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot); }
    void TearDown() override
    {
        SetRegistryApplication(nullptr, nullptr);
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot);
    }
};

TEST_F(RegistryTest, OpenModesAndKeyStack)
{
    CRegistry reg;
    EXPECT_EQ(reg.Open(HKEY_CURRENT_USER, "Software\\LindarTest\\Neu", CRegistry::kModeRead), 0);
    EXPECT_EQ(reg.Depth(), 0);
    ASSERT_EQ(reg.Open(HKEY_CURRENT_USER, "Software\\LindarTest\\Neu", CRegistry::kModeWrite), 1);
    EXPECT_EQ(reg.OpenSubKey("Tiefer", true), 0);  // no-create: missing stays missing
    ASSERT_EQ(reg.OpenSubKey("Tiefer"), 1);
    EXPECT_EQ(reg.Depth(), 2);
    EXPECT_EQ(reg.WriteCString("Grüße", "Text"), 1);
    for (int i = 2; i < CRegistry::kMaxDepth; ++i)
        ASSERT_EQ(reg.OpenSubKey("k"), 1);
    EXPECT_EQ(reg.OpenSubKey("k"), 0);  // the stack is full
    reg.Close();
    EXPECT_EQ(reg.Depth(), 0);
    EXPECT_EQ(reg.WriteCString("x", "Text"), 0);

    // A null path is the application's key.
    EXPECT_EQ(reg.Open(HKEY_CURRENT_USER, nullptr, CRegistry::kModeWrite), 0);
    SetRegistryApplication("LindarTest", "Neu");
    ASSERT_EQ(reg.Open(HKEY_CURRENT_USER, nullptr, CRegistry::kModeRead), 1);
    ASSERT_EQ(reg.OpenSubKey("Tiefer", true), 1);
    char text[16];
    EXPECT_EQ(reg.ReadValue(text, sizeof text, "Text", REG_SZ), 6);
    EXPECT_STREQ(text, "Grüße");
    EXPECT_EQ(reg.WriteCString("x", "Text"), 0);  // read mode
}

TEST_F(RegistryTest, ValuesOfEachType)
{
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_CURRENT_USER, kTestRoot, CRegistry::kModeWrite), 1);
    const DWORD mode = 0x12345678;
    ASSERT_EQ(reg.WriteValue(&mode, sizeof mode, "PathDlgTreeMode", REG_DWORD), 1);
    DWORD read[2] = {0, 0xEEEEEEEE};
    EXPECT_EQ(reg.ReadValue(read, sizeof read, "PathDlgTreeMode", REG_DWORD), 4);
    EXPECT_EQ(read[0], mode);
    EXPECT_EQ(read[1], 0xEEEEEEEEu);  // exactly 4 bytes
    EXPECT_EQ(reg.ReadValue(read, 2, "PathDlgTreeMode", REG_DWORD), -1);
    EXPECT_EQ(reg.ReadValue(read, sizeof read, "PathDlgTreeMode", REG_SZ), -1);  // another type
    EXPECT_EQ(reg.ReadValue(read, sizeof read, "Fehlt", REG_DWORD), -1);

    // A text written without its NUL still reads terminated, or not at all
    // when the buffer has no room for the NUL.
    ASSERT_EQ(reg.WriteValue("abcd", 4, "Roh", REG_SZ), 1);
    char text[8];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(reg.ReadValue(text, 5, "Roh", REG_SZ), 5);
    EXPECT_STREQ(text, "abcd");
    EXPECT_EQ(reg.ReadValue(text, 4, "Roh", REG_SZ), -1);

    void* block = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(reg.ReadValueAlloc(&block, "Roh", REG_SZ, &size));
    EXPECT_GE(size, 4u);  // Wine counts the NUL it adds
    EXPECT_STREQ(static_cast<char*>(block), "abcd");
    std::free(block);
    EXPECT_FALSE(reg.ReadValueAlloc(&block, "Roh", REG_BINARY));
    EXPECT_EQ(block, nullptr);
}

TEST_F(RegistryTest, MultiStringRoundTrip)
{
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_CURRENT_USER, kTestRoot, CRegistry::kModeWrite), 1);
    CRecordArray list;
    list.AddSplit(';', "C:\\Karten;D:\\Übersicht;E:\\");
    ASSERT_EQ(reg.WriteMultiString(list, "OfnListGpx"), 1);
    CRecordArray empty;
    ASSERT_EQ(reg.WriteMultiString(empty, "OfnListLeer"), 1);

    CRecordArray back;
    back.AddString("vorher");
    EXPECT_EQ(reg.ReadMultiString(back, "OfnListGpx"), 3);
    ASSERT_EQ(back.m_count, 4);
    EXPECT_STREQ(back.GetString(2), "D:\\Übersicht");
    EXPECT_EQ(reg.ReadMultiString(back, "OfnListLeer"), 0);
    EXPECT_EQ(reg.ReadMultiString(back, "Fehlt"), -1);

    char buffer[64];
    EXPECT_EQ(reg.ReadValue(buffer, sizeof buffer, "OfnListGpx", REG_MULTI_SZ), 28);
    EXPECT_EQ(std::memcmp(buffer, "C:\\Karten\0D:\\Übersicht\0E:\\\0\0", 28), 0);
}

}  // namespace

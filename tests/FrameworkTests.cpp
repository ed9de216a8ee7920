// The debug log and the byte cursor.
#include <gtest/gtest.h>

#include "ByteCursor.h"
#include "DebugLog.h"
#include "TestEnvironment.h"

using namespace kelvra;
using kelvra::testing::Services;

TEST(DebugLog, WritesTaggedLinesEndingInOneLineFeed)
{
    DebugLog(L"%ls", L"CDeviceDataKELVRA::GetDataTable");
    DebugLog(L"count=%d\n", 3);
    DebugLog(L"%ls", L"");
    ASSERT_EQ(2u, Services().logLines.size());
    EXPECT_EQ(L"[LUMOQELTAM]CDeviceDataKELVRA::GetDataTable\n", Services().logLines[0]);
    EXPECT_EQ(L"[LUMOQELTAM]count=3\n", Services().logLines[1]);
}

TEST(DebugLog, CutsLongMessagesAt1023Characters)
{
    std::wstring longText(3000, L'x');
    DebugLog(L"%ls", longText.c_str());
    ASSERT_EQ(1u, Services().logLines.size());
    EXPECT_EQ(L"[LUMOQELTAM]" + std::wstring(1023, L'x') + L"\n", Services().logLines[0]);
}

TEST(DebugLog, ScopedTraceMarksEntryAndExit)
{
    {
        ScopedTrace trace(L"CDataTableKelvraPB::ListItemsAllBegin");
        DebugLog(L"inside");
    }
    ASSERT_EQ(3u, Services().logLines.size());
    EXPECT_EQ(L"[LUMOQELTAM]CDataTableKelvraPB::ListItemsAllBegin(+)\n", Services().logLines[0]);
    EXPECT_EQ(L"[LUMOQELTAM]inside\n", Services().logLines[1]);
    EXPECT_EQ(L"[LUMOQELTAM]CDataTableKelvraPB::ListItemsAllBegin(-)\n", Services().logLines[2]);
}

TEST(ByteReader, ReadsLittleEndianAndFailsForGoodPastTheEnd)
{
    const std::string bytes("\x01\x41\x04\x00\x00\x00\x2C\x01\x00\x00", 10);
    ByteReader reader(bytes);
    EXPECT_EQ(0x4101, reader.ReadU16LE());
    EXPECT_EQ(4u, reader.ReadU32LE());
    EXPECT_EQ(300u, reader.ReadU32LE());
    EXPECT_TRUE(reader.Ok());
    EXPECT_EQ(0u, reader.Remaining());

    EXPECT_EQ(0u, reader.ReadU8());
    EXPECT_FALSE(reader.Ok());
    EXPECT_EQ(0u, reader.Remaining());
}

TEST(ByteReader, EveryReadFailsOnABufferOneByteShort)
{
    EXPECT_FALSE([] { ByteReader r(std::string_view("\x01", 1)); r.ReadU16LE(); return r.Ok(); }());
    EXPECT_FALSE([] { ByteReader r(std::string_view("\x01\x02\x03", 3)); r.ReadU32LE(); return r.Ok(); }());
    EXPECT_FALSE([] { ByteReader r(std::string_view("abc", 3)); r.ReadBytes(4); return r.Ok(); }());
    EXPECT_FALSE([] { ByteReader r{std::string_view()}; r.ReadU8(); return r.Ok(); }());

    // A failed read does not consume, and nothing after it succeeds.
    ByteReader reader(std::string_view("\x05\x06", 2));
    reader.ReadU32LE();
    EXPECT_EQ(0u, reader.ReadU8());
    EXPECT_TRUE(reader.ReadBytes(0).empty());
    EXPECT_FALSE(reader.Ok());
}

TEST(ByteReader, HugeLengthsCannotWrapTheBoundsCheck)
{
    ByteReader reader(std::string_view("abcd", 4));
    reader.ReadU8();
    EXPECT_TRUE(reader.ReadBytes(static_cast<size_t>(-1)).empty());
    EXPECT_FALSE(reader.Ok());
}

TEST(ByteWriter, WritesLittleEndianAndFixedWidthFields)
{
    ByteWriter writer;
    writer.U16LE(0x4100).U32LE(4).U32LE(1).Field("ab", 4).Field("abcdef", 3);
    EXPECT_EQ(std::string("\x00\x41\x04\x00\x00\x00\x01\x00\x00\x00" "ab\0\0" "abc", 17), writer.Data());
}

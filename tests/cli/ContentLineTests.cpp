// The content-line reader and writer that vCard and iCalendar files share: unfolding,
// quoted-printable soft breaks, parameters, strictness, folding and escapes; base64 and
// the text shown from files.
#include <gtest/gtest.h>

#include "Base64.h"
#include "ContentLineReader.h"
#include "ContentLineWriter.h"
#include "UntrustedText.h"

using namespace kelvra::host;

namespace {

std::vector<ContentLine> ReadAll(const std::string& text)
{
    ContentLineReader reader(text);
    std::vector<ContentLine> lines;
    ContentLine line;
    while (reader.Next(line))
        lines.push_back(line);
    return lines;
}

}  // namespace

TEST(ContentLineReader, UnfoldsContinuationLinesAndSkipsBlankOnes)
{
    auto lines = ReadAll("BEGIN:VCARD\r\nNOTE:one\r\n  two\r\n\tthree\r\n\r\nEND:VCARD\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].name, "NOTE");
    EXPECT_EQ(lines[1].value, "one twothree");
    EXPECT_EQ(lines[1].lineNumber, 2u);
    EXPECT_EQ(lines[2].lineNumber, 6u);
}

TEST(ContentLineReader, JoinsQuotedPrintableSoftBreaksOnlyOnQuotedPrintableLines)
{
    auto lines = ReadAll("NOTE;ENCODING=QUOTED-PRINTABLE:=C4=\r\n=A3 x=\r\n y\r\nNOTE:ends with =\r\nURL:z\r\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].value, "=C4=A3 x y");  // the blank after a soft break is text
    EXPECT_EQ(lines[1].value, "ends with =");
    EXPECT_EQ(lines[2].name, "URL");
}

TEST(ContentLineReader, EndsASoftBreakAtAnEmptyLineOrTheEndOfAVCard)
{
    auto lines = ReadAll("NOTE;QUOTED-PRINTABLE:a=\r\nEND:VCARD\r\nNOTE;QUOTED-PRINTABLE:b=\r\n\r\nTEL:1\r\n"
                         "NOTE;QUOTED-PRINTABLE:c=\r\nbegin:vcard\r\n");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].value, "a");
    EXPECT_EQ(lines[1].name, "END");
    EXPECT_EQ(lines[2].value, "b");
    EXPECT_EQ(lines[3].name, "TEL");
    EXPECT_EQ(lines[4].value, "c");
}

// vCard 2.1 folds before a blank that belongs to the value; 3.0 adds a blank of its own.
TEST(ContentLineReader, KeepsTheFoldingBlankOnlyWhereTheVersionDoes)
{
    std::string text = "NOTE:two\r\n words\r\nNOTE:two\r\n words\r\n";
    ContentLineReader reader(text);
    ContentLine line;
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line.value, "twowords");
    reader.KeepFoldingBlanks(true);
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line.value, "two words");
}

TEST(ContentLineReader, SplitsGroupNameAndParameters)
{
    auto lines = ReadAll("item1.tel;type=\"work,voice\";X-A=1,2;PREF:+1 555\r\n"
                         "ADR;LABEL=\"a;b:c\":;;street\r\n"
                         "N;CHARSET=EUC-KR;QUOTED-PRINTABLE;HOME:x\r\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].group, "item1");
    EXPECT_EQ(lines[0].name, "TEL");
    EXPECT_TRUE(lines[0].HasParameterValue("TYPE", "Voice"));
    EXPECT_TRUE(lines[0].HasParameterValue("TYPE", "PREF"));  // a bare 2.1 parameter is a type
    EXPECT_EQ(lines[0].Parameter("X-A"), "1,2");
    EXPECT_EQ(lines[0].value, "+1 555");
    EXPECT_EQ(lines[1].Parameter("LABEL"), "a;b:c");
    EXPECT_EQ(lines[1].value, ";;street");
    EXPECT_EQ(lines[2].Parameter("ENCODING"), "QUOTED-PRINTABLE");
    EXPECT_EQ(lines[2].Parameter("CHARSET"), "EUC-KR");
    EXPECT_TRUE(lines[2].HasParameterValue("TYPE", "home"));
}

TEST(ContentLineReader, RefusesLinesThatAreNoContentLinesNamingTheLineNotItsBytes)
{
    for (std::string bad : {"BEGIN:VCARD\nno colon here\n", "BEGIN:VCARD\n\xFF\xFE\x01garbage:x\n",
                            "BEGIN:VCARD\nTEL;=x:1\n", "BEGIN:VCARD\nTEL;TYPE=\"open:1\n", "BEGIN:VCARD\na.b.c:1\n"}) {
        ContentLineReader reader(bad);
        ContentLine line;
        ASSERT_TRUE(reader.Next(line));
        try {
            reader.Next(line);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const ContentLineError& e) {
            EXPECT_EQ(e.LineNumber(), 2u);
            for (char c : std::string(e.what()))
                EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "the message repeats a raw byte";
        }
    }
}

TEST(ContentLineReader, SkipsUtf8ByteOrderMarkAndReadsUtf16)
{
    auto utf8 = ReadAll("\xEF\xBB\xBF" "FN:A\r\n");
    ASSERT_EQ(utf8.size(), 1u);
    EXPECT_EQ(utf8[0].name, "FN");
    std::string utf16("\xFF\xFE" "F\0N\0:\0\xC4\0\n\0", 12);
    auto wide = ReadAll(utf16);
    ASSERT_EQ(wide.size(), 1u);
    EXPECT_EQ(wide[0].value, "\xC3\x84");  // U+00C4 as UTF-8
}

TEST(ContentLineWriter, FoldsAt75OctetsWithoutCuttingACharacter)
{
    // "NOTE:" and 68 ASCII octets leave room for the two octets of "ä" and no more.
    std::wstring value(68, L'a');
    value += L"\u00E4bc";
    std::string written = ContentLineWriter::Line("NOTE", value);
    std::string expected = "NOTE:" + std::string(68, 'a') + "\xC3\xA4\r\n bc\r\n";
    EXPECT_EQ(written, expected);
    auto read = ReadAll(written);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].value, std::string(68, 'a') + "\xC3\xA4" "bc");
}

TEST(ContentLineWriter, QuotesParameterValuesThatNeedIt)
{
    ContentLine line;
    line.name = "TEL";
    line.parameters.push_back({"TYPE", {"CELL", "HOME"}});
    line.parameters.push_back({"X-NOTE", {"a;b", "say \"hi\""}});
    line.value = "1";
    // A parameter value cannot hold a quote at all.
    EXPECT_EQ(ContentLineWriter::Line(line), "TEL;TYPE=CELL,HOME;X-NOTE=\"a;b\",say hi:1\r\n");
}

TEST(ContentLine, EscapesTextAndSplitsAtUnescapedSeparators)
{
    EXPECT_EQ(ContentLine::Escaped(L"a,b;c\\d\r\ne"), L"a\\,b\\;c\\\\d\\ne");
    EXPECT_EQ(ContentLine::Unescaped(L"a\\,b\\;c\\\\d\\ne\\N"), L"a,b;c\\d\ne\n");
    auto parts = ContentLine::Split(L"Doe\\;Jr;Jane;;", L';');
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0], L"Doe\\;Jr");
    EXPECT_EQ(parts[1], L"Jane");
    EXPECT_EQ(parts[3], L"");
}

TEST(UntrustedText, EscapesWhatWouldWorkTheTerminalAndKeepsTheRest)
{
    EXPECT_EQ(Shown("Ann\x1B[2J\x07 M\xC3\xBCller\tx\x7F"), "Ann\\x1B[2J\\x07 M\xC3\xBCller\\x09x\\x7F");
    // C1 controls, a right-to-left override, and bytes that are no UTF-8.
    EXPECT_EQ(Shown("a\xC2\x9B" "b\xE2\x80\xAE" "c\xFF\xC3"), "a\\x9Bb\\u202Ec\\xFF\\xC3");
    EXPECT_EQ(Shown("\xEA\xB9\x80\xF0\x9F\x98\x80"), "\xEA\xB9\x80\xF0\x9F\x98\x80");
}

TEST(Base64, DecodesAcrossLinesAndEncodesWithPadding)
{
    std::string bytes;
    EXPECT_TRUE(Base64Decoded("TWFu\r\n TWFu\tTQ", bytes));  // "Man", "Man", "M" without its padding
    EXPECT_EQ(bytes, "ManManM");
    EXPECT_FALSE(Base64Decoded("TW*u", bytes));
    EXPECT_FALSE(Base64Decoded("TWE=TQ==", bytes));  // text after the padding
    EXPECT_FALSE(Base64Decoded("TWFuT", bytes));     // a single character cannot end a group
    EXPECT_EQ(Base64Encoded("Man"), "TWFu");
    EXPECT_EQ(Base64Encoded("Ma"), "TWE=");
    EXPECT_EQ(Base64Encoded(std::string("\xFF\xD8\xFF\xE0", 4)), "/9j/4A==");
}

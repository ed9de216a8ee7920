// A backup's building blocks: JSON read from untrusted files and written so that every
// text comes back unit for unit, SHA-256 digests, and the manifest by which a changed or
// missing file of a backup folder is found.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "BackupManifest.h"
#include "ComFailure.h"
#include "JsonValue.h"
#include "Sha256.h"
#include "TestEnvironment.h"
#include "WholeFile.h"

using namespace kelvra::host;

namespace {

TEST(JsonValue, EveryTextComesBackUnitForUnit)
{
    const std::wstring texts[] = {
        L"",
        L"quote \" backslash \\ slash / tab\t line\r\n bell\x07 unit separator\x1f",
        std::wstring(L"before\0after", 12),
        L"\xD55C\xAD6D\xC5B4 \xC804\xD654\xBC88\xD638\xBD80",  // Korean
        L"smile \xD83D\xDE00",
        L"\xD800",            // a high surrogate alone
        L"x\xDC00y",          // a low one alone
        L"\xDC00\xD800",      // the halves the wrong way round
        L"end \xDBFF",        // a high one with nothing after it
    };
    for (const std::wstring& text : texts)
        EXPECT_EQ(text, JsonValue::Parse(JsonText(text)).Text()) << JsonText(text);

    EXPECT_EQ("\"\xF0\x9F\x98\x80\"", JsonText(L"\xD83D\xDE00"));
    EXPECT_EQ("\"\xED\x95\x9C\"", JsonText(L"\xD55C"));
    EXPECT_EQ("\"\\uD800\\u0000\\u001F\\\"\"", JsonText(std::wstring(L"\xD800\0\x1f\"", 4)));
    EXPECT_EQ(L"\xD83D\xDE00", JsonValue::Parse("\"\\ud83d\\uDE00\"").Text());
    EXPECT_EQ(L"\xDC00", JsonValue::Parse("\"\\udc00\"").Text());
}

TEST(JsonValue, HostileTextIsRefused)
{
    const std::string hostile[] = {
        "", "   ", "1 2", "{\"a\": 1} x", "\"open", "\"\\x\"", "\"\\u12\"", "\"\\u12G4\"",
        "\"\xC0\xAF\"",          // an overlong '/'
        "\"\xED\xA0\x80\"",      // a surrogate written as UTF-8
        "\"\xF4\x90\x80\x80\"",  // above U+10FFFF
        "\"\xE2\x82\"", "\"\x80\"", "\xEF\xBB\xBF{}", "\"line\nbreak\"",
        "01", "-01", "1.", ".5", "-", "+1", "1e", "1e+", "0x10", "NaN", "Infinity",
        "[1,]", "[1 2]", "{\"a\" 1}", "{\"a\": 1,}", "{a: 1}", "tru", "nul",
        std::string(65, '[') + std::string(65, ']'),
    };
    for (const std::string& text : hostile)
        EXPECT_THROW(JsonValue::Parse(text), InputError) << text;

    EXPECT_NO_THROW(JsonValue::Parse(std::string(64, '[') + std::string(64, ']')));
    try {
        JsonValue::Parse("[1, 2,, 3]");
        FAIL();
    } catch (const InputError& e) {
        EXPECT_NE(std::string(e.what()).find("byte 6"), std::string::npos) << e.what();
    }
}

TEST(JsonValue, NumbersReadExactly)
{
    EXPECT_EQ(INT64_MAX, JsonValue::Parse("9223372036854775807").Integer());
    EXPECT_EQ(INT64_MIN, JsonValue::Parse("-9223372036854775808").Integer());
    EXPECT_EQ(0, JsonValue::Parse("-0").Integer());
    for (const char* refused : {"9223372036854775808", "-9223372036854775809", "1.0", "1e3", "\"1\""})
        EXPECT_THROW(JsonValue::Parse(refused).Integer(), InputError) << refused;
    EXPECT_THROW(JsonValue::Parse("1e999").Number(), InputError);

    for (double value : {0.1, 1.0 / 3, -2.5e-308, 4.9406564584124654e-324, 1.7976931348623157e308}) {
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", value);
        EXPECT_EQ(value, JsonValue::Parse(text).Number()) << text;
    }
}

TEST(Sha256, FipsVectors)
{
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Sha256Hex("abc"));
    EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", Sha256Hex(""));
    EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
              Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"));
    EXPECT_EQ("cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1",
              Sha256Hex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrs"
                        "mnopqrstnopqrstu"));
}

TEST(Sha256, FileReadInPiecesGivesTheWholeDigest)
{
    // A million 'a's: the FIPS vector, read in sixteen pieces.
    std::wstring path = kelvra::testing::MakeTempFolder(L"sha256") + L"\\million-a";
    WriteWhole(path, std::string(1000000, 'a'));
    uint64_t size = 0;
    EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0", Sha256OfFile(path, size));
    EXPECT_EQ(1000000u, size);
    EXPECT_THROW(Sha256OfFile(path + L"-missing", size), InputError);
}

const char kDigestA[] = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";

BackupManifest Sample()
{
    BackupManifest manifest;
    manifest.modelId = 211;
    manifest.modelName = L"KTM-A290";
    manifest.time = "2026-12-07T03:50:12Z";
    manifest.componentVersion = "1.0.0.0";
    manifest.counts = {{"groups", 3}, {"phonebook", 5}};
    manifest.passedOver = {"phonebook 17: \"Kim\" could not be read"};
    manifest.files = {{"items/phonebook.jsonl", 123, kDigestA}, {"items/groups.jsonl", 0, kDigestA}};
    return manifest;
}

TEST(BackupManifest, ReadsBackWhatItWrites)
{
    const std::string a = kDigestA;
    EXPECT_EQ("{\n"
              "  \"format\": 1,\n"
              "  \"model\": {\"id\": 211, \"name\": \"KTM-A290\"},\n"
              "  \"time\": \"2026-12-07T03:50:12Z\",\n"
              "  \"componentVersion\": \"1.0.0.0\",\n"
              "  \"counts\": {\"groups\": 3, \"phonebook\": 5},\n"
              "  \"passedOver\": [\n"
              "    \"phonebook 17: \\\"Kim\\\" could not be read\"\n"
              "  ],\n"
              "  \"files\": [\n"
              "    {\"path\": \"items/phonebook.jsonl\", \"size\": 123, \"sha256\": \"" + a + "\"},\n"
              "    {\"path\": \"items/groups.jsonl\", \"size\": 0, \"sha256\": \"" + a + "\"}\n"
              "  ]\n"
              "}\n",
              Sample().ToJson());

    BackupManifest read = BackupManifest::Parse(Sample().ToJson());
    EXPECT_EQ(Sample().ToJson(), read.ToJson());
    EXPECT_EQ(211, read.modelId);
    EXPECT_EQ(L"KTM-A290", read.modelName);
    EXPECT_EQ(5u, read.Count("phonebook"));
    EXPECT_EQ(0u, read.Count("memos"));
    ASSERT_EQ(2u, read.files.size());
    EXPECT_EQ("items/groups.jsonl", read.files[1].path);
}

TEST(BackupManifest, RefusesLaterFormatsAndPathsOutsideTheFolder)
{
    std::string later = Sample().ToJson();
    later.replace(later.find("\"format\": 1"), 11, "\"format\": 2");
    try {
        BackupManifest::Parse(later);
        FAIL();
    } catch (const InputError& e) {
        EXPECT_STREQ("this backup is of format 2; this kelvra-sync reads format 1", e.what());
    }

    auto withFile = [](const std::string& path, const std::string& size, const std::string& digest) {
        return "{\"format\": 1, \"model\": {\"id\": 211, \"name\": \"KTM-A290\"}, \"time\": \"\", "
               "\"componentVersion\": \"\", \"counts\": {}, \"passedOver\": [], \"files\": ["
               "{\"path\": \"items/a.jsonl\", \"size\": 1, \"sha256\": \"" + std::string(kDigestA) + "\"}, "
               "{\"path\": \"" + path + "\", \"size\": " + size + ", \"sha256\": \"" + digest + "\"}]}";
    };
    EXPECT_NO_THROW(BackupManifest::Parse(withFile("items/b.jsonl", "1", kDigestA)));
    for (const char* path : {"", "/etc/passwd", "C:/x", "items:stream", "items\\\\b", "../b", "items/../../b",
                             "items//b", "items/", "./b", "items/b.", "items/a?b", "items/CON", "nul.txt/b",
                             "items/com1", "ITEMS/A.JSONL"})
        EXPECT_THROW(BackupManifest::Parse(withFile(path, "1", kDigestA)), InputError) << path;
    EXPECT_THROW(BackupManifest::Parse(withFile("items/b", "-1", kDigestA)), InputError);
    EXPECT_THROW(BackupManifest::Parse(withFile("items/b", "1.5", kDigestA)), InputError);
    EXPECT_THROW(BackupManifest::Parse(withFile("items/b", "1", std::string(64, 'A'))), InputError);
    EXPECT_THROW(BackupManifest::Parse(withFile("items/b", "1", std::string(63, 'a'))), InputError);
}

class BackupFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryW((m_folder + L"\\items").c_str(), nullptr);
        Put("items/phonebook.jsonl", "{\"name\": \"Kim\"}\n{\"name\": \"Lee\"}\n");
        Put("items/groups.jsonl", "{\"name\": \"Family\"}\n");
        BackupManifest manifest = Sample();
        manifest.files.clear();
        for (const char* name : {"items/phonebook.jsonl", "items/groups.jsonl"}) {
            ManifestFile file{name, 0, {}};
            file.sha256 = Sha256OfFile(Path(name), file.size);
            manifest.files.push_back(file);
        }
        WriteBackupManifest(m_folder, manifest);
    }

    std::wstring Path(const std::string& relative) const
    {
        std::wstring path = m_folder + L"\\";
        for (char c : relative)
            path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
        return path;
    }
    void Put(const std::string& relative, const std::string& bytes) { WriteWhole(Path(relative), bytes); }
    std::string Get(const std::string& relative) const { return ReadWhole(Path(relative)); }
    std::vector<std::string> Problems() const
    {
        BackupManifest manifest;
        return VerifyBackupFolder(m_folder, manifest);
    }

    std::wstring m_folder = kelvra::testing::MakeTempFolder(L"backup");
};

TEST_F(BackupFolder, FindsEveryChangedOrMissingFile)
{
    std::string manifestText = Get("manifest.json");
    EXPECT_EQ(Sha256Hex(manifestText) + "  manifest.json\n", Get("manifest.json.sha256"));

    // The folder as a person may give it, with '/' between names.
    std::wstring slashed = m_folder;
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    BackupManifest manifest;
    EXPECT_TRUE(VerifyBackupFolder(slashed + L"/", manifest).empty());
    EXPECT_EQ(2u, manifest.files.size());
    Put("notes.txt", "a file the manifest does not name");
    EXPECT_TRUE(Problems().empty());

    std::string phonebook = Get("items/phonebook.jsonl");
    std::string changed = phonebook;
    changed[10] ^= 1;
    Put("items/phonebook.jsonl", changed);
    EXPECT_EQ(std::vector<std::string>{"items/phonebook.jsonl has changed (its SHA-256 differs)"}, Problems());
    Put("items/phonebook.jsonl", phonebook + "x");
    EXPECT_EQ(std::vector<std::string>{"items/phonebook.jsonl has changed (33 bytes, the manifest says 32)"},
              Problems());
    Put("items/phonebook.jsonl", phonebook);
    DeleteFileW(Path("items/groups.jsonl").c_str());
    EXPECT_EQ(std::vector<std::string>{"items/groups.jsonl is missing"}, Problems());
}

TEST_F(BackupFolder, FindsAChangedOrMissingManifest)
{
    std::string manifestText = Get("manifest.json");
    std::string changed = manifestText;
    changed[changed.find("\"phonebook\": 5") + 13] = '6';
    Put("manifest.json", changed);
    EXPECT_EQ(std::vector<std::string>{"manifest.json has changed (its SHA-256 differs from manifest.json.sha256)"},
              Problems());

    Put("manifest.json", manifestText);
    DeleteFileW(Path("manifest.json.sha256").c_str());
    DeleteFileW(Path("items/groups.jsonl").c_str());
    EXPECT_EQ((std::vector<std::string>{"manifest.json.sha256 is missing", "items/groups.jsonl is missing"}),
              Problems());

    Put("manifest.json", "{\"format\": 1");
    std::vector<std::string> problems = Problems();
    ASSERT_EQ(2u, problems.size());
    EXPECT_EQ(0u, problems[1].rfind("manifest.json: JSON at byte 12", 0)) << problems[1];
    DeleteFileW(Path("manifest.json").c_str());
    EXPECT_EQ(std::vector<std::string>{"manifest.json is missing"}, Problems());
}

TEST(BackupManifest, ComponentVersionIsTheLoadedDllsFileVersion)
{
    EXPECT_EQ("unknown", LoadedComponentVersion());
    HMODULE component = LoadLibraryW(KELVRA_DLL_PATH);
    ASSERT_NE(nullptr, component);
    EXPECT_EQ("1.0.0.0", LoadedComponentVersion());
    FreeLibrary(component);
}

}  // namespace

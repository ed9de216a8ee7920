#include "TestEnvironment.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include "SimModule.h"

namespace kelvra::testing {

namespace {

TestPlatform g_services;

class KelvraEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        ASSERT_HRESULT_SUCCEEDED(sim::SimModule::RegisterClassObjects());
        Platform::Install(&g_services);
    }
    void TearDown() override
    {
        Platform::Install(nullptr);
        sim::SimModule::RevokeClassObjects();
        CoUninitialize();
    }
};

class ResetServices : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { g_services.Reset(); }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new KelvraEnvironment);

[[maybe_unused]] const bool g_listening = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResetServices);
    return true;
}();

}  // namespace

void TestPlatform::Reset()
{
    pauses.clear();
    logLines.clear();
    messageBoxes.clear();
    appData = MakeTempFolder(L"appdata");
    timeZoneBias = 0;
}

TestPlatform& Services()
{
    return g_services;
}

std::wstring MakeTempFolder(const wchar_t* name)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    std::wstring folder = std::wstring(temp) + L"kelvra-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(++counter) + L"-" + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

}  // namespace kelvra::testing

namespace kelvra::testing {

std::string Bytes(const char* hex)
{
    std::string bytes;
    int high = -1;
    for (const char* c = hex; *c; ++c) {
        int value = *c >= '0' && *c <= '9' ? *c - '0' : *c >= 'A' && *c <= 'F' ? *c - 'A' + 10
                  : *c >= 'a' && *c <= 'f' ? *c - 'a' + 10 : -1;
        if (value < 0)
            continue;
        if (high < 0) {
            high = value;
        } else {
            bytes += static_cast<char>(high << 4 | value);
            high = -1;
        }
    }
    return bytes;
}

}  // namespace kelvra::testing

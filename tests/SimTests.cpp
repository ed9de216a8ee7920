// The handset simulator behind the agent: packets in, replies out in chunks, and faults.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "ByteCursor.h"
#include "ComTypes.h"
#include "SimConnection.h"
#include "TestEnvironment.h"

using namespace kelvra;

namespace {

struct Link {
    ComPtr<sim::SimConnection> connection = sim::SimConnection::Make();
    ComPtr<ITAMAgent> agent;
    int reads = 0;

    Link()
    {
        ComPtr<IUnknown> service;
        EXPECT_EQ(S_OK, connection->GetService(SID_TAMAgent, &service));
        EXPECT_EQ(S_OK, service.As(&agent));
    }

    void Send(const std::string& packet)
    {
        ByteArray bytes(packet.data(), packet.size());
        ASSERT_EQ(S_OK, agent->WriteStream(bytes.Get(), static_cast<long>(packet.size())));
    }

    HRESULT Receive(size_t count, std::string& bytes)
    {
        bytes.clear();
        while (bytes.size() < count) {
            ByteArray chunk;
            HRESULT hr = agent->ReadStream(static_cast<long>(count - bytes.size()), 2000, chunk.Out());
            if (FAILED(hr))
                return hr;
            ++reads;
            EXPECT_LE(chunk.Size(), count - bytes.size());
            chunk.AppendTo(bytes);
        }
        return S_OK;
    }
};

std::string Request(uint16_t code, std::string_view payload)
{
    return ByteWriter().U16LE(code).U32LE(static_cast<uint32_t>(payload.size())).Bytes(payload).Take();
}

std::string StoreAndIndex(uint32_t store, uint32_t index)
{
    return ByteWriter().U32LE(store).U32LE(index).Take();
}

}  // namespace

TEST(Simulator, AnswersARequestInSeveralChunks)
{
    Link link;
    link.connection->SetChunkSizes(1, 3);
    link.connection->State().handset.PutRecord(1, 2, "ab");
    link.connection->State().handset.PutRecord(1, 7, "cd");
    link.connection->State().handset.PutRecord(1, 300, "ef");

    link.Send(Request(0x4110, ByteWriter().U32LE(1).Data()));
    std::string header, payload;
    ASSERT_EQ(S_OK, link.Receive(6, header));
    EXPECT_EQ(std::string("\x11\x41\x09\x00\x00\x00", 6), header);
    ASSERT_EQ(S_OK, link.Receive(9, payload));
    EXPECT_EQ(std::string("\x02\x00\x00\x07\x00\x00\x2C\x01\x00", 9), payload);
    EXPECT_GT(link.reads, 2);
}

TEST(Simulator, StoresReadsAndDeletesRawRecords)
{
    Link link;
    std::string reply;
    link.Send(Request(0x4130, StoreAndIndex(4, 9) + "record"));
    ASSERT_EQ(S_OK, link.Receive(14, reply));
    EXPECT_EQ(std::string("\x31\x41\x08\x00\x00\x00\x04\x00\x00\x00\x09\x00\x00\x00", 14), reply);

    link.Send(Request(0x4120, StoreAndIndex(4, 9)));
    ASSERT_EQ(S_OK, link.Receive(12, reply));
    EXPECT_EQ(std::string("\x21\x41\x06\x00\x00\x00record", 12), reply);

    link.Send(Request(0x4100, ByteWriter().U32LE(4).Data()));
    ASSERT_EQ(S_OK, link.Receive(10, reply));
    EXPECT_EQ(std::string("\x01\x41\x04\x00\x00\x00\x01\x00\x00\x00", 10), reply);

    link.Send(Request(0x4140, StoreAndIndex(4, 9)));
    ASSERT_EQ(S_OK, link.Receive(14, reply));
    EXPECT_EQ(0u, link.connection->State().handset.RecordCount(4));
    EXPECT_EQ(4, link.connection->State().handset.RequestCount());
}

TEST(Simulator, TakesARequestThatArrivesInPieces)
{
    Link link;
    std::string request = Request(0x4100, ByteWriter().U32LE(1).Data());
    link.Send(request.substr(0, 3));
    std::string reply;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_TIMEOUT), link.Receive(6, reply));
    link.Send(request.substr(3));
    EXPECT_EQ(S_OK, link.Receive(10, reply));
}

TEST(Simulator, InjectsAWrongReplyCode)
{
    Link link;
    link.connection->InjectFault(SIMFAULT_WRONG_REPLY_CODE, 1);
    std::string reply;
    link.Send(Request(0x4100, ByteWriter().U32LE(1).Data()));
    ASSERT_EQ(S_OK, link.Receive(10, reply));
    EXPECT_EQ(0x4101, ByteReader(reply).ReadU16LE());
    link.Send(Request(0x4100, ByteWriter().U32LE(1).Data()));
    ASSERT_EQ(S_OK, link.Receive(10, reply));
    EXPECT_EQ(0x4100, ByteReader(reply).ReadU16LE());
}

TEST(Simulator, InjectsShortRepliesTimeOutsAndAbsurdLengths)
{
    Link link;
    link.connection->State().handset.PutRecord(1, 1, "0123456789");
    std::string reply;

    link.connection->InjectFault(SIMFAULT_SHORT_REPLY, 0);
    link.Send(Request(0x4120, StoreAndIndex(1, 1)));
    ASSERT_EQ(S_OK, link.Receive(6 + 5, reply));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_TIMEOUT), link.Receive(1, reply));

    link.connection->InjectFault(SIMFAULT_TIMEOUT, 0);
    link.Send(Request(0x4120, StoreAndIndex(1, 1)));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_TIMEOUT), link.Receive(6, reply));
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(S_OK, GetErrorInfo(0, &info));
    Bstr description;
    info->GetDescription(description.Out());
    EXPECT_EQ(L"The handset did not answer within 2000 ms", description.Str());

    link.connection->InjectFault(SIMFAULT_GARBAGE_LENGTH, 0);
    link.Send(Request(0x4120, StoreAndIndex(1, 1)));
    ASSERT_EQ(S_OK, link.Receive(6, reply));
    ByteReader header(reply);
    header.ReadU16LE();
    EXPECT_EQ(0xFFFFFFF0u, header.ReadU32LE());
}

TEST(Simulator, RefusesBadStreamArgumentsAndCopiesOnlyInsideItsFolder)
{
    Link link;
    ByteArray bytes("ab", 2);
    EXPECT_EQ(E_INVALIDARG, link.agent->WriteStream(bytes.Get(), 3));
    EXPECT_EQ(E_INVALIDARG, link.agent->WriteStream(nullptr, 0));
    ByteArray out;
    EXPECT_EQ(E_INVALIDARG, link.agent->ReadStream(0, 2000, out.Out()));

    std::wstring root = kelvra::testing::MakeTempFolder(L"handset");
    link.connection->State().fileRoot = root;
    HANDLE file = CreateFileW((root + L"\\PhoneInfo.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);

    std::wstring target = kelvra::testing::MakeTempFolder(L"pc") + L"\\copy.ini";
    EXPECT_EQ(S_OK, link.agent->GetFile(Bstr(L"/PhoneInfo.ini").Get(), Bstr(target).Get()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(target.c_str()));
    EXPECT_EQ(E_INVALIDARG, link.agent->GetFile(Bstr(L"/../outside.ini").Get(), Bstr(target).Get()));
}

TEST(Simulator, KeepsItsHandsetInAFolderBetweenSessions)
{
    std::wstring folder = kelvra::testing::MakeTempFolder(L"kept-handset");
    {
        Link first;
        ASSERT_EQ(S_OK, first.connection->KeepStateIn(Bstr(folder).Get()));
        first.Send(Request(0x4130, StoreAndIndex(1, 7) + "contact"));
        std::string reply;
        ASSERT_EQ(S_OK, first.Receive(14, reply));
        first.connection->SetPrivacyLock(Bstr(L"01 00").Get(), Bstr(L"1234").Get());
    }
    {
        Link second;
        ASSERT_EQ(S_OK, second.connection->KeepStateIn(Bstr(folder).Get()));
        ASSERT_NE(nullptr, second.connection->State().handset.FindRecord(1, 7));
        EXPECT_EQ("contact", *second.connection->State().handset.FindRecord(1, 7));
        EXPECT_EQ(folder + L"\\files", second.connection->State().fileRoot);
    }

    std::ofstream(std::string(folder.begin(), folder.end()) + "\\handset.txt") << "record one two zz\n";
    Link third;
    EXPECT_EQ(E_FAIL, third.connection->KeepStateIn(Bstr(folder).Get()));
}

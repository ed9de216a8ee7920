// The request/reply discipline, byte for byte, against a scripted agent.
#include <gtest/gtest.h>

#include "Errors.h"
#include "KelvraBase.h"
#include "ScriptedAgent.h"

using namespace kelvra;
using kelvra::testing::Bytes;
using kelvra::testing::ScriptedAgent;

namespace {

struct Link {
    ComPtr<ScriptedAgent> agent = ScriptedAgent::Make();
    CKelvraBase codec{agent.Get(), 1, 3000};
};

LONG TamCodeOf(const std::function<void()>& body)
{
    try {
        body();
    } catch (const _tam_error& e) {
        return e.Code();
    }
    return 0;
}

}  // namespace

TEST(DeviceLink, RecordCountIsByteExact)
{
    Link link;
    link.agent->Queue(Bytes("01 41 04 00 00 00 2C 01 00 00"));
    EXPECT_EQ(300u, link.codec.GetRecordCount(1));
    EXPECT_EQ(Bytes("00 41 04 00 00 00 01 00 00 00"), link.agent->written);
    EXPECT_EQ(6, link.agent->readSizes.at(0));
    EXPECT_EQ(4, link.agent->readSizes.at(1));
}

TEST(DeviceLink, ShortCountPayloadLeavesTheMissingBytesZero)
{
    Link link;
    link.agent->Queue(Bytes("01 41 02 00 00 00 2C 01"));
    EXPECT_EQ(300u, link.codec.GetRecordCount(1));

    link.agent->Queue(Bytes("01 41 00 00 00 00"));
    EXPECT_EQ(0u, link.codec.GetRecordCount(1));
    EXPECT_EQ(2u + 1u, link.agent->readSizes.size());  // no payload read for a zero length
}

TEST(DeviceLink, EmptyReplyGivesAnEmptyBuffer)
{
    Link link;
    link.agent->Queue(Bytes("21 41 00 00 00 00"));
    uint32_t received = 99;
    std::string payload = link.codec.ExchangeAlloc(Bytes("20 41 08 00 00 00 01 00 00 00 05 00 00 00"), received, 2000);
    EXPECT_TRUE(payload.empty());
    EXPECT_EQ(0u, received);
}

TEST(DeviceLink, AssemblesRepliesThatArriveInChunks)
{
    Link link;
    link.agent->chunkSizes = {2, 1, 3, 2, 5};
    link.agent->Queue(Bytes("21 41 0A 00 00 00 00 01 02 03 04 05 06 07 08 09"));
    uint32_t received = 0;
    std::string payload = link.codec.ExchangeAlloc(Bytes("20 41 08 00 00 00 01 00 00 00 05 00 00 00"), received, 2000);
    EXPECT_EQ(Bytes("00 01 02 03 04 05 06 07 08 09"), payload);
    EXPECT_EQ(10u, received);
    EXPECT_GT(link.agent->readSizes.size(), 4u);
}

TEST(DeviceLink, AcceptsOnlyTheRequestCodePlusOne)
{
    Link link;
    uint8_t buffer[4];
    uint32_t received = 0;
    const std::string request = Bytes("00 41 04 00 00 00 01 00 00 00");

    link.agent->Queue(Bytes("01 41 04 00 00 00 07 00 00 00"));
    EXPECT_TRUE(link.codec.Exchange(request, buffer, 4, received, CKelvraBase::kMismatchIsError, 2000));

    link.agent->Queue(Bytes("00 41 04 00 00 00 07 00 00 00"));
    EXPECT_FALSE(link.codec.Exchange(request, buffer, 4, received, CKelvraBase::kMismatchIsFalse, 2000));
    EXPECT_EQ(4u, received);  // the payload was read all the same

    link.agent->Queue(Bytes("00 41 04 00 00 00 07 00 00 00"));
    EXPECT_EQ(1, TamCodeOf([&] { link.codec.Exchange(request, buffer, 4, received, 1, 2000); }));
    link.agent->Queue(Bytes("00 41 04 00 00 00 07 00 00 00"));
    EXPECT_EQ(1, TamCodeOf([&] { link.codec.GetRecordCount(1); }));
    link.agent->Queue(Bytes("00 41 00 00 00 00"));
    EXPECT_EQ(1, TamCodeOf([&] { link.codec.ExchangeAlloc(request, received, 2000); }));
}

TEST(DeviceLink, IndexListTakesWholeEntriesOnly)
{
    Link link;
    link.agent->Queue(Bytes("11 41 07 00 00 00 02 00 00 2C 01 01 FF"));
    std::vector<uint32_t> indexes{77};
    EXPECT_TRUE(link.codec.GetRecordIndexList(indexes, 1, 10));
    EXPECT_EQ((std::vector<uint32_t>{77, 2, 300}), indexes);
    EXPECT_EQ(Bytes("10 41 04 00 00 00 01 00 00 00"), link.agent->written);

    link.agent->Queue(Bytes("11 41 00 00 00 00"));
    EXPECT_TRUE(link.codec.GetRecordIndexList(indexes, 2, 10));
    EXPECT_EQ(3u, indexes.size());
}

TEST(DeviceLink, NeverWritesPastTheCallersBuffer)
{
    Link link;
    // Five entries answer a request for at most two.
    link.agent->Queue(Bytes("11 41 0F 00 00 00 01 00 00 02 00 00 03 00 00 04 00 00 05 00 00"));
    std::vector<uint32_t> indexes;
    link.codec.GetRecordIndexList(indexes, 1, 2);
    EXPECT_EQ((std::vector<uint32_t>{1, 2}), indexes);

    uint8_t buffer[6] = {0, 0, 0, 0, 0xEE, 0xEE};
    uint32_t received = 0;
    link.agent->Queue(Bytes("01 41 06 00 00 00 01 02 03 04 05 06"));
    link.agent->Queue(Bytes("01 41 04 00 00 00 09 00 00 00"));
    EXPECT_TRUE(link.codec.Exchange(Bytes("00 41 04 00 00 00 01 00 00 00"), buffer, 4, received, 1, 2000));
    EXPECT_EQ(4u, received);
    EXPECT_EQ(0xEE, buffer[4]);
    // The cut bytes were read, so the next exchange starts on its own header.
    EXPECT_EQ(9u, link.codec.GetRecordCount(1));
}

TEST(DeviceLink, RefusesAbsurdLengthsAndSilentAgents)
{
    Link link;
    uint32_t received = 0;
    link.agent->Queue(Bytes("21 41 F0 FF FF FF 00"));
    EXPECT_EQ(1, TamCodeOf([&] { link.codec.ExchangeAlloc(Bytes("20 41 00 00 00 00"), received, 2000); }));
    // The announced payload is never asked for; what the link held is read away in small
    // pieces, so the next request gets its own answer.
    EXPECT_EQ(6, link.agent->readSizes.front());
    for (long size : link.agent->readSizes)
        EXPECT_LE(size, 4096);
    link.agent->Queue(Bytes("01 41 04 00 00 00 09 00 00 00"));
    EXPECT_EQ(9u, link.codec.GetRecordCount(1));

    // A header whose code belongs to another request is no reply: the megabyte it
    // announces is never asked for. A line that floods ends the exchange all the same.
    Link garbled;
    garbled.agent->Queue(Bytes("21 43 00 00 10 00") + std::string(64, 'x'));
    EXPECT_EQ(1, TamCodeOf([&] { garbled.codec.GetRecordCount(1); }));
    for (long size : garbled.agent->readSizes)
        EXPECT_LE(size, 4096);
    Link flooded;
    flooded.agent->flood = true;
    EXPECT_EQ(1, TamCodeOf([&] { flooded.codec.GetRecordCount(1); }));

    Link silent;
    silent.agent->emptyReads = 1000;
    EXPECT_EQ(15, TamCodeOf([&] { silent.codec.GetRecordCount(1); }));
    EXPECT_LT(silent.agent->readSizes.size(), 10u);

    Link generous;
    generous.agent->extraBytes = 3;
    generous.agent->Queue(Bytes("01 41 04 00 00 00 2C 01 00 00 AA BB CC"));
    EXPECT_EQ(1, TamCodeOf([&] { generous.codec.GetRecordCount(1); }));
}

TEST(DeviceLink, AgentFailuresAndAMissingAgentAreComErrors)
{
    Link link;  // nothing queued: the read times out
    try {
        link.codec.GetRecordCount(1);
        FAIL() << "no exception";
    } catch (const _com_error& e) {
        EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_TIMEOUT), e.Error());
    }

    CKelvraBase detached(nullptr);
    try {
        detached.SetMode(0);
        FAIL() << "no exception";
    } catch (const _com_error& e) {
        EXPECT_EQ(E_POINTER, e.Error());
    }
}

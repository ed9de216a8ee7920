// The phonebook and card tables through IDataTable, against the simulator, on every
// built-in model.
#include <gtest/gtest.h>

#include <fstream>

#include "ByteCursor.h"
#include "PhonebookTestSupport.h"
#include "RecordBuilder.h"

using namespace kelvra;
using namespace kelvra::testing;

namespace {

ComPtr<IItem> NewItem(IDataTable* table, QELDATATYPE type)
{
    ComPtr<IItem> item;
    EXPECT_EQ(S_OK, table->NewItem(type, 0, 0, item.GetAddressOf()));
    return item;
}

ComPtr<IItem> NewContact(IDataTable* table, const wchar_t* first, const wchar_t* number)
{
    ComPtr<IItem> item = NewItem(table, QELDT_PHONEBOOK);
    SetColumn(item.Get(), L"FIRST_NAME", first);
    SetColumn(item.Get(), L"TEL_NUM_0", number);
    SetColumn(item.Get(), L"TEL_TYPE_0", L"Mobile.Private");
    return item;
}

QELDATATYPE TypeOf(IItem* item)
{
    QELDATATYPE type = QELDT_PHONEBOOK;
    item->getType(&type);
    return type;
}

class EveryModel : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(EveryModel, ContactsGroupsAndCardsRoundTrip)
{
    Handset handset(GetParam());
    handset.connection->SetCardInfo(13, 16, 5, 20);
    handset.connection->SetCardInfo(14, 16, 3, 20);
    handset.connection->SetRecordSize(13, 150);
    handset.connection->SetRecordSize(14, 150);
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    ASSERT_NE(nullptr, phonebook.Get());

    SUID first = 0, second = 0;
    ComPtr<IItem> ada = NewContact(phonebook.Get(), L"Ada", L"+44 20 7946 0000");
    ASSERT_EQ(S_OK, phonebook->CreateItem(ada.Get(), &first));
    ASSERT_EQ(S_OK, phonebook->CreateItem(NewContact(phonebook.Get(), L"Grace", L"555 0101").Get(), &second));
    EXPECT_EQ(1, first);
    EXPECT_EQ(2, second);
    EXPECT_EQ(1, SuidOf(ada.Get()));
    EXPECT_EQ(L"Ada", ColumnText(ada.Get(), L"FIRST_NAME"));  // read back from the handset
    // KTM-A230 (resource 208) shows numbers as stored; the others clean them.
    EXPECT_EQ(GetParam() == 208 ? L"+44 20 7946 0000" : L"+442079460000", ColumnText(ada.Get(), L"TEL_NUM_0"));

    ComPtr<IItem> group = NewItem(phonebook.Get(), QELDT_GROUP);
    SetColumn(group.Get(), L"NAME", L"Friends");
    SUID groupSuid = 0;
    ASSERT_EQ(S_OK, phonebook->CreateItem(group.Get(), &groupSuid));
    EXPECT_EQ(1, groupSuid);
    EXPECT_EQ(L"Friends", ColumnText(group.Get(), L"NAME"));

    SetColumn(ada.Get(), L"NOTES", L"first programmer");
    ASSERT_EQ(S_OK, phonebook->UpdateItem(ada.Get()));

    std::vector<ComPtr<IItem>> items = ListAll(phonebook.Get());
    ASSERT_EQ(3u, items.size());  // the single group first, then the entries
    EXPECT_EQ(L"Friends", ColumnText(items[0].Get(), L"NAME"));
    EXPECT_EQ(L"first programmer", ColumnText(items[1].Get(), L"NOTES"));
    EXPECT_EQ(L"Grace", ColumnText(items[2].Get(), L"FIRST_NAME"));
    ULONG count = 0;
    ASSERT_EQ(S_OK, phonebook->GetItemCount(nullptr, 0, QELDT_PHONEBOOK, &count));
    EXPECT_EQ(3u, count);

    ASSERT_EQ(S_OK, phonebook->DeleteItem(ada.Get()));
    EXPECT_EQ(nullptr, handset.Sim().FindRecord(1, 1));
    SUID reused = 0;
    ASSERT_EQ(S_OK, phonebook->CreateItem(NewContact(phonebook.Get(), L"Alan", L"1").Get(), &reused));
    EXPECT_EQ(1, reused);
    ASSERT_EQ(S_OK, phonebook->DeleteItem(group.Get()));
    EXPECT_EQ(nullptr, handset.Sim().FindRecord(2, 1));

    for (DATATABLE_SUID id : {DTID_SIM, DTID_SIM2}) {
        ComPtr<IDataTable> card = handset.Table(id);
        ASSERT_NE(nullptr, card.Get());
        uint32_t kind = id == DTID_SIM ? 13 : 14;
        ComPtr<IItem> entry = NewItem(card.Get(), QELDT_PHONEBOOK_SIM);
        SetColumn(entry.Get(), L"DISPLAY_NAME", L"Mum");
        SetColumn(entry.Get(), L"TEL_NUM_0", L"010 2222 3333");
        SUID suid = 0;
        ASSERT_EQ(S_OK, card->CreateItem(entry.Get(), &suid));
        EXPECT_EQ(1, suid);
        ASSERT_NE(nullptr, handset.Sim().FindRecord(kind, 1));
        std::vector<ComPtr<IItem>> entries = ListAll(card.Get());
        ASSERT_EQ(1u, entries.size());
        EXPECT_EQ(L"Mum", ColumnText(entries[0].Get(), L"DISPLAY_NAME"));
        EXPECT_EQ(L"01022223333", ColumnText(entries[0].Get(), L"TEL_NUM_0"));
        EXPECT_EQ(L"Private", ColumnText(entries[0].Get(), L"TEL_TYPE_0"));
        SetColumn(entries[0].Get(), L"DISPLAY_NAME", L"Mother");
        ASSERT_EQ(S_OK, card->UpdateItem(entries[0].Get()));
        EXPECT_EQ(L"Mother", ColumnText(ListAll(card.Get())[0].Get(), L"DISPLAY_NAME"));
        ASSERT_EQ(S_OK, card->DeleteItem(entries[0].Get()));
        EXPECT_EQ(nullptr, handset.Sim().FindRecord(kind, 1));
        EXPECT_TRUE(ListAll(card.Get()).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(BuiltInModels, EveryModel, ::testing::Values(202, 203, 208, 210, 211, 212, 218));

TEST(PhonebookTable, ListsGroupsAfterTheSkippedIndexZeroThenEntries)
{
    Handset handset(202);
    RecordBuilder group;
    group.U8(1).U8(0).Wide(L"G", 21).Narrow("", 257).U16(0).Narrow("", 257).U16(0);
    for (uint32_t index : {0u, 1u, 2u})
        handset.Sim().PutRecord(2, index, group.Bytes());
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    for (const wchar_t* name : {L"A", L"B"})
        ASSERT_EQ(S_OK, phonebook->CreateItem(NewContact(phonebook.Get(), name, L"1").Get(), nullptr));

    std::vector<ComPtr<IItem>> items = ListAll(phonebook.Get());
    ASSERT_EQ(4u, items.size());
    EXPECT_EQ(QELDT_GROUP, TypeOf(items[0].Get()));
    EXPECT_EQ(1, SuidOf(items[0].Get()));
    EXPECT_EQ(2, SuidOf(items[1].Get()));
    EXPECT_EQ(QELDT_PHONEBOOK, TypeOf(items[2].Get()));
    EXPECT_EQ(L"B", ColumnText(items[3].Get(), L"FIRST_NAME"));

    ULONG count = 0;
    ASSERT_EQ(S_OK, phonebook->GetItemCount(nullptr, 0, QELDT_PHONEBOOK, &count));
    EXPECT_EQ(5u, count);  // the group at index 0 counts
    // The listing closed itself after the last entry.
    ComPtr<IItem> none;
    EXPECT_EQ(S_OK, phonebook->NextItem(none.GetAddressOf()));
    EXPECT_EQ(nullptr, none.Get());
}

TEST(PhonebookTable, ListsALoneGroupOnAHandsetWithoutTheGroupAtIndexZero)
{
    Handset handset(202);
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    SUID suid = 0;
    ComPtr<IItem> group = NewItem(phonebook.Get(), QELDT_GROUP);
    SetColumn(group.Get(), L"NAME", L"Club");
    ASSERT_EQ(S_OK, phonebook->CreateItem(group.Get(), &suid));
    ASSERT_EQ(1, suid);

    std::vector<ComPtr<IItem>> items = ListAll(phonebook.Get());
    ASSERT_EQ(1u, items.size());
    EXPECT_EQ(QELDT_GROUP, TypeOf(items[0].Get()));
    EXPECT_EQ(L"Club", ColumnText(items[0].Get(), L"NAME"));
    ASSERT_EQ(S_OK, phonebook->DeleteItem(items[0].Get()));
    EXPECT_TRUE(ListAll(phonebook.Get()).empty());

    // The "no group" record alone is still not listed.
    RecordBuilder none;
    none.U8(1).U8(0).Wide(L"", 21).Narrow("", 257).U16(0).Narrow("", 257).U16(0);
    handset.Sim().PutRecord(2, 0, none.Bytes());
    EXPECT_TRUE(ListAll(phonebook.Get()).empty());
}

TEST(PhonebookTable, TakesTheSmallestFreeIndexAndRefusesAFullStore)
{
    Handset handset(202);
    for (uint32_t index : {1u, 2u, 4u})
        handset.Sim().PutRecord(1, index, std::string(2316, '\0'));
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    SUID suid = 0;
    ASSERT_EQ(S_OK, phonebook->CreateItem(NewContact(phonebook.Get(), L"X", L"1").Get(), &suid));
    EXPECT_EQ(3, suid);

    for (uint32_t index = 1; index <= 1000; ++index)
        handset.Sim().PutRecord(1, index, std::string(2316, '\0'));
    ComPtr<IItem> extra = NewContact(phonebook.Get(), L"Y", L"2");
    EXPECT_EQ(static_cast<HRESULT>(0x8004000C), phonebook->CreateItem(extra.Get(), &suid));
    ListAll(phonebook.Get());
    EXPECT_EQ(static_cast<HRESULT>(0x8004000C), phonebook->CreateItem(extra.Get(), &suid));

    // A full phonebook still takes changes to its entries.
    ComPtr<IItem> existing = NewContact(phonebook.Get(), L"Z", L"3");
    ASSERT_EQ(S_OK, phonebook->NewItem(QELDT_PHONEBOOK, 500, 0, existing.ReleaseAndGetAddressOf()));
    SetColumn(existing.Get(), L"FIRST_NAME", L"Zed");
    ASSERT_EQ(S_OK, phonebook->UpdateItem(existing.Get()));
    EXPECT_EQ(L"Zed", ColumnText(existing.Get(), L"FIRST_NAME"));
}

// What one create moves on the link, both ways, and how many requests it takes.
struct CreateCost {
    uint64_t bytes = 0;
    long requests = 0;
};

CreateCost CostOfCreate(Handset& handset, IDataTable* phonebook, const wchar_t* name, SUID* suid = nullptr)
{
    sim::SimHandset& sim = handset.Sim();
    uint64_t bytesBefore = sim.BytesIn() + sim.BytesOut();
    long requestsBefore = sim.RequestCount();
    EXPECT_EQ(S_OK, phonebook->CreateItem(NewContact(phonebook, name, L"5550101").Get(), suid));
    return {sim.BytesIn() + sim.BytesOut() - bytesBefore, sim.RequestCount() - requestsBefore};
}

// A KTM-A290 contact record is 2,924 bytes. A create asks the store's count (10 bytes
// each way), writes the record (a 14-byte header with its store and index, and an 8-byte
// answer after a 6-byte header) and reads it back (14 bytes asked, a 6-byte header): the
// whole list of used places is read only by the first create of the table.
TEST(PhonebookTable, ACreateMovesTheRecordTwiceAndAFewHeadersWhateverTheStoreHolds)
{
    constexpr uint64_t kRecord = 2924;
    for (uint32_t held : {100u, 1000u, 1997u}) {
        Handset handset(211);
        for (uint32_t index = 1; index <= held; ++index)
            handset.Sim().PutRecord(1, index, std::string(kRecord, '\0'));
        ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
        CostOfCreate(handset, phonebook.Get(), L"First");
        for (const wchar_t* name : {L"Second", L"Third"}) {
            CreateCost cost = CostOfCreate(handset, phonebook.Get(), name);
            EXPECT_EQ(3, cost.requests) << held;
            EXPECT_EQ(2 * kRecord + 20 + 14 + 14 + 14 + 6, cost.bytes) << held;
        }
    }
}

// The kept list is trusted only while the store's count agrees and nothing failed: a
// record stored or removed behind the component, or a failed exchange, has the next
// create read the whole list again, and no create overwrites a record.
TEST(PhonebookTable, ACreateReadsThePlacesAgainWhenTheStoreChangedOrAnExchangeFailed)
{
    Handset handset(202);
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    SUID suid = 0;
    CostOfCreate(handset, phonebook.Get(), L"Ada", &suid);
    EXPECT_EQ(1, suid);

    const std::string behind(2316, 'B');
    handset.Sim().PutRecord(1, 2, behind);
    CreateCost cost = CostOfCreate(handset, phonebook.Get(), L"Grace", &suid);
    EXPECT_EQ(4, cost.requests);  // the count disagreed: the list was read again
    EXPECT_EQ(3, suid);
    EXPECT_EQ(behind, *handset.Sim().FindRecord(1, 2));

    handset.Sim().RemoveRecord(1, 1);
    CostOfCreate(handset, phonebook.Get(), L"Edsger", &suid);
    EXPECT_EQ(1, suid);  // the place freed behind its back is seen free again

    CostOfCreate(handset, phonebook.Get(), L"Barbara", &suid);
    EXPECT_EQ(4, suid);
    // Behind the component a record moves from 4 to 5: the count stays. Only a failed
    // exchange in between has the next create look again, and it then takes 4.
    handset.Sim().RemoveRecord(1, 4);
    handset.Sim().PutRecord(1, 5, behind);
    handset.connection->InjectFault(SIMFAULT_TIMEOUT, 0);
    ULONG count = 0;
    EXPECT_TRUE(FAILED(phonebook->GetItemCount(nullptr, 0, QELDT_PHONEBOOK, &count)));
    handset.connection->InjectFault(SIMFAULT_NONE, 0);
    cost = CostOfCreate(handset, phonebook.Get(), L"Niklaus", &suid);
    EXPECT_EQ(4, cost.requests);
    EXPECT_EQ(4, suid);
    EXPECT_EQ(behind, *handset.Sim().FindRecord(1, 5));
}

TEST(PhonebookTable, RefusesItemsOfOtherKindsAndImpossibleSuids)
{
    Handset handset(202);
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    ComPtr<IDataTable> card = handset.Table(DTID_SIM);
    handset.Sim().PutRecord(1, 3, std::string(2316, '\0'));

    ComPtr<IItem> cardEntry;
    ASSERT_EQ(S_OK, card->NewItem(QELDT_PHONEBOOK_SIM, 3, 0, cardEntry.GetAddressOf()));
    long before = handset.Sim().RequestCount();
    EXPECT_EQ(E_INVALIDARG, phonebook->DeleteItem(cardEntry.Get()));
    EXPECT_EQ(E_INVALIDARG, phonebook->CreateItem(cardEntry.Get(), nullptr));
    EXPECT_EQ(before, handset.Sim().RequestCount());  // nothing was sent
    EXPECT_NE(nullptr, handset.Sim().FindRecord(1, 3));

    ComPtr<IItem> absurd;
    ASSERT_EQ(S_OK, phonebook->NewItem(QELDT_PHONEBOOK, 70000, 0, absurd.GetAddressOf()));
    EXPECT_EQ(E_INVALIDARG, phonebook->UpdateItem(absurd.Get()));
    EXPECT_EQ(E_INVALIDARG, phonebook->DeleteItem(absurd.Get()));

    ComPtr<IItem> wrongKind;
    EXPECT_EQ(E_FAIL, phonebook->NewItem(QELDT_PHONEBOOK_SIM, 0, 0, wrongKind.GetAddressOf()));
    EXPECT_EQ(nullptr, wrongKind.Get());
    EXPECT_EQ(E_FAIL, card->NewItem(QELDT_PHONEBOOK, 0, 0, wrongKind.GetAddressOf()));
}

TEST(PhonebookTable, HandsetFaultsBecomeFailingResults)
{
    Handset handset(202);
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    handset.connection->InjectFault(SIMFAULT_TIMEOUT, 0);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_TIMEOUT), phonebook->ListItemsAllBegin());
    handset.connection->InjectFault(SIMFAULT_WRONG_REPLY_CODE, 0);
    ULONG count = 0;
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), phonebook->GetItemCount(nullptr, 0, QELDT_PHONEBOOK, &count));
    handset.connection->InjectFault(SIMFAULT_GARBAGE_LENGTH, 0);
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), phonebook->GetItemCount(nullptr, 0, QELDT_PHONEBOOK, &count));
    handset.connection->InjectFault(SIMFAULT_SHORT_REPLY, 0);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_TIMEOUT), phonebook->GetItemCount(nullptr, 0, QELDT_PHONEBOOK, &count));
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(S_OK, GetErrorInfo(0, &info));
    Bstr description;
    info->GetDescription(description.Out());
    EXPECT_NE(std::wstring::npos, description.Str().find(L"reply stopped after 2 of 4 bytes")) << description.Str();
}

TEST(CardTable, CutsNamesAndNumbersToTheCardsLimits)
{
    Handset handset(202);
    handset.connection->SetCardInfo(14, 8, 2, 8);
    ComPtr<IDataTable> card = handset.Table(DTID_SIM2);
    // Created before any listing: the table asks the card for its limits first.
    ComPtr<IItem> entry;
    ASSERT_EQ(S_OK, card->NewItem(QELDT_PHONEBOOK_SIM, 0, 0, entry.GetAddressOf()));
    SetColumn(entry.Get(), L"DISPLAY_NAME", L"Alexander Hamilton");
    SetColumn(entry.Get(), L"TEL_NUM_0", L"+1 (212) 555-0100");
    SUID suid = 0;
    ASSERT_EQ(S_OK, card->CreateItem(entry.Get(), &suid));
    EXPECT_EQ(1, suid);
    EXPECT_EQ(L"Alexande", ColumnText(entry.Get(), L"DISPLAY_NAME"));
    EXPECT_EQ(L"+12125550", ColumnText(entry.Get(), L"TEL_NUM_0"));

    RecordBuilder record;
    record.U16(1).Wide(L"Alexande", 33).Wide(L"+12125550", 41);
    std::string request = ByteWriter().U16LE(0x4130).U32LE(158).U32LE(14).U32LE(1).Bytes(record.Bytes()).Take();
    EXPECT_EQ(request, handset.Sim().LastRequest());
    ASSERT_EQ(16u + 148u, request.size());

    ComPtr<IItem> second;
    card->NewItem(QELDT_PHONEBOOK_SIM, 0, 0, second.GetAddressOf());
    SetColumn(second.Get(), L"TEL_NUM_0", L"2");
    ASSERT_EQ(S_OK, card->CreateItem(second.Get(), &suid));
    EXPECT_EQ(2, suid);
    ComPtr<IItem> third;
    card->NewItem(QELDT_PHONEBOOK_SIM, 0, 0, third.GetAddressOf());
    SetColumn(third.Get(), L"TEL_NUM_0", L"3");
    EXPECT_EQ(static_cast<HRESULT>(0x8004000C), card->CreateItem(third.Get(), &suid));
}

// The card's slot map is kept between creates while the card's count agrees: a create
// then asks the count and writes. An entry stored behind the component changes the
// count, and the card is read again before the next create takes a slot.
TEST(CardTable, CreatesReadTheCardAgainOnlyWhenItChanged)
{
    Handset handset(202);
    handset.connection->SetCardInfo(14, 8, 4, 8);
    ComPtr<IDataTable> card = handset.Table(DTID_SIM2);
    auto create = [&](const wchar_t* number, long& requests) {
        ComPtr<IItem> entry;
        EXPECT_EQ(S_OK, card->NewItem(QELDT_PHONEBOOK_SIM, 0, 0, entry.GetAddressOf()));
        SetColumn(entry.Get(), L"TEL_NUM_0", number);
        long before = handset.Sim().RequestCount();
        SUID suid = 0;
        EXPECT_EQ(S_OK, card->CreateItem(entry.Get(), &suid));
        requests = handset.Sim().RequestCount() - before;
        return suid;
    };
    long requests = 0;
    EXPECT_EQ(1, create(L"1", requests));
    EXPECT_EQ(2, create(L"2", requests));
    EXPECT_EQ(2, requests);

    RecordBuilder behind;
    behind.U16(3).Wide(L"Behind", 33).Wide(L"5550103", 41);
    handset.Sim().PutRecord(14, 3, behind.Bytes());
    EXPECT_EQ(4, create(L"4", requests));
    EXPECT_GT(requests, 2);
    EXPECT_EQ(behind.Bytes(), *handset.Sim().FindRecord(14, 3));
}

TEST(CardTable, NeverWritesMoreThanTheProfilesFieldHolds)
{
    Handset handset(202);
    handset.connection->SetCardInfo(13, 500, 4, 500);  // the card claims far more room
    ComPtr<IDataTable> card = handset.Table(DTID_SIM);
    ComPtr<IItem> entry;
    card->NewItem(QELDT_PHONEBOOK_SIM, 0, 0, entry.GetAddressOf());
    SetColumn(entry.Get(), L"DISPLAY_NAME", std::wstring(100, L'n').c_str());
    SetColumn(entry.Get(), L"TEL_NUM_0", std::wstring(100, L'7').c_str());
    ASSERT_EQ(S_OK, card->CreateItem(entry.Get(), nullptr));
    EXPECT_EQ(std::wstring(32, L'n'), ColumnText(entry.Get(), L"DISPLAY_NAME"));
    EXPECT_EQ(std::wstring(40, L'7'), ColumnText(entry.Get(), L"TEL_NUM_0"));
    EXPECT_EQ(16u + 148u, handset.Sim().LastRequest().size());
}

TEST(CardTable, SecondCardSaysSoInEveryRequest)
{
    Handset handset(202);
    handset.connection->SetCardInfo(14, 16, 3, 20);
    ComPtr<IDataTable> card = handset.Table(DTID_SIM2);
    ASSERT_EQ(S_OK, card->ListItemsAllBegin());
    ULONG count = 9;
    ASSERT_EQ(S_OK, card->GetItemCount(nullptr, 0, QELDT_PHONEBOOK_SIM, &count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(Bytes("00 41 04 00 00 00 0E 00 00 00"), handset.Sim().LastRequest());

    handset.connection->SetCardInfo(13, 16, 3, 20);
    ComPtr<IDataTable> first = handset.Table(DTID_SIM);
    ASSERT_EQ(S_OK, first->ListItemsAllBegin());
    EXPECT_NE(first.Get(), card.Get());
}

TEST(PhonebookTable, EveryOperationItDoesNotOfferLeavesItsArgumentsAlone)
{
    Handset handset(202);
    for (DATATABLE_SUID id : {DTID_PHONEBOOK, DTID_SIM, DTID_SIM2}) {
        ComPtr<IDataTable> table = handset.Table(id);
        IItem* const sentinel = reinterpret_cast<IItem*>(0x1234);
        BSTR const text = reinterpret_cast<BSTR>(0x5678);
        IItem* item = sentinel;
        BSTR value = text;
        EXPECT_EQ(E_NOTIMPL, table->ReadItem(nullptr));
        EXPECT_EQ(E_NOTIMPL, table->ListChildItemsBegin(nullptr));
        EXPECT_EQ(E_NOTIMPL, table->MoveItem(nullptr, nullptr));
        EXPECT_EQ(E_NOTIMPL, table->GetItem(nullptr, nullptr, &item));
        EXPECT_EQ(E_NOTIMPL, table->PutItem(nullptr, nullptr));
        EXPECT_EQ(E_NOTIMPL, table->Execute(nullptr, nullptr, &item));
        EXPECT_EQ(E_NOTIMPL, table->GetProperty(nullptr, &value));
        EXPECT_EQ(E_NOTIMPL, table->SetSyncStatus(QELSS_IDLE));
        EXPECT_EQ(E_NOTIMPL, table->ListItemsAllBegin2());
        EXPECT_EQ(E_NOTIMPL, table->GetDeviceFreeSize());
        EXPECT_EQ(E_NOTIMPL, table->SetCancelEvent());
        EXPECT_EQ(E_NOTIMPL, table->Backup_Contents(0, 0, &value));
        EXPECT_EQ(E_NOTIMPL, table->Restore_Contents(0, nullptr, &value));
        EXPECT_EQ(E_NOTIMPL, table->Backup_Finish(&value));
        EXPECT_EQ(E_NOTIMPL, table->Backup_Cancel(&value));
        EXPECT_EQ(E_NOTIMPL, table->Restore_Start(0, &value));
        EXPECT_EQ(E_NOTIMPL, table->Restore_Cancel(&value));
        EXPECT_EQ(E_NOTIMPL, table->Restore_Finish(&value));
        EXPECT_EQ(sentinel, item);
        EXPECT_EQ(text, value);
    }
}

TEST(PhonebookTable, HandsTheCardSpeedDialsOnwards)
{
    Handset handset(202);
    handset.Answer(L"Application.Phonebook.SupportSIMSpeedDial", L"true");
    // Records of store 15: an address, no name or number fields on this model, then the
    // speed-dial slot and the contact it points at.
    handset.Sim().PutRecord(15, 2, Bytes("00 00 05 00 E9 03"));  // 1001 lies past the phonebook
    handset.Sim().PutRecord(15, 4, Bytes("00 00 06 00 0A 00"));  // contact 10 is inside it
    std::vector<uint16_t> received{99};
    handset.Phonebook().SetSpeedDialReceiver([&](const std::vector<uint16_t>& list) { received = list; });
    ASSERT_EQ(S_OK, handset.Table(DTID_PHONEBOOK)->ListItemsAllBegin());
    EXPECT_EQ((std::vector<uint16_t>{5}), received);
}

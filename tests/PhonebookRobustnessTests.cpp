// Listings that end and go on as they should, untrusted handset answers and profile
// numbers, and tables that outlive their device data object.
#include <gtest/gtest.h>

#include <climits>

#include "KelvraPB.h"
#include "PhonebookLayouts.h"
#include "PhonebookTestSupport.h"
#include "RecordBuilder.h"

using namespace kelvra;
using namespace kelvra::testing;

namespace {

ComPtr<IItem> NewContact(IDataTable* table, const wchar_t* first)
{
    ComPtr<IItem> item;
    EXPECT_EQ(S_OK, table->NewItem(QELDT_PHONEBOOK, 0, 0, item.GetAddressOf()));
    SetColumn(item.Get(), L"FIRST_NAME", first);
    return item;
}

ComPtr<IItem> NewCardEntry(IDataTable* table, const wchar_t* name, const wchar_t* number)
{
    ComPtr<IItem> item;
    EXPECT_EQ(S_OK, table->NewItem(QELDT_PHONEBOOK_SIM, 0, 0, item.GetAddressOf()));
    SetColumn(item.Get(), L"DISPLAY_NAME", name);
    if (number)
        SetColumn(item.Get(), L"TEL_NUM_0", number);
    return item;
}

}  // namespace

TEST(Listing, AnEmptyStoreClosesItsListingSoTheNextOneSeesNewRecords)
{
    Handset handset(202);
    handset.connection->SetCardInfo(13, 16, 5, 20);
    for (DATATABLE_SUID id : {DTID_PHONEBOOK, DTID_SIM}) {
        SCOPED_TRACE(id);
        ComPtr<IDataTable> table = handset.Table(id);
        ComPtr<IItem> none;
        ASSERT_EQ(S_OK, table->ListItemsAllBegin());
        ASSERT_EQ(S_OK, table->NextItem(none.GetAddressOf()));
        ASSERT_EQ(nullptr, none.Get());

        ComPtr<IItem> made = id == DTID_PHONEBOOK ? NewContact(table.Get(), L"New") : NewCardEntry(table.Get(), L"New", L"1");
        ASSERT_EQ(S_OK, table->CreateItem(made.Get(), nullptr));
        ComPtr<IItem> listed;
        ASSERT_EQ(S_OK, table->ListItemsAllBegin());
        ASSERT_EQ(S_OK, table->NextItem(listed.GetAddressOf()));
        ASSERT_NE(nullptr, listed.Get());
        EXPECT_EQ(1, SuidOf(listed.Get()));
    }
}

TEST(Listing, ADamagedRecordIsNamedAndTheListingGoesOnPastIt)
{
    Handset handset(202);
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    for (const wchar_t* name : {L"First", L"Second", L"Third"})
        ASSERT_EQ(S_OK, phonebook->CreateItem(NewContact(phonebook.Get(), name).Get(), nullptr));
    handset.Sim().PutRecord(1, 2, std::string(100, '\x01'));  // cut short

    ASSERT_EQ(S_OK, phonebook->ListItemsAllBegin());
    ComPtr<IItem> item;
    ASSERT_EQ(S_OK, phonebook->NextItem(item.GetAddressOf()));
    EXPECT_EQ(L"First", ColumnText(item.Get(), L"FIRST_NAME"));
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), phonebook->NextItem(item.ReleaseAndGetAddressOf()));
    EXPECT_EQ(nullptr, item.Get());
    EXPECT_NE(std::wstring::npos, ThreadErrorDescription().find(L"Contact 2 could not be read"));
    ASSERT_EQ(S_OK, phonebook->NextItem(item.ReleaseAndGetAddressOf()));
    ASSERT_NE(nullptr, item.Get());
    EXPECT_EQ(L"Third", ColumnText(item.Get(), L"FIRST_NAME"));
    ASSERT_EQ(S_OK, phonebook->NextItem(item.ReleaseAndGetAddressOf()));
    EXPECT_EQ(nullptr, item.Get());

    // The damaged record as the last one still ends the listing.
    handset.Sim().PutRecord(1, 3, std::string(10, '\x01'));
    ASSERT_EQ(S_OK, phonebook->ListItemsAllBegin());
    EXPECT_EQ(S_OK, phonebook->NextItem(item.ReleaseAndGetAddressOf()));
    EXPECT_NE(S_OK, phonebook->NextItem(item.ReleaseAndGetAddressOf()));
    EXPECT_NE(S_OK, phonebook->NextItem(item.ReleaseAndGetAddressOf()));
    EXPECT_EQ(S_OK, phonebook->NextItem(item.ReleaseAndGetAddressOf()));
    EXPECT_EQ(nullptr, item.Get());
    SUID suid = 0;
    ASSERT_EQ(S_OK, phonebook->CreateItem(NewContact(phonebook.Get(), L"Fourth").Get(), &suid));
    EXPECT_EQ(4, suid);
}

TEST(CardTable, ItsSlotMapCannotBeIndexedPastItsEnd)
{
    Handset handset(202);
    handset.connection->SetCardInfo(13, 16, 3, 20);
    ComPtr<IDataTable> card = handset.Table(DTID_SIM);
    ASSERT_EQ(S_OK, card->CreateItem(NewCardEntry(card.Get(), L"A", L"1").Get(), nullptr));

    // The card now claims many more slots, but the count that follows fails.
    handset.connection->SetCardInfo(13, 16, 5000, 20);
    handset.connection->InjectFault(SIMFAULT_WRONG_REPLY_CODE, 1);
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), card->ListItemsAllBegin());
    long before = handset.Sim().RequestCount();
    for (SUID suid : {4, 100, 4000, 5000, 0, -1, INT_MAX}) {
        ComPtr<IItem> stranger;
        ASSERT_EQ(S_OK, card->NewItem(QELDT_PHONEBOOK_SIM, suid, 0, stranger.GetAddressOf()));
        EXPECT_EQ(E_INVALIDARG, card->DeleteItem(stranger.Get())) << suid;
        SetColumn(stranger.Get(), L"TEL_NUM_0", L"2");
        EXPECT_EQ(E_INVALIDARG, card->UpdateItem(stranger.Get())) << suid;
    }
    EXPECT_EQ(before, handset.Sim().RequestCount());
    ComPtr<IItem> first;
    ASSERT_EQ(S_OK, card->NewItem(QELDT_PHONEBOOK_SIM, 1, 0, first.GetAddressOf()));
    EXPECT_EQ(S_OK, card->DeleteItem(first.Get()));
}

TEST(CardTable, ASlotAndItsSuidNameTheSameEntryWhateverTheStartIndex)
{
    Handset handset(202);
    handset.device->Model().SetText(L"RUIM_startindex", L"2");
    handset.connection->SetCardInfo(13, 16, 3, 20);
    ModelProfile& profile = handset.device->Model();
    CardEntryLayout layout = CardEntryLayout::For(profile.Length(L"RUIM_DefaultNameLen"), profile.Length(L"RUIM_DefaultNumberLen"));
    RecordBuilder entry;
    entry.U16(2).Wide(L"Kept", layout.name.units).Wide(L"111", layout.number.units);
    handset.Sim().PutRecord(13, 2, entry.Bytes());
    auto card = CDataTableKelvraCard::Make();
    card->Initialize(handset.device.Get(), static_cast<ITAMConnection*>(handset.connection.Get()), 13);

    ComPtr<IItem> listed;
    ASSERT_EQ(S_OK, card->ListItemsAllBegin());
    ASSERT_EQ(S_OK, card->NextItem(listed.GetAddressOf()));
    ASSERT_NE(nullptr, listed.Get());
    EXPECT_EQ(2, SuidOf(listed.Get()));
    EXPECT_EQ(L"Kept", ColumnText(listed.Get(), L"DISPLAY_NAME"));
    SUID suid = 0;
    ASSERT_EQ(S_OK, card->CreateItem(NewCardEntry(card.Get(), L"New", L"222").Get(), &suid));
    EXPECT_EQ(3, suid);
    EXPECT_EQ(entry.Bytes(), *handset.Sim().FindRecord(13, 2));
}

TEST(CardTable, RefusesAnEntryWithoutANumberAndStoresWhatTheItemSays)
{
    Handset handset(202);
    ModelProfile& profile = handset.device->Model();
    size_t numberField = static_cast<size_t>(profile.Length(L"RUIM_DefaultNumberLen").first);
    handset.connection->SetCardInfo(13, 16, 3, 500);  // the card allows more than the field holds
    ComPtr<IDataTable> card = handset.Table(DTID_SIM);
    ASSERT_EQ(S_OK, card->ListItemsAllBegin());
    long before = handset.Sim().RequestCount();
    SUID suid = 0;
    EXPECT_EQ(E_INVALIDARG, card->CreateItem(NewCardEntry(card.Get(), L"Nobody", nullptr).Get(), &suid));
    EXPECT_EQ(E_INVALIDARG, card->CreateItem(NewCardEntry(card.Get(), L"Dashes", L"--").Get(), &suid));
    EXPECT_EQ(before, handset.Sim().RequestCount());
    EXPECT_EQ(0, suid);

    std::wstring digits(numberField + 5, L'7');
    ComPtr<IItem> longNumber = NewCardEntry(card.Get(), L"Long", (L"+" + digits).c_str());
    ASSERT_EQ(S_OK, card->CreateItem(longNumber.Get(), &suid));
    std::wstring held = ColumnText(longNumber.Get(), L"TEL_NUM_0");
    EXPECT_EQ(numberField, held.size());
    ComPtr<IItem> listed;
    ASSERT_EQ(S_OK, card->ListItemsAllBegin());
    ASSERT_EQ(S_OK, card->NextItem(listed.GetAddressOf()));
    EXPECT_EQ(held, ColumnText(listed.Get(), L"TEL_NUM_0"));
}

// A slot that holds no entry is not updated: an update there would write an entry the
// slot map does not know of, and the next new entry would take its slot.
TEST(CardTable, AnUpdateOfAnEmptySlotIsRefusedSoTheNextCreateOverwritesNothing)
{
    Handset handset(202);
    handset.connection->SetCardInfo(13, 16, 3, 20);
    handset.connection->SetRecordSize(13, 150);  // an empty slot reads as zeros, as on a card
    ComPtr<IDataTable> card = handset.Table(DTID_SIM);
    ASSERT_EQ(S_OK, card->CreateItem(NewCardEntry(card.Get(), L"Mum", L"111").Get(), nullptr));

    ComPtr<IItem> ghost;
    ASSERT_EQ(S_OK, card->NewItem(QELDT_PHONEBOOK_SIM, 2, 0, ghost.GetAddressOf()));
    SetColumn(ghost.Get(), L"DISPLAY_NAME", L"Ghost");
    SetColumn(ghost.Get(), L"TEL_NUM_0", L"222");
    EXPECT_EQ(E_INVALIDARG, card->UpdateItem(ghost.Get()));
    EXPECT_NE(std::wstring::npos, ThreadErrorDescription().find(L"holds no entry")) << ThreadErrorDescription();
    EXPECT_EQ(nullptr, handset.Sim().FindRecord(13, 2));

    SUID suid = 0;
    ASSERT_EQ(S_OK, card->CreateItem(NewCardEntry(card.Get(), L"Dad", L"333").Get(), &suid));
    EXPECT_EQ(2, suid);

    // An entry the card gained after the slot map was read is updated, and the map
    // learns of it: the next new entry finds the card full rather than taking its slot.
    std::string third = *handset.Sim().FindRecord(13, 2);
    third[0] = 3;
    handset.Sim().PutRecord(13, 3, third);
    ComPtr<IItem> late;
    ASSERT_EQ(S_OK, card->NewItem(QELDT_PHONEBOOK_SIM, 3, 0, late.GetAddressOf()));
    SetColumn(late.Get(), L"DISPLAY_NAME", L"Gran");
    ASSERT_EQ(S_OK, card->UpdateItem(late.Get()));
    EXPECT_EQ(static_cast<HRESULT>(0x8004000C), card->CreateItem(NewCardEntry(card.Get(), L"X", L"4").Get(), &suid));
    std::vector<std::wstring> names;
    for (const auto& entry : ListAll(card.Get()))
        names.push_back(ColumnText(entry.Get(), L"DISPLAY_NAME"));
    EXPECT_EQ((std::vector<std::wstring>{L"Mum", L"Dad", L"Gran"}), names);
}

// A card entry deleted in a slot the map holds free does not shorten a listing.
TEST(CardTable, DeletingAnEmptySlotCountsNoEntryLess)
{
    Handset handset(202);
    handset.connection->SetCardInfo(13, 16, 4, 20);
    ComPtr<IDataTable> card = handset.Table(DTID_SIM);
    for (const wchar_t* name : {L"A", L"B"})
        ASSERT_EQ(S_OK, card->CreateItem(NewCardEntry(card.Get(), name, L"1").Get(), nullptr));
    ASSERT_EQ(S_OK, card->ListItemsAllBegin());
    ComPtr<IItem> empty;
    ASSERT_EQ(S_OK, card->NewItem(QELDT_PHONEBOOK_SIM, 4, 0, empty.GetAddressOf()));
    ASSERT_EQ(S_OK, card->DeleteItem(empty.Get()));
    ComPtr<IItem> item;
    for (const wchar_t* name : {L"A", L"B"}) {
        ASSERT_EQ(S_OK, card->NextItem(item.ReleaseAndGetAddressOf()));
        ASSERT_NE(nullptr, item.Get());
        EXPECT_EQ(name, ColumnText(item.Get(), L"DISPLAY_NAME"));
    }
}

// The SUID is the place a record was read from, whatever the record's own index field
// says, so an update never lands on another record's place.
TEST(Listing, TheSuidIsThePlaceARecordWasReadFrom)
{
    Handset handset(202);
    handset.connection->SetCardInfo(13, 16, 3, 20);
    ContactLayout layout = ContactLayout::For(PhonebookSettings::Load(handset.device->Model()));
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    ComPtr<IDataTable> card = handset.Table(DTID_SIM);
    for (const wchar_t* name : {L"One", L"Two"}) {
        ASSERT_EQ(S_OK, phonebook->CreateItem(NewContact(phonebook.Get(), name).Get(), nullptr));
        ASSERT_EQ(S_OK, card->CreateItem(NewCardEntry(card.Get(), name, L"1").Get(), nullptr));
    }
    std::string contact = *handset.Sim().FindRecord(1, 1);
    contact[layout.tableAddress] = 2;  // the handset's own index field names the other place
    handset.Sim().PutRecord(1, 1, contact);
    std::string entry = *handset.Sim().FindRecord(13, 1);
    entry[0] = 2;
    handset.Sim().PutRecord(13, 1, entry);
    std::string two = *handset.Sim().FindRecord(1, 2), cardTwo = *handset.Sim().FindRecord(13, 2);

    for (IDataTable* table : {phonebook.Get(), card.Get()}) {
        std::vector<ComPtr<IItem>> listed = ListAll(table);
        ASSERT_EQ(2u, listed.size());
        EXPECT_EQ(1, SuidOf(listed[0].Get()));
        EXPECT_EQ(2, SuidOf(listed[1].Get()));
        SetColumn(listed[0].Get(), table == card.Get() ? L"DISPLAY_NAME" : L"FIRST_NAME", L"Changed");
        ASSERT_EQ(S_OK, table->UpdateItem(listed[0].Get()));
    }
    EXPECT_EQ(two, *handset.Sim().FindRecord(1, 2));
    EXPECT_EQ(cardTwo, *handset.Sim().FindRecord(13, 2));
    EXPECT_EQ(1, handset.Sim().FindRecord(1, 1)->at(layout.tableAddress));  // put right by the write
}

// The handset's whole index list counts: a new contact never takes an index it lists,
// however many it lists, and a record no SUID could write is not listed.
TEST(PhonebookTable, ANewContactNeverTakesAnIndexTheHandsetListsAsUsed)
{
    Handset handset(202);
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    ASSERT_EQ(S_OK, phonebook->CreateItem(NewContact(phonebook.Get(), L"Kept").Get(), nullptr));
    std::string kept = *handset.Sim().FindRecord(1, 1);
    for (uint32_t index = 0; index <= 1000; ++index)  // index 0 and a full store of 1000
        handset.Sim().PutRecord(1, index, kept);
    SUID suid = 0;
    EXPECT_EQ(static_cast<HRESULT>(0x8004000C), phonebook->CreateItem(NewContact(phonebook.Get(), L"New").Get(), &suid));
    EXPECT_EQ(kept, *handset.Sim().FindRecord(1, 1000));

    for (uint32_t index = 2; index <= 1000; ++index)
        handset.Sim().RemoveRecord(1, index);
    handset.Sim().PutRecord(1, 1001, kept);  // past the store
    std::vector<ComPtr<IItem>> listed = ListAll(phonebook.Get());
    ASSERT_EQ(1u, listed.size());
    EXPECT_EQ(1, SuidOf(listed[0].Get()));
}

TEST(ProfileNumbers, ImpossibleRangesNeverRunAway)
{
    // A speed-dial range up to INT_MAX, with a counted record the scan never finds.
    Handset handset(202);
    handset.Sim().PutRecord(15, 5000, std::string(158, '\x01'));
    PhonebookSettings settings = PhonebookSettings::Load(handset.device->Model());
    settings.speedDialStart = 1;
    settings.speedDialEnd = INT_MAX;
    CKelvraPB codec(handset.device->Agent(), settings);
    std::vector<uint16_t> speedDials;
    long before = handset.Sim().RequestCount();
    codec.ScanSimSpeedDials(speedDials);
    EXPECT_LE(handset.Sim().RequestCount() - before, 1001);

    // KTM-A150's profile misnames the start key: the phonebook still lists.
    Handset misnamed(203);
    misnamed.Answer(L"Application.Phonebook.SupportSIMSpeedDial", L"true");
    EXPECT_EQ(S_OK, misnamed.Table(DTID_PHONEBOOK)->ListItemsAllBegin());

    handset.device->Model().SetText(L"RUIM_startindex", L"2147483647");
    auto card = CDataTableKelvraCard::Make();
    card->Initialize(handset.device.Get(), static_cast<ITAMConnection*>(handset.connection.Get()), 13);
    EXPECT_EQ(E_INVALIDARG, card->ListItemsAllBegin());
}

TEST(TableLifetime, ATableKeptAfterItsDeviceDataObjectFailsCleanly)
{
    ComPtr<IDataTable> phonebook, metadata;
    {
        Handset handset(202);
        phonebook = handset.Table(DTID_PHONEBOOK);
        metadata = handset.Table(DTID_METADATA);
    }  // the host releases the device data object first
    EXPECT_EQ(E_UNEXPECTED, phonebook->ListItemsAllBegin());
    EXPECT_NE(std::wstring::npos, ThreadErrorDescription().find(L"has been released"));
    ComPtr<IItem> item = NewContact(phonebook.Get(), L"Late");
    EXPECT_EQ(E_UNEXPECTED, phonebook->CreateItem(item.Get(), nullptr));
    Bstr devInf;
    EXPECT_EQ(E_UNEXPECTED, metadata->GetProperty(Bstr(L"DevInf").Get(), devInf.Out()));
    EXPECT_EQ(nullptr, devInf.Get());
    item.Reset();
    EXPECT_EQ(0u, phonebook.Detach()->Release());
    EXPECT_EQ(0u, metadata.Detach()->Release());
}

// An answer for a slot too short to hold the used mark tells nothing of the slot: the
// create fails and the slot keeps what it holds.
TEST(CardTable, ASlotAnsweredTooShortIsNeverTakenAsFree)
{
    Handset handset(202);
    handset.Sim().PutRecord(13, 1, std::string(10, 'x'));
    ComPtr<IDataTable> card = handset.Table(DTID_SIM);
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), card->CreateItem(NewCardEntry(card.Get(), L"A", L"1").Get(), nullptr));
    EXPECT_EQ(std::string(10, 'x'), *handset.Sim().FindRecord(13, 1));
}

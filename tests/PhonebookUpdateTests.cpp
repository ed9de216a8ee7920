// An update never destroys what it does not change: a listed contact, group or card
// entry written back unchanged reaches the handset as it was, on every built-in model,
// and a changed column changes only its own field.
#include <gtest/gtest.h>

#include <vector>

#include "PhonebookLayouts.h"
#include "PhonebookTestSupport.h"
#include "RecordBuilder.h"

using namespace kelvra;
using namespace kelvra::testing;

namespace {

ComPtr<IItem> NewItem(IDataTable* table, QELDATATYPE type, SUID suid = 0)
{
    ComPtr<IItem> item;
    EXPECT_EQ(S_OK, table->NewItem(type, suid, 0, item.GetAddressOf()));
    return item;
}

ComPtr<IItem> Listed(IDataTable* table, QELDATATYPE type, SUID suid)
{
    for (const auto& item : ListAll(table)) {
        QELDATATYPE kind;
        item->getType(&kind);
        if (kind == type && SuidOf(item.Get()) == suid)
            return item;
    }
    ADD_FAILURE() << "SUID " << suid << " was not listed";
    return nullptr;
}

// The positions where two records differ, apart from the ones every write sets.
std::vector<size_t> Differences(const std::string& before, const std::string& after, std::vector<size_t> setOnWrite)
{
    std::vector<size_t> positions;
    EXPECT_EQ(before.size(), after.size());
    for (size_t at = 0; at < std::min(before.size(), after.size()); ++at) {
        bool rule = std::find(setOnWrite.begin(), setOnWrite.end(), at) != setOnWrite.end();
        if (before[at] != after[at] && !rule)
            positions.push_back(at);
    }
    return positions;
}

void ExpectWithin(const std::vector<size_t>& positions, size_t from, size_t size, const char* field)
{
    EXPECT_FALSE(positions.empty()) << field << " did not change";
    for (size_t at : positions)
        EXPECT_TRUE(at >= from && at < from + size) << "byte " << at << " changed outside " << field;
}

void Poke(std::string& record, size_t offset, std::string_view bytes)
{
    ASSERT_LE(offset + bytes.size(), record.size());
    record.replace(offset, bytes.size(), bytes);
}

class EveryModelUpdate : public ::testing::TestWithParam<int> {};

// A KTM-A280 holding one contact, made at index 1 from the given columns.
struct OneContact {
    Handset handset{202};
    ContactLayout layout = ContactLayout::For(PhonebookSettings::Load(handset.device->Model()));
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    ComPtr<IItem> item = NewItem(phonebook.Get(), QELDT_PHONEBOOK);
    SUID suid = 0;

    explicit OneContact(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> columns)
    {
        for (const auto& [name, value] : columns)
            SetColumn(item.Get(), name, value);
        EXPECT_EQ(S_OK, phonebook->CreateItem(item.Get(), &suid));
    }
    std::string Record() { return *handset.Sim().FindRecord(1, 1); }
    std::string Field(size_t offset, size_t size) { return Record().substr(offset, size); }
    void Put(const std::string& record) { handset.Sim().PutRecord(1, 1, record); }
};

}  // namespace

TEST_P(EveryModelUpdate, AContactWrittenBackUnchangedKeepsEveryByte)
{
    Handset handset(GetParam());
    ContactLayout layout = ContactLayout::For(PhonebookSettings::Load(handset.device->Model()));
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    ComPtr<IItem> made = NewItem(phonebook.Get(), QELDT_PHONEBOOK);
    SetColumn(made.Get(), L"FIRST_NAME", L"Ada");
    SetColumn(made.Get(), L"LAST_NAME", L"Lovelace");
    SetColumn(made.Get(), L"TEL_NUM_0", L"+44 (20) 7946-0000");
    SetColumn(made.Get(), L"TEL_TYPE_0", L"Mobile.Business");
    SetColumn(made.Get(), L"TEL_NUM_1", L"555 0101");
    SetColumn(made.Get(), L"TEL_TYPE_1", L"Fax");
    SetColumn(made.Get(), L"TEL_DIAL_1", L"3");
    SetColumn(made.Get(), L"EMAIL_ADDR_0", L"ada@example.org");
    SetColumn(made.Get(), L"URL_ADDR_0", L"example.org");
    SetColumn(made.Get(), L"ADDR_LOCALITY_0", L"London");
    SetColumn(made.Get(), L"BIRTHDAY", L"1815-12-10");
    SetColumn(made.Get(), L"NOTES", L"Analyst");
    SetColumn(made.Get(), L"RINGTON", L"134");
    SUID suid = 0;
    ASSERT_EQ(S_OK, phonebook->CreateItem(made.Get(), &suid));

    // Settings the person made on the handset, which no column carries.
    std::string record = *handset.Sim().FindRecord(1, static_cast<uint32_t>(suid));
    record[layout.occupied] = 1;
    record[layout.extendedId] = 0x5A;
    Poke(record, layout.groupSlots, "\x02\xFF\x04");
    Poke(record, layout.mainNumberMark, "\x01\x02");
    Poke(record, layout.ring.clip, std::string("\x01\x10\x00\x00\x00\x20\x00\x00\x00", 9));
    if (layout.messageRing)
        Poke(record, layout.messageRing->fileName.offset, std::string("sms.mid\0\0\0\0\0\0", 9));
    handset.Sim().PutRecord(1, static_cast<uint32_t>(suid), record);

    ComPtr<IItem> listed = Listed(phonebook.Get(), QELDT_PHONEBOOK, suid);
    ASSERT_NE(nullptr, listed.Get());
    EXPECT_EQ(L"Lovelace", ColumnText(listed.Get(), L"LAST_NAME"));
    EXPECT_EQ(L"134", ColumnText(listed.Get(), L"RINGTON"));
    ASSERT_EQ(S_OK, phonebook->UpdateItem(CopyOfItem(phonebook.Get(), listed.Get(), true).Get()));
    std::string unchanged = *handset.Sim().FindRecord(1, static_cast<uint32_t>(suid));
    std::vector<size_t> rules = {layout.occupied, layout.tableAddress, layout.tableAddress + 1};
    EXPECT_TRUE(Differences(record, unchanged, rules).empty());

    ComPtr<IItem> changed = CopyOfItem(phonebook.Get(), listed.Get(), true);
    SetColumn(changed.Get(), L"NOTES", L"First programmer");
    ASSERT_EQ(S_OK, phonebook->UpdateItem(changed.Get()));
    ExpectWithin(Differences(unchanged, *handset.Sim().FindRecord(1, static_cast<uint32_t>(suid)), rules),
                 layout.memo.offset, layout.memo.Size(), "the memo");
    EXPECT_EQ(L"First programmer", ColumnText(changed.Get(), L"NOTES"));
}

TEST_P(EveryModelUpdate, AGroupAndACardEntryWrittenBackUnchangedKeepEveryByte)
{
    Handset handset(GetParam());
    PhonebookSettings settings = PhonebookSettings::Load(handset.device->Model());
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    if (settings.groupSupport) {
        GroupLayout layout = GroupLayout::For(settings);
        SUID suid = 0;
        for (const wchar_t* name : {L"Family", L"Friends"}) {
            ComPtr<IItem> group = NewItem(phonebook.Get(), QELDT_GROUP);
            SetColumn(group.Get(), L"NAME", name);
            ASSERT_EQ(S_OK, phonebook->CreateItem(group.Get(), &suid));
        }
        std::string record = *handset.Sim().FindRecord(2, static_cast<uint32_t>(suid));
        record[layout.secret] = 1;
        if (layout.ringFileName.Size() >= 6)  // some models keep no ring name for groups
            Poke(record, layout.ringFileName.offset, std::string("g.mid", 6));
        Poke(record, layout.ringIndex, "\x05\x00");
        handset.Sim().PutRecord(2, static_cast<uint32_t>(suid), record);

        ComPtr<IItem> listed = Listed(phonebook.Get(), QELDT_GROUP, suid);
        ASSERT_NE(nullptr, listed.Get());
        ASSERT_EQ(S_OK, phonebook->UpdateItem(CopyOfItem(phonebook.Get(), listed.Get(), true).Get()));
        std::string unchanged = *handset.Sim().FindRecord(2, static_cast<uint32_t>(suid));
        std::vector<size_t> rules = {layout.occupied, layout.address, layout.address + 1};
        EXPECT_TRUE(Differences(record, unchanged, rules).empty());

        ComPtr<IItem> renamed = CopyOfItem(phonebook.Get(), listed.Get(), true);
        SetColumn(renamed.Get(), L"NAME", L"Pals");
        ASSERT_EQ(S_OK, phonebook->UpdateItem(renamed.Get()));
        ExpectWithin(Differences(unchanged, *handset.Sim().FindRecord(2, static_cast<uint32_t>(suid)), rules),
                     layout.name.offset, layout.name.Size(), "the group name");
    }

    // A card entry the handset stored with its own punctuation.
    handset.connection->SetCardInfo(13, 16, 5, 20);
    ModelProfile& profile = handset.device->Model();
    CardEntryLayout card = CardEntryLayout::For(profile.Length(L"RUIM_DefaultNameLen"), profile.Length(L"RUIM_DefaultNumberLen"));
    RecordBuilder entry;
    entry.U16(2).Wide(L"Mum", card.name.units).Wide(L"010-2222-3333", card.number.units);
    handset.Sim().PutRecord(13, 2, entry.Bytes());
    ComPtr<IDataTable> cardTable = handset.Table(DTID_SIM);
    ComPtr<IItem> listed = Listed(cardTable.Get(), QELDT_PHONEBOOK_SIM, 2);
    ASSERT_NE(nullptr, listed.Get());
    ASSERT_EQ(S_OK, cardTable->UpdateItem(CopyOfItem(cardTable.Get(), listed.Get(), true).Get()));
    EXPECT_EQ(entry.Bytes(), *handset.Sim().FindRecord(13, 2));

    ComPtr<IItem> renamed = CopyOfItem(cardTable.Get(), listed.Get(), true);
    SetColumn(renamed.Get(), L"DISPLAY_NAME", L"Mother");
    ASSERT_EQ(S_OK, cardTable->UpdateItem(renamed.Get()));
    ExpectWithin(Differences(entry.Bytes(), *handset.Sim().FindRecord(13, 2), {}), card.name.offset,
                 card.name.Size(), "the card name");
}

INSTANTIATE_TEST_SUITE_P(BuiltInModels, EveryModelUpdate, ::testing::Values(202, 203, 208, 210, 211, 212, 218));

// Last-then-first (KTM-A280), first-blank-last (KTM-A230) and single-name (KTM-A110)
// models each keep both names through create, list, update and list.
TEST(ContactNames, SurviveEveryRoundTripOnEachFamily)
{
    struct Family {
        int resource;
        const wchar_t* shownAs;
    };
    for (Family family : {Family{202, L"LovelaceAda"}, Family{208, L"Ada Lovelace"}, Family{218, nullptr}}) {
        SCOPED_TRACE(family.resource);
        Handset handset(family.resource);
        ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
        ComPtr<IItem> made = NewItem(phonebook.Get(), QELDT_PHONEBOOK);
        SetColumn(made.Get(), L"FIRST_NAME", L"Ada");
        SetColumn(made.Get(), L"LAST_NAME", L"Lovelace");
        SetColumn(made.Get(), L"TEL_NUM_0", L"1");
        SUID suid = 0;
        ASSERT_EQ(S_OK, phonebook->CreateItem(made.Get(), &suid));
        for (int round = 0; round < 2; ++round) {
            ComPtr<IItem> listed = Listed(phonebook.Get(), QELDT_PHONEBOOK, suid);
            ASSERT_NE(nullptr, listed.Get());
            EXPECT_EQ(L"Ada", ColumnText(listed.Get(), L"FIRST_NAME"));
            EXPECT_EQ(L"Lovelace", ColumnText(listed.Get(), L"LAST_NAME"));
            if (family.shownAs) {
                EXPECT_EQ(family.shownAs, ColumnText(listed.Get(), L"DISPLAY_NAME"));
            }
            ComPtr<IItem> copy = CopyOfItem(phonebook.Get(), listed.Get(), true);
            SetColumn(copy.Get(), L"NOTES", round == 0 ? L"one" : L"two");  // an update of another field
            ASSERT_EQ(S_OK, phonebook->UpdateItem(copy.Get()));
        }
    }

    // A contact known by its display name alone keeps it.
    Handset handset(202);
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    ComPtr<IItem> shop = NewItem(phonebook.Get(), QELDT_PHONEBOOK);
    SetColumn(shop.Get(), L"DISPLAY_NAME", L"Corner shop");
    ASSERT_EQ(S_OK, phonebook->CreateItem(shop.Get(), nullptr));
    EXPECT_EQ(L"Corner shop", ColumnText(shop.Get(), L"DISPLAY_NAME"));
}

// A first name longer than its field is stored cut; the full name is made from the cut
// one, so reading finds the last name in it and a later change of the first name keeps it.
TEST(ContactNames, AFirstNameLongerThanItsFieldKeepsTheLastName)
{
    const std::wstring first = L"Augusta Ada King Noel Byron";  // 27 characters
    struct Family {
        int resource;
        size_t firstField;
        const wchar_t* fullName;
        const wchar_t* fullNameAfterUpdate;
    };
    for (Family family : {Family{202, 24, L"LovelaceAugusta Ada King Noel By", L"LovelaceAda"},
                          Family{208, 20, L"Augusta Ada King Noe Lovelace", L"Ada Lovelace"},
                          Family{218, 20, L"LovelaceAugusta Ada King Noe", L"LovelaceAda"}}) {
        SCOPED_TRACE(family.resource);
        Handset handset(family.resource);
        ContactLayout layout = ContactLayout::For(PhonebookSettings::Load(handset.device->Model()));
        auto fullNameField = [&](const std::wstring& text) {
            return RecordBuilder().Wide(text, layout.fullName.units).Bytes();
        };
        ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
        ComPtr<IItem> made = NewItem(phonebook.Get(), QELDT_PHONEBOOK);
        SetColumn(made.Get(), L"FIRST_NAME", first.c_str());
        SetColumn(made.Get(), L"LAST_NAME", L"Lovelace");
        SUID suid = 0;
        ASSERT_EQ(S_OK, phonebook->CreateItem(made.Get(), &suid));
        EXPECT_EQ(fullNameField(family.fullName),
                  handset.Sim().FindRecord(1, 1)->substr(layout.fullName.offset, layout.fullName.Size()));
        ComPtr<IItem> listed = Listed(phonebook.Get(), QELDT_PHONEBOOK, suid);
        ASSERT_NE(nullptr, listed.Get());
        EXPECT_EQ(L"Lovelace", ColumnText(listed.Get(), L"LAST_NAME"));
        EXPECT_EQ(first.substr(0, family.firstField), ColumnText(listed.Get(), L"FIRST_NAME"));

        ComPtr<IItem> renamed = NewItem(phonebook.Get(), QELDT_PHONEBOOK, suid);
        SetColumn(renamed.Get(), L"FIRST_NAME", L"Ada");
        ASSERT_EQ(S_OK, phonebook->UpdateItem(renamed.Get()));
        EXPECT_EQ(fullNameField(family.fullNameAfterUpdate),
                  handset.Sim().FindRecord(1, 1)->substr(layout.fullName.offset, layout.fullName.Size()));
        EXPECT_EQ(L"Lovelace", ColumnText(Listed(phonebook.Get(), QELDT_PHONEBOOK, suid).Get(), L"LAST_NAME"));
    }
}

// A display name the person chose stays the full name while it holds the names; a
// change of the names makes the full name from them again.
TEST(ContactNames, AChosenDisplayNameLastsUntilTheNamesChange)
{
    // A new contact's full name is made from its names (last, then first).
    OneContact c({{L"FIRST_NAME", L"Ada"}, {L"DISPLAY_NAME", L"Countess of Lovelace"}});
    const TextField& full = c.layout.fullName;
    EXPECT_EQ(RecordBuilder().Wide(L"Ada", 61).Bytes(), c.Field(full.offset, full.Size()));

    ComPtr<IItem> chosen = CopyOfItem(c.phonebook.Get(), Listed(c.phonebook.Get(), QELDT_PHONEBOOK, c.suid).Get(), true);
    SetColumn(chosen.Get(), L"DISPLAY_NAME", L"Countess of Lovelace");
    ASSERT_EQ(S_OK, c.phonebook->UpdateItem(chosen.Get()));
    EXPECT_EQ(RecordBuilder().Wide(L"Countess of Lovelace", 61).Bytes(), c.Field(full.offset, full.Size()));

    ComPtr<IItem> renamed = CopyOfItem(c.phonebook.Get(), Listed(c.phonebook.Get(), QELDT_PHONEBOOK, c.suid).Get(), true);
    SetColumn(renamed.Get(), L"LAST_NAME", L"King");
    ASSERT_EQ(S_OK, c.phonebook->UpdateItem(renamed.Get()));
    EXPECT_EQ(RecordBuilder().Wide(L"KingAda", 61).Bytes(), c.Field(full.offset, full.Size()));
}

TEST(ContactBlocks, AChangedColumnChangesOnlyItsOwnField)
{
    OneContact c({{L"FIRST_NAME", L"Blocks"},
                  {L"EMAIL_ADDR_1", L"b@x.org"},
                  {L"ADDR_STREET_0", L"1 Main St"},
                  {L"ADDR_LOCALITY_0", L"London"}});
    const ContactLayout& layout = c.layout;
    std::string record = c.Record();
    record[layout.emails[0].type] = 0x33;
    record[layout.emails[1].type] = 0x0B;
    Poke(record, layout.urls[0].text.offset, RecordBuilder().Wide(L"example.org", layout.urls[0].text.units).Bytes());
    record[layout.urls[0].type] = 0x0C;
    record[layout.addresses[0].type] = 0x13;
    c.Put(record);
    std::vector<size_t> rules = {layout.occupied, layout.tableAddress, layout.tableAddress + 1};

    EXPECT_EQ(L"b@x.org", ColumnText(Listed(c.phonebook.Get(), QELDT_PHONEBOOK, c.suid).Get(), L"EMAIL_ADDR_0"));
    auto change = [&](const wchar_t* column, const wchar_t* value) {
        ComPtr<IItem> changed = CopyOfItem(c.phonebook.Get(), Listed(c.phonebook.Get(), QELDT_PHONEBOOK, c.suid).Get(), true);
        SetColumn(changed.Get(), column, value);
        std::string before = c.Record();
        EXPECT_EQ(S_OK, c.phonebook->UpdateItem(changed.Get()));
        return Differences(before, c.Record(), rules);
    };
    const auto& street = layout.addresses[0].parts[1];
    ExpectWithin(change(L"ADDR_STREET_0", L"2 Side St"), street.offset, street.Size(), "the street");
    const auto& url = layout.urls[0].text;
    ExpectWithin(change(L"URL_ADDR_0", L"example.com"), url.offset, url.Size(), "the URL");
    EXPECT_EQ(RecordBuilder().Wide(L"http://example.com", url.units).Bytes(), c.Field(url.offset, url.Size()));
    // The first e-mail column names the second block, where it was read from.
    const auto& second = layout.emails[1].text;
    ExpectWithin(change(L"EMAIL_ADDR_0", L"c@x.org"), second.offset, second.Size(), "the second e-mail");
    // A new e-mail takes the free block, with a type of its own.
    const auto& first = layout.emails[0];
    ExpectWithin(change(L"EMAIL_ADDR_1", L"d@x.org"), first.text.offset, first.type + 1 - first.text.offset,
                 "the first e-mail block");
    std::string now = c.Record();
    EXPECT_EQ(6, now[first.type]);
    EXPECT_EQ(0x0B, now[layout.emails[1].type]);
    EXPECT_EQ(0x0C, now[layout.urls[0].type]);
    EXPECT_EQ(0x13, now[layout.addresses[0].type]);
}

TEST(ContactNumbers, ANewNumberTakesItsTypeAndSpeedDialFromItsColumns)
{
    OneContact c({{L"FIRST_NAME", L"Numbers"}});
    std::string record = c.Record();
    record[c.layout.numbers[1].type] = 0x07;                  // would read as "business"
    Poke(record, c.layout.numbers[1].speedDial, "\x34\x12");  // would read as 4660
    c.Put(record);

    ComPtr<IItem> added = NewItem(c.phonebook.Get(), QELDT_PHONEBOOK, c.suid);
    SetColumn(added.Get(), L"TEL_NUM_1", L"5550100");
    ASSERT_EQ(S_OK, c.phonebook->UpdateItem(added.Get()));
    EXPECT_EQ(L"ETC", ColumnText(added.Get(), L"TEL_TYPE_1"));
    EXPECT_EQ(VT_NULL, Column(added.Get(), L"TEL_DIAL_1").Type());

    std::string before = c.Record();
    SetColumn(added.Get(), L"TEL_DIAL_1", L"70000");
    EXPECT_EQ(E_INVALIDARG, c.phonebook->UpdateItem(added.Get()));
    EXPECT_EQ(before, c.Record());
}

TEST(ContactRing, ANumberGoesBackToTheRingIndexAndANameToTheFileName)
{
    OneContact c({{L"FIRST_NAME", L"Ring"}, {L"RINGTON", L"tune.mid"}});
    const ContactLayout::Ring& ring = c.layout.ring;
    EXPECT_EQ(std::string("tune.mid\0", 9), c.Field(ring.fileName.offset, 9));

    SetColumn(c.item.Get(), L"RINGTON", L"7");
    ASSERT_EQ(S_OK, c.phonebook->UpdateItem(c.item.Get()));
    EXPECT_EQ(std::string(ring.fileName.Size(), '\0'), c.Field(ring.fileName.offset, ring.fileName.Size()));
    EXPECT_EQ(std::string("\x07\x00", 2), c.Field(ring.index, 2));
    EXPECT_EQ(L"7", ColumnText(c.item.Get(), L"RINGTON"));
}

TEST(ContactGroups, AnUnsetGroupIsNoGroupAndAnImpossibleOneIsRefused)
{
    OneContact c({{L"FIRST_NAME", L"Grouped"}, {L"GROUP_ID_1", L"3"}});
    EXPECT_EQ(std::string("\xFF\x03\xFF", 3), c.Field(c.layout.groupSlots, 3));

    // Leaving a group: the slot becomes no group again.
    SetColumn(c.item.Get(), L"GROUP_ID_1", L"0");
    ASSERT_EQ(S_OK, c.phonebook->UpdateItem(c.item.Get()));
    EXPECT_EQ(std::string("\xFF\xFF\xFF", 3), c.Field(c.layout.groupSlots, 3));

    std::string before = c.Record();
    SetColumn(c.item.Get(), L"GROUP_ID_0", L"300");
    EXPECT_EQ(E_INVALIDARG, c.phonebook->UpdateItem(c.item.Get()));
    EXPECT_EQ(before, c.Record());
}

TEST(ContactWrites, AFailedCreateHandsOutNoSuidAndAFailedUpdateLeavesTheRecord)
{
    Handset handset(202);
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    ComPtr<IItem> item = NewItem(phonebook.Get(), QELDT_PHONEBOOK);
    SetColumn(item.Get(), L"FIRST_NAME", L"Lost");
    handset.connection->InjectFault(SIMFAULT_WRONG_REPLY_CODE, 1);  // the count passes, the write does not
    SUID suid = 0;
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), phonebook->CreateItem(item.Get(), &suid));
    EXPECT_EQ(0, suid);

    // A record too short to be the one the model describes is never written over.
    ComPtr<IItem> existing = NewItem(phonebook.Get(), QELDT_PHONEBOOK, 1);
    SetColumn(existing.Get(), L"NOTES", L"overwrite");
    handset.Sim().PutRecord(1, 1, std::string(40, '\x01'));
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), phonebook->UpdateItem(existing.Get()));
    EXPECT_EQ(std::string(40, '\x01'), *handset.Sim().FindRecord(1, 1));
}

TEST(ContactWrites, TextCutToItsFieldNeverSplitsACharacter)
{
    std::wstring memo = std::wstring(49, L'x') + L"\U0001F600";  // the emoji's pair would straddle the end
    OneContact c({{L"NOTES", memo.c_str()}});
    ASSERT_EQ(50u, c.layout.memo.maxChars);
    EXPECT_EQ(std::string(4, '\0'), c.Field(c.layout.memo.offset + 49 * 2, 4));
    EXPECT_EQ(std::wstring(49, L'x'), ColumnText(c.item.Get(), L"NOTES"));
}

// A wide field reads up to its first terminator or to its end. A write compares the
// text as the field would keep it with that reading, and leaves a field that already
// reads so untouched, stray units after its terminator included.
TEST(ContactWrites, AWideFieldIsWrittenOnlyWhenItReadsAsAnotherText)
{
    TextField field{2, 2, 3, true};  // after a two-byte word: two characters in three units
    RecordBytes stray(std::string("\x07\x00" "a\0\0\0q\0", 8));
    EXPECT_TRUE(WideTextIs(stray, field, L"a"));
    EXPECT_FALSE(WideTextIs(stray, field, L""));
    EXPECT_FALSE(WideTextIs(stray, field, L"aq"));
    EXPECT_TRUE(HoldsWideText(stray, field));
    ChangeWideText(stray, field, L"a");
    EXPECT_EQ(std::string("\x07\x00" "a\0\0\0q\0", 8), stray.Bytes());
    ChangeWideText(stray, field, L"abc");  // kept as "ab"
    EXPECT_EQ(std::string("\x07\x00" "a\0b\0\0\0", 8), stray.Bytes());
    ChangeWideText(stray, field, L"abz");  // "ab" again: nothing to write
    EXPECT_EQ(std::string("\x07\x00" "a\0b\0\0\0", 8), stray.Bytes());

    // Every unit in use: the text has no terminator.
    RecordBytes full(std::string("\0\0" "x\0y\0z\0", 8));
    EXPECT_TRUE(WideTextIs(full, field, L"xyz"));
    EXPECT_FALSE(WideTextIs(full, field, L"xy"));
    EXPECT_FALSE(HoldsWideText(RecordBytes(8), field));
    // A field past the record's end fails as reading it does.
    EXPECT_THROW(HoldsWideText(RecordBytes(6), field), _tam_error);
}

// A KTM-A230 puts a blank between the first and last name, and so a contact made
// without names gets a blank full name; one the handset keeps with no full name at all
// keeps none when it is written anew from its listed columns.
TEST(ContactNames, ANamelessContactOnAFirstBlankLastModel)
{
    Handset handset(208);
    ContactLayout layout = ContactLayout::For(PhonebookSettings::Load(handset.device->Model()));
    auto fullName = [&](SUID suid) {
        return handset.Sim().FindRecord(1, suid)->substr(layout.fullName.offset, layout.fullName.Size());
    };
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    ComPtr<IItem> made = NewItem(phonebook.Get(), QELDT_PHONEBOOK);
    SetColumn(made.Get(), L"TEL_NUM_0", L"5550101");
    SUID suid = 0;
    ASSERT_EQ(S_OK, phonebook->CreateItem(made.Get(), &suid));
    EXPECT_EQ(RecordBuilder().Wide(L" ", layout.fullName.units).Bytes(), fullName(suid));

    std::string record = *handset.Sim().FindRecord(1, suid);
    record.replace(layout.fullName.offset, layout.fullName.Size(), layout.fullName.Size(), '\0');
    handset.Sim().PutRecord(1, suid, record);
    ComPtr<IItem> copy = CopyOfItem(phonebook.Get(), Listed(phonebook.Get(), QELDT_PHONEBOOK, suid).Get(), false);
    SUID again = 0;
    ASSERT_EQ(S_OK, phonebook->CreateItem(copy.Get(), &again));
    EXPECT_EQ(std::string(layout.fullName.Size(), '\0'), fullName(again));
}

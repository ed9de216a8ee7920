// Every record the handset can hold reads into columns that, written back unchanged with
// UpdateItem, give the same bytes; made into a new record of the same kind with
// CreateItem from those columns, they give the same bytes apart from what only the old
// record carried. The records are generated for every built-in model by walking each
// field through its values, each type code through all 256 codes and each flag through
// its values, with bytes no column carries (padding after texts, the message ring, a
// group's ring, unknown type codes) filled with junk.
//
// What a new record cannot carry over, and is therefore left out of its comparison:
// - bytes no column carries: the extended record id, the main-number mark, the ring's
//   clip and positions, the message-ring block, a group's secret flag and ring, and
//   whatever follows a text's terminator;
// - the photo file name: a model that keeps no photos does not read it, and a model
//   that does names each contact's picture after its own new record;
// - a type code that reads as a name writing back as another code (the names are the
//   columns' values; for numbers only 0 to 5, on KTM-A110 0 to 2, are codes of their
//   own), and the type code and speed dial of a block without text, which are not read;
// - an e-mail whose block follows a free one: the columns list e-mails packed, so the
//   new record has them in the first blocks;
// - a URL stored without a scheme, which a new record stores as an "http://" address;
// - number characters that reading leaves out (punctuation on every model but the
//   KTM-A230; on the card, also "T" and anything but digits, "*", "#", "P" and "+");
// - a birthday that is no date, and a group slot holding 0, which reads as no group
//   as 0xFF does and is written as 0xFF;
// - the ring index beside a ring file name (a new record gets the model's own);
// - on KTM-A110, which shows one name, the first-name field when the full name does not
//   end in it after a last name: FIRST_NAME is then the full name;
// - elsewhere, a full name other than the one the model makes of the names (edited or
//   cut on the handset, or a KTM-A230 first name without its blank): a new contact's
//   full name is made from its names, and only an update keeps a display name of its own.
// The bytes every write sets are left out of both comparisons and checked on their own:
// a contact's and a group's occupied byte (0), the contact's table address (its index),
// the group's address (0) and the card entry's address (its SUID).
#include <gtest/gtest.h>

#include <set>

#include "PhonebookLayouts.h"
#include "PhonebookTestSupport.h"

using namespace kelvra;
using namespace kelvra::testing;

namespace {

// A record filled with junk, then field by field; it knows which bytes only it carries.
class Record {
public:
    Record(size_t size, uint32_t seed) : m_bytes(size, '\0'), m_oldOnly(size, false), m_seed(seed | 1)
    {
        for (char& byte : m_bytes)
            byte = Junk();
    }
    void U8(size_t at, uint8_t value) { m_bytes.at(at) = static_cast<char>(value); }
    void U16(size_t at, uint16_t value)
    {
        U8(at, static_cast<uint8_t>(value));
        U8(at + 1, static_cast<uint8_t>(value >> 8));
    }
    // A text, its terminator, then junk that only this record carries.
    void Wide(const TextField& field, const std::wstring& text)
    {
        ASSERT_LE(text.size(), std::min(field.maxChars, field.units));
        for (size_t unit = 0; unit < field.units && unit <= text.size(); ++unit)
            U16(field.offset + unit * 2, unit < text.size() ? static_cast<uint16_t>(text[unit]) : 0);
        if (text.size() + 1 < field.units)
            OldOnly(field.offset + (text.size() + 1) * 2, (field.units - text.size() - 1) * 2);
    }
    void Narrow(const TextField& field, const std::string& text)
    {
        ASSERT_LE(text.size(), std::min(field.maxChars, field.units));
        for (size_t unit = 0; unit < field.units && unit <= text.size(); ++unit)
            U8(field.offset + unit, unit < text.size() ? static_cast<uint8_t>(text[unit]) : 0);
        if (text.size() + 1 < field.units)
            OldOnly(field.offset + text.size() + 1, field.units - text.size() - 1);
    }
    void OldOnly(size_t at, size_t size)
    {
        for (size_t n = 0; n < size; ++n)
            m_oldOnly.at(at + n) = true;
    }
    void OldOnly(const TextField& field) { OldOnly(field.offset, field.Size()); }
    uint8_t Junk()
    {
        m_seed = m_seed * 1103515245u + 12345u;
        return static_cast<uint8_t>(0x21 + (m_seed >> 16) % 0xDE);  // never 0
    }
    const std::string& Bytes() const { return m_bytes; }
    bool IsOldOnly(size_t at) const { return m_oldOnly[at]; }

private:
    std::string m_bytes;
    std::vector<bool> m_oldOnly;
    uint32_t m_seed;
};

// A text of that many UTF-16 units from a mix of scripts, a pair of surrogates included
// where it fits.
std::wstring Sample(size_t units, uint32_t seed)
{
    static const std::wstring kPieces[] = {L"a", L"Z", L"\uBBFC", L"\u00E9", L" ", L"-", L"7", L"\U0001F600", L"'"};
    std::wstring text;
    for (uint32_t n = seed; text.size() < units; ++n) {
        const std::wstring& piece = kPieces[n % 9];
        text += text.size() + piece.size() <= units ? piece : L"q";
    }
    return text;
}

std::string Ascii(size_t length, const char* stem, uint32_t seed)
{
    std::string text = stem + std::to_string(seed);
    text.resize(std::min(length, text.size()));
    return text;
}

// A number of the characters every model keeps, a leading "+" now and then.
std::wstring Digits(size_t length, uint32_t seed)
{
    static const wchar_t kKept[] = L"0123456789*#P";
    std::wstring number = seed % 3 == 0 ? L"+" : L"";
    while (number.size() < length)
        number += kKept[(seed += 7) % 13];
    return number;
}

struct Family {
    int resource;
    FullNameRule names;
    bool oneShownName;         // FIRST_NAME is the full name, no DISPLAY_NAME
    bool numbersAsStored;      // punctuation in numbers is read
    bool fetchesPhotos;        // the photo field names a picture fetched on reading
    std::set<int> numberCodes;  // the number type codes that read as a name of their own
    uint16_t fileRingIndex;    // the ring index beside a ring file name in a new record
};

const Family kFamilies[] = {
    {202, FullNameRule::LastThenFirst, false, false, false, {0, 1, 2, 3, 4, 5}, 0},
    {203, FullNameRule::LastThenFirst, false, false, false, {0, 1, 2, 3, 4, 5}, 0},
    {208, FullNameRule::FirstBlankLast, false, true, false, {0, 1, 2, 3, 4, 5}, 0},
    {210, FullNameRule::LastThenFirst, false, false, false, {0, 1, 2, 3, 4, 5}, 0},
    {211, FullNameRule::LastThenFirst, false, false, true, {0, 1, 2, 3, 4, 5}, 0},
    {212, FullNameRule::LastThenFirst, false, false, false, {0, 1, 2, 3, 4, 5}, 0},
    {218, FullNameRule::SingleName, true, false, true, {0, 1, 2}, 0x86},
};

// Counters that walk a field through all its values over the records made.
struct Walk {
    uint32_t numberType = 0, emailType = 0, urlType = 0, addressType = 0, group = 0, speedDial = 0;
};

class ContactMaker {
public:
    ContactMaker(const Family& family, const ContactLayout& layout) : m_family(family), m_layout(layout) {}

    Record Make(uint32_t i)
    {
        Record record(m_layout.size, i * 7919u + 13u);
        record.U8(m_layout.occupied, static_cast<uint8_t>(i % 2));
        record.OldOnly(m_layout.extendedId, 1);
        record.OldOnly(m_layout.mainNumberMark, 2);
        for (size_t n = 0; n < m_layout.groupSlotCount; ++n) {
            uint8_t group = static_cast<uint8_t>(m_walk.group++);
            record.U8(m_layout.groupSlots + n, group);
            if (group == 0)
                record.OldOnly(m_layout.groupSlots + n, 1);
        }
        std::string photo = m_family.fetchesPhotos ? "" : Ascii(m_layout.photo.maxChars, "Images/p", i);
        record.Narrow(m_layout.photo, photo);
        record.OldOnly(m_layout.photo);
        record.Wide(m_layout.memo, Sample((i * 7) % (m_layout.memo.maxChars + 1), i));
        Names(record, i);
        Birthday(record, i);
        Numbers(record, i);
        Blocks(record, i);
        Ring(record, m_layout.ring, i);
        if (m_layout.messageRing)
            record.OldOnly(m_layout.messageRing->fileName.offset, m_layout.size - m_layout.messageRing->fileName.offset);
        return record;
    }

private:
    void Names(Record& record, uint32_t i)
    {
        size_t firstRoom = m_layout.firstName.maxChars, fullRoom = m_layout.fullName.maxChars;
        std::wstring first, last, full;
        bool lastFound = false;
        switch (i % 7) {
        case 0:  // no names
            break;
        case 1:  // a first name alone
            first = Sample(1 + i % firstRoom, i);
            full = first + (m_family.names == FullNameRule::FirstBlankLast && i % 2 ? L" " : L"");
            break;
        case 2:  // both names, as the model joins them
        case 4:  // a first name that fills its field and a last name that fills the full name
            first = i % 7 == 4 ? Sample(firstRoom, i) : Sample(1 + i % 9, i);
            last = Sample(i % 7 == 4 ? fullRoom - firstRoom - 1 : 1 + i % 11, i + 3);
            full = m_family.names == FullNameRule::FirstBlankLast ? first + L" " + last : last + first;
            lastFound = true;
            break;
        case 3:  // a last name alone
            last = Sample(1 + i % 13, i + 5);
            full = m_family.names == FullNameRule::FirstBlankLast ? L" " + last : last;
            break;
        case 5:  // a full name edited on the handset
            first = Sample(1 + i % 5, i);
            full = L"~" + first + L"~";
            break;
        case 6:  // a full name the handset cut
            first = Sample(firstRoom, i);
            full = (Sample(fullRoom - firstRoom / 2, i + 1) + first).substr(0, fullRoom);
            break;
        }
        record.Wide(m_layout.firstName, first);
        record.Wide(m_layout.lastName, L"");
        record.Wide(m_layout.fullName, full);
        if (!m_family.oneShownName) {
            bool blank = m_family.names == FullNameRule::FirstBlankLast;
            std::wstring made = blank ? (first.empty() && last.empty() ? L"" : first + L" " + last) : last + first;
            if (made != full)
                record.OldOnly(m_layout.fullName);
        }
        if (m_family.oneShownName && !lastFound && first != full.substr(0, firstRoom))
            record.OldOnly(m_layout.firstName);
    }

    void Birthday(Record& record, uint32_t i)
    {
        static const uint16_t kNoDates[][3] = {{2023, 2, 29}, {0, 5, 12}, {2000, 13, 1}, {1999, 4, 31}, {99, 1, 1}};
        uint16_t date[3] = {static_cast<uint16_t>(1900 + (i * 37) % 8100), static_cast<uint16_t>(1 + i % 12),
                            static_cast<uint16_t>(1 + (i * 5) % 28)};
        if (i % 5 == 0)
            date[0] = date[1] = date[2] = 0;  // no birthday
        if (i % 11 == 3) {
            std::copy(kNoDates[i % 5], kNoDates[i % 5] + 3, date);
            record.OldOnly(m_layout.birthday, 6);
        }
        for (int n = 0; n < 3; ++n)
            record.U16(m_layout.birthday + n * 2, date[n]);
    }

    void Numbers(Record& record, uint32_t i)
    {
        for (size_t n = 0; n < m_layout.numbers.size(); ++n) {
            const auto& block = m_layout.numbers[n];
            bool empty = (i + n) % 4 == 3;
            std::wstring number = empty ? L"" : Digits(1 + (i * 3 + n) % block.text.maxChars, i + n);
            if (!empty && i % 11 == 5 && n == 0) {
                number = L"(010) 1234-5678";
                if (!m_family.numbersAsStored)
                    record.OldOnly(block.text);
            }
            record.Wide(block.text, number);
            uint8_t type = static_cast<uint8_t>(empty ? 0 : m_walk.numberType++);
            record.U8(block.type, type);
            record.U16(block.speedDial, static_cast<uint16_t>(empty ? 9 : (m_walk.speedDial++ * 4099u) % 0x10000));
            if (empty)
                record.OldOnly(block.speedDial, 2);
            if (empty || !m_family.numberCodes.count(type))
                record.OldOnly(block.type, 1);
        }
    }

    // Which blocks of a kind hold text: mostly all, now and then none, or all but the first.
    static bool Holds(size_t block, uint32_t i) { return i % 16 != 0 && !(i % 16 == 5 && block == 0); }

    void Blocks(Record& record, uint32_t i)
    {
        bool gap = false;
        for (size_t n = 0; n < m_layout.emails.size(); ++n) {
            const auto& block = m_layout.emails[n];
            bool holds = Holds(n, i);
            record.Wide(block.text, holds ? Sample(1 + (i + n) % block.text.maxChars, i + n) : L"");
            Type(record, block.type, holds, m_walk.emailType, {6, 7});
            gap = gap || !holds;
            if (gap) {  // this block, or a free one before it, moves in a new record
                record.OldOnly(block.text);
                record.OldOnly(block.type, 1);
            }
        }
        static const wchar_t* const kUrls[] = {L"http://example.org/", L"HTTPS://A.B", L"ftp://f", L"mailto:a@b",
                                               L"tel:+1", L"example.org"};
        for (const auto& block : m_layout.urls) {
            bool holds = i % 16 != 0;
            std::wstring url = holds ? std::wstring(kUrls[i % 6]).substr(0, block.text.maxChars) : L"";
            record.Wide(block.text, url);
            if (url == L"example.org")
                record.OldOnly(block.text);
            Type(record, block.type, holds, m_walk.urlType, {8, 9});
        }
        for (const auto& block : m_layout.addresses) {
            bool holds = i % 16 != 8;
            for (size_t part = 0; part < 6; ++part) {
                bool partHolds = holds && (part + i) % 3 != 0;
                record.Wide(block.parts[part], partHolds ? Sample(1 + (i + part) % block.parts[part].maxChars, i + part) : L"");
            }
            Type(record, block.type, holds, m_walk.addressType, {17, 18});
        }
    }

    static void Type(Record& record, size_t at, bool holds, uint32_t& walk, std::set<int> known)
    {
        uint8_t code = static_cast<uint8_t>(holds ? walk++ : 0xEE);
        record.U8(at, code);
        if (!holds || !known.count(code))
            record.OldOnly(at, 1);
    }

    void Ring(Record& record, const ContactLayout::Ring& ring, uint32_t i)
    {
        static const uint16_t kIndexes[] = {0, 1, 137, 0x86, 0xFFFF, 999};
        bool file = i % 3 == 2;
        record.Narrow(ring.fileName, file ? Ascii(ring.fileName.maxChars - 4, "Sounds/ring", i) + ".mid" : "");
        uint16_t index = file ? (i % 2 ? m_family.fileRingIndex : static_cast<uint16_t>(i * 11)) : kIndexes[i % 6];
        record.U16(ring.index, index);
        if (file && index != m_family.fileRingIndex)
            record.OldOnly(ring.index, 2);
        record.OldOnly(ring.clip, 9);  // clip flag, start and end position
    }

    const Family& m_family;
    const ContactLayout& m_layout;
    Walk m_walk;
};

std::map<SUID, ComPtr<IItem>> Listing(IDataTable* table)
{
    std::map<SUID, ComPtr<IItem>> bySuid;
    for (const auto& item : ListAll(table))
        bySuid[SuidOf(item.Get())] = item;
    return bySuid;
}

// The written-back record is the original with the bytes every write sets; the new
// record the same, apart from what only the original carried.
struct Rules {
    std::vector<std::pair<size_t, std::string>> set;  // offset, the bytes every write puts there

    std::string Applied(std::string bytes) const
    {
        for (const auto& [at, value] : set)
            bytes.replace(at, value.size(), value);
        return bytes;
    }
};

void ExpectSameApartFromOldOnly(const Record& original, const Rules& rules, const std::string& fresh, const std::string& what)
{
    std::string expected = rules.Applied(original.Bytes());
    ASSERT_EQ(expected.size(), fresh.size()) << what;
    size_t reported = 0;
    for (size_t at = 0; at < fresh.size() && reported < 5; ++at) {
        if (expected[at] != fresh[at] && !original.IsOldOnly(at)) {
            ADD_FAILURE() << what << ": byte " << at << " is " << int(uint8_t(fresh[at])) << ", not "
                          << int(uint8_t(expected[at]));
            ++reported;
        }
    }
}

std::string Le16(uint16_t value)
{
    return std::string{static_cast<char>(value), static_cast<char>(value >> 8)};
}

// Puts the records at their indexes, lists them, writes each listed item back, then
// makes a new record from each one's columns.
template <class Make>
void RoundTrip(Handset& handset, DATATABLE_SUID table, uint32_t store, const std::vector<uint32_t>& indexes,
               Make make, std::function<Rules(uint32_t index)> rules, const std::string& kind)
{
    std::map<uint32_t, Record> originals;
    std::vector<uint32_t> made = indexes;  // removed at the end, for the next round
    for (uint32_t index : indexes) {
        originals.emplace(index, make(index));
        handset.Sim().PutRecord(store, index, originals.at(index).Bytes());
    }
    ComPtr<IDataTable> phonebook = handset.Table(table);
    std::map<SUID, ComPtr<IItem>> listed = Listing(phonebook.Get());
    ASSERT_EQ(indexes.size(), listed.size()) << kind;
    for (uint32_t index : indexes) {
        std::string what = kind + " " + std::to_string(index);
        ASSERT_TRUE(listed.count(static_cast<SUID>(index))) << what;
        IItem* item = listed[static_cast<SUID>(index)].Get();
        ASSERT_EQ(S_OK, phonebook->UpdateItem(item)) << what;
        EXPECT_EQ(rules(index).Applied(originals.at(index).Bytes()), *handset.Sim().FindRecord(store, index)) << what;

        SUID suid = 0;
        ASSERT_EQ(S_OK, phonebook->CreateItem(CopyOfItem(phonebook.Get(), item, false).Get(), &suid)) << what;
        ExpectSameApartFromOldOnly(originals.at(index), rules(static_cast<uint32_t>(suid)),
                                   *handset.Sim().FindRecord(store, static_cast<uint32_t>(suid)), what + " made new");
        made.push_back(static_cast<uint32_t>(suid));
    }
    for (uint32_t index : made)
        handset.Sim().RemoveRecord(store, index);
}

void PrintTo(const Family& family, std::ostream* out)
{
    *out << "resource " << family.resource;
}

class EveryModelRoundTrip : public ::testing::TestWithParam<Family> {};

}  // namespace

TEST_P(EveryModelRoundTrip, Contacts)
{
    const Family& family = GetParam();
    Handset handset(family.resource);
    ContactLayout layout = ContactLayout::For(PhonebookSettings::Load(handset.device->Model()));
    ContactMaker maker(family, layout);
    // Two rounds of 176, so that every type code lands in a block that holds text and
    // the new records find room beside the old ones on the smallest phonebook.
    for (uint32_t round = 0; round < 2 && !HasFatalFailure(); ++round) {
        std::vector<uint32_t> indexes;
        for (uint32_t index = 1; index <= 176; ++index)
            indexes.push_back(index);
        RoundTrip(
            handset, DTID_PHONEBOOK, 1, indexes, [&](uint32_t index) { return maker.Make(round * 176 + index); },
            [&](uint32_t index) {
                return Rules{{{layout.occupied, std::string(1, '\0')}, {layout.tableAddress, Le16(static_cast<uint16_t>(index))}}};
            },
            "contact");
    }
}

TEST_P(EveryModelRoundTrip, Groups)
{
    const Family& family = GetParam();
    uint32_t secret = 0;
    Handset handset(family.resource);
    GroupLayout layout = GroupLayout::For(PhonebookSettings::Load(handset.device->Model()));
    // Four groups at a time, so that the new ones find room among the ten.
    for (uint32_t batch = 0; batch < 64; ++batch) {
        auto make = [&](uint32_t index) {
            uint32_t i = batch * 4 + index;
            Record record(layout.size, i * 104729u + 7u);
            record.U8(layout.occupied, static_cast<uint8_t>(i % 2));
            record.U8(layout.secret, static_cast<uint8_t>(secret++));
            record.OldOnly(layout.secret, 1);
            record.Wide(layout.name, Sample(i % (layout.name.maxChars + 1), i));
            record.Narrow(layout.photo, i % 3 ? Ascii(layout.photo.maxChars, "Images/g", i) : "");
            record.Narrow(layout.ringFileName, Ascii(layout.ringFileName.maxChars, "r", i));
            record.OldOnly(layout.ringFileName);
            record.OldOnly(layout.ringIndex, 2);
            return record;
        };
        RoundTrip(
            handset, DTID_PHONEBOOK, 2, {1, 2, 3, 4}, make,
            [&](uint32_t) { return Rules{{{layout.occupied, std::string(1, '\0')}, {layout.address, Le16(0)}}}; },
            "group");
        if (HasFatalFailure())
            return;
    }
}

TEST_P(EveryModelRoundTrip, CardEntries)
{
    const Family& family = GetParam();
    for (DATATABLE_SUID table : {DTID_SIM, DTID_SIM2}) {
        uint32_t kind = table == DTID_SIM ? 13 : 14;
        Handset handset(family.resource);
        ModelProfile& profile = handset.device->Model();
        CardEntryLayout layout = CardEntryLayout::For(profile.Length(L"RUIM_DefaultNameLen"), profile.Length(L"RUIM_DefaultNumberLen"));
        handset.connection->SetCardInfo(kind, 1000, 200, 1000);  // limits no smaller than the fields
        auto make = [&](uint32_t index) {
            Record record(layout.size, index * 31u + kind);
            record.Wide(layout.name, Sample(index % (layout.name.maxChars + 1), index));
            std::wstring number = Digits(1 + index % layout.number.maxChars, index);
            if (index % 9 == 4) {
                number = L"(02) 555-01T9p";  // what the card's cleanup leaves out
                record.Wide(layout.number, number);
                record.OldOnly(layout.number);
            } else {
                record.Wide(layout.number, number);
            }
            return record;
        };
        std::vector<uint32_t> indexes;
        for (uint32_t index = 1; index <= 100; ++index)
            indexes.push_back(index);
        RoundTrip(
            handset, table, kind, indexes, make,
            [&](uint32_t index) { return Rules{{{layout.address, Le16(static_cast<uint16_t>(index))}}}; }, "card entry");
    }
}

INSTANTIATE_TEST_SUITE_P(BuiltInModels, EveryModelRoundTrip, ::testing::ValuesIn(kFamilies),
                         [](const ::testing::TestParamInfo<Family>& info) { return std::to_string(info.param.resource); });

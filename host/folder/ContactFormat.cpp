#include "ContactFormat.h"

#include <cwctype>

#include "ComFailure.h"
#include "ContentLineReader.h"
#include "FolderFileEdit.h"
#include "ItemColumns.h"
#include "NumberCheck.h"
#include "TableCommands.h"
#include "VCardImport.h"
#include "VCardReader.h"
#include "VCardWriter.h"

namespace kelvra::host {

namespace {

using Columns = std::map<std::wstring, std::wstring>;

const wchar_t* const kSingleColumns[] = {L"FIRST_NAME",     L"LAST_NAME",       L"URL_ADDR_0",
                                         L"ADDR_EXTADDR_0", L"ADDR_STREET_0",   L"ADDR_LOCALITY_0",
                                         L"ADDR_REGION_0",  L"ADDR_POSTALCODE_0", L"ADDR_COUNTRY_0",
                                         L"BIRTHDAY",       L"NOTES"};
const wchar_t* const kAddressParts[] = {L"ADDR_EXTADDR_0", L"ADDR_STREET_0",     L"ADDR_LOCALITY_0",
                                        L"ADDR_REGION_0",  L"ADDR_POSTALCODE_0", L"ADDR_COUNTRY_0"};
constexpr int kMostSlots = 10;

std::wstring Get(const Columns& columns, const std::wstring& name)
{
    auto found = columns.find(name);
    return found == columns.end() ? std::wstring() : found->second;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// "TEL_NUM_3" is the fourth of the TEL_NUM_ columns; a column without a number is none.
std::wstring Stem(const std::wstring& column)
{
    return column.substr(0, column.find_last_not_of(L"0123456789") + 1);
}

size_t Index(const std::wstring& column)
{
    return wcstoul(column.c_str() + Stem(column).size(), nullptr, 10);
}

// "TEL_NUM_3" is a TEL_NUM field, as the model's field sizes name it.
std::wstring Property(const std::wstring& column)
{
    std::wstring stem = Stem(column);
    return stem != column && stem.back() == L'_' ? stem.substr(0, stem.size() - 1) : column;
}

std::wstring CutTo(const std::wstring& text, size_t chars)
{
    if (chars == 0 || text.size() <= chars)
        return text;
    // A surrogate pair is one character: never half of it.
    size_t end = chars;
    if (end > 0 && text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF)
        --end;
    return text.substr(0, end);
}

// A contact's numbered values (numbers with their types, e-mails with theirs) counted from
// 0 in the order they come, slots left empty passed over.
void Numbered(const Columns& columns, const wchar_t* value, const wchar_t* type, ItemProjection& projection)
{
    int next = 0;
    for (int slot = 0; slot < kMostSlots; ++slot) {
        std::wstring text = Get(columns, value + std::to_wstring(slot));
        if (text.empty())
            continue;
        projection.Set(value + std::to_wstring(next), text);
        projection.Set(type + std::to_wstring(next), Get(columns, type + std::to_wstring(slot)));
        ++next;
    }
}

size_t Counted(const ItemProjection& projection, const std::wstring& prefix)
{
    size_t count = 0;
    for (const auto& [name, text] : projection.fields)
        count += StartsWith(name, prefix) ? 1 : 0;
    return count;
}

bool Cuttable(const std::wstring& name)
{
    return name.find(L"_TYPE_") == std::wstring::npos && !StartsWith(name, L"TEL_NUM_");
}

// A number's type as a model keeps it: models of few types keep the others as their
// catch-all ("NONE", "ETC"), and a model of short names keeps every mobile as "Mobile".
bool TypeHeld(const std::wstring& held, const std::wstring& given)
{
    if (held == given || held == L"NONE" || held == L"ETC" || held.empty())
        return true;
    bool mobile = StartsWith(given, L"Mobile");
    return (held == L"Mobile" && mobile) || (held == L"Mobile.Private" && given == L"Mobile");
}

// Whether the handset holds the file's fields of a kind otherwise, beyond its cut.
bool Differ(const ItemProjection& file, const ItemProjection& held, const std::wstring& prefix,
            const ItemProjection::FieldHolds& fieldHolds)
{
    auto pick = [&](const ItemProjection& projection) {
        ItemProjection picked;
        for (const auto& [name, text] : projection.fields) {
            if (StartsWith(name, prefix))
                picked.Set(name, text);
        }
        return picked;
    };
    return !pick(held).Holds(pick(file), fieldHolds);
}

// How many of the first card's lines of a property come up to its kept-th one with a
// value; 0 (all of them) when it has no more than that.
size_t LinesTaken(const std::string& bytes, const char* property, size_t kept)
{
    ContentLineReader reader(bytes);
    ContentLine line;
    size_t lines = 0, withValue = 0;
    try {
        while (kept > 0 && reader.Next(line) && line.name != "END") {
            if (line.name != property)
                continue;
            ++lines;
            if (!line.value.empty() && ++withValue == kept)
                return lines;
        }
    } catch (const ContentLineError&) {
        // The edit says what is wrong with the file.
    }
    return 0;
}

}  // namespace

ContactFormat::ContactFormat(SyncSession& session) : m_capabilities(PhonebookCapabilities::Of(session))
{
    QELDATATYPE kind;
    m_table = KeptTable(session, L"phonebook", kind);
    NumberCheck::RulesFor(session, L"phonebook", m_numbers);
    ComPtr<IItem> contact = NewItem(m_table.Get(), QELDT_PHONEBOOK, L"phonebook");
    for (const NamedValue& column : ReadColumns(contact.Get()))
        m_columns.insert(column.name);
}

ItemProjection ContactFormat::Projected(const Columns& columns)
{
    ItemProjection projection;
    for (const wchar_t* column : kSingleColumns)
        projection.Set(column, Get(columns, column));
    projection.Set(L"LAST_NAME", VCardWriter::LastNameOf(columns));
    bool anyAddress = false;
    for (const wchar_t* part : kAddressParts)
        anyAddress = anyAddress || !Get(columns, part).empty();
    if (anyAddress)
        projection.Set(L"ADDR_TYPE_0", Get(columns, L"ADDR_TYPE_0"));
    Numbered(columns, L"TEL_NUM_", L"TEL_TYPE_", projection);
    Numbered(columns, L"EMAIL_ADDR_", L"EMAIL_TYPE_", projection);
    return projection;
}

ItemProjection ContactFormat::OfItem(IItem* item) const
{
    return Projected(ColumnTexts(item));
}

size_t ContactFormat::Slots(const std::wstring& column) const
{
    // The contact's columns may offer more than the model keeps, as its document says.
    static const std::pair<const wchar_t*, const wchar_t*> kCounts[] = {
        {L"TEL_", L"TEL_COUNT"}, {L"EMAIL_", L"EMAIL_COUNT"}, {L"URL_", L"URL_COUNT"}, {L"ADDR_", L"ADDR_COUNT"}};
    size_t slots = 0;
    while (m_columns.count(Stem(column) + std::to_wstring(slots)))
        ++slots;
    for (const auto& [group, count] : kCounts) {
        if (StartsWith(column, group))
            slots = std::min(slots, m_capabilities.Count(count, slots));
    }
    return slots;
}

ItemProjection ContactFormat::Kept(const ItemProjection& projected) const
{
    ItemProjection kept;
    for (const auto& [name, text] : projected.fields) {
        bool numbered = Stem(name) != name;
        if (!m_columns.count(name) || (numbered && Index(name) >= Slots(name)))
            continue;
        // The last name has no field of its own: it is cut to fit the full name beside
        // the first name, which only the handset's reading tells. Without a last name, a
        // model that reads the names from the full name keeps the first name that long.
        bool alone = name == L"FIRST_NAME" && projected.Get(L"LAST_NAME").empty();
        bool uncut = !Cuttable(name) || name == L"LAST_NAME" || alone;
        kept.Set(name, uncut ? text : CutTo(text, m_capabilities.FieldSize(Property(name))));
    }
    return kept;
}

Columns ContactFormat::FileColumns(const std::string& bytes, FileItem& file) const
{
    std::string& problem = file.problem;
    Columns columns;
    std::vector<VCardContact> contacts;
    try {
        contacts = VCardReader::Read(bytes);
    } catch (const InputError& e) {
        problem = e.what();
        return columns;
    }
    if (contacts.size() > 1) {
        problem = "it holds " + std::to_string(contacts.size()) + " vCards; a synced folder keeps one contact per file";
        return columns;
    }
    const VCardContact& contact = contacts.front();
    file.label = contact.label;
    file.notes = contact.notes;
    problem = contact.problem;
    for (const auto& [name, text] : contact.columns) {
        if (StartsWith(name, L"GROUP_NAME_") || StartsWith(name, L"TEL_DIAL_"))
            continue;  // groups and speed dials stay each side's own
        if (!StartsWith(name, L"TEL_NUM_")) {
            columns.emplace(name, text);
            continue;
        }
        NumberVerdict verdict = HandsetNumber::Check(text, m_numbers);
        if (!verdict.refusal.empty() && problem.empty())
            problem = NarrowUtf8(name) + " " + verdict.refusal;
        if (!verdict.note.empty())
            file.notes.push_back(NarrowUtf8(name) + " " + verdict.note);
        columns.emplace(name, verdict.stored);
    }
    return columns;
}

FileItem ContactFormat::OfFile(const std::string& bytes) const
{
    FileItem file;
    Columns columns = FileColumns(bytes, file);
    file.projection = Kept(Projected(columns));
    return file;
}

size_t ContactFormat::ShortestCut(const std::wstring& name) const
{
    if (!Cuttable(name))
        return 0;
    // The last name is cut to fit the full name beside the first: its own field says nothing.
    return ItemProjection::ShortestCut(name == L"LAST_NAME" ? 0 : m_capabilities.FieldSize(Property(name)));
}

ItemProjection::FieldHolds ContactFormat::FieldHeld() const
{
    return [this](const std::wstring& name, const std::wstring& held, const std::wstring& given) {
        if (name.find(L"_TYPE_") != std::wstring::npos)
            return TypeHeld(held, given);
        return ItemProjection::HeldOrCut(held, given, ShortestCut(name));
    };
}

bool ContactFormat::Holds(const ItemProjection& held, const ItemProjection& file) const
{
    return held.Holds(file, FieldHeld());
}

std::vector<std::wstring> ContactFormat::IdentityOf(const ItemProjection& item) const
{
    std::vector<std::wstring> identity;
    std::wstring name = VCardWriter::NameAsWritten(item.Get(L"FIRST_NAME"), item.Get(L"LAST_NAME"));
    if (!name.empty())
        identity.push_back(name);
    for (const auto& [field, text] : item.fields) {
        if (Cuttable(field) && field != L"FIRST_NAME" && field != L"LAST_NAME")
            identity.push_back(text);
        else if (StartsWith(field, L"TEL_NUM_"))
            identity.push_back(text);
    }
    return identity;
}

std::wstring ContactFormat::LabelOf(const ItemProjection& item) const
{
    std::wstring name = VCardWriter::NameAsWritten(item.Get(L"FIRST_NAME"), item.Get(L"LAST_NAME"));
    return name.empty() ? item.Get(L"TEL_NUM_0") : name;
}

void ContactFormat::Apply(const std::string& bytes, IItem* item) const
{
    FileItem read;
    Columns file = FileColumns(bytes, read);
    if (!read.problem.empty())
        throw InputError(read.problem);
    Columns held = ColumnTexts(item);
    Columns wanted;
    for (const wchar_t* column : kSingleColumns)
        wanted[column] = Get(file, column);
    wanted[L"ADDR_TYPE_0"] = Get(file, L"ADDR_TYPE_0");
    // The file's numbers go into the slots the contact uses, in their order, then into
    // free ones, so that what a slot carries besides (its speed dial) stays with it.
    for (auto [value, type] : {std::pair{L"TEL_NUM_", L"TEL_TYPE_"}, std::pair{L"EMAIL_ADDR_", L"EMAIL_TYPE_"}}) {
        std::vector<int> used, slots;
        for (int slot = 0; slot < static_cast<int>(Slots(value)); ++slot)
            (Get(held, value + std::to_wstring(slot)).empty() ? slots : used).push_back(slot);
        slots.insert(slots.begin(), used.begin(), used.end());
        int given = 0;
        for (int from = 0; from < kMostSlots; ++from) {
            std::wstring text = Get(file, value + std::to_wstring(from));
            if (text.empty() || given == static_cast<int>(slots.size()))
                continue;
            std::wstring slot = std::to_wstring(slots[given++]);
            wanted[value + slot] = text;
            wanted[type + slot] = Get(file, type + std::to_wstring(from));
        }
        for (; given < static_cast<int>(slots.size()); ++given)
            wanted[value + std::to_wstring(slots[given])] = L"";
    }
    for (const auto& [column, text] : wanted) {
        bool typeOfNothing = column.find(L"_TYPE_") != std::wstring::npos && text.empty();
        if (m_columns.count(column) && Get(held, column) != text && !typeOfNothing)
            SetColumnText(item, column, text);
    }
}

std::string ContactFormat::NewFile(IItem* item) const
{
    return VCardWriter::Write(ColumnTexts(item), {});
}

std::string ContactFormat::EditedFile(const std::string& existing, IItem* item, const ItemProjection& file,
                                      const ItemProjection& held,
                                      const std::optional<std::set<std::wstring>>& changed) const
{
    auto differ = [&](const std::wstring& prefix) {
        if (!changed)
            return Differ(file, held, prefix, FieldHeld());
        for (const std::wstring& field : *changed) {
            if (StartsWith(field, prefix))
                return true;
        }
        return false;
    };
    std::vector<FolderFileEdit::Replaced> replaced;
    if (differ(L"FIRST_NAME") || differ(L"LAST_NAME"))
        replaced.insert(replaced.end(), {{"N", 1}, {"FN", 1}});
    // The lines the reading took: those up to the last number the model keeps, empty
    // ones among them; further ones are the person's.
    if (differ(L"TEL_"))
        replaced.push_back({"TEL", LinesTaken(existing, "TEL", Counted(file, L"TEL_NUM_"))});
    if (differ(L"EMAIL_"))
        replaced.push_back({"EMAIL", LinesTaken(existing, "EMAIL", Counted(file, L"EMAIL_ADDR_"))});
    if (differ(L"URL_"))
        replaced.push_back({"URL", 1});
    if (differ(L"ADDR_"))
        replaced.push_back({"ADR", 1});
    if (differ(L"BIRTHDAY"))
        replaced.push_back({"BDAY", 1});
    if (differ(L"NOTES"))
        replaced.push_back({"NOTE", 1});
    return FolderFileEdit::Edited(existing, NewFile(item), replaced);
}

}  // namespace kelvra::host

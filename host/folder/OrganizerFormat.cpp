#include "OrganizerFormat.h"

#include "ComFailure.h"
#include "ContentLineReader.h"
#include "FolderFileEdit.h"
#include "HandsetLimits.h"
#include "ICalendarReader.h"
#include "ICalendarTerms.h"
#include "ICalendarWriter.h"
#include "ItemColumns.h"
#include "OrganizerSync.h"
#include "TableCommands.h"

namespace kelvra::host {

namespace {

struct KindTable {
    OrganizerKind kind;
    const wchar_t* table;
    QELDATATYPE itemType;
    const char* component;  // its iCalendar component
    const char* store;      // its DevInf store
};

const KindTable kKinds[] = {{OrganizerKind::Calendar, L"calendar", QELDT_SCHEDULE, "VEVENT", "CALENDAR_EVENT"},
                            {OrganizerKind::Task, L"tasks", QELDT_TASK, "VTODO", "TASK"},
                            {OrganizerKind::Memo, L"memos", QELDT_MEMO, "VJOURNAL", "MEMO"}};

const KindTable& TableOf(OrganizerKind kind)
{
    for (const KindTable& table : kKinds) {
        if (table.kind == kind)
            return table;
    }
    return kKinds[0];
}

const wchar_t* const kTexts[] = {L"SUBJECT", L"DETAIL", L"LOCATION"};

// A lead before the start and an alarm at the time it stands for ring alike: a model
// that keeps alarms only at a time keeps a lead so.
bool SameAlarm(const ItemProjection& file, const ItemProjection& held)
{
    std::wstring lead = file.Get(L"VALARM"), at = held.Get(L"VALARM");
    const std::wstring atTime = L";VALUE=DATE-TIME:";
    std::wstring start = file.Get(L"DTSTART");
    if (lead == at)
        return true;
    if (lead.compare(0, 1, L":") != 0 || at.compare(0, atTime.size(), atTime) != 0 ||
        start.compare(0, 1, L":") != 0 || start != held.Get(L"DTSTART"))
        return false;
    std::optional<DATE> date = DateFromText(NarrowUtf8(start.substr(1)));
    std::optional<long long> seconds = DurationSeconds(NarrowUtf8(lead.substr(1)));
    return date && seconds && WidenUtf8(UtcDateText(AddSeconds(*date, *seconds))) == at.substr(atTime.size());
}

ItemProjection WithoutAlarm(ItemProjection projection)
{
    projection.fields.erase(L"VALARM");
    return projection;
}

// For each component of the kind, in the file's order, whether it is an occurrence moved
// out of a series.
std::vector<bool> MovedOccurrences(const std::string& bytes, const std::string& component)
{
    std::vector<bool> moved;
    ContentLineReader reader(bytes);
    ContentLine line;
    int depth = 0, inside = -1;
    try {
        while (reader.Next(line)) {
            if (line.name == "BEGIN") {
                ++depth;
                if (inside < 0 && UpperAscii(line.value) == component) {
                    inside = depth;
                    moved.push_back(false);
                }
            } else if (line.name == "END") {
                if (depth-- == inside)
                    inside = -1;
            } else if (depth == inside && line.name == "RECURRENCE-ID") {
                moved.back() = true;
            }
        }
    } catch (const ContentLineError&) {
        // The reading said what is wrong with the file.
    }
    return moved;
}

// The stamp every projection is written with; it is left out of the fields.
const char kNoStamp[] = "19800106T000000Z";

std::wstring CutTo(const std::wstring& text, size_t chars)
{
    if (chars == 0 || text.size() <= chars)
        return text;
    size_t end = chars;
    if (text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF)
        --end;  // never half of a surrogate pair
    return text.substr(0, end);
}

}  // namespace

OrganizerFormat::OrganizerFormat(SyncSession& session, OrganizerKind kind)
    : m_kind(kind), m_itemType(TableOf(kind).itemType)
{
    QELDATATYPE itemType;
    m_table = KeptTable(session, TableOf(kind).table, itemType);
    ComPtr<IItem> blank = NewItem(m_table.Get(), m_itemType, TableOf(kind).table);
    for (NamedValue& column : ReadColumns(blank.Get())) {
        if (column.name != L"SUID")
            m_blank[column.name] = column.value;
    }
    std::vector<StoreLimits> stores = HandsetLimits::Stores(session, HandsetLimits::DevInfDocument(session));
    for (const wchar_t* text : kTexts)
        m_sizes[text] = HandsetLimits::FieldSize(stores, TableOf(kind).store, NarrowUtf8(text));
}

ItemProjection OrganizerFormat::Projected(const OrganizerEntry& entry)
{
    ItemProjection projection;
    ContentLineReader reader(ICalendarWriter::Write({entry}, kNoStamp));
    ContentLine line;
    std::wstring alarm;
    int depth = 0;
    while (reader.Next(line)) {
        if (line.name == "BEGIN")
            ++depth;
        std::string parameters;
        for (const ContentParameter& parameter : line.parameters)
            parameters += ";" + parameter.name + "=" + parameter.values.front();
        std::wstring value = WidenUtf8(parameters + ":" + line.value);
        if (depth >= 3 && line.name == "TRIGGER")  // of an alarm, all the handset keeps of it
            alarm += value;
        else if (depth == 2 && line.name != "BEGIN" && line.name != "END" && line.name != "UID" &&
                 line.name != "DTSTAMP")
            projection.Set(WidenUtf8(line.name), value);
        if (line.name == "END")
            --depth;
    }
    projection.Set(L"VALARM", alarm);
    return projection;
}

OrganizerEntry OrganizerFormat::EntryOf(const std::string& bytes, std::string& problem) const
{
    std::vector<OrganizerEntry> entries;
    try {
        entries = ICalendarReader::Read(bytes);
    } catch (const InputError& e) {
        problem = e.what();
        return {};
    }
    // The series itself, not an occurrence moved out of it (RECURRENCE-ID), which a file
    // may hold before it.
    std::vector<bool> moved = MovedOccurrences(bytes, TableOf(m_kind).component);
    std::vector<size_t> series;
    for (size_t at = 0, ofKind = 0; at < entries.size(); ++at) {
        if (entries[at].kind != m_kind)
            continue;
        if (ofKind >= moved.size() || !moved[ofKind])
            series.push_back(at);
        ++ofKind;
    }
    std::string component = TableOf(m_kind).component;
    if (series.empty())
        problem = "it holds no " + component;
    else if (series.size() > 1)
        problem = "it holds " + std::to_string(series.size()) + " " + component +
                  "s; a synced folder keeps one item per file";
    return series.empty() ? OrganizerEntry() : std::move(entries[series.front()]);
}

OrganizerEntry OrganizerFormat::Kept(const OrganizerEntry& entry) const
{
    OrganizerEntry kept;
    kept.kind = entry.kind;
    kept.columns = m_blank;
    for (const auto& [column, value] : entry.columns) {
        if (m_blank.count(column))
            kept.columns[column] = value;
    }
    for (const auto& [column, size] : m_sizes) {
        if (kept.columns.count(column) && size)
            kept.SetText(column, CutTo(kept.Text(column), size));
    }
    return kept;
}

ItemProjection OrganizerFormat::OfItem(IItem* item) const
{
    return Projected(OrganizerSync::EntryOf(m_kind, item));
}

FileItem OrganizerFormat::OfFile(const std::string& bytes) const
{
    FileItem file;
    OrganizerEntry entry = EntryOf(bytes, file.problem);
    if (!file.problem.empty())
        return file;
    file.label = entry.label;
    file.notes = entry.notes;
    file.projection = Projected(Kept(entry));
    return file;
}

size_t OrganizerFormat::ShortestCut(const std::wstring& property) const
{
    static const std::pair<const wchar_t*, const wchar_t*> kTexts[] = {
        {L"SUMMARY", L"SUBJECT"}, {L"DESCRIPTION", L"DETAIL"}, {L"LOCATION", L"LOCATION"}};
    for (const auto& [name, column] : kTexts) {
        if (property == name) {
            auto size = m_sizes.find(column);
            return ItemProjection::ShortestCut(size == m_sizes.end() ? 0 : size->second);
        }
    }
    return 0;
}

ItemProjection::FieldHolds OrganizerFormat::FieldHeld() const
{
    return [this](const std::wstring& name, const std::wstring& held, const std::wstring& given) {
        return ItemProjection::HeldOrCut(held, given, ShortestCut(name));
    };
}

bool OrganizerFormat::Holds(const ItemProjection& held, const ItemProjection& file) const
{
    return WithoutAlarm(held).Holds(WithoutAlarm(file), FieldHeld()) && SameAlarm(file, held);
}

std::vector<std::wstring> OrganizerFormat::IdentityOf(const ItemProjection& item) const
{
    // A memo has no title: its text names it, and nothing else does.
    const wchar_t* title = m_kind == OrganizerKind::Memo ? L"DESCRIPTION" : L"SUMMARY";
    std::vector<std::wstring> identity;
    auto add = [&](const wchar_t* field) {
        if (!item.Get(field).empty())
            identity.push_back(item.Get(field));
    };
    add(title);
    for (const wchar_t* field : {L"DTSTART", L"DTEND", L"DUE", L"LOCATION", L"DESCRIPTION"}) {
        if (wcscmp(field, title) != 0)
            add(field);
    }
    return identity;
}

std::wstring OrganizerFormat::LabelOf(const ItemProjection& item) const
{
    std::wstring title = item.Get(m_kind == OrganizerKind::Memo ? L"DESCRIPTION" : L"SUMMARY");
    size_t colon = title.find(L':');
    return colon == std::wstring::npos ? title : title.substr(colon + 1);
}

void OrganizerFormat::Apply(const std::string& bytes, IItem* item) const
{
    std::string problem;
    OrganizerEntry entry = EntryOf(bytes, problem);
    if (!problem.empty())
        throw InputError(problem);
    // What the file leaves out is cleared: a column takes the value a new item has.
    OrganizerEntry wanted = Kept(entry);
    OrganizerEntry held = OrganizerSync::EntryOf(m_kind, item);
    for (const auto& [column, value] : wanted.columns) {
        if (held.Text(column) == wanted.Text(column) && held.columns[column].Type() == value.Type())
            continue;
        ULONG ordinal = 0;
        LONG found = 0;
        CheckCall(item->GetOrdinal(Bstr(column).Get(), &ordinal, &found), "Looking up a column");
        if (found)
            CheckCall(item->SetValue(ordinal, value.Get()), "Setting a column");
    }
}

std::string OrganizerFormat::NewFile(IItem* item) const
{
    return ICalendarWriter::Write({OrganizerSync::EntryOf(m_kind, item)}, ICalendarWriter::StampNow());
}

std::string OrganizerFormat::EditedFile(const std::string& existing, IItem* item, const ItemProjection& file,
                                        const ItemProjection& held,
                                        const std::optional<std::set<std::wstring>>& changed) const
{
    std::set<std::wstring> names;
    if (changed) {
        names = *changed;
        // An alarm the handset keeps at a time rings elsewhere than the file's lead once
        // the start moved: it goes with the start.
        bool moved = names.count(L"DTSTART") || names.count(L"DTEND") || names.count(L"DUE");
        if (moved && !SameAlarm(file, held))
            names.insert(L"VALARM");
    } else {
        for (const auto& [name, value] : file.fields)
            names.insert(name);
        for (const auto& [name, value] : held.fields)
            names.insert(name);
        for (auto name = names.begin(); name != names.end();) {
            ItemProjection fileField, heldField;
            fileField.Set(*name, file.Get(*name));
            heldField.Set(*name, held.Get(*name));
            bool same = *name == L"VALARM" ? SameAlarm(file, held) : heldField.Holds(fileField, FieldHeld());
            name = same ? names.erase(name) : std::next(name);
        }
    }
    std::vector<FolderFileEdit::Replaced> replaced;
    for (const std::wstring& name : names)
        replaced.push_back({NarrowUtf8(name), 1});
    // Lines that would contradict the new ones go with them: a duration beside a new end,
    // a completion beside a new state.
    if (names.count(L"DTEND") || names.count(L"DUE"))
        replaced.push_back({"DURATION", 0});
    if (names.count(L"STATUS"))
        replaced.insert(replaced.end(), {{"COMPLETED", 0}, {"PERCENT-COMPLETE", 0}});
    // The stamp says when the entry last changed, for programs that read a file without
    // a METHOD.
    if (!replaced.empty())
        replaced.push_back({"DTSTAMP", 1});
    return FolderFileEdit::Edited(existing, NewFile(item), replaced);
}

}  // namespace kelvra::host

// Calendar entries, tasks or memos in a synced folder: one iCalendar file each, with one
// VEVENT, VTODO or VJOURNAL. What is compared is what the writer makes of an entry as the
// model keeps it (its texts cut to their fields): the same lines from either side mean
// the handset holds the file's entry.
#pragma once

#include <map>
#include <set>
#include <string>

#include "OrganizerEntry.h"
#include "SyncSession.h"
#include "SyncedFormat.h"

namespace kelvra::host {

class OrganizerFormat : public SyncedFormat {
public:
    OrganizerFormat(SyncSession& session, OrganizerKind kind);

    const wchar_t* Extension() const override { return L".ics"; }
    IDataTable* Table() const override { return m_table.Get(); }
    QELDATATYPE ItemType() const override { return m_itemType; }

    ItemProjection OfItem(IItem* item) const override;
    std::wstring LabelOf(const ItemProjection& item) const override;
    bool Holds(const ItemProjection& held, const ItemProjection& file) const override;
    std::vector<std::wstring> IdentityOf(const ItemProjection& item) const override;
    bool TellsReusedPlaces() const override { return false; }
    FileItem OfFile(const std::string& bytes) const override;
    void Apply(const std::string& bytes, IItem* item) const override;
    std::string NewFile(IItem* item) const override;
    std::string EditedFile(const std::string& existing, IItem* item, const ItemProjection& file,
                           const ItemProjection& held,
                           const std::optional<std::set<std::wstring>>& changed) const override;

    // The properties the writer gives an entry, by name, without those that name the
    // copy rather than the entry (UID, DTSTAMP); an alarm is one "VALARM" field.
    static ItemProjection Projected(const OrganizerEntry& entry);

private:
    // The file's first entry of this table's kind; problem says why there is none.
    OrganizerEntry EntryOf(const std::string& bytes, std::string& problem) const;
    // What the model keeps of an entry: its columns, texts cut to their fields.
    OrganizerEntry Kept(const OrganizerEntry& entry) const;
    // The shortest start of a property's text that may be the handset's cut of it; 0 for
    // one it never cuts.
    size_t ShortestCut(const std::wstring& property) const;
    ItemProjection::FieldHolds FieldHeld() const;

    OrganizerKind m_kind;
    QELDATATYPE m_itemType;
    ComPtr<IDataTable> m_table;
    std::map<std::wstring, Variant> m_blank;  // a new item's columns, as an entry without them holds them
    std::map<std::wstring, size_t> m_sizes;   // the characters of the text fields
};

}  // namespace kelvra::host

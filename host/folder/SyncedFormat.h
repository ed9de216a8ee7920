// How the items of one table live in a synced folder: one file each, read into what the
// handset can hold of it, written new for an item, or edited with what the handset
// changed of it.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ComTypes.h"
#include "ItemProjection.h"
#include "QELKELVRA.h"

namespace kelvra::host {

// One file as read.
struct FileItem {
    ItemProjection projection;  // what the handset can hold of it
    std::wstring label;         // how messages name it
    std::vector<std::string> notes;  // what of it has no place on the handset, one line each
    std::string problem;        // why it cannot go to the handset; empty when it can
};

class SyncedFormat {
public:
    virtual ~SyncedFormat() = default;

    virtual const wchar_t* Extension() const = 0;  // L".vcf", L".ics"
    virtual IDataTable* Table() const = 0;
    virtual QELDATATYPE ItemType() const = 0;

    virtual ItemProjection OfItem(IItem* item) const = 0;
    virtual std::wstring LabelOf(const ItemProjection& item) const = 0;
    // What names an item, as texts, its name or title first, then what it holds besides
    // (numbers, e-mails, times, places). An item that shares none of them with the one
    // paired at its SUID is another one in a reused place; one that shares the first and
    // another is the paired one, moved to another SUID.
    virtual std::vector<std::wstring> IdentityOf(const ItemProjection& item) const = 0;
    // Whether an item that shares nothing with the one paired tells a reused place: a
    // contact's name, numbers and texts all changed at once are another person; an
    // entry's title and times all changed are still an edit of it.
    virtual bool TellsReusedPlaces() const = 0;
    // Whether the handset's item holds what the file says, allowing for the texts it cut.
    virtual bool Holds(const ItemProjection& held, const ItemProjection& file) const = 0;
    // Never throws for a file's content: what cannot be read is the problem said.
    virtual FileItem OfFile(const std::string& bytes) const = 0;
    // Sets the item's columns to what the file holds, clearing those the file leaves
    // out; a listed item keeps what no file carries (its pictures, groups, speed dials).
    virtual void Apply(const std::string& bytes, IItem* item) const = 0;
    // The file for an item that has none; its UID is set by the caller.
    virtual std::string NewFile(IItem* item) const = 0;
    // The file edited with the item's fields named in changed: those the handset changed
    // since the last sync. Without them, with every field the item holds otherwise than
    // the file's projection.
    virtual std::string EditedFile(const std::string& existing, IItem* item, const ItemProjection& file,
                                   const ItemProjection& held,
                                   const std::optional<std::set<std::wstring>>& changed) const = 0;
};

}  // namespace kelvra::host

// The steps a sync carries out: each changes one side, says so, and saves the status.
#include "FolderSync.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "ComFailure.h"
#include "FolderFileEdit.h"
#include "ItemColumns.h"
#include "UntrustedText.h"
#include "WholeFile.h"

namespace kelvra::host {

namespace {

std::wstring NewUid()
{
    GUID guid = {};
    if (FAILED(CoCreateGuid(&guid)))
        throw ComFailure(E_FAIL, "Making a UID for a new file failed");
    wchar_t text[40];
    swprintf(text, 40, L"%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", static_cast<unsigned long>(guid.Data1),
             guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
             guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

}  // namespace

void FolderSync::Apply(const Action& action)
{
    switch (action.step) {
    case Step::CreateOnHandset: CreateOnHandset(action); break;
    case Step::UpdateOnHandset: UpdateOnHandset(action); break;
    case Step::DeleteOnHandset: DeleteOnHandset(action); break;
    case Step::CreateInFolder: CreateInFolder(action); break;
    case Step::UpdateInFolder: UpdateInFolder(action); break;
    case Step::DeleteInFolder: DeleteInFolder(action); break;
    case Step::Record: Record(action); break;
    case Step::Conflict: Conflict(action); break;
    }
}

void FolderSync::CreateOnHandset(const Action& action)
{
    FolderItem& file = m_files.at(action.file);
    if (m_options.dryRun) {
        ++m_done[Step::CreateOnHandset];
        Say("handset: would create an item from " + NamedFile(action.file));
        return;
    }
    ComPtr<IItem> item;
    CheckCall(m_format.Table()->NewItem(m_format.ItemType(), 0, 0, item.GetAddressOf()), "Making a new item");
    if (!item)
        throw ComFailure(E_POINTER, "Making a new item failed: the table handed out no item");
    try {
        m_format.Apply(file.bytes, item.Get());
    } catch (const std::exception& e) {
        Failed(action.file, std::string("not written to the handset: ") + e.what());
        return;
    }
    SUID suid = 0;
    CheckCall(m_format.Table()->CreateItem(item.Get(), &suid), "Creating an item");
    ItemProjection held = m_format.OfItem(item.Get());
    Keep(action, Paired(static_cast<long>(suid), file, held));
    ++m_done[Step::CreateOnHandset];
    Say("handset: created SUID " + std::to_string(suid) + " from " + NamedFile(action.file));
    SayKept(file, held);
}

void FolderSync::UpdateOnHandset(const Action& action)
{
    FolderItem& file = m_files.at(action.file);
    if (m_options.dryRun) {
        ++m_done[Step::UpdateOnHandset];
        Say("handset: would update " + Named(action.suid) + " from " + NamedFile(action.file));
        return;
    }
    IItem* item = m_items.at(action.suid).item.Get();
    try {
        m_format.Apply(file.bytes, item);
    } catch (const std::exception& e) {
        Failed(action.file, std::string("not written to the handset: ") + e.what());
        return;
    }
    CheckCall(m_format.Table()->UpdateItem(item), "Updating an item");
    ItemProjection held = m_format.OfItem(item);
    // A calendar entry of another kind moves to that kind's store, and its SUID with it.
    long suid = static_cast<long>(ItemSuid(item));
    Keep(action, Paired(suid, file, held));
    ++m_done[Step::UpdateOnHandset];
    Say("handset: updated " + Named(action.suid) + " from " + NamedFile(action.file) +
        (suid == action.suid ? std::string() : "; it is now SUID " + std::to_string(suid)));
    SayKept(file, held);
}

void FolderSync::DeleteOnHandset(const Action& action)
{
    std::string line = Named(action.suid) + ": its file " + Shown(NarrowUtf8(action.file)) + " was deleted";
    if (m_options.dryRun) {
        ++m_done[Step::DeleteOnHandset];
        Say("handset: would delete " + line);
        return;
    }
    CheckCall(m_format.Table()->DeleteItem(m_items.at(action.suid).item.Get()), "Deleting an item");
    Forget(action);
    ++m_done[Step::DeleteOnHandset];
    Say("handset: deleted " + line);
}

void FolderSync::CreateInFolder(const Action& action)
{
    const HandsetItem& held = m_items.at(action.suid);
    if (m_options.dryRun) {
        ++m_done[Step::CreateInFolder];
        Say("folder: would write a file for " + Named(action.suid));
        return;
    }
    // A new file is written under a name no one lists and renamed, never over a file.
    std::wstring uid, name;
    FolderItem file;
    for (int attempt = 0;; ++attempt) {
        uid = NewUid();
        name = uid + m_format.Extension();
        std::wstring partial = PathOf(L".kelvra-" + uid + L".part");
        file.bytes = FolderFileEdit::WithUid(m_format.NewFile(held.item.Get()), NarrowUtf8(uid));
        WriteWhole(partial, file.bytes);
        if (MoveFileExW(partial.c_str(), PathOf(name).c_str(), MOVEFILE_WRITE_THROUGH))
            break;
        DeleteFileW(partial.c_str());
        if (attempt == 3)
            throw InputError("cannot write a new file into " + NarrowUtf8(m_folder));
    }
    file.read = true;
    file.content = m_format.OfFile(file.bytes);
    file.hash = file.content.projection.Hash();
    if (!FolderListing::Stat(PathOf(name), file.file))
        throw InputError("the new file " + NarrowUtf8(PathOf(name)) + " is gone");
    file.file.name = name;
    m_files[name] = file;
    Keep(action, Paired(action.suid, file, held.projection));
    ++m_done[Step::CreateInFolder];
    Say("folder: wrote " + NamedFile(name) + " for " + Named(action.suid));
}

void FolderSync::UpdateInFolder(const Action& action)
{
    FolderItem& file = m_files.at(action.file);
    const HandsetItem& held = m_items.at(action.suid);
    if (m_options.dryRun) {
        ++m_done[Step::UpdateInFolder];
        Say("folder: would update " + NamedFile(action.file) + " from " + Named(action.suid));
        return;
    }
    ReadFile(file);
    if (!Unchanged(file))
        return;
    std::optional<std::set<std::wstring>> changed;
    if (action.onlyChanged && !m_pairs[action.pair].itemFields.empty())
        changed = ChangedFields(m_pairs[action.pair].itemFields, held.projection);
    std::string edited;
    try {
        edited = m_format.EditedFile(file.bytes, held.item.Get(), file.content.projection, held.projection, changed);
    } catch (const InputError& e) {
        Failed(action.file, std::string("cannot be edited: ") + e.what());
        return;
    }
    file.bytes = edited;
    WriteWhole(PathOf(action.file), file.bytes);
    file.content = m_format.OfFile(file.bytes);
    file.hash = file.content.projection.Hash();
    if (!FolderListing::Stat(PathOf(action.file), file.file))
        throw InputError("the file " + NarrowUtf8(PathOf(action.file)) + " is gone");
    Keep(action, Paired(action.suid, file, held.projection));
    ++m_done[Step::UpdateInFolder];
    Say("folder: updated " + NamedFile(action.file) + " from " + Named(action.suid));
}

void FolderSync::DeleteInFolder(const Action& action)
{
    FolderItem& file = m_files.at(action.file);
    std::string line = NamedFile(action.file) + ": SUID " + std::to_string(action.suid) +
                       " was deleted on the handset";
    if (m_options.dryRun) {
        ++m_done[Step::DeleteInFolder];
        Say("folder: would delete " + line);
        return;
    }
    if (!Unchanged(file))
        return;
    if (!DeleteFileW(PathOf(action.file).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        throw InputError("cannot delete " + NarrowUtf8(PathOf(action.file)));
    Forget(action);
    ++m_done[Step::DeleteInFolder];
    Say("folder: deleted " + line);
}

void FolderSync::Record(const Action& action)
{
    if (m_options.dryRun)
        return;
    FolderItem& file = ReadFile(m_files.at(action.file));
    Keep(action, Paired(action.suid, file, m_items.at(action.suid).projection));
}

void FolderSync::Conflict(const Action& action)
{
    ++m_conflicts;
    Warn("conflict: " + Named(action.suid) + " and " + NamedFile(action.file) +
         " both changed since the last sync; both are left as they are (--prefer handset or --prefer folder "
         "settles it)");
}

}  // namespace kelvra::host

// The commands that work on any table: tables, list, count, devinf, create, update,
// delete, and models.
#pragma once

#include <string>
#include <vector>

#include "Command.h"

namespace kelvra::host {

HandsetWork StartTables(const CommandLine& line);
HandsetWork StartList(const CommandLine& line);
HandsetWork StartCount(const CommandLine& line);
HandsetWork StartDevInf(const CommandLine& line);
HandsetWork StartCreate(const CommandLine& line);
HandsetWork StartUpdate(const CommandLine& line);
HandsetWork StartDelete(const CommandLine& line);
HandsetWork StartModels(const CommandLine& line);

// The table a command names, once it is sure the model keeps its records: the component
// hands out a table for every kind it knows. BadValue when the model keeps none.
ComPtr<IDataTable> KeptTable(SyncSession& session, const std::wstring& name, QELDATATYPE& kind);

// A new item of the table; BadValue when the table makes none.
ComPtr<IItem> NewItem(IDataTable* table, QELDATATYPE kind, const std::wstring& tableName);

// Creates an item of the table from "COLUMN=VALUE" assignments; changes, when given,
// receives what the handset stored differently from what was asked.
SUID CreateItem(IDataTable* table, QELDATATYPE kind, const std::vector<std::wstring>& assignments,
                std::vector<std::string>* changes = nullptr, const std::wstring& tableName = L"phonebook");

// Takes a group off every contact that names it, so that no contact ends up in the group
// that reuses its number later. Returns how many contacts changed.
size_t ClearGroupFromContacts(IDataTable* phonebook, SUID group);

// Lines on stderr for what the handset changed; true when there were any.
bool SayChanges(const std::string& who, const std::vector<std::string>& changes);

}  // namespace kelvra::host

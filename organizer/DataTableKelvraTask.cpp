#include "DataTableKelvraTask.h"

namespace kelvra {

const StoreTableNames CDataTableKelvraTask::kNames = {
    L"CDataTableKelvraTask::ListItemsAllBegin", L"CDataTableKelvraTask::NextItem",
    L"CDataTableKelvraTask::ListItemsEnd",      L"CDataTableKelvraTask::GetItemCount",
    L"CDataTableKelvraTask::NewItem",           L"CDataTableKelvraTask::CreateItem",
    L"CDataTableKelvraTask::UpdateItem",        L"CDataTableKelvraTask::DeleteItem",
    L"Task",
};

}  // namespace kelvra

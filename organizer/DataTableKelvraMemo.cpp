#include "DataTableKelvraMemo.h"

namespace kelvra {

const StoreTableNames CDataTableKelvraMemo::kNames = {
    L"CDataTableKelvraMemo::ListItemsAllBegin", L"CDataTableKelvraMemo::NextItem",
    L"CDataTableKelvraMemo::ListItemsEnd",      L"CDataTableKelvraMemo::GetItemCount",
    L"CDataTableKelvraMemo::NewItem",           L"CDataTableKelvraMemo::CreateItem",
    L"CDataTableKelvraMemo::UpdateItem",        L"CDataTableKelvraMemo::DeleteItem",
    L"Memo",
};

}  // namespace kelvra

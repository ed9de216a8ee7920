#include "HandsetLimits.h"

#include <cstdlib>

#include "ComFailure.h"
#include "ModelProfileText.h"

namespace kelvra::host {

namespace {

std::vector<StoreLimits> StoresOnlyInTheProfile(const ModelProfileText& profile)
{
    auto characters = [&](const char* table, const char* field) {
        return std::to_string(profile.Count(table, field));
    };
    std::vector<StoreLimits> stores;
    if (profile.KeepsTable(L"tasks"))
        stores.push_back({"TASK", profile.Value("Todo", "MaxRecordCount"),
                          {{"SUBJECT", characters("DB_TABLE_5", "Field_Index_3"), ""},
                           {"DETAIL", characters("DB_TABLE_5", "Field_Index_4"), ""}}});
    if (profile.KeepsTable(L"memos"))
        stores.push_back({"MEMO", profile.Value("Memo", "MaxRecordCount"),
                          {{"DETAIL", characters("DB_TABLE_4", "Field_Index_2"), ""}}});
    return stores;
}

}  // namespace

std::wstring HandsetLimits::DevInfDocument(SyncSession& session)
{
    ComPtr<IDataTable> metadata = session.Table(DTID_METADATA);
    if (!metadata)
        throw ComFailure(E_NOTIMPL, "This model offers no metadata table, so no DevInf document");
    Bstr text;
    CheckCall(metadata->GetProperty(Bstr(L"DevInf").Get(), text.Out()), "Asking for the DevInf document");
    return text.Str();
}

std::vector<StoreLimits> HandsetLimits::Stores(SyncSession& session, const std::wstring& document)
{
    std::vector<StoreLimits> stores = DevInfSummary::Stores(document);
    for (StoreLimits& store : StoresOnlyInTheProfile(ModelProfileText::Of(session.Model())))
        stores.push_back(std::move(store));
    return stores;
}

size_t HandsetLimits::FieldSize(const std::vector<StoreLimits>& stores, const std::string& store,
                                const std::string& property)
{
    for (const StoreLimits& limits : stores) {
        if (limits.name != store)
            continue;
        for (const PropertyLimit& limit : limits.properties) {
            if (limit.name == property)
                return static_cast<size_t>(std::strtoul(limit.maxSize.c_str(), nullptr, 10));
        }
    }
    return 0;
}

}  // namespace kelvra::host

#include "PhonebookCapabilities.h"

#include <algorithm>
#include <cwchar>

#include "ComFailure.h"
#include "DevInfSummary.h"
#include "HandsetLimits.h"
#include "SyncSession.h"

namespace kelvra::host {

size_t PhonebookCapabilities::FieldSize(const std::wstring& property) const
{
    auto found = fieldSizes.find(property);
    return found == fieldSizes.end() ? 0 : found->second;
}

size_t PhonebookCapabilities::Count(const std::wstring& property, size_t fallback) const
{
    auto found = counts.find(property);
    return found == counts.end() ? fallback : found->second;
}

PhonebookCapabilities PhonebookCapabilities::FromDevInf(const std::wstring& document)
{
    PhonebookCapabilities capabilities;
    for (size_t at = document.find(L"<DataStore>"); at != std::wstring::npos;
         at = document.find(L"<DataStore>", at + 1)) {
        std::wstring store = document.substr(at, document.find(L"</DataStore>", at) - at);
        if (DevInfSummary::Element(store, L"SourceRef") != L"PHONEBOOK")
            continue;
        for (size_t p = store.find(L"<Property>"); p != std::wstring::npos; p = store.find(L"<Property>", p + 1)) {
            std::wstring property = store.substr(p, store.find(L"</Property>", p) - p);
            std::wstring name = DevInfSummary::Element(property, L"PropName");
            std::wstring size = DevInfSummary::Element(property, L"MaxSize");
            capabilities.keepsPictures = capabilities.keepsPictures || name == L"PHOTO";
            std::wstring most = DevInfSummary::Element(property, L"MaxValue");
            if (name.size() > 6 && name.compare(name.size() - 6, 6, L"_COUNT") == 0 && !most.empty())
                capabilities.counts[name] = static_cast<size_t>(std::max(0L, wcstol(most.c_str(), nullptr, 10)));
            long chars = wcstol(size.c_str(), nullptr, 10);
            if (!name.empty() && chars > 0)
                capabilities.fieldSizes[name] = static_cast<size_t>(chars);
        }
    }
    return capabilities;
}

PhonebookCapabilities PhonebookCapabilities::Of(SyncSession& session)
{
    try {
        return FromDevInf(HandsetLimits::DevInfDocument(session));
    } catch (const ComFailure&) {
        return {};  // a model without a document keeps no pictures and names no sizes
    }
}

}  // namespace kelvra::host

// What the connected model can store: the stores of its DevInf document with their
// limits, and the task and memo stores, which the document leaves out, with the limits
// the model's profile gives them.
#pragma once

#include <string>
#include <vector>

#include "DevInfSummary.h"
#include "SyncSession.h"

namespace kelvra::host {

class HandsetLimits {
public:
    // The model's DevInf document; throws ComFailure when the model offers none.
    static std::wstring DevInfDocument(SyncSession& session);
    // Every store with its limits, from the document and the session's model.
    static std::vector<StoreLimits> Stores(SyncSession& session, const std::wstring& document);
    // The characters a store's property holds; 0 when no limit is known.
    static size_t FieldSize(const std::vector<StoreLimits>& stores, const std::string& store,
                            const std::string& property);
};

}  // namespace kelvra::host

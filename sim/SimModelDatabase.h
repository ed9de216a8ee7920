// A model database whose answers its creator sets; it remembers every question asked.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ComObject.h"
#include "KelvraSim.h"

namespace kelvra::sim {

class SimModelDatabase : public ComObject<SimModelDatabase, DispatchImpl<ISimModelDatabase, 2, IModelDatabase>> {
public:
    STDMETHODIMP GetValue(BSTR key, BSTR* value) override;
    STDMETHODIMP SetValue(BSTR key, BSTR value) override;
    STDMETHODIMP get_Questions(BSTR* keys) override;

    const std::vector<std::wstring>& Asked() const { return m_asked; }

private:
    std::map<std::wstring, std::wstring> m_values;
    std::vector<std::wstring> m_asked;
};

}  // namespace kelvra::sim

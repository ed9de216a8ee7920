// A built-in model profile as the component reads it, for what the host tells a person
// about the model: which tables it keeps and the limits the DevInf document leaves out.
#pragma once

#include <string>

namespace kelvra::host {

class ModelProfileText {
public:
    explicit ModelProfileText(std::string ini) : m_ini(std::move(ini)) {}
    // The profile of a built-in model; throws BadValue for a model without one.
    static ModelProfileText Of(int model);

    // A key's value, blanks trimmed; empty when the section or the key is missing.
    std::string Value(const std::string& section, const std::string& key) const;
    bool HasSection(const std::string& section) const;
    // Whether the model lists the handset DB table in [DB] DB_Table_Index.
    bool HasTable(int number) const;
    // The count of a field description ("txt,wchar,100+2,0" gives 100), or the leading
    // number of a plain value; 0 when there is none.
    long Count(const std::string& section, const std::string& key) const;
    // Whether the model keeps the records of a table as kelvra-sync names it.
    bool KeepsTable(const std::wstring& table) const;
    std::string ModelName() const { return Value("Phone Base Info", "PhoneModel"); }

private:
    // Where the section's lines begin and end in the text; npos when it is missing.
    std::pair<size_t, size_t> Section(const std::string& section) const;

    std::string m_ini;
};

}  // namespace kelvra::host

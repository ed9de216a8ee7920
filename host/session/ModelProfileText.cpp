#include "ModelProfileText.h"

#include <cstdlib>
#include <sstream>

#include "ComFailure.h"
#include "ModelCatalogue.h"

namespace kelvra::host {

namespace {

std::string Trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

ModelProfileText ModelProfileText::Of(int model)
{
    for (BuiltInModel& known : ModelCatalogue::Load()) {
        if (known.id == model)
            return ModelProfileText(std::move(known.profile));
    }
    throw BadValue("the component has no built-in profile for model " + std::to_string(model));
}

std::pair<size_t, size_t> ModelProfileText::Section(const std::string& section) const
{
    std::string header = "[" + section + "]";
    size_t at = 0;
    for (;;) {
        at = m_ini.find(header, at);
        if (at == std::string::npos)
            return {std::string::npos, std::string::npos};
        if (at == 0 || m_ini[at - 1] == '\n')
            break;
        at += header.size();
    }
    size_t begin = m_ini.find('\n', at);
    begin = begin == std::string::npos ? m_ini.size() : begin + 1;
    size_t end = begin;
    while (end < m_ini.size() && m_ini[end] != '[') {
        size_t next = m_ini.find('\n', end);
        end = next == std::string::npos ? m_ini.size() : next + 1;
    }
    return {begin, end};
}

bool ModelProfileText::HasSection(const std::string& section) const
{
    return Section(section).first != std::string::npos;
}

std::string ModelProfileText::Value(const std::string& section, const std::string& key) const
{
    auto [begin, end] = Section(section);
    if (begin == std::string::npos)
        return {};
    std::istringstream lines(m_ini.substr(begin, end - begin));
    for (std::string line; std::getline(lines, line);) {
        size_t equals = line.find('=');
        if (equals != std::string::npos && Trimmed(line.substr(0, equals)) == key)
            return Trimmed(line.substr(equals + 1));
    }
    return {};
}

bool ModelProfileText::HasTable(int number) const
{
    std::istringstream numbers(Value("DB", "DB_Table_Index"));
    for (std::string item; std::getline(numbers, item, ',');) {
        if (std::atol(item.c_str()) == number)
            return true;
    }
    return false;
}

long ModelProfileText::Count(const std::string& section, const std::string& key) const
{
    std::string value = Value(section, key);
    // A field description is "name,type,count,flag".
    size_t first = value.find(',');
    size_t second = first == std::string::npos ? std::string::npos : value.find(',', first + 1);
    if (second != std::string::npos)
        value = value.substr(second + 1);
    return std::atol(value.c_str());
}

bool ModelProfileText::KeepsTable(const std::wstring& table) const
{
    // The handset's DB tables: 1 contacts, 2 groups, 3 and 7 to 10 and 19 the calendar's
    // kinds, 4 memos, 5 tasks, 12 received SMS, 17 MMS.
    if (table == L"phonebook")
        return HasTable(1);
    if (table == L"groups")
        return HasTable(2);
    if (table == L"card" || table == L"card2")
        return HasSection("RUIM");
    if (table == L"calendar") {
        for (int kind : {3, 7, 8, 9, 10, 19}) {
            if (HasTable(kind))
                return true;
        }
        return false;
    }
    if (table == L"tasks")
        return HasTable(5);
    if (table == L"memos")
        return HasTable(4);
    if (table == L"sms")
        return HasTable(12);
    if (table == L"mms")
        return HasTable(17);
    if (table == L"files")
        return HasSection("PhoneRootPath");
    return true;  // the metadata table's documents are built from the profile itself
}

}  // namespace kelvra::host

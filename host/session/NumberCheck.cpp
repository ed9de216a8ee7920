#include "NumberCheck.h"

#include "ComFailure.h"
#include "HandsetLimits.h"
#include "ModelCatalogue.h"
#include "SimulatedCard.h"

namespace kelvra::host {

size_t NumberCheck::PhonebookNumberChars(SyncSession& session)
{
    // The DevInf document gives the number field's length as the profile has it.
    std::wstring document = HandsetLimits::DevInfDocument(session);
    size_t property = document.find(L"<PropName>TEL_NUM</PropName>");
    size_t size = property == std::wstring::npos ? property : document.find(L"<MaxSize>", property);
    if (size == std::wstring::npos)
        throw ComFailure(E_UNEXPECTED, "The DevInf document gives no length for TEL_NUM");
    return static_cast<size_t>(_wtoi(document.c_str() + size + 9));
}

std::wstring NumberCheck::ModelName(SyncSession& session)
{
    for (const BuiltInModel& model : ModelCatalogue::Load()) {
        if (model.id == session.Model())
            return model.name;
    }
    return {};
}

bool NumberCheck::RulesFor(SyncSession& session, const std::wstring& table, NumberRules& rules)
{
    if (table == L"card" || table == L"card2") {
        rules = NumberRules::ForCard(static_cast<size_t>(kSimulatedCard.numberDigits));
        return true;
    }
    if (table != L"phonebook")
        return false;
    rules = NumberRules::ForContacts(ModelName(session), PhonebookNumberChars(session));
    return true;
}

std::string NumberCheck::Apply(std::vector<std::pair<std::wstring, std::wstring>>& columns, const NumberRules& rules,
                               std::vector<std::string>& notes)
{
    for (auto& [name, value] : columns) {
        if (name.compare(0, 8, L"TEL_NUM_") != 0)
            continue;
        NumberVerdict verdict = HandsetNumber::Check(value, rules);
        if (!verdict.refusal.empty())
            return NarrowUtf8(name) + " " + verdict.refusal;
        if (!verdict.note.empty())
            notes.push_back(NarrowUtf8(name) + " " + verdict.note);
        value = verdict.stored;
    }
    return {};
}

std::vector<std::string> NumberCheck::Assignments(SyncSession& session, const std::wstring& table,
                                                  std::vector<std::wstring>& assignments)
{
    std::vector<std::string> notes;
    bool numbers = false;
    for (const std::wstring& assignment : assignments)
        numbers = numbers || assignment.compare(0, 8, L"TEL_NUM_") == 0;
    NumberRules rules;
    if (!numbers || !RulesFor(session, table, rules))
        return notes;
    std::vector<std::pair<std::wstring, std::wstring>> columns;
    for (const std::wstring& assignment : assignments) {
        size_t equals = assignment.find(L'=');
        columns.emplace_back(assignment.substr(0, equals),
                             equals == std::wstring::npos ? std::wstring() : assignment.substr(equals + 1));
    }
    std::string refusal = Apply(columns, rules, notes);
    if (!refusal.empty())
        throw BadValue(refusal + "; nothing was written");
    for (size_t i = 0; i < assignments.size(); ++i) {
        if (assignments[i].find(L'=') != std::wstring::npos)
            assignments[i] = columns[i].first + L"=" + columns[i].second;
    }
    return notes;
}

}  // namespace kelvra::host

#include "VCardNumberType.h"

namespace kelvra::host {

namespace {

// Values the handset's types carry: the kind of line and whose it is. "PREF" only orders
// a contact's numbers, which the handset keeps in their order anyway.
bool Carried(const std::string& type)
{
    for (const char* known : {"CELL", "FAX", "HOME", "WORK", "VOICE", "PREF"}) {
        if (type == known)
            return true;
    }
    return false;
}

}  // namespace

std::wstring VCardNumberType::Of(const ContentLine& line, std::string& unkept)
{
    unkept.clear();
    for (const ContentParameter& parameter : line.parameters) {
        if (parameter.name != "TYPE")
            continue;
        for (const std::string& value : parameter.values) {
            // A quoted value may hold a list itself: TYPE="pager,voice".
            for (size_t start = 0; start <= value.size();) {
                size_t comma = std::min(value.find(',', start), value.size());
                std::string type = UpperAscii(value.substr(start, comma - start));
                if (!type.empty() && !Carried(type))
                    unkept += (unkept.empty() ? "" : ",") + type;
                start = comma + 1;
            }
        }
    }
    auto has = [&](const char* type) { return line.HasParameterValue("TYPE", type); };
    if (has("FAX"))
        return L"Fax";
    if (has("CELL"))
        return has("WORK") ? L"Mobile.Business" : L"Mobile.Private";
    return has("WORK") ? L"Landline.Business" : L"Landline.Private";
}

}  // namespace kelvra::host

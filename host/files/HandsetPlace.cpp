#include "HandsetPlace.h"

#include "ComFailure.h"
#include "ComTypes.h"

namespace kelvra::host {

namespace {

const std::wstring kCardPrefix = L"card:";

}  // namespace

bool IsPlainName(const std::wstring& name)
{
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"/\\:") == std::wstring::npos;
}

HandsetPlace HandsetPlace::Parse(const std::wstring& text)
{
    HandsetPlace path;
    std::wstring rest = text;
    if (rest.compare(0, kCardPrefix.size(), kCardPrefix) == 0) {
        path.m_card = true;
        rest.erase(0, kCardPrefix.size());
    }
    if (rest.empty() || rest[0] != L'/')
        throw BadValue("\"" + NarrowUtf8(text) + "\" is not a handset path; they start with / (phone memory) or card:/");
    size_t start = 1;
    while (start <= rest.size()) {
        size_t end = rest.find(L'/', start);
        if (end == std::wstring::npos)
            end = rest.size();
        std::wstring part = rest.substr(start, end - start);
        if (!part.empty() && part != L".") {
            if (!IsPlainName(part))
                throw BadValue("\"" + NarrowUtf8(text) + "\" names \"" + NarrowUtf8(part) +
                               "\", which is no folder or file name");
            path.m_parts.push_back(part);
        }
        start = end + 1;
    }
    return path;
}

HandsetPlace HandsetPlace::Root(bool card)
{
    HandsetPlace path;
    path.m_card = card;
    return path;
}

std::wstring HandsetPlace::Joined(const std::vector<std::wstring>& parts, bool card)
{
    const wchar_t separator = card ? L'\\' : L'/';
    std::wstring joined;
    for (const std::wstring& part : parts)
        joined += separator + part;
    return joined.empty() ? std::wstring(1, separator) : joined;
}

std::wstring HandsetPlace::TableFolder() const
{
    return Joined(m_parts, m_card);
}

std::wstring HandsetPlace::TableParent() const
{
    return Parent().TableFolder();
}

const std::wstring& HandsetPlace::Name() const
{
    static const std::wstring kNone;
    return m_parts.empty() ? kNone : m_parts.back();
}

HandsetPlace HandsetPlace::Parent() const
{
    HandsetPlace parent = *this;
    if (!parent.m_parts.empty())
        parent.m_parts.pop_back();
    return parent;
}

HandsetPlace HandsetPlace::Child(const std::wstring& name) const
{
    HandsetPlace child = *this;
    child.m_parts.push_back(name);
    return child;
}

std::wstring HandsetPlace::Shown() const
{
    std::wstring shown = m_card ? kCardPrefix : L"";
    for (const std::wstring& part : m_parts)
        shown += L"/" + part;
    return m_parts.empty() ? shown + L"/" : shown;
}

}  // namespace kelvra::host

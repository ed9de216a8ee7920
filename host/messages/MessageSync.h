// The handset's messages as a person uses them: SMS sent through the handset and
// exported, MMS fetched to and sent from PC files, and the demo handset's messages.
#pragma once

#include <string>
#include <vector>

#include "SyncSession.h"

namespace kelvra::host {

class MessageSync {
public:
    explicit MessageSync(SyncSession& session) : m_session(session) {}

    // Sends a text through the handset from the card given (1 or 2); returns how many of
    // its characters went. A text the handset cannot send whole is refused with a
    // BadValue naming the model's limit, unless cut is set: then its first characters go.
    size_t SendSms(const std::wstring& number, const std::wstring& text, int card, bool cut);
    // Every stored SMS as a JSON array; returns how many there are.
    size_t ExportSms(const std::wstring& path);
    // Saves one MMS's content to a PC file; returns its size in bytes.
    size_t FetchMms(SUID suid, const std::wstring& path);
    // Sends the content of a PC file as a new MMS.
    void SendMms(const std::wstring& path);
    // A few SMS in several boxes, and one MMS, for a new demo handset.
    void SeedSms();
    void SeedMms();

private:
    // How many of the text's characters go: all, or with cut those that fit.
    size_t SmsFits(const std::wstring& text, bool cut) const;
    ComPtr<IDataTable> Table(const wchar_t* name, QELDATATYPE& kind);

    SyncSession& m_session;
};

// Listed SMS as export-sms writes them: a JSON array, one object per message.
std::string SmsAsJson(const std::vector<ComPtr<IItem>>& messages);

// How many of the text's first characters fit into bytes of UTF-8, as the handset's send
// request holds the text; whole characters only.
size_t CharactersWithin(const std::wstring& text, size_t bytes);

// A listed date as ISO 8601 with the PC's standard offset ("2026-12-05T18:30:00+09:00").
std::string IsoTimeWithOffset(DATE date, LONG biasMinutes);

}  // namespace kelvra::host

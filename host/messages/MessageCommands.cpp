#include "MessageCommands.h"

#include <cstdio>

#include "ComFailure.h"
#include "ExitCode.h"
#include "MessageSync.h"
#include "WholeFile.h"

namespace kelvra::host {

HandsetWork StartSendSms(const CommandLine& line)
{
    if (line.Word(1).find_first_not_of(L" \t") == std::wstring::npos)
        throw BadValue("send-sms has no receiver: the NUMBER is empty");
    return [&line](SyncSession& session) {
        int card = line.card ? line.card : 1;
        const std::wstring& text = line.Word(2);
        size_t sent = MessageSync(session).SendSms(line.Word(1), text, card, line.cut);
        printf("sent the SMS to %s from card %d", NarrowUtf8(line.Word(1)).c_str(), card);
        if (sent < text.size())
            printf(", cut to its first %zu of %zu characters", sent, text.size());
        printf("\n");
        return kOk;
    };
}

HandsetWork StartExportSms(const CommandLine& line)
{
    return [&line](SyncSession& session) {
        size_t count = MessageSync(session).ExportSms(line.Word(1));
        printf("exported %zu SMS to %s\n", count, NarrowUtf8(line.Word(1)).c_str());
        return kOk;
    };
}

HandsetWork StartFetchMms(const CommandLine& line)
{
    SUID suid = ParseSuid(line.Word(1));
    return [&line, suid](SyncSession& session) {
        size_t size = MessageSync(session).FetchMms(suid, line.Word(2));
        printf("saved MMS %ld (%zu bytes) to %s\n", static_cast<long>(suid), size, NarrowUtf8(line.Word(2)).c_str());
        return kOk;
    };
}

HandsetWork StartSendMms(const CommandLine& line)
{
    size_t size = ReadWhole(line.Word(1)).size();
    return [&line, size](SyncSession& session) {
        MessageSync(session).SendMms(line.Word(1));
        printf("sent %s (%zu bytes) as an MMS\n", NarrowUtf8(line.Word(1)).c_str(), size);
        return kOk;
    };
}

}  // namespace kelvra::host

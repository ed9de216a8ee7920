#include "MessageCommands.h"

#include <cstdio>

#include "ExitCode.h"
#include "MessageSync.h"
#include "WholeFile.h"

namespace kelvra::host {

HandsetWork StartSendSms(const CommandLine& line)
{
    return [&line](SyncSession& session) {
        int card = line.card ? line.card : 1;
        MessageSync(session).SendSms(line.Word(1), line.Word(2), card);
        printf("sent the SMS to %s from card %d\n", NarrowUtf8(line.Word(1)).c_str(), card);
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

#include "CalendarCommands.h"

#include <windows.h>

#include <cstdio>

#include "ExitCode.h"
#include "ICalendarReader.h"
#include "ICalendarWriter.h"
#include "InputFile.h"
#include "OrganizerSync.h"

namespace kelvra::host {

namespace {

std::string UtcStamp()
{
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    char stamp[32];
    snprintf(stamp, sizeof(stamp), "%04u%02u%02uT%02u%02u%02uZ", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond);
    return stamp;
}

int ExportIcs(SyncSession& session, const std::wstring& path)
{
    std::vector<OrganizerEntry> entries = OrganizerSync(session).Entries();
    WriteWhole(path, ICalendarWriter::Write(entries, UtcStamp()));
    printf("exported %zu entries to %s\n", entries.size(), NarrowUtf8(path).c_str());
    return kOk;
}

}  // namespace

HandsetWork StartExportIcs(const CommandLine& line)
{
    return [&line](SyncSession& session) { return ExportIcs(session, line.Word(1)); };
}

HandsetWork StartImportIcs(const CommandLine& line)
{
    std::vector<OrganizerEntry> entries = ReadFileWith(line.Word(1), ICalendarReader::Read);
    bool duplicates = line.duplicates;
    return [entries, duplicates](SyncSession& session) {
        return OrganizerSync(session).Import(entries, duplicates) ? kOk : kHandsetChanged;
    };
}

}  // namespace kelvra::host

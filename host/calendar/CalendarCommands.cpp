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

int ExportIcs(SyncSession& session, const std::wstring& path)
{
    std::vector<OrganizerEntry> entries = OrganizerSync(session).Entries();
    WriteWhole(path, ICalendarWriter::Write(entries, ICalendarWriter::StampNow()));
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

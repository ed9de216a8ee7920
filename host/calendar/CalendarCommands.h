// export-ics and import-ics: the calendar, tasks and memos as iCalendar files.
#pragma once

#include "Command.h"

namespace kelvra::host {

HandsetWork StartExportIcs(const CommandLine& line);
HandsetWork StartImportIcs(const CommandLine& line);

}  // namespace kelvra::host

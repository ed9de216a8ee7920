// export-vcard and import-vcard: the phonebook as vCard files.
#pragma once

#include "Command.h"

namespace kelvra::host {

HandsetWork StartExportVCard(const CommandLine& line);
HandsetWork StartImportVCard(const CommandLine& line);

}  // namespace kelvra::host

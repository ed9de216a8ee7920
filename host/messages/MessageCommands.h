// send-sms, export-sms, fetch-mms and send-mms.
#pragma once

#include "Command.h"

namespace kelvra::host {

HandsetWork StartSendSms(const CommandLine& line);
HandsetWork StartExportSms(const CommandLine& line);
HandsetWork StartFetchMms(const CommandLine& line);
HandsetWork StartSendMms(const CommandLine& line);

}  // namespace kelvra::host

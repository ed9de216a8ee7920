// seed-demo: fills an empty simulated handset with the demo data.
#pragma once

#include "Command.h"

namespace kelvra::host {

HandsetWork StartSeedDemo(const CommandLine& line);

}  // namespace kelvra::host

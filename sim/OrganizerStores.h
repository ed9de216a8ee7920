// The record sizes of the calendar, task and memo stores of each built-in model, as
// the handsets keep them. Worked out here from the models' field lists, apart from
// anything the component computes, so that a record of the wrong size is refused.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvra::sim {

// The size of every record of the store on the model (its built-in profile's resource
// number); 0 when the model has no such store or is not known.
size_t OrganizerRecordSize(long model, uint32_t store);

}  // namespace kelvra::sim

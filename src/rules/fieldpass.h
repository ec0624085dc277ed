#pragma once

#include "store/palmdatabase.h"

#include <array>

// Several fields of a record found in one pass over its fields, for the counts that read every
// record: a look-up each would walk the fields once per code. A field the record lacks is null.
// The codes are compared as a chain of constants, a code standing at most once in a record.
template <class... Codes>
std::array<const Field *, sizeof...(Codes)> findFields(const Record &record, Codes... codes) {
    std::array<const Field *, sizeof...(Codes)> found{};
    for (const Field &f : record.fields()) {
        std::size_t i = 0;
        const FieldCode code = f.code();
        (void)((code == codes ? (found[i] = &f, true) : (++i, false)) || ...);
    }
    return found;
}

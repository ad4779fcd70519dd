#pragma once
// The layout of the table's lines as the record loop saw it, and the warnings drawn from
// it: lines that do not hold one record each, separators that are not commas, and double
// quotes that drop or swallow text.

#include <vector>

#include "tools/checker/TableCheck.h"

namespace checker {

// One field of records 1 to 200, or of the record cut short, as the reader read it.
struct FieldSeen {
    int line = 0;  // where it starts
    FieldForm form;
};

// Appends the layout's warnings and marks the records it leaves misplaced. `fields` are
// in file order; the table's fields are decoded already.
void CheckLayout(Table& table, const std::vector<FieldSeen>& fields, TextCodec& codec);

}  // namespace checker

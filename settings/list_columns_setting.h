// The details view's optional columns the user turned on, remembered apart
// from the window's fixed set of values.
#pragma once

namespace larkspool {

// Value "DetailColumns": one bit per optional column, in their order; none
// when not stored.
unsigned StoredOptionalColumns();
bool RememberOptionalColumns(unsigned columns);

} // namespace larkspool

#pragma once

#include "day/DayPlacement.h"
#include "history/EditHistory.h"

namespace kalvo {

// What an edit of the shown day may change: each appointment placed on it with its
// sub-appointments at any depth, the appointments sharing an id with one of them (they share
// rows), and every row of all of these, on every date: "Apply to Future" reaches the later
// rows and a delete the parent's list of children.
EditScope dayEditScope(const Model& model, const DayPlacement& placement);

}  // namespace kalvo

#pragma once

#include <string>

#include "model/Model.h"

namespace kalvo {

// The model a new planner starts from: a few common appointment types and no appointments.
Model starterModel();

// Writes the starter database into `folder` (which must exist), replacing its three table
// files, exactly as the program saves a database.
void writeStarterDatabase(const std::string& folder);

}  // namespace kalvo

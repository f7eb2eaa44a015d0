// The schema check that runs first at every start.
#pragma once

#include "core/SchemaUpgrade.h"

class Program;

// Checks the stored schema version and upgrades an older database, showing the upgrade's
// notice meanwhile. False (after its message): the program ends.
bool VersionUp(const Program& program);

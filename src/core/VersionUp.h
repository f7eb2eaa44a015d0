// The schema check that runs first at every start.
#pragma once

#include "core/SchemaUpgrade.h"

class Program;

// Checks the stored schema version and upgrades an older database, showing the upgrade's
// notice meanwhile; holidayRules is the holiday subsystem's step of the upgrade. False (after
// its message): the program ends.
bool VersionUp(const Program& program, const UpgradeStep& holidayRules = {});

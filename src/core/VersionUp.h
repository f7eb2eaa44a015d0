// The schema version check and upgrade of the database.
#pragma once

#include <QString>

// Checks the stored schema version and upgrades an older database. False: the program ends.
bool VersionUp();
// The program's schema version (1.06) and the text of the upgrade notice.
double ProgramVersion();
QString VersionUpNoticeText(double stored, double program);

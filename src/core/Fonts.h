// The faces of the program's lists and headings.
#pragma once

#include <QFont>

// The fixed-pitch face of the aligned lists (a half-width character one column, a full-width
// one two) and the proportional face of headings.
QFont FixedPitchFont();
QFont ProportionalFont();

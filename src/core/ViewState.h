// The view state the main window shares with its dialogs.
#pragma once

#include <QDate>

// ---- Program-wide view state (owned by the main window, read by every dialog) ----
extern qint16 G_intYear;     // displayed year, 0 until the first draw
extern qint16 G_intMonth;    // displayed month 1-12, 0 until the first draw
extern QDate G_datSelect;    // selected date
extern qint16 G_intSelIndex; // grid cell 0-41 showing G_datSelect
extern bool G_blnEnd;        // the end of the program has been requested

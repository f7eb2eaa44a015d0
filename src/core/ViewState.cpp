#include "core/ViewState.h"

qint16 G_intYear = 0;
qint16 G_intMonth = 0;
QDate G_datSelect;
qint16 G_intSelIndex = 0;
bool G_blnEnd = false;

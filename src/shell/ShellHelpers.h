// Small text helpers of the shell's windows.
#pragma once

#include <QString>

// The program's file-chooser filters are written "description|patterns|description|patterns"
// with the patterns of one entry separated by ';'. This gives the toolkit's form: each entry
// "description (patterns)" with the patterns separated by blanks, and "*.*" as "*" so that
// files without an extension are listed too.
QString QtFileFilter(const QString& filter);

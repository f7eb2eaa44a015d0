// The application object's set-up, before any window is made.
#pragma once

// The application's name, its desktop entry, and residency: closing the last window does not end
// the program, which ends only by its own command.
void SetUpApplication();
// The program's font (Japanese glyph shapes whatever the desktop's default) and icon theme.
void SetUpAppearance();

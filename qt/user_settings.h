#pragma once
// What the desktop program remembers for each user between runs, in the
// user's configuration directory (QSettings "qx40"/"qx40", the "windows"
// group): where each window was and which view the front panel showed.
// Hardware.dat stays the panel's own.

class QSettings;
class TForm;
class TfrmMainDisplay;

// After both windows are shown and placed: a remembered position is taken
// only if the window still lies wholly on the screen there.
void RestoreWindows(QSettings& settings, TfrmMainDisplay& front, TForm& hardware);
void RememberWindows(QSettings& settings, const TfrmMainDisplay& front, const TForm& hardware);

#pragma once
// What the desktop program remembers for each user between runs, in the
// user's configuration directory (QSettings "qx40"/"qx40", the "windows"
// group): where each window was, how large both are drawn, and which view
// the front panel showed.
// Hardware.dat stays the panel's own.

class QSettings;
class TForm;
class TfrmMainDisplay;

// The windows' scale: the one asked for (above 0), remembered; else the one
// remembered; else the largest at which both fit the screen side by side or
// one above the other.
double WindowScale(QSettings& settings, double asked, const TForm& front, const TForm& hardware);

// After both windows are shown and placed: a remembered position is taken
// only if the window still lies wholly on the screen there.
void RestoreWindows(QSettings& settings, TfrmMainDisplay& front, TForm& hardware);
void RememberWindows(QSettings& settings, const TfrmMainDisplay& front, const TForm& hardware);

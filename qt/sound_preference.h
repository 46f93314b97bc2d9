#pragma once
// The hardware window's mute box as this user left it last time: kept in the
// user's settings, not in Hardware.dat, which belongs to the directory.

class TCheckBox;

// Sets the box as remembered, and remembers each change from now on.
void RememberSoundMute(TCheckBox& mute);

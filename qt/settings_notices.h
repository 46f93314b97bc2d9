#pragma once
// The working directory checked before the machine loads from it; what the
// user must know is said on standard error and in a message box.

class SettingsLock;

// False when another simulator runs in this directory (this one must not
// start); a rejected Hardware.dat is kept aside first.
bool PrepareSettingsDirectory(const SettingsLock& lock);

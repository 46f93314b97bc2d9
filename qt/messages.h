#pragma once
// Qt's notices that tell the user of this program nothing (a session without
// XDG_RUNTIME_DIR, say) are dropped; every other message goes out as before.

// Before the application object is made, once per process.
void DropKnownQtNoise();

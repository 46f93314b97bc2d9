#pragma once
// Hardware.dat: the board's non-volatile memory in its first 256 bytes,
// the hardware control window's settings after it.

#include <cstdint>

extern const char* const hardwareFileName;

// Reads as much of the board part as the file holds; the rest stays as it is.
// A missing or unreadable file changes nothing.
void LoadNvImage(uint8_t* image, int32_t size);

// Replaces the file with the board part. The new file is written beside the
// old one and renamed over it, so a failure keeps the previous file whole.
// Returns false if nothing could be saved.
bool SaveNvImage(const uint8_t* image, int32_t size);

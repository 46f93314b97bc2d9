#pragma once
// Flash and pulse timer: the rhythm of every flashing indication.

void FlashTimerTask();

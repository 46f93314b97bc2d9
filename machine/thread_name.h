#pragma once
// The machine's threads named as top and /proc show them, so that each one's
// cost can be told apart (15 characters at most).

#include <pthread.h>

inline void NameThisThread(const char* name) { pthread_setname_np(pthread_self(), name); }

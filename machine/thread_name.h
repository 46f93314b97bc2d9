#pragma once
// The machine's threads named as top and /proc show them, so that each one's
// cost can be told apart (15 characters at most). The browser build runs no
// threads of its own and has no such call.

#include <pthread.h>

inline void NameThisThread([[maybe_unused]] const char* name) {
#ifndef __EMSCRIPTEN__
  pthread_setname_np(pthread_self(), name);
#endif
}

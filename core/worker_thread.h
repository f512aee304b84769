// The two worker threads are started the same way: detached, named, never joined.
#pragma once

#include <pthread.h>

// False when the thread could not start.
inline bool start_worker_thread(void* (*run)(void*), void* record, const char* name) {
  pthread_t thread;
  if (pthread_create(&thread, nullptr, run, record) != 0) return false;
#ifdef __linux__
  pthread_setname_np(thread, name);  // tells the threads apart in top and gdb
#else
  (void)name;
#endif
  pthread_detach(thread);
  return true;
}

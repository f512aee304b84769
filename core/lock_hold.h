// The one way to take a shared record's mutex: held for exactly one scope.
// Never call SDL, SQLite or a device while a hold is alive: the other side waits for it.
#pragma once

#include <pthread.h>

struct Hold {
  pthread_mutex_t& mutex;
  explicit Hold(pthread_mutex_t& m) : mutex(m) { pthread_mutex_lock(&mutex); }
  ~Hold() { pthread_mutex_unlock(&mutex); }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;
};

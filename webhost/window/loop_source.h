#pragma once

#include <glib.h>

#include "event_loop.h"

// The server's connections as a source of GLib's main loop, so the window
// and the server share one thread: the source wakes when the epoll
// descriptor is readable or a connection's timer is due.
class loop_source {
 public:
  explicit loop_source(event_loop& loop);
  ~loop_source();
  loop_source(const loop_source&) = delete;
  loop_source& operator=(const loop_source&) = delete;

 private:
  GSource* source_;
};

#include "loop_source.h"

namespace {

struct server_source {
  GSource base;
  event_loop* loop;
  gpointer tag;
};

gboolean prepare(GSource* source, gint* timeout) {
  *timeout = reinterpret_cast<server_source*>(source)->loop->WaitMilliseconds();
  return *timeout == 0;
}

gboolean check(GSource* source) {
  auto* server = reinterpret_cast<server_source*>(source);
  return (g_source_query_unix_fd(source, server->tag) & G_IO_IN) || server->loop->WaitMilliseconds() == 0;
}

gboolean dispatch(GSource* source, GSourceFunc, gpointer) {
  reinterpret_cast<server_source*>(source)->loop->Dispatch();
  return G_SOURCE_CONTINUE;
}

GSourceFuncs functions = {prepare, check, dispatch, nullptr, nullptr, nullptr};

}  // namespace

loop_source::loop_source(event_loop& loop) : source_(g_source_new(&functions, sizeof(server_source))) {
  auto* server = reinterpret_cast<server_source*>(source_);
  server->loop = &loop;
  server->tag = g_source_add_unix_fd(source_, loop.Descriptor(), G_IO_IN);
  g_source_attach(source_, nullptr);
}

loop_source::~loop_source() {
  g_source_destroy(source_);
  g_source_unref(source_);
}

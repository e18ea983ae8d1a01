// The thread layer every part of the runtime uses: threads, mutexes, condition variables and
// the one-shot completion signal.
#include <condition_variable>
#include <mutex>
#include <thread>

#include "libtq.h"
#include "platform/platform.h"

struct libtq_thread {
    std::thread handle;
};
struct libtq_mutex {
    std::mutex m;
};
struct libtq_condvar {
    std::condition_variable_any c;
};

libtq_thread *libtq_thread_new() { return new libtq_thread(); }

void libtq_thread_start(libtq_thread *thread, void (*function)(void *), void *argument) {
    thread->handle = std::thread([function, argument] { function(argument); });
}

void libtq_thread_join(libtq_thread *thread) {
    if (thread->handle.joinable()) thread->handle.join();
}

// Releases the record only; a thread still running is left to run on its own.
void libtq_thread_free(libtq_thread *thread) {
    if (thread->handle.joinable()) thread->handle.detach();
    delete thread;
}

libtq_mutex *libtq_mutex_new() { return new libtq_mutex(); }
void libtq_mutex_free(libtq_mutex *m) { delete m; }
void libtq_mutex_lock(libtq_mutex *m) { m->m.lock(); }
void libtq_mutex_unlock(libtq_mutex *m) { m->m.unlock(); }

libtq_condvar *libtq_condvar_new() { return new libtq_condvar(); }
void libtq_condvar_free(libtq_condvar *c) { delete c; }
void libtq_condvar_wait(libtq_condvar *c, libtq_mutex *m) { c->c.wait(m->m); }
void libtq_condvar_signal(libtq_condvar *c) { c->c.notify_one(); }
void libtq_condvar_broadcast(libtq_condvar *c) { c->c.notify_all(); }

void completion_init(completion *c) {
    c->done = 0;
    c->lock = libtq_mutex_new();
    c->cond = libtq_condvar_new();
}

void completion_wait(completion *c) {
    libtq_mutex_lock(c->lock);
    while (!c->done) libtq_condvar_wait(c->cond, c->lock);
    libtq_mutex_unlock(c->lock);
}

void completion_finish(completion *c) {
    libtq_mutex_lock(c->lock);
    c->done = 1;
    libtq_condvar_broadcast(c->cond);
    libtq_mutex_unlock(c->lock);
}

void completion_clear(completion *c) {
    libtq_mutex_free(c->lock);
    libtq_condvar_free(c->cond);
    c->lock = nullptr;
    c->cond = nullptr;
}

void libtq_sleep_ms(int64_t ms) { plat::sleep_ms(ms); }

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "libtq.h"

namespace {

struct counter_work {
    libtq_mutex *lock;
    int64_t total = 0;
    int rounds = 0;
};

void add_under_lock(void *argument) {
    auto *w = static_cast<counter_work *>(argument);
    for (int i = 0; i < w->rounds; i++) {
        libtq_mutex_lock(w->lock);
        w->total++;
        libtq_mutex_unlock(w->lock);
    }
}

TEST(ThreadLayerThreaded, ThreadsRunTheirFunctionOnceAndJoin) {
    counter_work work{libtq_mutex_new(), 0, 20000};
    std::vector<libtq_thread *> threads;
    for (int i = 0; i < 4; i++) {
        threads.push_back(libtq_thread_new());
        libtq_thread_start(threads.back(), add_under_lock, &work);
    }
    for (libtq_thread *t : threads) {
        libtq_thread_join(t);
        libtq_thread_free(t);
    }
    EXPECT_EQ(work.total, 4 * 20000);
    libtq_mutex_free(work.lock);
}

struct handshake {
    completion ready;
    std::atomic<int> value{0};
};

void finish_after_store(void *argument) {
    auto *h = static_cast<handshake *>(argument);
    libtq_sleep_ms(20);
    h->value = 42;
    completion_finish(&h->ready);
}

TEST(ThreadLayerThreaded, CompletionReleasesEveryWaiterAfterFinish) {
    handshake h;
    completion_init(&h.ready);
    libtq_thread *finisher = libtq_thread_new();
    libtq_thread_start(finisher, finish_after_store, &h);
    // Two waiters: this thread and another one; both must see the value stored before finish.
    std::atomic<int> seen{0};
    struct waiter_args {
        handshake *h;
        std::atomic<int> *seen;
    } args{&h, &seen};
    libtq_thread *waiter = libtq_thread_new();
    libtq_thread_start(
        waiter,
        [](void *a) {
            auto *w = static_cast<waiter_args *>(a);
            completion_wait(&w->h->ready);
            *w->seen = w->h->value.load();
        },
        &args);
    completion_wait(&h.ready);
    EXPECT_EQ(h.value.load(), 42);
    libtq_thread_join(waiter);
    libtq_thread_join(finisher);
    EXPECT_EQ(seen.load(), 42);
    // Waiting on a finished completion returns at once.
    completion_wait(&h.ready);
    completion_clear(&h.ready);
    libtq_thread_free(waiter);
    libtq_thread_free(finisher);
}

TEST(ThreadLayerThreaded, ConditionVariableSignalsAProducedItem) {
    struct queue_state {
        libtq_mutex *m = libtq_mutex_new();
        libtq_condvar *c = libtq_condvar_new();
        std::vector<int> items;
        bool done = false;
    } q;
    libtq_thread *consumer = libtq_thread_new();
    static int consumed_sum;
    consumed_sum = 0;
    libtq_thread_start(
        consumer,
        [](void *a) {
            auto *s = static_cast<queue_state *>(a);
            libtq_mutex_lock(s->m);
            for (;;) {
                while (s->items.empty() && !s->done) libtq_condvar_wait(s->c, s->m);
                if (s->items.empty() && s->done) break;
                consumed_sum += s->items.back();
                s->items.pop_back();
            }
            libtq_mutex_unlock(s->m);
        },
        &q);
    for (int i = 1; i <= 100; i++) {
        libtq_mutex_lock(q.m);
        q.items.push_back(i);
        libtq_condvar_signal(q.c);
        libtq_mutex_unlock(q.m);
    }
    libtq_mutex_lock(q.m);
    q.done = true;
    libtq_condvar_broadcast(q.c);
    libtq_mutex_unlock(q.m);
    libtq_thread_join(consumer);
    libtq_thread_free(consumer);
    EXPECT_EQ(consumed_sum, 5050);
    libtq_mutex_free(q.m);
    libtq_condvar_free(q.c);
}

} // namespace

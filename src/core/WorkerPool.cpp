#include "core/WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace quillory {

namespace {
// Set on the threads of the pool and on a caller while it runs parts.
thread_local bool t_insidePart = false;
}  // namespace

struct WorkerPool::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable done;
    std::vector<std::thread> threads;
    int wanted = 1;  // threads working on a Run, the caller included
    bool stopping = false;
    // The current Run: parts are taken by counting up.
    const std::function<void(int)>* part = nullptr;
    int count = 0;
    std::atomic<int> next{0};
    int finished = 0;
    int helpers = 0;        // workers still to join the current Run
    int active = 0;         // workers inside the current Run
    uint64_t round = 0;     // changes with every Run, so a worker joins each once
    std::mutex runMutex;    // one Run at a time
};

WorkerPool& WorkerPool::Shared() {
    static WorkerPool* pool = new WorkerPool;  // never destroyed: threads may outlive static destructors
    return *pool;
}

WorkerPool::WorkerPool() : m_state(new State) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    SetThreads(int(std::min(cores, 16u)));
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->wake.notify_all();
    for (std::thread& t : m_state->threads) t.join();
    delete m_state;
}

int WorkerPool::Threads() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->wanted;
}

void WorkerPool::SetThreads(int threads) {
    std::lock_guard<std::mutex> run(m_state->runMutex);
    threads = std::clamp(threads, 1, 64);
    State& s = *m_state;
    std::unique_lock<std::mutex> lock(s.mutex);
    s.wanted = threads;
    // Workers are only ever added; the ones beyond the wanted number stay idle.
    while (int(s.threads.size()) < threads - 1) {
        s.threads.emplace_back([&s, seen = s.round]() mutable {
            t_insidePart = true;
            std::unique_lock<std::mutex> lock(s.mutex);
            for (;;) {
                s.wake.wait(lock, [&] { return s.stopping || (s.round != seen && s.helpers > 0); });
                if (s.stopping) return;
                seen = s.round;
                --s.helpers;
                ++s.active;
                const std::function<void(int)>& part = *s.part;
                const int count = s.count;
                lock.unlock();
                int done = 0;
                for (int i = s.next.fetch_add(1); i < count; i = s.next.fetch_add(1)) {
                    part(i);
                    ++done;
                }
                lock.lock();
                s.finished += done;
                --s.active;
                // The caller returns only when no worker still holds the Run's parts.
                if (s.finished == s.count && s.active == 0) s.done.notify_all();
            }
        });
    }
}

void WorkerPool::Run(int count, const std::function<void(int)>& part) {
    if (count <= 0) return;
    State& s = *m_state;
    if (t_insidePart || count == 1) {
        for (int i = 0; i < count; ++i) part(i);
        return;
    }
    std::unique_lock<std::mutex> run(s.runMutex);
    {
        std::unique_lock<std::mutex> lock(s.mutex);
        if (s.wanted <= 1) {
            // A pool of one thread runs the parts on the caller with no lock held, since a
            // part may itself run parts.
            lock.unlock();
            run.unlock();
            for (int i = 0; i < count; ++i) part(i);
            return;
        }
        s.part = &part;
        s.count = count;
        s.next = 0;
        s.finished = 0;
        s.helpers = std::min(s.wanted - 1, count - 1);
        ++s.round;
    }
    s.wake.notify_all();
    t_insidePart = true;
    int done = 0;
    for (int i = s.next.fetch_add(1); i < count; i = s.next.fetch_add(1)) {
        part(i);
        ++done;
    }
    t_insidePart = false;
    std::unique_lock<std::mutex> lock(s.mutex);
    s.finished += done;
    s.helpers = 0;  // a worker that has not woken yet stays out
    s.done.wait(lock, [&] { return s.finished == s.count && s.active == 0; });
    s.part = nullptr;
}

void RunInBands(int total, int minBand, const std::function<void(int begin, int end)>& part) {
    if (total <= 0) return;
    const int threads = WorkerPool::Shared().Threads();
    // A few bands per thread even out bands of unequal cost.
    int bands = std::max(1, std::min(threads * 4, total / std::max(1, minBand)));
    if (threads == 1) bands = 1;
    WorkerPool::Shared().Run(bands, [&](int band) {
        const int begin = int(int64_t(total) * band / bands);
        const int end = int(int64_t(total) * (band + 1) / bands);
        if (end > begin) part(begin, end);
    });
}

}  // namespace quillory

#pragma once
// A small pool of worker threads for work that splits into independent parts
// (row bands of a picture). The caller hands over the parts and waits until all
// are done, so from the outside the work stays synchronous. A part must not
// touch what another part writes; parts started from inside a part run at once
// on the calling thread.
#include <functional>

namespace quillory {

class WorkerPool {
public:
    // The pool of the process, with one thread per core (the caller counts as one).
    static WorkerPool& Shared();

    // Runs part(0) .. part(count - 1), spread over the threads, and returns when all
    // have finished.
    void Run(int count, const std::function<void(int)>& part);

    // How many threads work on a Run, the caller included (at least 1). Setting 1
    // keeps all work on the calling thread (single-thread measurements).
    int Threads() const;
    void SetThreads(int threads);

    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

private:
    WorkerPool();
    ~WorkerPool();
    struct State;
    State* m_state;
};

// Splits [0, total) into about one band per thread (each at least minBand long)
// and runs part(begin, end) for every band through the shared pool.
void RunInBands(int total, int minBand, const std::function<void(int begin, int end)>& part);

}  // namespace quillory

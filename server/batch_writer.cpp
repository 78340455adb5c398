#include "server/batch_writer.h"

#include <algorithm>

namespace scored {

BatchWriter::BatchWriter(StoreBatch store)
    : m_store(std::move(store)), m_thread([this] { Write(); }) {}

BatchWriter::~BatchWriter() {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_closing = true;
    }
    m_queued.notify_all();
    m_thread.join();
}

std::optional<Standing> BatchWriter::Add(const Submission& result, std::string& error,
                                         ScoreStore::Clock::time_point by) {
    Pending pending{result, by, std::nullopt, {}};
    std::unique_lock<std::mutex> hold(m_lock);
    m_queue.push_back(&pending);
    m_queued.notify_one();
    m_stored.wait(hold, [&pending] { return pending.done; });
    error = pending.error;
    return pending.standing;
}

void BatchWriter::Write() {
    std::vector<Pending*> batch;
    std::unique_lock<std::mutex> hold(m_lock);
    while (true) {
        m_queued.wait(hold, [this] { return m_closing || !m_queue.empty(); });
        if (m_queue.empty()) {
            return;
        }
        batch.swap(m_queue);
        hold.unlock();
        // Those whose answer is already owed are refused unwritten.
        auto now = ScoreStore::Clock::now();
        std::vector<Pending*> late;
        std::vector<Pending*> ready;
        auto by = ScoreStore::Clock::time_point::max();
        for (Pending* p : batch) {
            (p->by <= now ? late : ready).push_back(p);
            by = p->by <= now ? by : std::min(by, p->by);
        }
        FailAll(late, "the database was too slow: the result waited past its time");
        if (!ready.empty()) {
            m_store(ready, by);
        }
        hold.lock();
        for (Pending* p : batch) {
            p->done = true;
        }
        batch.clear();
        m_stored.notify_all();
    }
}

void BatchWriter::FailAll(const std::vector<Pending*>& batch, const std::string& error) {
    for (Pending* p : batch) {
        // A copy too: the result it copies may have been in this batch.
        if (p->standing || p->error.empty() || p->error == ScoreStore::kDuelStored) {
            p->standing.reset();
            p->error = error;
        }
    }
}

} // namespace scored

#include "server/batch_writer.h"

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

std::optional<Standing> BatchWriter::Add(const Submission& result, std::string& error) {
    Pending pending{result, std::nullopt, {}};
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
        m_store(batch);
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
        if (p->standing || p->error.empty()) {
            p->standing.reset();
            p->error = error;
        }
    }
}

} // namespace scored

#pragma once
#include "server/score_store.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace scored {

// Group commit: one thread writes, and the results that come in while it
// waits for the disk go to it together in one transaction, so many players
// cost about one sync per turn instead of one each.
class BatchWriter {
public:
    struct Pending {
        const Submission& result;
        ScoreStore::Clock::time_point by; // given up on after this
        std::optional<Standing> standing; // set when stored
        std::string error;                // set when not
        bool done = false;
    };
    // Stores a batch in one transaction, in order, setting each one's
    // standing or error; on a failed commit none may keep a standing. `by`
    // is the earliest deadline of the batch: the commit must not happen
    // after it.
    using StoreBatch =
        std::function<void(const std::vector<Pending*>&, ScoreStore::Clock::time_point by)>;

    explicit BatchWriter(StoreBatch store);
    // Writes what is waiting, then stops.
    ~BatchWriter();
    BatchWriter(const BatchWriter&) = delete;
    BatchWriter& operator=(const BatchWriter&) = delete;

    std::optional<Standing> Add(const Submission& result, std::string& error,
                                ScoreStore::Clock::time_point by);

    // For StoreBatch: no result of the batch is on disk.
    static void FailAll(const std::vector<Pending*>& batch, const std::string& error);

private:
    void Write();

    StoreBatch m_store;
    std::mutex m_lock;
    std::condition_variable m_queued;
    std::condition_variable m_stored;
    std::vector<Pending*> m_queue;
    bool m_closing = false;
    std::thread m_thread;
};

} // namespace scored

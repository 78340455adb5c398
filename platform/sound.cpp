#include "platform/sound.h"

#include <atomic>

namespace platform {

AudioSystem::AudioSystem() {
    static std::atomic<uint64_t> s_next{1};
    m_serial = s_next.fetch_add(1);
}

} // namespace platform

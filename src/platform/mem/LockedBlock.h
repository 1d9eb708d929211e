// A committed block of memory locked in RAM: the stand-in of VirtualAlloc/VirtualLock/VirtualUnlock/VirtualFree.
#pragma once

#include <cstddef>

namespace mem {

class LockedBlock {
public:
    LockedBlock() = default;
    ~LockedBlock();
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;

    // Releases any block held, then maps `size` zeroed bytes and locks them; false (and no block) when the
    // mapping fails. A lock the system refuses leaves the block usable, as an unchecked VirtualLock does.
    bool allocate(std::size_t size);
    // Unlocks and unmaps the block; harmless when none is held.
    void release();

    std::byte* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    bool locked() const { return m_locked; }

private:
    std::byte* m_data = nullptr;
    std::size_t m_size = 0;
    bool m_locked = false;
};

} // namespace mem

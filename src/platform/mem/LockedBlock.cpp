#include "platform/mem/LockedBlock.h"

#include <sys/mman.h>

namespace mem {

LockedBlock::~LockedBlock()
{
    release();
}

bool LockedBlock::allocate(std::size_t size)
{
    release();
    if (size == 0)
        return false;
    // Read and write only: the block holds data, never code.
    void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        return false;
    m_data = static_cast<std::byte*>(block);
    m_size = size;
    m_locked = mlock(block, size) == 0;
    return true;
}

void LockedBlock::release()
{
    if (m_data == nullptr)
        return;
    if (m_locked)
        munlock(m_data, m_size);
    munmap(m_data, m_size);
    m_data = nullptr;
    m_size = 0;
    m_locked = false;
}

} // namespace mem

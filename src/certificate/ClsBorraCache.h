// The locked memory block that the web-cache clean-up reads each cache entry through. Every copy is
// checked against the block's bounds and the other side's length before it is made.
#pragma once

#include "platform/mem/LockedBlock.h"

#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <span>

class ClsBorraCache {
public:
    ~ClsBorraCache();

    // The block's address; 0 when none is held.
    quintptr Handle() const;
    // Releases any block held, then obtains a locked block of `lCount` bytes (none when that fails).
    void Allocate(qint32 lCount);
    // Copies `length` bytes from the start of the block to `hWritePointer`, only when the block holds that
    // many and the target has room for them; otherwise nothing.
    void LeerDe(std::span<std::byte> hWritePointer, qint32 length) const;
    // Copies `length` bytes from `hReadPointer` to the start of the block, only when the source holds that
    // many and the block has room for them; otherwise nothing.
    void EscribirA(std::span<const std::byte> hReadPointer, qint32 length);
    // The NUL-terminated ANSI string at the address, at most `lMax` characters; "" when the address is
    // outside the block or the block ends before a NUL and before `lMax` characters.
    QString ExtraerUrlCache(quintptr hStartPointer, qint32 lMax) const;
    // Unlocks and frees the block; harmless when none is held.
    void LiberarMemoria();

    // The whole block, for the calls that fill it.
    std::span<std::byte> Bloque();

private:
    bool cabe(qint32 length) const;

    mem::LockedBlock m_bloque;
};

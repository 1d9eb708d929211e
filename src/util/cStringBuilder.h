// A string built piece by piece in a preallocated buffer that grows by whole chunks, so that adding a
// piece costs a copy of that piece only. Sizes are kept in bytes (two per character), as the public
// members report them in characters.
#pragma once

#include "platform/vb/Strings.h"

#include <QString>
#include <cstdint>

class cStringBuilder {
public:
    std::int32_t Length() const { return m_usedBytes / 2; }
    std::int32_t Capacity() const { return m_capacityBytes / 2; }
    std::int32_t ChunkSize() const { return m_chunkBytes / 2; }
    // Raises 6 (overflow) from 2^30 characters on, and 5 below 1 (the buffer could never grow).
    void ChunkSize(std::int32_t iChunkSize);

    QString toString() const;
    void TheString(const QString& sThis);
    void Clear();

    void AppendNL(const QString& sThis);
    void Append(const QString& sThis);
    void AppendByVal(QString sThis) { Append(sThis); }
    // Raises 9 when `iIndex` is outside 0..Length.
    void Insert(std::int32_t iIndex, const QString& sThis);
    void InsertByVal(std::int32_t iIndex, QString sThis) { Insert(iIndex, sThis); }
    // Raises 9 when the range is not wholly inside the text.
    void Remove(std::int32_t iIndex, std::int32_t lLen);
    // The 1-based position of `sToFind` within the text from `lStartIndex` (below 1: from the start), else 0.
    std::int32_t Find(const QString& sToFind, std::int32_t lStartIndex = 0,
                      vb::Compare compare = vb::Compare::Binary) const;
    // Leaves at most one chunk of spare room.
    void HeapMinimize();

private:
    void grow(std::int64_t neededBytes);
    QChar* at(std::int64_t byteOffset);

    QString m_buffer;
    std::int32_t m_chunkBytes = 16384;
    std::int32_t m_usedBytes = 0;
    std::int32_t m_capacityBytes = 0;
};

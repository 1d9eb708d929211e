#include "util/cStringBuilder.h"

#include "platform/vb/Error.h"

#include <cstring>
#include <limits>

namespace {

constexpr std::int64_t kMaxBytes = std::numeric_limits<std::int32_t>::max();

[[noreturn]] void overflow()
{
    throw vb::Error(6, QStringLiteral("Desbordamiento"), QStringLiteral("cStringBuilder"));
}

[[noreturn]] void outOfRange()
{
    throw vb::Error(9, QStringLiteral("El subíndice está fuera del intervalo"), QStringLiteral("cStringBuilder"));
}

std::int64_t bytesOf(const QString& s)
{
    return static_cast<std::int64_t>(s.size()) * 2;
}

} // namespace

void cStringBuilder::ChunkSize(std::int32_t iChunkSize)
{
    if (iChunkSize >= (1 << 30))
        overflow();
    if (iChunkSize < 1)
        throw vb::Error(5, QStringLiteral("Llamada a procedimiento o argumento no válidos"),
                        QStringLiteral("cStringBuilder"));
    m_chunkBytes = iChunkSize * 2;
}

QString cStringBuilder::toString() const
{
    if (m_usedBytes < 1)
        return QString();
    return m_buffer.left(m_usedBytes / 2);
}

void cStringBuilder::TheString(const QString& sThis)
{
    const std::int64_t k = bytesOf(sThis);
    if (k == 0) {
        Clear();
        return;
    }
    grow(k);
    std::memcpy(at(0), sThis.constData(), static_cast<std::size_t>(k));
    m_usedBytes = static_cast<std::int32_t>(k);
}

void cStringBuilder::Clear()
{
    m_buffer.clear();
    m_usedBytes = 0;
    m_capacityBytes = 0;
}

void cStringBuilder::AppendNL(const QString& sThis)
{
    Append(sThis);
    Append(QStringLiteral("\r\n"));
}

void cStringBuilder::Append(const QString& sThis)
{
    const std::int64_t k = bytesOf(sThis);
    grow(m_usedBytes + k);
    std::memcpy(at(m_usedBytes), sThis.constData(), static_cast<std::size_t>(k));
    m_usedBytes += static_cast<std::int32_t>(k);
}

void cStringBuilder::Insert(std::int32_t iIndex, const QString& sThis)
{
    if (iIndex < 0 || m_usedBytes < 2 * static_cast<std::int64_t>(iIndex))
        outOfRange();
    const std::int64_t k = bytesOf(sThis);
    const std::int64_t from = 2 * static_cast<std::int64_t>(iIndex);
    grow(m_usedBytes + k);
    std::memmove(at(from + k), at(from), static_cast<std::size_t>(m_usedBytes - from));
    std::memcpy(at(from), sThis.constData(), static_cast<std::size_t>(k));
    m_usedBytes += static_cast<std::int32_t>(k);
}

void cStringBuilder::Remove(std::int32_t iIndex, std::int32_t lLen)
{
    const std::int64_t from = 2 * static_cast<std::int64_t>(iIndex);
    const std::int64_t to = 2 * (static_cast<std::int64_t>(iIndex) + lLen);
    if (iIndex < 0 || lLen < 0 || m_usedBytes < from || to > m_usedBytes)
        outOfRange();
    std::memmove(at(from), at(to), static_cast<std::size_t>(m_usedBytes - to));
    m_usedBytes -= static_cast<std::int32_t>(to - from);
}

std::int32_t cStringBuilder::Find(const QString& sToFind, std::int32_t lStartIndex, vb::Compare compare) const
{
    // Only the text is searched: a match running on into the spare blanks would name text that is not there.
    const int found = vb::InStr(lStartIndex < 1 ? 1 : lStartIndex, toString(), sToFind, compare);
    return found <= Length() ? found : 0;
}

void cStringBuilder::HeapMinimize()
{
    std::int32_t capacity = m_capacityBytes;
    while (capacity - m_usedBytes > m_chunkBytes)
        capacity -= m_chunkBytes;
    if (capacity == m_capacityBytes)
        return;
    m_buffer.truncate(capacity / 2);
    m_capacityBytes = capacity;
}

void cStringBuilder::grow(std::int64_t neededBytes)
{
    if (neededBytes > kMaxBytes)
        overflow();
    std::int64_t capacity = m_capacityBytes;
    while (capacity < neededBytes)
        capacity += m_chunkBytes;
    if (capacity == m_capacityBytes)
        return;
    if (capacity > kMaxBytes)
        overflow();
    // Nothing reads the spare room beyond the text, so it is left as it comes instead of being filled.
    m_buffer.resize(static_cast<qsizetype>(capacity / 2));
    m_capacityBytes = static_cast<std::int32_t>(capacity);
}

QChar* cStringBuilder::at(std::int64_t byteOffset)
{
    return m_buffer.data() + byteOffset / 2;
}

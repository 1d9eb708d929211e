#include "certificate/ClsBorraCache.h"

#include "platform/vb/Ansi.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>

ClsBorraCache::~ClsBorraCache()
{
    LiberarMemoria();
}

quintptr ClsBorraCache::Handle() const
{
    return reinterpret_cast<quintptr>(m_bloque.data());
}

void ClsBorraCache::Allocate(qint32 lCount)
{
    LiberarMemoria();
    if (lCount > 0)
        m_bloque.allocate(static_cast<std::size_t>(lCount));
}

bool ClsBorraCache::cabe(qint32 length) const
{
    return m_bloque.data() != nullptr && length >= 0 && static_cast<std::size_t>(length) <= m_bloque.size();
}

void ClsBorraCache::LeerDe(std::span<std::byte> hWritePointer, qint32 length) const
{
    if (!cabe(length) || static_cast<std::size_t>(length) > hWritePointer.size())
        return;
    std::memcpy(hWritePointer.data(), m_bloque.data(), static_cast<std::size_t>(length));
}

void ClsBorraCache::EscribirA(std::span<const std::byte> hReadPointer, qint32 length)
{
    if (!cabe(length) || static_cast<std::size_t>(length) > hReadPointer.size())
        return;
    std::memcpy(m_bloque.data(), hReadPointer.data(), static_cast<std::size_t>(length));
}

QString ClsBorraCache::ExtraerUrlCache(quintptr hStartPointer, qint32 lMax) const
{
    const quintptr inicio = Handle();
    if (inicio == 0 || lMax < 0 || hStartPointer < inicio || hStartPointer >= inicio + m_bloque.size())
        return QString();
    const auto* texto = reinterpret_cast<const char*>(hStartPointer);
    const std::size_t disponibles = inicio + m_bloque.size() - hStartPointer;
    const std::size_t limite = std::min(disponibles, static_cast<std::size_t>(lMax));
    const void* fin = std::memchr(texto, '\0', limite);
    if (fin != nullptr)
        return vb::fromAnsi(QByteArray(texto, static_cast<const char*>(fin) - texto));
    // Without a NUL the text is readable only when the block holds all `lMax` characters.
    return disponibles >= static_cast<std::size_t>(lMax) ? vb::fromAnsi(QByteArray(texto, lMax)) : QString();
}

void ClsBorraCache::LiberarMemoria()
{
    m_bloque.release();
}

std::span<std::byte> ClsBorraCache::Bloque()
{
    return {m_bloque.data(), m_bloque.size()};
}

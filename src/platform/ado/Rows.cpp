#include "platform/ado/Rows.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>

namespace ado {
namespace {

constexpr size_t kChunkBytes = 64 * 1024;
constexpr size_t kTextChunkChars = kChunkBytes / sizeof(char16_t);
// Longer texts are kept whole as values of their own, so that one text never fills most of a chunk.
constexpr size_t kLongestPackedText = kTextChunkChars / 4;
// Bytes of one value: its payload and its tag.
constexpr size_t kValueBytes = sizeof(std::uint64_t) + sizeof(std::uint8_t);
// The most spare chunks kept between results.
constexpr size_t kKeptChunks = 512;

// Spare chunks of memory handed from a store that is done to the next one. Fresh memory from the system
// costs a page fault per page on first use, far more than reading the rows into it. The spares live as long
// as the program: a store may be dropped during the program's own end.
class Spares {
public:
    static Spares& instance()
    {
        static Spares* const spares = new Spares;
        return *spares;
    }

    std::optional<void*> take()
    {
        const std::lock_guard lock(m_mutex);
        if (m_kept.empty())
            return std::nullopt;
        void* const piece = m_kept.back();
        m_kept.pop_back();
        return piece;
    }

    // False when there are spares enough: the caller frees the piece.
    bool keep(void* piece)
    {
        const std::lock_guard lock(m_mutex);
        if (m_kept.size() >= kKeptChunks)
            return false;
        m_kept.push_back(piece);
        return true;
    }

private:
    Spares() = default;

    std::mutex m_mutex;
    std::vector<void*> m_kept;
};

void* takeBlock(size_t bytes)
{
    if (bytes <= kChunkBytes)
        if (const auto spare = Spares::instance().take())
            return *spare;
    return ::operator new(std::max(bytes, kChunkBytes));
}

void dropBlock(void* block, size_t bytes)
{
    if (bytes > kChunkBytes || !Spares::instance().keep(block))
        ::operator delete(block);
}

} // namespace

RowView::operator Row() const
{
    Row row;
    row.reserve(size());
    for (size_t i = 0; i < size(); ++i)
        row.push_back((*this)[i]);
    return row;
}

void Rows::Writer::setText(size_t column, QStringView text)
{
    if (static_cast<size_t>(text.size()) <= kLongestPackedText)
        put(column, Tag::Text, m_rows.packText(text));
    else
        put(column, Tag::Other, m_rows.keepOther(text.toString()));
}

void Rows::Writer::setDecimal(size_t column, const vb::Decimal& value)
{
    put(column, Tag::Other, m_rows.keepOther(value));
}

Rows::Rows(std::initializer_list<std::initializer_list<vb::Variant>> rows)
{
    for (const auto& row : rows)
        push_back(Row(row));
}

Rows::Rows(const Rows& other)
{
    copyFrom(other);
}

Rows::Rows(Rows&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)), m_count(std::exchange(other.m_count, 0)),
      m_rowsPerBlock(std::exchange(other.m_rowsPerBlock, 1)), m_blockShift(std::exchange(other.m_blockShift, 0)),
      m_blocks(std::move(other.m_blocks)), m_texts(std::move(other.m_texts)),
      m_textUsed(std::exchange(other.m_textUsed, 0)), m_others(std::move(other.m_others))
{
    other.m_blocks.clear();
    other.m_texts.clear();
    other.m_others.clear();
}

Rows& Rows::operator=(const Rows& other)
{
    if (this != &other) {
        release();
        copyFrom(other);
    }
    return *this;
}

Rows& Rows::operator=(Rows&& other) noexcept
{
    if (this != &other) {
        release();
        m_width = std::exchange(other.m_width, 0);
        m_count = std::exchange(other.m_count, 0);
        m_rowsPerBlock = std::exchange(other.m_rowsPerBlock, 1);
        m_blockShift = std::exchange(other.m_blockShift, 0);
        m_blocks = std::exchange(other.m_blocks, {});
        m_texts = std::exchange(other.m_texts, {});
        m_textUsed = std::exchange(other.m_textUsed, 0);
        m_others = std::exchange(other.m_others, {});
    }
    return *this;
}

Rows::~Rows()
{
    release();
}

size_t Rows::blockBytes() const
{
    return m_rowsPerBlock * m_width * kValueBytes;
}

void Rows::release()
{
    for (std::uint8_t* block : m_blocks)
        dropBlock(block, blockBytes());
    for (char16_t* chunk : m_texts)
        dropBlock(chunk, kChunkBytes);
    m_blocks.clear();
    m_texts.clear();
    m_others.clear();
    m_textUsed = 0;
    m_count = 0;
}

void Rows::clear()
{
    release();
    m_blocks.shrink_to_fit();
    m_texts.shrink_to_fit();
    m_others.shrink_to_fit();
    m_width = 0;
    m_rowsPerBlock = 1;
    m_blockShift = 0;
}

void Rows::copyFrom(const Rows& other)
{
    m_width = other.m_width;
    m_count = other.m_count;
    m_rowsPerBlock = other.m_rowsPerBlock;
    m_blockShift = other.m_blockShift;
    for (const std::uint8_t* block : other.m_blocks) {
        auto* copy = static_cast<std::uint8_t*>(takeBlock(blockBytes()));
        std::memcpy(copy, block, blockBytes());
        m_blocks.push_back(copy);
    }
    for (const char16_t* chunk : other.m_texts) {
        auto* copy = static_cast<char16_t*>(takeBlock(kChunkBytes));
        std::memcpy(copy, chunk, kChunkBytes);
        m_texts.push_back(copy);
    }
    m_textUsed = other.m_textUsed;
    m_others = other.m_others;
}

std::uint64_t* Rows::payloadsOf(size_t row) const
{
    std::uint8_t* block = m_blocks[row >> m_blockShift];
    return reinterpret_cast<std::uint64_t*>(block) + (row & (m_rowsPerBlock - 1)) * m_width;
}

std::uint8_t* Rows::tagsOf(size_t row) const
{
    std::uint8_t* block = m_blocks[row >> m_blockShift];
    return block + m_rowsPerBlock * m_width * sizeof(std::uint64_t) + (row & (m_rowsPerBlock - 1)) * m_width;
}

void Rows::set(size_t row, size_t column, const vb::Variant& value)
{
    if (row >= m_count || column >= m_width)
        throw std::out_of_range("no such value in the rows");
    Writer writer(*this, payloadsOf(row), tagsOf(row));
    switch (value.type()) {
    case vb::Variant::Type::Empty:
        writer.put(column, Tag::Empty, 0);
        return;
    case vb::Variant::Type::Null:
        writer.setNull(column);
        return;
    case vb::Variant::Type::Boolean:
        writer.setBoolean(column, value.toBool());
        return;
    case vb::Variant::Type::Double:
        writer.setDouble(column, value.toDouble());
        return;
    case vb::Variant::Type::Date:
        writer.setDate(column, value.toDate());
        return;
    default:
        break;
    }
    // Kept whole: a whole number needs all its 64 bits, a text or an object is shared, not copied. A value
    // kept whole before in the same place gives up its slot, so that edits of one field use no more memory.
    if (static_cast<Tag>(tagsOf(row)[column]) == Tag::Other) {
        m_others[payloadsOf(row)[column]] = value;
        return;
    }
    writer.put(column, Tag::Other, keepOther(value));
}

RowView Rows::at(size_t row) const
{
    if (row >= m_count)
        throw std::out_of_range("no such row");
    return (*this)[row];
}

Rows::Writer Rows::appendRow(size_t width)
{
    if (m_count == 0 && width != m_width) {
        release();
        m_width = width;
        // A power of two, so that finding a row's block takes a shift rather than a division.
        m_rowsPerBlock = width == 0 ? 1 : std::bit_floor(std::max<size_t>(1, kChunkBytes / (width * kValueBytes)));
        m_blockShift = static_cast<unsigned>(std::countr_zero(m_rowsPerBlock));
    } else if (width != m_width) {
        throw std::invalid_argument("a row of another width than the others");
    }
    if (m_width == 0) {
        ++m_count;
        return Writer(*this, nullptr, nullptr);
    }
    if (m_count == m_blocks.size() * m_rowsPerBlock)
        m_blocks.push_back(static_cast<std::uint8_t*>(takeBlock(blockBytes())));
    const size_t row = m_count++;
    std::uint8_t* tags = tagsOf(row);
    std::fill(tags, tags + m_width, static_cast<std::uint8_t>(Tag::Empty));
    return Writer(*this, payloadsOf(row), tags);
}

void Rows::push_back(const Row& row)
{
    appendRow(row.size());
    for (size_t i = 0; i < row.size(); ++i)
        set(m_count - 1, i, row[i]);
}

void Rows::pop_back()
{
    if (m_count > 0)
        truncate(m_count - 1);
}

void Rows::copyRow(size_t from, size_t to)
{
    std::memcpy(payloadsOf(to), payloadsOf(from), m_width * sizeof(std::uint64_t));
    std::memcpy(tagsOf(to), tagsOf(from), m_width);
}

void Rows::truncate(size_t count)
{
    const size_t blocks = (count + m_rowsPerBlock - 1) >> m_blockShift;
    while (m_blocks.size() > blocks) {
        dropBlock(m_blocks.back(), blockBytes());
        m_blocks.pop_back();
    }
    m_count = count;
}

std::uint64_t Rows::packText(QStringView text)
{
    const auto length = static_cast<size_t>(text.size());
    if (length == 0)
        return 0;
    if (m_texts.empty() || m_textUsed + length > kTextChunkChars) {
        m_texts.push_back(static_cast<char16_t*>(takeBlock(kChunkBytes)));
        m_textUsed = 0;
    }
    std::memcpy(m_texts.back() + m_textUsed, text.utf16(), length * sizeof(char16_t));
    const std::uint64_t payload =
        static_cast<std::uint64_t>(m_texts.size() - 1) << 32 | static_cast<std::uint64_t>(m_textUsed) << 16 | length;
    m_textUsed += length;
    return payload;
}

std::uint64_t Rows::keepOther(const vb::Variant& value)
{
    m_others.push_back(value);
    return m_others.size() - 1;
}

} // namespace ado

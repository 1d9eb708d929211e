// The rows of a result in a compact store: each value takes a tag and eight bytes, texts are packed
// side by side, and the memory comes in large chunks that are recycled from one result to the next, so
// reading many rows neither allocates per row or per text nor asks the system for fresh memory each time.
// Values are handed out as vb::Variant copies (a text as a string of its own, exactly as long as it is, so
// that what callers keep or build from it holds no part of the store); a row is seen through a RowView.
#pragma once

#include "platform/vb/Variant.h"

#include <QString>
#include <QStringView>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <vector>

namespace ado {

// One row's values on their own: an edit's original values, a row to append.
using Row = std::vector<vb::Variant>;

class Rows;

// One row of a store, read in place: valid while the store keeps that row.
class RowView {
public:
    class Iterator {
    public:
        Iterator(const Rows* rows, size_t row, size_t column) : m_rows(rows), m_row(row), m_column(column) {}
        vb::Variant operator*() const;
        Iterator& operator++()
        {
            ++m_column;
            return *this;
        }
        bool operator==(const Iterator& other) const { return m_column == other.m_column; }

    private:
        const Rows* m_rows;
        size_t m_row;
        size_t m_column;
    };

    RowView(const Rows& rows, size_t row) : m_rows(&rows), m_row(row) {}

    size_t size() const;
    vb::Variant operator[](size_t column) const;
    // Throws std::out_of_range for a column the row does not have.
    vb::Variant at(size_t column) const;
    Iterator begin() const { return {m_rows, m_row, 0}; }
    Iterator end() const { return {m_rows, m_row, size()}; }
    operator Row() const;

private:
    const Rows* m_rows;
    size_t m_row;
};

class Rows {
    enum class Tag : std::uint8_t { Empty, Null, Boolean, Long, Double, Date, Text, Other };

public:
    class Iterator {
    public:
        Iterator(const Rows* rows, size_t row) : m_rows(rows), m_row(row) {}
        RowView operator*() const { return {*m_rows, m_row}; }
        Iterator& operator++()
        {
            ++m_row;
            return *this;
        }
        bool operator==(const Iterator& other) const { return m_row == other.m_row; }

    private:
        const Rows* m_rows;
        size_t m_row;
    };

    // Fills the values of a row just appended, column by column.
    class Writer {
    public:
        void setNull(size_t column) { put(column, Tag::Null, 0); }
        void setBoolean(size_t column, bool value) { put(column, Tag::Boolean, value ? 1 : 0); }
        void setLong(size_t column, long long value) { put(column, Tag::Long, static_cast<std::uint64_t>(value)); }
        void setDouble(size_t column, double value) { put(column, Tag::Double, std::bit_cast<std::uint64_t>(value)); }
        void setDate(size_t column, vb::Date value)
        {
            put(column, Tag::Date, std::bit_cast<std::uint64_t>(value.serial()));
        }
        void setText(size_t column, QStringView text);
        void setDecimal(size_t column, const vb::Decimal& value);

    private:
        friend class Rows;
        Writer(Rows& rows, std::uint64_t* payloads, std::uint8_t* tags)
            : m_rows(rows), m_payloads(payloads), m_tags(tags)
        {}
        void put(size_t column, Tag tag, std::uint64_t payload)
        {
            m_payloads[column] = payload;
            m_tags[column] = static_cast<std::uint8_t>(tag);
        }

        Rows& m_rows;
        std::uint64_t* m_payloads;
        std::uint8_t* m_tags;
    };

    Rows() = default;
    // Rows written out, each with as many values as the first.
    Rows(std::initializer_list<std::initializer_list<vb::Variant>> rows);
    Rows(const Rows& other);
    Rows(Rows&& other) noexcept;
    Rows& operator=(const Rows& other);
    Rows& operator=(Rows&& other) noexcept;
    ~Rows();

    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    // Values in each row.
    size_t width() const { return m_width; }

    vb::Variant value(size_t row, size_t column) const;
    // Throws std::out_of_range for a place the store does not have.
    void set(size_t row, size_t column, const vb::Variant& value);

    RowView operator[](size_t row) const { return {*this, row}; }
    // Throws std::out_of_range for a row the store does not have.
    RowView at(size_t row) const;
    RowView front() const { return at(0); }
    RowView back() const { return at(m_count - 1); }
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, m_count}; }

    // A new last row of `width` Empty values. While the store is empty any width goes; after that every
    // row has the width of the first (std::invalid_argument otherwise).
    Writer appendRow(size_t width);
    void push_back(const Row& row);
    void pop_back();
    // Drops every row and gives the memory back.
    void clear();
    // Removes the rows for which `remove(row)` is true, keeping the others in order.
    template <class Predicate>
    void eraseIf(Predicate remove);

private:
    std::uint64_t* payloadsOf(size_t row) const;
    std::uint8_t* tagsOf(size_t row) const;
    // Copies a row's values over another row's.
    void copyRow(size_t from, size_t to);
    // Keeps the first `count` rows.
    void truncate(size_t count);
    size_t blockBytes() const;
    std::uint64_t packText(QStringView text);
    std::uint64_t keepOther(const vb::Variant& value);
    void release();
    void copyFrom(const Rows& other);

    size_t m_width = 0;
    size_t m_count = 0;
    size_t m_rowsPerBlock = 1;
    unsigned m_blockShift = 0; // m_rowsPerBlock is 1 << m_blockShift
    // Each block holds m_rowsPerBlock rows: their payloads, then their tags.
    std::vector<std::uint8_t*> m_blocks;
    // Texts side by side; a text's payload gives its chunk, place and length.
    std::vector<char16_t*> m_texts;
    size_t m_textUsed = 0; // characters used in the last text chunk
    // Values that fit no eight bytes (and every value set after the rows were read).
    std::vector<vb::Variant> m_others;
};

inline vb::Variant Rows::value(size_t row, size_t column) const
{
    const std::uint8_t* block = m_blocks[row >> m_blockShift];
    const size_t at = (row & (m_rowsPerBlock - 1)) * m_width + column;
    const std::uint64_t payload = reinterpret_cast<const std::uint64_t*>(block)[at];
    const auto tag = static_cast<Tag>(block[m_rowsPerBlock * m_width * sizeof(std::uint64_t) + at]);
    switch (tag) {
    case Tag::Empty:
        break;
    case Tag::Null:
        return vb::Variant::Null();
    case Tag::Boolean:
        return vb::Variant(payload != 0);
    case Tag::Long:
        return vb::Variant(static_cast<long long>(payload));
    case Tag::Double:
        return vb::Variant(std::bit_cast<double>(payload));
    case Tag::Date:
        return vb::Variant(vb::Date(std::bit_cast<double>(payload)));
    case Tag::Text: {
        const size_t length = payload & 0xFFFF;
        if (length == 0)
            return vb::Variant(QStringLiteral(""));
        const char16_t* text = m_texts[payload >> 32] + (payload >> 16 & 0xFFFF);
        return vb::Variant(QString(reinterpret_cast<const QChar*>(text), static_cast<qsizetype>(length)));
    }
    case Tag::Other:
        return m_others[payload];
    }
    return vb::Variant();
}

inline size_t RowView::size() const
{
    return m_rows->width();
}

inline vb::Variant RowView::operator[](size_t column) const
{
    return m_rows->value(m_row, column);
}

inline vb::Variant RowView::at(size_t column) const
{
    if (column >= size())
        throw std::out_of_range("no such column in the row");
    return m_rows->value(m_row, column);
}

inline vb::Variant RowView::Iterator::operator*() const
{
    return m_rows->value(m_row, m_column);
}

template <class Predicate>
void Rows::eraseIf(Predicate remove)
{
    size_t kept = 0;
    for (size_t i = 0; i < m_count; ++i) {
        if (remove((*this)[i]))
            continue;
        if (kept != i)
            copyRow(i, kept);
        ++kept;
    }
    truncate(kept);
}

} // namespace ado

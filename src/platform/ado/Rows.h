// The rows of a result, their values kept row after row in a few large blocks rather than one
// allocation per row. A row is seen in place through a RowView.
#pragma once

#include "platform/vb/Variant.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <utility>
#include <vector>

namespace ado {

// One row's values on their own: an edit's original values, a row to append.
using Row = std::vector<vb::Variant>;

// The values of one row where they are kept; valid until rows are added to or removed from the store.
template <class Value>
class RowView {
public:
    RowView(Value* values, size_t count) : m_values(values), m_count(count) {}

    size_t size() const { return m_count; }
    Value& operator[](size_t i) const { return m_values[i]; }
    Value& at(size_t i) const
    {
        if (i >= m_count)
            throw std::out_of_range("no such column in the row");
        return m_values[i];
    }
    Value* begin() const { return m_values; }
    Value* end() const { return m_values + m_count; }
    // A copy of the values, to keep apart from the store.
    operator Row() const { return Row(begin(), end()); }

private:
    Value* m_values;
    size_t m_count;
};

class Rows {
public:
    template <class Store, class Value>
    class Iterator {
    public:
        Iterator(Store* rows, size_t index) : m_rows(rows), m_index(index) {}
        RowView<Value> operator*() const { return (*m_rows)[m_index]; }
        Iterator& operator++()
        {
            ++m_index;
            return *this;
        }
        bool operator==(const Iterator& other) const { return m_index == other.m_index; }

    private:
        Store* m_rows;
        size_t m_index;
    };

    Rows() = default;
    // Rows written out, each with as many values as the first.
    Rows(std::initializer_list<std::initializer_list<vb::Variant>> rows);

    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }

    RowView<vb::Variant> operator[](size_t i) { return {valuesOf(i), m_width}; }
    RowView<const vb::Variant> operator[](size_t i) const { return {valuesOf(i), m_width}; }
    RowView<vb::Variant> at(size_t i);
    RowView<const vb::Variant> at(size_t i) const;
    RowView<vb::Variant> front() { return at(0); }
    RowView<const vb::Variant> front() const { return at(0); }
    RowView<vb::Variant> back() { return at(m_count - 1); }
    RowView<const vb::Variant> back() const { return at(m_count - 1); }

    Iterator<Rows, vb::Variant> begin() { return {this, 0}; }
    Iterator<Rows, vb::Variant> end() { return {this, m_count}; }
    Iterator<const Rows, const vb::Variant> begin() const { return {this, 0}; }
    Iterator<const Rows, const vb::Variant> end() const { return {this, m_count}; }

    // A new last row of `width` Empty values, to be filled in place. While the store is empty any width
    // goes; after that every row has the width of the first (std::invalid_argument otherwise).
    RowView<vb::Variant> appendRow(size_t width);
    void push_back(const Row& row);
    void pop_back();
    // Drops every row and gives their memory back.
    void clear() { *this = Rows(); }
    // Removes the rows for which `remove(row)` is true, keeping the others in order.
    template <class Predicate>
    void eraseIf(Predicate remove);

private:
    // Rows are kept in blocks of a fixed number of rows: a block never moves once filled, so a growing
    // result neither copies what it holds nor needs twice its size while it grows.
    static constexpr size_t kRowsPerBlock = 256;

    vb::Variant* valuesOf(size_t i) { return m_blocks[i / kRowsPerBlock].data() + i % kRowsPerBlock * m_width; }
    const vb::Variant* valuesOf(size_t i) const
    {
        return m_blocks[i / kRowsPerBlock].data() + i % kRowsPerBlock * m_width;
    }
    // Keeps the first `count` rows.
    void truncate(size_t count);

    std::vector<std::vector<vb::Variant>> m_blocks;
    size_t m_width = 0;
    size_t m_count = 0;
};

template <class Predicate>
void Rows::eraseIf(Predicate remove)
{
    size_t kept = 0;
    for (size_t i = 0; i < m_count; ++i) {
        if (remove(std::as_const(*this)[i]))
            continue;
        if (kept != i)
            std::move((*this)[i].begin(), (*this)[i].end(), (*this)[kept].begin());
        ++kept;
    }
    truncate(kept);
}

} // namespace ado

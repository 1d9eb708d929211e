// The rows of a result, kept in one store of values, row after row: a result of many rows costs one
// growing block rather than a block per row. A row is seen in place through a RowView.
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
    template <class Value>
    class Iterator {
    public:
        Iterator() = default;
        Iterator(Value* values, size_t width, size_t index) : m_values(values), m_width(width), m_index(index) {}
        RowView<Value> operator*() const { return {m_values + m_index * m_width, m_width}; }
        Iterator& operator++()
        {
            ++m_index;
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator before = *this;
            ++m_index;
            return before;
        }
        bool operator==(const Iterator& other) const { return m_index == other.m_index; }

    private:
        Value* m_values = nullptr;
        size_t m_width = 0;
        size_t m_index = 0;
    };

    Rows() = default;
    // Rows written out, each with as many values as the first.
    Rows(std::initializer_list<std::initializer_list<vb::Variant>> rows);

    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    // Values in each row.
    size_t width() const { return m_width; }

    RowView<vb::Variant> operator[](size_t i) { return {m_values.data() + i * m_width, m_width}; }
    RowView<const vb::Variant> operator[](size_t i) const { return {m_values.data() + i * m_width, m_width}; }
    RowView<vb::Variant> at(size_t i);
    RowView<const vb::Variant> at(size_t i) const;
    RowView<vb::Variant> front() { return at(0); }
    RowView<const vb::Variant> front() const { return at(0); }
    RowView<vb::Variant> back() { return at(m_count - 1); }
    RowView<const vb::Variant> back() const { return at(m_count - 1); }

    Iterator<vb::Variant> begin() { return {m_values.data(), m_width, 0}; }
    Iterator<vb::Variant> end() { return {m_values.data(), m_width, m_count}; }
    Iterator<const vb::Variant> begin() const { return {m_values.data(), m_width, 0}; }
    Iterator<const vb::Variant> end() const { return {m_values.data(), m_width, m_count}; }

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
    std::vector<vb::Variant> m_values;
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
    m_values.resize(kept * m_width);
    m_count = kept;
}

} // namespace ado

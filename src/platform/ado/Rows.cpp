#include "platform/ado/Rows.h"

#include <algorithm>

namespace ado {

Rows::Rows(std::initializer_list<std::initializer_list<vb::Variant>> rows)
{
    for (const auto& row : rows) {
        RowView<vb::Variant> added = appendRow(row.size());
        std::copy(row.begin(), row.end(), added.begin());
    }
}

RowView<vb::Variant> Rows::at(size_t i)
{
    if (i >= m_count)
        throw std::out_of_range("no such row");
    return (*this)[i];
}

RowView<const vb::Variant> Rows::at(size_t i) const
{
    if (i >= m_count)
        throw std::out_of_range("no such row");
    return (*this)[i];
}

RowView<vb::Variant> Rows::appendRow(size_t width)
{
    if (m_count == 0)
        m_width = width;
    else if (width != m_width)
        throw std::invalid_argument("a row of another width than the others");
    m_values.resize(m_values.size() + width);
    ++m_count;
    return (*this)[m_count - 1];
}

void Rows::push_back(const Row& row)
{
    RowView<vb::Variant> added = appendRow(row.size());
    std::copy(row.begin(), row.end(), added.begin());
}

void Rows::pop_back()
{
    if (m_count == 0)
        return;
    --m_count;
    m_values.resize(m_count * m_width);
}

} // namespace ado

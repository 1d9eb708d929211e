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
    if (m_count / kRowsPerBlock == m_blocks.size())
        m_blocks.emplace_back().reserve(kRowsPerBlock * m_width);
    std::vector<vb::Variant>& block = m_blocks.back();
    block.resize(block.size() + m_width);
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
    if (m_count > 0)
        truncate(m_count - 1);
}

void Rows::truncate(size_t count)
{
    m_blocks.resize((count + kRowsPerBlock - 1) / kRowsPerBlock);
    if (!m_blocks.empty())
        m_blocks.back().resize((count - (m_blocks.size() - 1) * kRowsPerBlock) * m_width);
    m_count = count;
}

} // namespace ado

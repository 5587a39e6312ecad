#pragma once

#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <utility>
#include <vector>

namespace platform {

// The entries in blocks of at most MaxBlock, with the row each block starts at: an insert or a
// removal moves part of one block and shifts the starts, never the whole list.
class ListEntries
{
public:
    struct Entry
    {
        QString text;
        std::int32_t data = 0;
    };

    int size() const { return m_size; }
    // How the entries are held, for the tests: the blocks follow the number of entries.
    int blockCount() const { return static_cast<int>(m_blocks.size()); }
    const Entry &at(int row) const
    {
        const auto [block, offset] = locate(row);
        return m_blocks[block][offset];
    }
    Entry &at(int row)
    {
        const auto [block, offset] = locate(row);
        return m_blocks[block][offset];
    }

    void insert(int row, Entry entry)
    {
        if (m_blocks.empty())
            addBlock(0, 0);
        const auto [block, offset] = locate(row);
        std::vector<Entry> &entries = m_blocks[block];
        entries.insert(entries.begin() + offset, std::move(entry));
        ++m_size;
        shiftStarts(block + 1, 1);
        if (entries.size() > MaxBlock)
            split(block);
    }

    void erase(int row)
    {
        const auto [block, offset] = locate(row);
        std::vector<Entry> &entries = m_blocks[block];
        entries.erase(entries.begin() + offset);
        --m_size;
        shiftStarts(block + 1, -1);
        // Emptied and small blocks go, so the number of blocks follows the number of entries.
        if (entries.empty() && m_blocks.size() > 1)
            removeBlock(block);
        else if (block + 1 < m_blocks.size() && fitTogether(block, block + 1))
            merge(block);
        else if (block > 0 && fitTogether(block - 1, block))
            merge(block - 1);
    }

    int findFirst(const std::function<bool(const Entry &)> &matches) const
    {
        int row = 0;
        for (const std::vector<Entry> &entries : m_blocks) {
            for (const Entry &entry : entries) {
                if (matches(entry))
                    return row;
                ++row;
            }
        }
        return -1;
    }

private:
    static constexpr std::size_t MaxBlock = 512;

    std::pair<std::size_t, std::size_t> locate(int row) const
    {
        const auto after = std::upper_bound(m_starts.cbegin(), m_starts.cend(), row);
        const auto block = static_cast<std::size_t>(after - m_starts.cbegin() - 1);
        return {block, static_cast<std::size_t>(row - m_starts[block])};
    }
    void shiftStarts(std::size_t from, int by)
    {
        for (std::size_t i = from; i < m_starts.size(); ++i)
            m_starts[i] += by;
    }
    void addBlock(std::size_t at, int start)
    {
        // Room for the largest block up front: a block never reallocates while it grows.
        std::vector<Entry> entries;
        entries.reserve(MaxBlock + 1);
        m_blocks.insert(m_blocks.begin() + static_cast<std::ptrdiff_t>(at), std::move(entries));
        m_starts.insert(m_starts.begin() + static_cast<std::ptrdiff_t>(at), start);
    }
    void removeBlock(std::size_t block)
    {
        m_blocks.erase(m_blocks.begin() + static_cast<std::ptrdiff_t>(block));
        m_starts.erase(m_starts.begin() + static_cast<std::ptrdiff_t>(block));
    }
    bool fitTogether(std::size_t first, std::size_t second) const
    {
        return m_blocks[first].size() + m_blocks[second].size() <= MaxBlock / 2;
    }
    void split(std::size_t block)
    {
        const std::size_t half = m_blocks[block].size() / 2;
        addBlock(block + 1, m_starts[block] + static_cast<int>(half));
        std::vector<Entry> &head = m_blocks[block];
        const auto middle = head.begin() + static_cast<std::ptrdiff_t>(half);
        m_blocks[block + 1].assign(std::make_move_iterator(middle),
                                   std::make_move_iterator(head.end()));
        head.erase(middle, head.end());
    }
    void merge(std::size_t first)
    {
        std::vector<Entry> &tail = m_blocks[first + 1];
        m_blocks[first].insert(m_blocks[first].end(), std::make_move_iterator(tail.begin()),
                               std::make_move_iterator(tail.end()));
        removeBlock(first + 1);
    }

    std::vector<std::vector<Entry>> m_blocks;
    std::vector<int> m_starts;
    int m_size = 0;
};

} // namespace platform

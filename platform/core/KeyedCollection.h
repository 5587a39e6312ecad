#pragma once

#include "platform/core/RuntimeError.h"

#include <QHash>
#include <QString>

#include <list>
#include <memory>
#include <utility>

namespace platform {

// An ordered container of shared object references under unique, case-sensitive text keys.
// Entries keep the order in which they were added; find and remove by key are O(1) on average.
template <typename T> class KeyedCollection
{
public:
    using Reference = std::shared_ptr<T>;

    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Reference;
        using difference_type = std::ptrdiff_t;
        using pointer = const Reference *;
        using reference = const Reference &;

        const_iterator() = default;
        explicit const_iterator(
            typename std::list<std::pair<QString, Reference>>::const_iterator it)
            : m_it(it)
        {}
        const Reference &operator*() const { return m_it->second; }
        const Reference *operator->() const { return &m_it->second; }
        const QString &key() const { return m_it->first; }
        const_iterator &operator++()
        {
            ++m_it;
            return *this;
        }
        const_iterator operator++(int)
        {
            auto copy = *this;
            ++m_it;
            return copy;
        }
        bool operator==(const const_iterator &other) const = default;

    private:
        typename std::list<std::pair<QString, Reference>>::const_iterator m_it;
    };

    KeyedCollection() = default;
    // The owner may word a missing key for its users; %1 stands for the key.
    explicit KeyedCollection(QString notFoundMessage) : m_notFound(std::move(notFoundMessage)) {}
    KeyedCollection(const KeyedCollection &) = delete;
    KeyedCollection &operator=(const KeyedCollection &) = delete;

    // Adds at the end; a key already present fails and stores nothing.
    void add(const Reference &item, const QString &key)
    {
        if (m_index.contains(key))
            throw RuntimeError(ErrorKind::DuplicateKey,
                               QStringLiteral("This key is already associated with an element of "
                                              "this collection."));
        m_entries.emplace_back(key, item);
        m_index.insert(key, std::prev(m_entries.end()));
    }

    Reference item(const QString &key) const { return find(key)->second; }

    void remove(const QString &key)
    {
        const auto it = find(key);
        m_index.remove(key);
        m_entries.erase(it);
    }

    bool contains(const QString &key) const { return m_index.contains(key); }
    int count() const { return static_cast<int>(m_entries.size()); }

    const_iterator begin() const { return const_iterator(m_entries.cbegin()); }
    const_iterator end() const { return const_iterator(m_entries.cend()); }

private:
    using Entries = std::list<std::pair<QString, Reference>>;

    typename Entries::iterator find(const QString &key) const
    {
        const auto found = m_index.constFind(key);
        if (found == m_index.cend())
            throw RuntimeError(ErrorKind::KeyNotFound, m_notFound.arg(key));
        return found.value();
    }

    QString m_notFound = QStringLiteral("No element of this collection has the key \"%1\".");
    Entries m_entries;
    QHash<QString, typename Entries::iterator> m_index;
};

} // namespace platform

// Runs a byte-coded sequence of add / item / remove / contains on the keyed collection and
// checks every step against a plain vector of (key, reference) in insertion order.

#include "platform/core/KeyedCollection.h"
#include "platform/core/RuntimeError.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

namespace {

[[noreturn]] void mismatch(const char *what, int line)
{
    std::fprintf(stderr, "fuzz_collection: mismatch at line %d: %s\n", line, what);
    __builtin_trap();
}

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition))                                                                          \
            mismatch(#condition, __LINE__);                                                        \
    } while (false)

using Collection = platform::KeyedCollection<int>;
using Reference = Collection::Reference;
using Model = std::vector<std::pair<QString, Reference>>;

// Keys that collide on purpose: case, a missing blank, accents composed or not, a NUL.
const QString &poolKey(std::size_t index)
{
    static const QString keys[] = {
        QString(),
        QStringLiteral(" 1"),
        QStringLiteral("1"),
        QStringLiteral(" 2"),
        QStringLiteral(" 10"),
        QStringLiteral("a"),
        QStringLiteral("A"),
        QString(QChar(0x00e9)),
        QStringLiteral("e") + QChar(0x0301),
        QStringLiteral(" 1 "),
        QString(QChar(0)),
        QString(100, QLatin1Char('x')),
    };
    return keys[index % std::size(keys)];
}

class Input
{
public:
    Input(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}
    bool atEnd() const { return m_position >= m_size; }
    std::uint8_t next() { return atEnd() ? 0 : m_data[m_position++]; }

    QString key()
    {
        const std::uint8_t selector = next();
        if (selector < 0xf0)
            return poolKey(selector);
        QString key;
        for (int i = 0; i < (selector & 0x0f); ++i)
            key.append(QChar(next()));
        return key;
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
};

Model::iterator findInModel(Model &model, const QString &key)
{
    return std::find_if(model.begin(), model.end(),
                        [&key](const auto &entry) { return entry.first == key; });
}

void checkSame(const Collection &collection, const Model &model)
{
    CHECK(collection.count() == static_cast<int>(model.size()));
    auto it = collection.begin();
    for (const auto &[key, reference] : model) {
        CHECK(it != collection.end());
        CHECK(it.key() == key);
        CHECK(*it == reference); // the same object, not a copy
        CHECK(collection.contains(key));
        it++;
    }
    CHECK(it == collection.end());
}

template <typename F> void expectFailure(platform::ErrorKind kind, F f)
{
    try {
        f();
    } catch (const platform::RuntimeError &error) {
        CHECK(error.kind() == kind);
        return;
    } catch (...) {
        mismatch("unexpected exception type", __LINE__);
    }
    mismatch("operation should have failed", __LINE__);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Input input(data, size);
    Model model;
    int nextValue = 0;
    {
        Collection collection;
        while (!input.atEnd()) {
            const std::uint8_t op = input.next();
            const QString key = input.key();
            const auto inModel = findInModel(model, key);
            const bool present = inModel != model.end();
            switch (op % 4) {
            case 0: {
                auto item = std::make_shared<int>(nextValue++);
                if (present) {
                    expectFailure(platform::ErrorKind::DuplicateKey,
                                  [&] { collection.add(item, key); });
                    CHECK(item.use_count() == 1); // nothing of it was kept
                } else {
                    collection.add(item, key);
                    model.emplace_back(key, item);
                }
                break;
            }
            case 1:
                if (present) {
                    const Reference found = collection.item(key);
                    CHECK(found == inModel->second);
                    ++*found; // a change through the reference is a change in the collection
                } else {
                    expectFailure(platform::ErrorKind::KeyNotFound,
                                  [&] { (void)collection.item(key); });
                }
                break;
            case 2:
                if (present) {
                    const Reference removed = inModel->second;
                    model.erase(inModel);
                    collection.remove(key);
                    CHECK(removed.use_count() == 1); // the collection let go of it
                } else {
                    expectFailure(platform::ErrorKind::KeyNotFound,
                                  [&] { collection.remove(key); });
                }
                break;
            default:
                CHECK(collection.contains(key) == present);
                break;
            }
            checkSame(collection, model);
        }
    }
    // The collection is gone: only the model holds the records now.
    for (const auto &entry : model)
        CHECK(entry.second.use_count() == 1);
    return 0;
}

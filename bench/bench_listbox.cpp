// The hand-drawn list box against QListView over a list model with uniform item sizes, both in
// the same sorted order: fills each to 32,767 entries, then, at that size, times removing a
// random entry and adding a random name, each followed by the event processing that lays out
// and repaints the change. Prints p50/p99 per entry (wall and thread CPU), the fill time and
// the memory the list took; the memory is only right for the first list of a run (the second
// reuses what the first freed), so run "box" and "view" apart for it.
//   bench_listbox [samples per figure, default 2000] [entries, default 32767] [box|view|both]

#include "BenchSupport.h"
#include "TimedChange.h"

#include "platform/controls/collation.h"
#include "platform/controls/ListBox.h"
#include "platform/forms/defaultFont.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QListView>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

using bench::Clock;
using bench::millisecondsBetween;

namespace {

// What a Qt engineer would put behind a QListView: the entries in one array, kept sorted.
class EntryModel final : public QAbstractListModel
{
public:
    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || role != Qt::DisplayRole)
            return {};
        return m_entries[static_cast<std::size_t>(index.row())].text;
    }
    // After any equal entries, as the list box does.
    int add(const QString &text)
    {
        const auto position =
            std::upper_bound(m_entries.cbegin(), m_entries.cend(), text,
                             [](const QString &value, const Entry &entry) {
                                 return platform::compareListTexts(value, entry.text) < 0;
                             });
        const int row = static_cast<int>(position - m_entries.cbegin());
        beginInsertRows({}, row, row);
        m_entries.insert(position, {text, 0});
        endInsertRows();
        return row;
    }
    void remove(int row)
    {
        beginRemoveRows({}, row, row);
        m_entries.erase(m_entries.begin() + row);
        endRemoveRows();
    }

private:
    struct Entry
    {
        QString text;
        std::int32_t data = 0;
    };
    std::vector<Entry> m_entries;
};

struct Figures
{
    std::vector<double> add, addCpu, remove, removeCpu;
    double fillSeconds = 0;
    long memoryKiB = 0;
};

QString randomName(std::mt19937 &random)
{
    std::uniform_int_distribution<int> letter(0, 25);
    std::uniform_int_distribution<int> length(3, 9);
    QString name;
    for (int part = 0; part < 2; ++part) {
        if (part > 0)
            name += QLatin1Char(' ');
        name += QChar(u'A' + letter(random));
        for (int i = length(random); i > 0; --i)
            name += QChar(u'a' + letter(random));
    }
    return name;
}

// add(text) and remove(row) on one list, shown in a window of the main window's list size.
template <typename Add, typename Remove>
Figures measure(int entries, int samples, Add add, Remove remove, const std::function<int()> &count)
{
    Figures figures;
    std::mt19937 random(20261209);
    const long memoryBefore = bench::rssAnonKiB();
    const auto fillStart = Clock::now();
    for (int i = 0; i < entries; ++i) {
        add(randomName(random));
        // Events now and then, as a user's adds would let them run.
        if (i % 256 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    figures.fillSeconds = millisecondsBetween(fillStart, Clock::now()) / 1e3;
    figures.memoryKiB = bench::rssAnonKiB() - memoryBefore;
    for (int i = 0; i < samples; ++i) {
        const int row = std::uniform_int_distribution<int>(0, count() - 1)(random);
        bench::timeChange([&] { remove(row); }, figures.remove, figures.removeCpu);
        const QString name = randomName(random);
        bench::timeChange([&] { add(name); }, figures.add, figures.addCpu);
    }
    return figures;
}

void print(const char *what, const Figures &figures, int entries)
{
    const auto line = [](const char *change, const std::vector<double> &wall,
                         const std::vector<double> &cpu) {
        std::printf("    %-7s p50 %.4f ms, p99 %.4f ms  (CPU p50 %.4f, p99 %.4f)\n", change,
                    bench::percentile(wall, 50), bench::percentile(wall, 99),
                    bench::percentile(cpu, 50), bench::percentile(cpu, 99));
    };
    std::printf("  %s: fill to %d in %.2f s, RssAnon +%ld KiB\n", what, entries,
                figures.fillSeconds, figures.memoryKiB);
    line("add", figures.add, figures.addCpu);
    line("remove", figures.remove, figures.removeCpu);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    platform::installDefaultFont();
    const int samples = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int entries = argc > 2 ? std::atoi(argv[2]) : 32767;
    if (samples < 1 || entries < 2) {
        std::fprintf(stderr, "bench_listbox: samples >= 1, entries >= 2\n");
        return 1;
    }
    // The main window's list: 2655 x 840 twips.
    const QRect geometry(0, 0, 177, 56);
    std::printf("List of %d entries, %d removes and adds at that size, each with its repaint\n",
                entries, samples);

    const std::string which = argc > 3 ? argv[3] : "both";
    if (which != "view") {
        QWidget window;
        window.resize(200, 80);
        platform::ListBox list(&window, QStringLiteral("list"), geometry,
                               platform::Sorting::Sorted);
        window.show();
        const Figures figures = measure(
            entries, samples, [&list](const QString &text) { list.AddItem(text); },
            [&list](int row) { list.RemoveItem(row); }, [&list] { return list.ListCount(); });
        print("ListBox (blocks, hand-drawn rows)", figures, entries);
    }
    if (which != "box") {
        QWidget window;
        window.resize(200, 80);
        EntryModel model;
        QListView view(&window);
        view.setGeometry(geometry);
        view.setUniformItemSizes(true);
        view.setModel(&model);
        window.show();
        const Figures figures = measure(
            entries, samples, [&model](const QString &text) { model.add(text); },
            [&model](int row) { model.remove(row); }, [&model] { return model.rowCount({}); });
        print("QListView (list model, uniform item sizes)", figures, entries);
    }
    return 0;
}

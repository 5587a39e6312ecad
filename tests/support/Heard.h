#pragma once

#include <QAccessible>
#include <QStringList>

namespace testing {

// What the program tells a screen reader, on any platform: offscreen has no accessibility
// bridge, so accessibility is switched on by hand and every event is recorded where the bridge
// would take it. One at a time; the platform's state is put back on destruction.
class Heard
{
public:
    Heard();
    ~Heard();
    Heard(const Heard &) = delete;
    Heard &operator=(const Heard &) = delete;

    // Each event since the last take() that names an entry of a list (as a child, or the entry
    // itself, -1 once gone from its list) or the first row of a change to the list's entries,
    // as "<event> <row>".
    QStringList take();
    // Whether a screen reader standing in a list would speak its entry `row`: its focus moved
    // there, or that entry's description changed.
    bool namesEntry(int row) const;
};

} // namespace testing

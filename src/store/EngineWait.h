#pragma once

#include <functional>

struct sqlite3;

// Waiting for another program's lock on an address book. The wait keeps the
// windows painted (no user input is taken meanwhile) and tells an observer
// when it starts and when it is over, so that the window can show a busy
// cursor and say what it waits for instead of standing still.
namespace EngineWait {

// How long a statement waits for another program before it gives up.
constexpr int kTimeoutMs = 5000;

void install(sqlite3 *handle);

// waiting: true when a wait begins, false when the statement that waited ends.
void setObserver(std::function<void(bool waiting)> observer);

// Held around every use of the engine; ends a wait notice that began inside.
class Scope
{
public:
    Scope();
    ~Scope();
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;

private:
    bool m_outer;
};

} // namespace EngineWait

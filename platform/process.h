#pragma once
// The end of the process, so tests can observe it instead of dying.

namespace platform {

// Thrown by a Process that does not really exit (headless); the event loop or the thread
// entry that catches it stops dispatching.
struct ProgramEnded {
    int exitCode;
};

class Process {
public:
    virtual ~Process() = default;
    // Ends the program with the exit code. Does not return.
    [[noreturn]] virtual void end(int exitCode) = 0;
};

} // namespace platform

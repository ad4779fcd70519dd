#pragma once
// Failures that no part of the program handles. One raised inside a window procedure
// must not unwind through the system's code that called it: it is kept, the message
// loop is ended, and the process entry reports it like any other unhandled failure.

#include <exception>
#include <string>

// Keeps the first such failure and ends the message loop (exit code 1).
void KeepUnhandledFailure(std::exception_ptr failure);

// The kept failure, or none; taking it clears it.
std::exception_ptr TakeUnhandledFailure();

// The text that describes a failure to the user.
std::wstring DescribeFailure(std::exception_ptr failure);

// The report shown before the program ends because of a failure.
void ShowFailureReport(std::exception_ptr failure);

// Runs an event handler and keeps whatever it throws.
template <typename Handler>
void RunEventHandler(Handler&& handler) {
    try {
        handler();
    } catch (...) {
        KeepUnhandledFailure(std::current_exception());
    }
}

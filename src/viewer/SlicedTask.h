#pragma once
// A piece of work done in slices on the one thread: the work runs on a stack
// of its own and may pause (Yield) wherever it stands, deep inside a
// decoder, to be resumed later from the event loop where it left off. No
// thread is started; the work only runs inside Resume.
#include <ucontext.h>

#include <cstddef>
#include <exception>
#include <functional>

namespace orvane::viewer {

class SlicedTask {
public:
    explicit SlicedTask(std::function<void()> work);
    ~SlicedTask();
    SlicedTask(const SlicedTask&) = delete;
    SlicedTask& operator=(const SlicedTask&) = delete;

    // Runs the work until it yields or ends; true once it has ended (with
    // or without an error).
    bool Resume();
    // Runs the rest of the work without pausing.
    void Finish();
    // Ends the work early: it is resumed once more and unwinds from the
    // first pause point it reaches (or runs to its end without one).
    void Cancel();
    // Inside the work: hands control back to the caller of Resume, unless
    // the task is being finished or cancelled. Never throws, so it may be
    // reached from a destructor.
    void Yield();
    // Inside the work, where it may be abandoned (between rows, never in a
    // destructor): yields, and throws Cancelled once the task is cancelled.
    void PausePoint();
    struct Cancelled {};
    bool Done() const { return done_; }
    // What the work threw, if it did.
    std::exception_ptr Error() const { return error_; }

private:
    static void Entry(unsigned high, unsigned low);
    void SwitchIn();
    void SwitchOut();

    std::function<void()> work_;
    void* stack_ = nullptr;
    size_t stackBytes_ = 0;
    ucontext_t caller_{};
    ucontext_t task_{};
    bool started_ = false;
    bool running_ = false;
    bool finishing_ = false;
    bool cancelling_ = false;
    bool done_ = false;
    std::exception_ptr error_;
    // The caller's stack, as the address sanitizer needs to know it.
    const void* callerStack_ = nullptr;
    size_t callerStackBytes_ = 0;
    void* fakeStack_ = nullptr;
};

} // namespace orvane::viewer

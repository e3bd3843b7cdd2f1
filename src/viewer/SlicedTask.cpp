#include "viewer/SlicedTask.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define ORVANE_FIBER_ANNOTATIONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVANE_FIBER_ANNOTATIONS 1
#endif
#endif
#ifdef ORVANE_FIBER_ANNOTATIONS
#include <sanitizer/common_interface_defs.h>
#endif

namespace orvane::viewer {

namespace {

// Decoders keep little on the stack, but libraries below them may keep
// more; a guard page below the stack turns an overflow into a clean fault.
constexpr size_t kStackBytes = 1024 * 1024;

} // namespace

SlicedTask::SlicedTask(std::function<void()> work) : work_(std::move(work))
{
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    stackBytes_ = kStackBytes + page;
    stack_ = mmap(nullptr, stackBytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (stack_ == MAP_FAILED) {
        stack_ = nullptr;
        throw std::bad_alloc();
    }
    mprotect(stack_, page, PROT_NONE);
    getcontext(&task_);
    task_.uc_stack.ss_sp = static_cast<char*>(stack_) + page;
    task_.uc_stack.ss_size = kStackBytes;
    task_.uc_link = nullptr;
    const auto self = reinterpret_cast<uintptr_t>(this);
    makecontext(&task_, reinterpret_cast<void (*)()>(&SlicedTask::Entry), 2, static_cast<unsigned>(self >> 32),
                static_cast<unsigned>(self & 0xFFFFFFFFu));
}

SlicedTask::~SlicedTask()
{
    // A paused work unwinds on its own stack, so everything it holds there
    // is given back.
    if (started_ && !done_)
        Cancel();
    if (stack_)
        munmap(stack_, stackBytes_);
}

void SlicedTask::Entry(unsigned high, unsigned low)
{
    auto* self = reinterpret_cast<SlicedTask*>((static_cast<uintptr_t>(high) << 32) | low);
#ifdef ORVANE_FIBER_ANNOTATIONS
    __sanitizer_finish_switch_fiber(nullptr, &self->callerStack_, &self->callerStackBytes_);
#endif
    try {
        self->work_();
    } catch (const Cancelled&) {
    } catch (...) {
        self->error_ = std::current_exception();
    }
    self->done_ = true;
    self->SwitchOut();
    // Never resumed once done.
}

void SlicedTask::SwitchIn()
{
    running_ = true;
#ifdef ORVANE_FIBER_ANNOTATIONS
    void* callerFake = nullptr;
    __sanitizer_start_switch_fiber(&callerFake, task_.uc_stack.ss_sp, task_.uc_stack.ss_size);
#endif
    swapcontext(&caller_, &task_);
#ifdef ORVANE_FIBER_ANNOTATIONS
    __sanitizer_finish_switch_fiber(callerFake, nullptr, nullptr);
#endif
    running_ = false;
}

void SlicedTask::SwitchOut()
{
#ifdef ORVANE_FIBER_ANNOTATIONS
    __sanitizer_start_switch_fiber(done_ ? nullptr : &fakeStack_, callerStack_, callerStackBytes_);
#endif
    swapcontext(&task_, &caller_);
#ifdef ORVANE_FIBER_ANNOTATIONS
    __sanitizer_finish_switch_fiber(fakeStack_, &callerStack_, &callerStackBytes_);
#endif
}

bool SlicedTask::Resume()
{
    if (done_ || running_)
        return done_;
    started_ = true;
    SwitchIn();
    return done_;
}

void SlicedTask::Finish()
{
    if (done_ || running_)
        return;
    finishing_ = true;
    Resume();
}

void SlicedTask::Cancel()
{
    if (done_ || running_)
        return;
    cancelling_ = true;
    if (started_)
        Resume();
    else
        done_ = true; // never begun: nothing to unwind
}

void SlicedTask::Yield()
{
    if (!running_ || finishing_ || cancelling_)
        return;
    SwitchOut();
}

void SlicedTask::PausePoint()
{
    if (!running_)
        return;
    Yield();
    if (cancelling_)
        throw Cancelled();
}

} // namespace orvane::viewer

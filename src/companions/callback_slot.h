// CallbackSlot<Callback>: one callback of the host with its context, called outside any lock.
// Replacing the callback waits until no other thread is still inside the previous one, so the
// host may destroy the previous context as soon as the replacement returns.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <utility>

template <class Callback>
class CallbackSlot {
  public:
    void Set(Callback callback, void* context) {
        std::shared_ptr<Target> next;
        if (callback != nullptr) {
            next = std::make_shared<Target>(callback, context);
        }
        std::unique_lock<std::mutex> guard(lock_);
        std::shared_ptr<Target> previous = std::exchange(current_, std::move(next));
        if (previous) {
            // A callback that replaces itself is inside its own call: waiting for that would
            // never end, so only other threads' calls are waited for.
            const Target* retired = previous.get();
            idle_.wait(guard, [&] { return retired->running == CallsOnThisThread(retired); });
        }
    }

    // Runs use(callback, context) without the lock when a callback is set; false when none is.
    template <class Use>
    bool Call(Use&& use) {
        std::shared_ptr<Target> target;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (!current_) {
                return false;
            }
            target = current_;
            ++target->running;
        }
        RunningCall running(*this, target.get());
        std::forward<Use>(use)(target->callback, target->context);
        return true;
    }

  private:
    struct Target {
        Target(Callback c, void* x) noexcept : callback(c), context(x) {}
        Callback callback;
        void* context;
        std::size_t running = 0;  // guarded by lock_
    };

    // The calls this thread is inside, innermost first; lives on the callers' stacks.
    struct Frame {
        const Target* target;
        Frame* outer;
    };

    class RunningCall {
      public:
        RunningCall(CallbackSlot& slot, Target* target) noexcept
            : slot_(slot), target_(target), frame_{target, innermost_} {
            innermost_ = &frame_;
        }
        ~RunningCall() {
            innermost_ = frame_.outer;
            {
                std::lock_guard<std::mutex> guard(slot_.lock_);
                --target_->running;
            }
            slot_.idle_.notify_all();
        }
        RunningCall(const RunningCall&) = delete;
        RunningCall& operator=(const RunningCall&) = delete;

      private:
        CallbackSlot& slot_;
        Target* target_;
        Frame frame_;
    };

    static std::size_t CallsOnThisThread(const Target* target) noexcept {
        std::size_t count = 0;
        for (const Frame* frame = innermost_; frame != nullptr; frame = frame->outer) {
            count += frame->target == target ? 1 : 0;
        }
        return count;
    }

    static inline thread_local Frame* innermost_ = nullptr;

    std::mutex lock_;
    std::condition_variable idle_;
    std::shared_ptr<Target> current_;
};

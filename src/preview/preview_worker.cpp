#include "preview_worker.h"

#include <exception>

namespace tactoria {

PreviewWorker::PreviewWorker() : thread_([this] { Run(); }) {}

PreviewWorker::~PreviewWorker() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    pending_ = nullptr;
  }
  wake_.notify_one();
  thread_.join();
}

void PreviewWorker::Submit(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    pending_ = std::move(job);
  }
  wake_.notify_one();
}

void PreviewWorker::Run() {
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return quit_ || pending_; });
      if (quit_) return;
      job = std::move(pending_);
      pending_ = nullptr;
    }
    try {
      job();
    } catch (const std::exception&) {
      // A job reports its own failures; one that throws (out of memory) is simply dropped.
    }
  }
}

}  // namespace tactoria

#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tactoria {

// One background thread that runs only the newest job handed to it: a job handed over while
// another waits replaces the waiting one, so a burst of changes costs one run, not many.
class PreviewWorker {
 public:
  PreviewWorker();
  ~PreviewWorker();
  PreviewWorker(const PreviewWorker&) = delete;
  PreviewWorker& operator=(const PreviewWorker&) = delete;

  void Submit(std::function<void()> job);

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::function<void()> pending_;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace tactoria

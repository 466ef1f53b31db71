#include "temporary_registry.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>

namespace tactoria {
namespace {

// Slots live in blocks that are chained and never freed, so the handler can walk them while the
// program adds blocks. A span may hold a temporary file per beat (up to 32 x 4096).
constexpr std::size_t kBlockSlots = 1024;

struct Block {
  std::atomic<char*> slots[kBlockSlots] = {};
  std::atomic<Block*> next{nullptr};
};

Block gFirst;
std::size_t gSearchFrom = 0;  // no free slot before this one (touched only outside handlers)

std::atomic<char*>* SlotAt(std::size_t index, bool grow) {
  Block* block = &gFirst;
  for (std::size_t b = index / kBlockSlots; b > 0; --b) {
    Block* next = block->next.load(std::memory_order_acquire);
    if (next == nullptr) {
      if (!grow) return nullptr;
      next = new (std::nothrow) Block;
      if (next == nullptr) return nullptr;
      block->next.store(next, std::memory_order_release);
    }
    block = next;
  }
  return &block->slots[index % kBlockSlots];
}

// Signals raised by the program's own faults: never held back (a fault while held would end the
// program without the handler).
constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS, SIGABRT};

// Every signal whose default action ends the program. SIGXFSZ is left out: writes past the file
// size limit are to fail with EFBIG, so the writer ignores it.
sigset_t EndingSignals(bool withFaults) {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGALRM, SIGTERM, SIGUSR1, SIGUSR2, SIGPOLL, SIGPROF,
                     SIGVTALRM, SIGXCPU, SIGSTKFLT, SIGPWR}) {
    sigaddset(&set, signal);
  }
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) sigaddset(&set, signal);
  if (withFaults) {
    for (int signal : kFaultSignals) sigaddset(&set, signal);
  }
  return set;
}

void OnSignal(int signal) {
  TemporaryRegistry::RemoveRegisteredTemporaries();
  if (signal == SIGINT || signal == SIGTERM || signal == SIGHUP) ::_exit(128 + signal);
  // The signal again, with its default action; it is blocked inside this handler, so it is
  // unblocked to act at once.
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  ::sigaction(signal, &byDefault, nullptr);
  ::raise(signal);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
  ::_exit(128 + signal);
}

}  // namespace

std::size_t TemporaryRegistry::Register(const std::string& path) {
  char* copy = static_cast<char*>(std::malloc(path.size() + 1));
  if (copy == nullptr) return kNone;
  std::memcpy(copy, path.c_str(), path.size() + 1);
  for (std::size_t index = gSearchFrom;; ++index) {
    std::atomic<char*>* slot = SlotAt(index, true);
    if (slot == nullptr) break;
    if (slot->load(std::memory_order_relaxed) == nullptr) {
      slot->store(copy, std::memory_order_release);
      gSearchFrom = index + 1;
      return index;
    }
  }
  std::free(copy);
  return kNone;
}

void TemporaryRegistry::Unregister(std::size_t slot) {
  if (slot == kNone) return;
  std::atomic<char*>* entry = SlotAt(slot, false);
  if (entry == nullptr) return;
  std::free(entry->exchange(nullptr, std::memory_order_acq_rel));
  if (slot < gSearchFrom) gSearchFrom = slot;
}

void TemporaryRegistry::RemoveRegisteredTemporaries() {
  for (Block* block = &gFirst; block != nullptr; block = block->next.load(std::memory_order_acquire)) {
    for (auto& slot : block->slots) {
      const char* path = slot.load(std::memory_order_acquire);
      if (path != nullptr) ::unlink(path);
    }
  }
}

void RemoveTemporariesOnSignals() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  action.sa_mask = EndingSignals(true);
  const sigset_t ending = EndingSignals(true);
  for (int signal = 1; signal < NSIG; ++signal) {
    if (sigismember(&ending, signal) != 1) continue;
    struct sigaction current {};
    // A signal ignored by whoever started the tool (nohup) stays ignored, and one with a handler
    // of its own (a sanitizer's, a profiler's) keeps it.
    if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
    ::sigaction(signal, &action, nullptr);
  }
}

EndingSignalsHeld::EndingSignalsHeld() {
  const sigset_t held = EndingSignals(false);
  ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

EndingSignalsHeld::~EndingSignalsHeld() {
  ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace tactoria

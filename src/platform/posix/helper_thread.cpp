// The helper thread on POSIX hosts: all signals blocked in it, and on Linux the two
// threads pinned to two processors while it runs (left to itself, the scheduler at times
// wakes the helper on the caller's processor, and the two then take turns on one while
// the other idles).
#include <pthread.h>
#include <signal.h>

#include <system_error>
#include <thread>

#include "platform/platform.h"

#if defined(__linux__)
#include <sched.h>
#endif

namespace tembra {

struct HelperThread::Host {
  std::thread thread;
#if defined(__linux__)
  cpu_set_t before;
  bool pinned = false;

  void Pin() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) < 2) return;
    const int cpu = sched_getcpu();
    if (cpu < 0 || cpu >= CPU_SETSIZE || !CPU_ISSET(cpu, &allowed)) return;
    cpu_set_t others = allowed, mine;
    CPU_CLR(cpu, &others);
    CPU_ZERO(&mine);
    CPU_SET(cpu, &mine);
    if (pthread_setaffinity_np(thread.native_handle(), sizeof others, &others) != 0) return;
    before = allowed;
    pinned = sched_setaffinity(0, sizeof mine, &mine) == 0;
  }
  void Unpin() {
    if (pinned) sched_setaffinity(0, sizeof before, &before);
    pinned = false;
  }
#else
  void Pin() {}
  void Unpin() {}
#endif
};

HelperThread::HelperThread() = default;
HelperThread::~HelperThread() { Join(); }

bool HelperThread::Start(std::function<void()> work) {
  Join();
  auto host = std::make_unique<Host>();
  sigset_t blocked, before;
  sigfillset(&blocked);
  pthread_sigmask(SIG_SETMASK, &blocked, &before);
  try {
    host->thread = std::thread(std::move(work));
  } catch (const std::system_error&) {
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (!host->thread.joinable()) return false;
  host->Pin();
  host_ = std::move(host);
  return true;
}

void HelperThread::Join() {
  if (!host_) return;
  host_->thread.join();
  host_->Unpin();
  host_.reset();
}

bool HelperThreadsPay() {
  static const bool pays = std::thread::hardware_concurrency() >= 2;
  return pays;
}

}  // namespace tembra

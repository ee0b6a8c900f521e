// The helper thread on Windows: a plain thread (no signals to keep away from it).
#include <system_error>
#include <thread>

#include "platform/platform.h"

namespace tembra {

struct HelperThread::Host {
  std::thread thread;
};

HelperThread::HelperThread() = default;
HelperThread::~HelperThread() { Join(); }

bool HelperThread::Start(std::function<void()> work) {
  Join();
  auto host = std::make_unique<Host>();
  try {
    host->thread = std::thread(std::move(work));
  } catch (const std::system_error&) {
    return false;
  }
  host_ = std::move(host);
  return true;
}

void HelperThread::Join() {
  if (!host_) return;
  host_->thread.join();
  host_.reset();
}

bool HelperThreadsPay() {
  static const bool pays = std::thread::hardware_concurrency() >= 2;
  return pays;
}

}  // namespace tembra

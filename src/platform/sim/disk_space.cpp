#include "platform/sim/disk_space.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/sim/file_hooks.h"
#include "platform/sim/machine.h"

namespace sim {

namespace {

std::string LedgerPath() {
  const Machine& machine = CurrentMachine();
  return machine.Found() ? machine.Root() + "/" + kDiskFreeName : std::string();
}

// The ledger held open under an exclusive lock while the object lives; not
// open when the machine has no limit.
class Ledger {
 public:
  Ledger() {
    const std::string path = LedgerPath();
    if (path.empty()) return;
    fd_ = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~Ledger() {
    if (fd_ < 0) return;
    flock(fd_, LOCK_UN);
    close(fd_);
  }
  Ledger(const Ledger&) = delete;
  Ledger& operator=(const Ledger&) = delete;

  bool Limited() const { return fd_ >= 0; }
  int64_t Left() const {
    char buf[32] = {};
    ssize_t n = pread(fd_, buf, sizeof buf - 1, 0);
    return n > 0 ? strtoll(buf, nullptr, 10) : 0;
  }
  void Store(int64_t left) {
    const std::string text = std::to_string(left < 0 ? 0 : left);
    if (ftruncate(fd_, 0) == 0) (void)!pwrite(fd_, text.data(), text.size(), 0);
  }

 private:
  int fd_ = -1;
};

}  // namespace

bool TakeDiskSpace(int64_t bytes) {
  if (bytes <= 0) return true;
  Ledger ledger;
  if (!ledger.Limited()) return true;
  const int64_t left = ledger.Left();
  if (bytes > left) return false;
  ledger.Store(left - bytes);
  return true;
}

void GiveBackDiskSpace(int64_t bytes) {
  if (bytes <= 0) return;
  Ledger ledger;
  if (ledger.Limited()) ledger.Store(ledger.Left() + bytes);
}

bool SetFreeDiskBytes(int64_t bytes) {
  const std::string path = LedgerPath();
  if (path.empty()) return false;
  if (bytes < 0) return unlink(path.c_str()) == 0 || errno == ENOENT;
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  flock(fd, LOCK_EX);
  const std::string text = std::to_string(bytes);
  const bool ok = ftruncate(fd, 0) == 0 && pwrite(fd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size());
  flock(fd, LOCK_UN);
  close(fd);
  return ok;
}

int64_t FreeDiskBytes() {
  Ledger ledger;
  return ledger.Limited() ? ledger.Left() : -1;
}

}  // namespace sim

#include "platform/foundation/DurableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace foundation {
namespace {

std::atomic<AtomicWriteStep> g_faultStep{AtomicWriteStep::None};
std::atomic<int> g_faultError{0};
std::atomic<unsigned> g_tempCounter{0};

// True when the injected fault hits this step (errno then holds its error).
bool faulted(AtomicWriteStep step) {
  if (g_faultStep.load() != step) return false;
  errno = g_faultError.load();
  return true;
}

// A name beside the file that no other saver (thread or process) is using now.
std::string tempNameFor(const std::string& path) {
  return path + ".tmp." + std::to_string(::getpid()) + "." +
         std::to_string(g_tempCounter.fetch_add(1));
}

bool writeAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    if (faulted(AtomicWriteStep::Write)) return false;
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Makes the rename durable. File systems that cannot sync a folder say EINVAL: nothing to do.
bool syncFolder(const std::string& path) {
  std::filesystem::path parent = std::filesystem::path(path).parent_path();
  std::string dir = parent.empty() ? "." : parent.string();
  if (faulted(AtomicWriteStep::SyncFolder)) return false;
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  int rc;
  do {
    rc = ::fsync(fd);
  } while (rc != 0 && errno == EINTR);
  int saved = errno;
  ::close(fd);
  errno = saved;
  return rc == 0 || errno == EINVAL;
}

}  // namespace

void setAtomicWriteFault(AtomicWriteStep step, int error) {
  g_faultError.store(error);
  g_faultStep.store(step);
}

bool writeFileAtomically(const std::string& path, std::string_view bytes,
                         AtomicWriteOptions options) {
  std::filesystem::path p(path);
  const bool ownerOnly = (options.mode & 077) == 0;
  if (options.createFolders && p.has_parent_path() &&
      !(ownerOnly ? makePrivateDirectories(p.parent_path().string())
                  : makeDirectories(p.parent_path().string()))) {
    logError("cannot create the folder of %s", path.c_str());
    return false;
  }
  std::string tmp;
  int fd = -1;
  // A leftover of a crashed save may hold the name: take the next one.
  for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
    tmp = tempNameFor(path);
    if (faulted(AtomicWriteStep::Create)) break;
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                static_cast<mode_t>(options.mode));
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    logError("cannot save %s: cannot create %s (%s)", path.c_str(), tmp.c_str(),
             std::strerror(errno));
    return false;
  }
  const char* failed = nullptr;
  // The umask can only take bits away; an owner-only file is made so before its bytes go in.
  if (ownerOnly && ::fchmod(fd, static_cast<mode_t>(options.mode)) != 0) {
    failed = "chmod";
  } else if (!writeAll(fd, bytes)) {
    failed = "write";
  } else if (faulted(AtomicWriteStep::Sync) || ::fsync(fd) != 0) {
    failed = "sync";
  }
  int saved = errno;
  // close can report a delayed write error (NFS, quotas): it counts like a failed write.
  if (::close(fd) != 0 && !failed) {
    failed = "close";
    saved = errno;
  } else if (!failed && faulted(AtomicWriteStep::Close)) {
    failed = "close";
    saved = errno;
  }
  if (!failed && (faulted(AtomicWriteStep::Rename) || ::rename(tmp.c_str(), path.c_str()) != 0)) {
    failed = "rename";
    saved = errno;
  }
  if (failed) {
    logError("cannot save %s: %s failed (%s)", path.c_str(), failed, std::strerror(saved));
    ::unlink(tmp.c_str());
    return false;
  }
  if (!syncFolder(path)) {
    // The new file is in place but its name may not survive a power cut.
    logError("cannot save %s: folder sync failed (%s)", path.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

}  // namespace foundation

#include "platform/foundation/Paths.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "platform/foundation/Log.h"

namespace foundation {
namespace {

std::mutex g_mutex;
std::string g_bundle;
std::string g_documents;

std::string join(const std::string& dir, std::string_view name) {
  if (!name.empty() && name.front() == '/') return std::string(name);
  if (dir.empty()) return std::string(name);
  std::string out = dir;
  if (out.back() != '/') out += '/';
  out += name;
  return out;
}

std::string defaultDocuments() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg) return std::string(xdg) + "/verdan/Documents";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.local/share/verdan/Documents";
  return "/tmp/verdan/Documents";
}

}  // namespace

std::string executableDir() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return ".";
  return exe.parent_path().string();
}

bool makeDirectories(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return std::filesystem::is_directory(dir, ec);
}

bool makePrivateDirectories(const std::string& dir) {
  std::error_code ec;
  if (std::filesystem::is_directory(dir, ec)) return true;
  std::filesystem::path path = std::filesystem::path(dir).lexically_normal();
  std::filesystem::path part;
  for (const auto& piece : path) {
    part /= piece;
    if (piece.empty() || std::filesystem::is_directory(part, ec)) continue;
    // EEXIST: made meanwhile by another thread or process.
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return std::filesystem::is_directory(dir, ec);
}

std::string bundleDir() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_bundle.empty()) g_bundle = executableDir() + "/resources";
  return g_bundle;
}

void setBundleDir(std::string dir) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_bundle = std::move(dir);
}

std::string documentsDir() {
  std::string dir;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_documents.empty()) g_documents = defaultDocuments();
    dir = g_documents;
  }
  static std::once_flag warned;
  if (!makePrivateDirectories(dir)) {
    std::call_once(warned, [&] { logError("cannot create documents folder %s", dir.c_str()); });
  }
  return dir;
}

void setDocumentsDir(std::string dir) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_documents = std::move(dir);
}

std::string bundlePath(std::string_view name) { return join(bundleDir(), name); }
std::string documentsPath(std::string_view name) { return join(documentsDir(), name); }

}  // namespace foundation

#include "record/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "record/tour.h"

namespace {

std::string baseOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether this process may replace other users' files in a sticky folder
// (root, or a process given CAP_FOWNER).
bool mayReplaceOthersFiles() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, 7, "CapEff:") == 0) {
            const unsigned long long caps = std::strtoull(line.c_str() + 7, nullptr, 16);
            return (caps >> 3) & 1;  // CAP_FOWNER
        }
    return geteuid() == 0;
}

// Immutable and append-only files and folders refuse a rename, even root's.
bool lockedByAttributes(const std::string& path, int openFlags) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | openFlags);
    if (fd < 0) return false;
    int flags = 0;
    const bool locked = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL));
    ::close(fd);
    return locked;
}

}  // namespace

std::string directoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

TourRead readTourFile(const std::string& path, std::string& text, std::string& error,
                      const volatile sig_atomic_t* stop) {
    text.clear();
    int fd;
    // Opening a FIFO waits for its writer: a stop signal ends the wait.
    while ((fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC)) < 0) {
        if (errno != EINTR) {
            error = std::strerror(errno);
            return TourRead::Unreadable;
        }
        if (*stop) return TourRead::Interrupted;
    }
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        error = "a directory, not a tour";
        return TourRead::Bad;
    }
    char buffer[65536];
    TourRead result = TourRead::Ok;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                if (*stop) {
                    result = TourRead::Interrupted;
                    break;
                }
                continue;
            }
            error = std::strerror(errno);
            result = TourRead::Unreadable;
            break;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<size_t>(n));
        if (text.size() > kTourBytes) {
            error = "longer than " + std::to_string(kTourBytes) + " bytes, which no tour is (a tour is a short text of "
                    "timed actions, one a line)";
            result = TourRead::Bad;
            break;
        }
    }
    ::close(fd);
    if (result != TourRead::Ok) text.clear();
    return result;
}

std::string partPathFor(const std::string& output, long pid) {
    return directoryOf(output) + "/." + baseOf(output) + "." + std::to_string(pid) + ".part";
}

std::vector<std::string> removeStaleParts(const std::string& output) {
    std::vector<std::string> removed;
    const std::string dir = directoryOf(output);
    const std::string prefix = "." + baseOf(output) + ".", suffix = ".part";
    DIR* d = ::opendir(dir.c_str());
    if (!d) return removed;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        if (digits.size() > 9 || digits[0] == '0' ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const long pid = std::atol(digits.c_str());
        if (pid == static_cast<long>(::getpid())) continue;  // ours to overwrite
        // A process of that number that is alive, whoever's it is, may still
        // be writing it.
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        const std::string path = dir + "/" + name;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
        if (::unlink(path.c_str()) == 0) removed.push_back(path);
    }
    ::closedir(d);
    return removed;
}

std::string whyNotReplaceable(const std::string& path) {
    const std::string dir = directoryOf(path);
    struct stat dirStat, st;
    if (::stat(dir.c_str(), &dirStat) != 0) return "";  // making the temporary file will say why
    if (lockedByAttributes(dir, O_DIRECTORY))
        return "its folder is marked immutable or append-only, so no file in it can be renamed";
    if (::lstat(path.c_str(), &st) != 0) return "";  // nothing there yet
    if (S_ISDIR(st.st_mode)) return "it is a directory";
    if (st.st_dev != dirStat.st_dev) return "it is a mount point, which a file cannot be renamed over";
    if ((dirStat.st_mode & S_ISVTX) && st.st_uid != ::geteuid() && dirStat.st_uid != ::geteuid() &&
        !mayReplaceOthersFiles())
        return "the file there belongs to another user and its folder is sticky (only a file's owner may replace "
               "it there)";
    if (S_ISREG(st.st_mode) && lockedByAttributes(path, O_NOFOLLOW))
        return "the file there is marked immutable or append-only, so it cannot be replaced";
    return "";
}

std::string whyNotWritableDirectory(const std::string& dir) {
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0) return std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return "not a directory";
    std::string probe = dir + "/.mijotine-record.XXXXXX";
    const int fd = ::mkstemp(&probe[0]);
    if (fd < 0) return std::strerror(errno);
    ::close(fd);
    ::unlink(probe.c_str());
    return "";
}

// POSIX rename replaces the target in one step. A hard-linked target cannot
// be renamed over without cutting its other names off the new content, so it
// is written in place instead: the new content is already whole and synced
// beside it, the space for it is reserved first, and the file beside is
// removed only once the target is synced, so a crash in the middle leaves a
// whole copy next to it.
#include "platform/FileReplace.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform
{

namespace
{

// As many as the kernel follows in one lookup.
constexpr int kMaxLinks = 40;

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
    {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string SystemReason(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

// The process's umask, read without changing it where the system says it.
mode_t CurrentUmask()
{
    if (std::FILE* status = std::fopen("/proc/self/status", "r"))
    {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status) != nullptr)
        {
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        }
        std::fclose(status);
        if (found)
        {
            return static_cast<mode_t>(mask);
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

bool WriteAllAt(int fd, const char* data, std::size_t size, off_t offset)
{
    std::size_t done = 0;
    while (done < size)
    {
        const ssize_t n = ::pwrite(fd, data + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        if (n <= 0)
        {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The regular file from, open for reading, and its size; -1 with why not.
int OpenSource(const std::string& from, off_t& size, std::string& reason)
{
    const int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info;
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
    {
        size = info.st_size;
        return fd;
    }
    reason = fd < 0 ? SystemReason("cannot open " + from) : from + " is no regular file";
    if (fd >= 0)
    {
        ::close(fd);
    }
    return -1;
}

// Copies size bytes of in over the start of out, a piece at a time: a video
// may be far larger than memory should hold.
bool CopyInto(int in, int out, off_t size)
{
    std::vector<char> piece(1 << 20);
    off_t done = 0;
    while (done < size)
    {
        const ssize_t n = ::pread(in, piece.data(), piece.size(), done);
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        if (n <= 0 || !WriteAllAt(out, piece.data(), static_cast<std::size_t>(n), done))
        {
            if (n == 0)
            {
                errno = EIO;
            }
            return false;
        }
        done += n;
    }
    return true;
}

// Writes from's content over the target's own bytes, keeping its inode and so
// every name it has.
bool WriteInPlace(const std::string& from, const std::string& target, std::string& reason)
{
    off_t size = 0;
    const int in = OpenSource(from, size, reason);
    if (in < 0)
    {
        return false;
    }
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
    {
        reason = SystemReason("cannot open " + target);
        ::close(in);
        return false;
    }
#if defined(__linux__)
    // Space for a longer content is taken before a byte changes: a full disk
    // then leaves the old content whole. Not every file system can.
    if (size > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS)
    {
        reason = SystemReason("no room for " + target);
        ::close(fd);
        ::close(in);
        return false;
    }
#endif
    bool ok = CopyInto(in, fd, size) && ::ftruncate(fd, size) == 0 && ::fsync(fd) == 0;
    if (!ok)
    {
        reason = SystemReason("cannot write " + target + " in place (a whole copy stays in " +
                              from + ")");
    }
    ::close(in);
    if (::close(fd) != 0 && ok)
    {
        reason = SystemReason("cannot write " + target);
        ok = false;
    }
    if (ok)
    {
        std::remove(from.c_str());
    }
    return ok;
}

// Renames from into the target's folder when it lies on another file system:
// copied beside the target first, so the rename there stays one step.
bool MoveAcross(const std::string& from, const std::string& target, mode_t mode,
                std::string& reason)
{
    off_t size = 0;
    const int in = OpenSource(from, size, reason);
    if (in < 0)
    {
        return false;
    }
    std::string beside = target + ".XXXXXX";
    const int fd = ::mkstemp(beside.data());
    if (fd < 0)
    {
        reason = SystemReason("cannot make a file beside " + target);
        ::close(in);
        return false;
    }
    bool ok = ::fchmod(fd, mode) == 0 && CopyInto(in, fd, size) && ::fsync(fd) == 0;
    if (!ok)
    {
        reason = SystemReason("cannot write " + beside);
    }
    ::close(in);
    if (::close(fd) != 0 && ok)
    {
        reason = SystemReason("cannot write " + beside);
        ok = false;
    }
    if (ok && std::rename(beside.c_str(), target.c_str()) != 0)
    {
        reason = std::strerror(errno);
        ok = false;
    }
    if (!ok)
    {
        std::remove(beside.c_str());
        return false;
    }
    std::remove(from.c_str());
    return true;
}

} // namespace

std::string FileBehindLinks(const std::string& path, std::string& reason)
{
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop)
    {
        struct stat info;
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        {
            return current;
        }
        std::vector<char> target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) +
                                 1);
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size())
        {
            reason = length < 0 ? SystemReason("cannot read the link " + current)
                                : "the link " + current + " changed while read";
            return std::string();
        }
        const std::string next(target.data(), static_cast<std::size_t>(length));
        current = !next.empty() && next[0] == '/' ? next : FolderOf(current) + "/" + next;
    }
    reason = path + ": " + std::strerror(ELOOP);
    return std::string();
}

bool MoveFileOver(const std::string& from, const std::string& to, std::string& reason)
{
    const std::string target = FileBehindLinks(to, reason);
    if (target.empty())
    {
        return false;
    }
    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISREG(old.st_mode) && old.st_nlink > 1)
    {
        return WriteInPlace(from, target, reason);
    }
    const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::chmod(from.c_str(), mode) != 0)
    {
        reason = SystemReason("cannot set the mode of " + from);
        return false;
    }
    if (std::rename(from.c_str(), target.c_str()) == 0)
    {
        return true;
    }
    if (errno == EXDEV)
    {
        return MoveAcross(from, target, mode, reason);
    }
    reason = std::strerror(errno);
    return false;
}

} // namespace platform

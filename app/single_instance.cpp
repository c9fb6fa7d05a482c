#include "app/single_instance.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app {
namespace {

std::string reasonOf(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return "没有写入权限";
    case ELOOP:
        return "锁文件是一个符号链接";
    case ENOENT:
    case ENOTDIR:
        return "文件夹不存在";
    default:
        return std::strerror(error);
    }
}

} // namespace

SingleInstance::~SingleInstance()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

SingleInstance::Outcome SingleInstance::take(const std::string& hallFolder)
{
    if (descriptor_ >= 0)
        return Outcome::taken;
    failure_.clear();
    const std::string path = hallFolder + "/" + instanceLockName;
    // No following links, and no waiting on a planted FIFO: only our own regular file counts.
    int descriptor
        = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (descriptor < 0) {
        failure_ = reasonOf(errno);
        return Outcome::failed;
    }
    struct stat status { };
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        failure_ = "锁文件不是普通文件";
        return Outcome::failed;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(descriptor);
        if (error == EWOULDBLOCK)
            return Outcome::held;
        failure_ = reasonOf(error);
        return Outcome::failed;
    }
    descriptor_ = descriptor;
    return Outcome::taken;
}

} // namespace app

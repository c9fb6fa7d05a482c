#include "app/single_instance.h"

#include <cerrno>
#include <string>

namespace app {
namespace {

std::string reasonOf(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return "没有写入权限";
    case EROFS:
        return "文件系统是只读的";
    case ELOOP:
        return "锁文件是一个符号链接";
    case ENOENT:
    case ENOTDIR:
        return "文件夹不存在";
    default:
        // The system's own text follows the locale and its encoding; the number does not.
        return "系统错误 " + std::to_string(error);
    }
}

// The errors of a folder, or of a lock file in it, that this process may not write.
bool isRefusedWrite(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

} // namespace

SingleInstance::SingleInstance(platform::FileSystem& files)
    : files_(files)
{
}

SingleInstance::~SingleInstance()
{
    if (descriptor_ >= 0)
        files_.close(descriptor_);
}

SingleInstance::Outcome SingleInstance::take(const std::string& hallFolder)
{
    if (descriptor_ >= 0)
        return Outcome::taken;
    failure_.clear();
    // No following links, and no waiting on a planted FIFO: only our own regular file counts.
    const int descriptor = files_.openOrCreate(hallFolder + "/" + instanceLockName, 0600);
    if (descriptor < 0) {
        failure_ = reasonOf(-descriptor);
        return isRefusedWrite(-descriptor) ? Outcome::readOnly : Outcome::failed;
    }
    platform::FileStatus status;
    if (files_.status(descriptor, status) != 0 || !status.regular) {
        files_.close(descriptor);
        failure_ = "锁文件不是普通文件";
        return Outcome::failed;
    }
    if (const int locked = files_.lockWholeFile(descriptor); locked != 0) {
        files_.close(descriptor);
        if (locked == -EWOULDBLOCK)
            return Outcome::held;
        failure_ = reasonOf(-locked);
        return Outcome::failed;
    }
    descriptor_ = descriptor;
    return Outcome::taken;
}

} // namespace app

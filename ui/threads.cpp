#include "ui/threads.h"

#include <system_error>
#include <thread>
#include <vector>

namespace ui {

struct Threads::Section {
    std::unique_ptr<platform::Mutex> mutex;
};

Threads::~Threads()
{
    std::map<std::int32_t, std::unique_ptr<platform::Thread>> kept;
    {
        std::lock_guard lock(mutex_);
        kept.swap(threads_);
    }
    for (auto& [handle, thread] : kept)
        thread->requestStop();
    for (auto& [handle, thread] : kept)
        thread->join();
}

bool Threads::startThread(std::function<void(std::int32_t)> routine,
    std::optional<std::int32_t> parameter, std::int32_t* handle)
{
    std::unique_ptr<platform::Thread> thread;
    try {
        thread = clock_.startThread(
            [routine = std::move(routine), value = parameter.value_or(0)] { routine(value); });
    } catch (const std::system_error&) {
        return false;
    }
    if (!handle)
        return true; // the handle is dropped: the thread runs detached
    std::vector<std::unique_ptr<platform::Thread>> finished;
    {
        std::lock_guard lock(mutex_);
        releaseFinishedLocked(finished);
        *handle = nextHandle_++;
        threads_.emplace(*handle, std::move(thread));
    }
    for (auto& done : finished)
        done->join();
    return true;
}

void Threads::releaseFinishedLocked(std::vector<std::unique_ptr<platform::Thread>>& finished)
{
    mutex_.assertHeld();
    for (auto it = threads_.begin(); it != threads_.end();) {
        if (it->second->finished()) {
            finished.push_back(std::move(it->second));
            it = threads_.erase(it);
        } else {
            ++it;
        }
    }
}

std::size_t Threads::keptThreadCount()
{
    std::lock_guard lock(mutex_);
    return threads_.size();
}

bool Threads::endThread(std::int32_t handle)
{
    std::lock_guard lock(mutex_);
    auto it = threads_.find(handle);
    if (it == threads_.end())
        return false;
    it->second->requestStop();
    return true;
}

std::int32_t Threads::createSection()
{
    auto section = std::make_shared<Section>(Section { clock_.makeMutex() });
    std::lock_guard lock(mutex_);
    std::int32_t handle = nextHandle_++;
    sections_.emplace(handle, std::move(section));
    return handle;
}

bool Threads::deleteSection(std::int32_t handle)
{
    std::lock_guard lock(mutex_);
    return sections_.erase(handle) > 0;
}

void Threads::enterSection(std::int32_t handle)
{
    std::pair key { std::this_thread::get_id(), handle };
    std::shared_ptr<Section> section;
    {
        std::lock_guard lock(mutex_);
        auto it = sections_.find(handle);
        if (it == sections_.end())
            return;
        if (auto mine = held_.find(key); mine != held_.end()) {
            ++mine->second.depth;
            return;
        }
        section = it->second;
    }
    section->mutex->lock();
    std::lock_guard lock(mutex_);
    held_[key] = { std::move(section), 1 };
}

void Threads::leaveSection(std::int32_t handle)
{
    std::shared_ptr<Section> section;
    {
        std::lock_guard lock(mutex_);
        auto it = held_.find({ std::this_thread::get_id(), handle });
        if (it == held_.end() || --it->second.depth > 0)
            return;
        section = std::move(it->second.section);
        held_.erase(it);
    }
    section->mutex->unlock();
}

} // namespace ui

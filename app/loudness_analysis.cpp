#include "app/loudness_analysis.h"

#include "loudness/track_loudness.h"
#include "platform/thread_priority.h"

#include <algorithm>
#include <set>
#include <utility>
#include <variant>

namespace app {

LoudnessAnalysis::LoudnessAnalysis(
    platform::EventLoop& loop, platform::FileSystem& files, Reports reports)
    : loop_(loop)
    , files_(files)
    , reports_(std::move(reports))
    , wake_(loop.clock().makeCondVar())
{
}

LoudnessAnalysis::~LoudnessAnalysis()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        cancelCurrent_ = true;
    }
    wake_->notifyAll();
    if (worker_) {
        worker_->requestStop();
        worker_->join();
    }
}

void LoudnessAnalysis::openStore(const std::string& nativePath)
{
    if (storePath_.empty())
        storePath_ = nativePath;
}

loudness::LoudnessStore* LoudnessAnalysis::store()
{
    if (storePath_.empty())
        return nullptr;
    std::call_once(storeOpened_, [this] {
        std::string why;
        store_ = loudness::LoudnessStore::open(storePath_, why);
        if (!store_)
            storeFailed(why);
    });
    return storeBroken_ ? nullptr : store_.get();
}

void LoudnessAnalysis::storeFailed(const std::string& why)
{
    if (storeBroken_.exchange(true))
        return;
    if (reports_.storeFailed)
        loop_.post([alive = std::weak_ptr<int>(alive_), report = reports_.storeFailed, why] {
            if (!alive.expired())
                report(why);
        });
}

std::optional<loudness::Loudness> LoudnessAnalysis::figures(const std::string& nativePath)
{
    loudness::LoudnessStore* const store = this->store();
    if (!store)
        return std::nullopt;
    auto key = loudness::trackKey(nativePath, files_);
    if (!key)
        return std::nullopt;
    auto found = store->find(*key);
    if (!found.ok)
        storeFailed(store->lastError());
    return found.figures;
}

bool LoudnessAnalysis::measure(const std::vector<std::string>& nativePaths)
{
    Progress progress;
    {
        std::lock_guard lock(mutex_);
        ++job_;
        queue_.clear();
        std::set<std::string> seen;
        bool keepsCurrent = false;
        for (const std::string& path : nativePaths) {
            if (!seen.insert(path).second)
                continue;
            // A track already told to stop may have stopped: it is measured again in turn.
            if (path == current_ && !cancelCurrent_)
                keepsCurrent = true;
            else
                queue_.push_back(path);
        }
        progress_ = { 0, int(seen.size()) };
        // The track being measured finishes for this job when it is one of its tracks.
        if (keepsCurrent)
            currentJob_ = job_;
        else if (!current_.empty())
            cancelCurrent_ = true;
        if (!worker_ && !queue_.empty())
            worker_ = loop_.clock().startThread([this] { work(); });
        if (!worker_ && !queue_.empty())
            return false;
        progress = progress_;
    }
    wake_->notifyAll();
    postProgress(progress);
    return true;
}

void LoudnessAnalysis::cancel()
{
    // Nothing asked for is nothing to do: the job ends at 0 of 0.
    (void)measure({});
}

void LoudnessAnalysis::postProgress(Progress progress)
{
    if (reports_.progress)
        loop_.post([alive = std::weak_ptr<int>(alive_), report = reports_.progress, progress] {
            if (!alive.expired())
                report(progress);
        });
}

void LoudnessAnalysis::work()
{
    // Failing leaves the worker at normal priority, still behind the player's own threads
    // in nothing but the scheduler's fairness; measuring goes on.
    (void)platform::lowerThreadPriority();
    for (;;) {
        std::string path;
        {
            std::unique_lock lock(mutex_);
            wake_->wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            path = std::move(queue_.front());
            queue_.pop_front();
            current_ = path;
            currentJob_ = job_;
            cancelCurrent_ = false;
        }
        const bool settled = settle(path);
        Progress progress;
        {
            std::lock_guard lock(mutex_);
            current_.clear();
            if (!settled || currentJob_ != job_)
                continue;
            ++progress_.known;
            progress = progress_;
        }
        postProgress(progress);
    }
}

bool LoudnessAnalysis::settle(const std::string& path)
{
    loudness::LoudnessStore* const store = this->store();
    if (!store)
        return true;
    auto key = loudness::trackKey(path, files_);
    if (!key)
        return true; // gone: nothing to measure, and it will not play either
    auto found = store->find(*key);
    if (!found.ok) {
        storeFailed(store->lastError());
        return true;
    }
    if (found.figures)
        return true;
    auto measured = loudness::measureTrack(path, cancelCurrent_, files_);
    if (std::holds_alternative<loudness::Failure>(measured))
        return std::get<loudness::Failure>(measured) != loudness::Failure::cancelled;
    // A file rewritten while it was measured keeps no figures, which may be of its old
    // content; it is measured when its show is shown again.
    if (loudness::trackKey(path, files_) != key)
        return true;
    if (!store->save(*key, std::get<loudness::Loudness>(measured)))
        storeFailed(store->lastError());
    return true;
}

} // namespace app

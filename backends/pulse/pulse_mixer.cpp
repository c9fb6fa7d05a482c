#include "backends/pulse/pulse_mixer.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <memory>

namespace platform::pulse {
namespace {

constexpr double fullScale = 65536.0;

bool isEvent(pa_subscription_event_type_t type, pa_subscription_event_type_t facility,
    pa_subscription_event_type_t kind)
{
    return (type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == facility
        && (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == kind;
}

// Starts a libpulse operation that reports success and waits for its answer; the caller holds
// the connection's lock.
template <typename Start> bool succeeded(PulseConnection& connection, Start start)
{
    struct Result {
        PulseConnection* connection;
        bool ok = false;
    } result { &connection };
    pa_context_success_cb_t done = [](pa_context*, int success, void* data) {
        auto* r = static_cast<Result*>(data);
        r->ok = success != 0;
        r->connection->signal();
    };
    connection.waitFor(start(done, &result));
    return result.ok;
}

} // namespace

pa_volume_t PulseMixer::toServer(std::int64_t value)
{
    return pa_sw_volume_from_linear(
        double(std::clamp<std::int64_t>(value, 0, maxValue)) / fullScale);
}

std::int64_t PulseMixer::fromServer(pa_volume_t volume)
{
    return std::min<std::int64_t>(
        std::llround(pa_sw_volume_to_linear(volume) * fullScale), maxValue);
}

std::unique_ptr<PulseMixer> PulseMixer::open()
{
    std::unique_ptr<PulseMixer> mixer(new PulseMixer());
    PulseMixer* self = mixer.get();
    mixer->connection_ = PulseConnection::keepConnected("dancehall volume");
    if (!mixer->connection_
        || !mixer->connection_->keep([self](bool ready) { self->connectionChanged(ready); }))
        return nullptr;
    // A server that answers now has told its default sink before the caller looks.
    PulseConnection::Lock lock(*mixer->connection_);
    while (mixer->connection_->readyLocked() && mixer->lookingUp_)
        mixer->connection_->wait();
    return mixer;
}

PulseMixer::~PulseMixer()
{
    PulseConnection::Lock lock(*connection_);
    listener_ = nullptr;
    pa_context_set_subscribe_callback(connection_->context(), nullptr, nullptr);
}

bool PulseMixer::restoreStartVolume()
{
    PulseConnection::Lock lock(*connection_);
    if (!startVolume_ || !connection_->readyLocked())
        return false;
    return succeeded(*connection_, [this](pa_context_success_cb_t done, void* result) {
        return pa_context_set_sink_volume_by_name(connection_->context(),
            startVolume_->first.c_str(), &startVolume_->second, done, result);
    });
}

void PulseMixer::connectionChanged(bool ready)
{
    if (!ready) {
        bool wasBound = !sinkName_.empty();
        sinkName_.clear();
        sinkIndex_ = PA_INVALID_INDEX;
        if (wasBound)
            tellLocked(Control::volume);
        return;
    }
    pa_context* context = connection_->context();
    pa_context_set_subscribe_callback(
        context,
        [](pa_context* c, pa_subscription_event_type_t type, std::uint32_t index, void* self) {
            auto* m = static_cast<PulseMixer*>(self);
            if (isEvent(type, PA_SUBSCRIPTION_EVENT_SERVER, PA_SUBSCRIPTION_EVENT_CHANGE)
                || (isEvent(type, PA_SUBSCRIPTION_EVENT_SINK, PA_SUBSCRIPTION_EVENT_REMOVE)
                    && index == m->sinkIndex_)) {
                m->lookUpDefaultSinkLocked();
                return;
            }
            if (!isEvent(type, PA_SUBSCRIPTION_EVENT_SINK, PA_SUBSCRIPTION_EVENT_CHANGE)
                || index != m->sinkIndex_)
                return;
            auto changed = [](pa_context*, const pa_sink_info* info, int eol, void* self) {
                if (!eol && info)
                    static_cast<PulseMixer*>(self)->noticeChange(*info);
            };
            if (pa_operation* op = pa_context_get_sink_info_by_index(c, index, changed, self))
                pa_operation_unref(op);
        },
        this);
    auto mask = pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER);
    if (pa_operation* op = pa_context_subscribe(context, mask, nullptr, nullptr))
        pa_operation_unref(op);
    lookUpDefaultSinkLocked();
}

void PulseMixer::lookUpDefaultSinkLocked()
{
    connection_->assertLocked();
    auto serverInfo = [](pa_context* c, const pa_server_info* info, void* self) {
        auto* m = static_cast<PulseMixer*>(self);
        auto sinkInfo = [](pa_context*, const pa_sink_info* info, int eol, void* self) {
            auto* m = static_cast<PulseMixer*>(self);
            if (!eol && info)
                m->bindLocked(*info);
            if (eol)
                m->finishLookUpLocked();
        };
        pa_operation* op = info && info->default_sink_name
            ? pa_context_get_sink_info_by_name(c, info->default_sink_name, sinkInfo, self)
            : nullptr;
        if (op)
            pa_operation_unref(op);
        else
            m->finishLookUpLocked();
    };
    lookingUp_ = true;
    if (pa_operation* op = pa_context_get_server_info(connection_->context(), serverInfo, this))
        pa_operation_unref(op);
    else
        finishLookUpLocked();
}

void PulseMixer::finishLookUpLocked()
{
    connection_->assertLocked();
    lookingUp_ = false;
    connection_->signal();
}

void PulseMixer::bindLocked(const pa_sink_info& info)
{
    connection_->assertLocked();
    if (info.index == sinkIndex_ && sinkName_ == info.name)
        return;
    bool rebound = !sinkName_.empty() || startVolume_;
    sinkName_ = info.name;
    sinkIndex_ = info.index;
    channels_ = info.volume.channels;
    last_ = { true, info.volume, info.mute != 0 };
    if (!startVolume_)
        startVolume_.emplace(sinkName_, info.volume);
    if (rebound)
        tellLocked(Control::volume);
}

void PulseMixer::tellLocked(Control control)
{
    connection_->assertLocked();
    if (listener_)
        listener_(control);
}

bool PulseMixer::hasVolume() const
{
    PulseConnection::Lock lock(*connection_);
    return !sinkName_.empty();
}

int PulseMixer::channelCount() const
{
    PulseConnection::Lock lock(*connection_);
    return sinkName_.empty() ? 0 : channels_;
}

PulseMixer::SinkState PulseMixer::readSinkLocked()
{
    connection_->assertLocked();
    struct Query {
        PulseMixer* mixer;
        SinkState state;
    } query { this, {} };
    auto got = [](pa_context*, const pa_sink_info* info, int eol, void* data) {
        auto* q = static_cast<Query*>(data);
        if (!eol && info)
            q->state = { true, info->volume, info->mute != 0 };
        q->mixer->connection_->signal();
    };
    if (sinkIndex_ != PA_INVALID_INDEX && connection_->readyLocked())
        connection_->waitFor(
            pa_context_get_sink_info_by_index(connection_->context(), sinkIndex_, got, &query));
    return query.state;
}

void PulseMixer::noticeChange(const pa_sink_info& info)
{
    bool volumeChanged = !pa_cvolume_equal(&info.volume, &last_.volume);
    bool muteChanged = (info.mute != 0) != last_.muted;
    last_ = { true, info.volume, info.mute != 0 };
    channels_ = info.volume.channels;
    if (volumeChanged)
        tellLocked(Control::volume);
    if (muteChanged)
        tellLocked(Control::mute);
}

std::optional<std::vector<std::int64_t>> PulseMixer::volumes()
{
    PulseConnection::Lock lock(*connection_);
    SinkState state = readSinkLocked();
    if (!state.known)
        return std::nullopt;
    std::vector<std::int64_t> values;
    for (int i = 0; i < state.volume.channels; ++i)
        values.push_back(fromServer(state.volume.values[i]));
    return values;
}

bool PulseMixer::setVolumes(const std::vector<std::int64_t>& values)
{
    PulseConnection::Lock lock(*connection_);
    if (sinkName_.empty() || values.empty() || int(values.size()) != channels_
        || !connection_->readyLocked())
        return false;
    pa_cvolume volume;
    volume.channels = std::uint8_t(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        volume.values[i] = toServer(values[i]);
    return succeeded(*connection_, [this, &volume](pa_context_success_cb_t done, void* result) {
        return pa_context_set_sink_volume_by_index(
            connection_->context(), sinkIndex_, &volume, done, result);
    });
}

void PulseMixer::setChangeListener(std::function<void(Control)> listener)
{
    PulseConnection::Lock lock(*connection_);
    listener_ = std::move(listener);
}

media::MixerFactory pulseMixerFactory()
{
    // The first mixer connects while the program builds its window; the factory is asked for
    // one on the interface thread only.
    auto first = std::make_shared<std::future<std::unique_ptr<PulseMixer>>>(
        std::async(std::launch::async, PulseMixer::open));
    return [first]() -> std::unique_ptr<media::Mixer> {
        if (first->valid())
            return first->get();
        return PulseMixer::open();
    };
}

} // namespace platform::pulse

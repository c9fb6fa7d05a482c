#include "platform/pulse/pulse_mixer.h"

#include <algorithm>

namespace platform::pulse {

std::unique_ptr<PulseMixer> PulseMixer::open()
{
    auto connection = PulseConnection::connect("dancehall volume");
    if (!connection)
        return nullptr;
    std::unique_ptr<PulseMixer> mixer(new PulseMixer(std::move(connection)));
    PulseConnection::Lock lock(*mixer->connection_);
    auto serverInfo = [](pa_context*, const pa_server_info* info, void* self) {
        auto* m = static_cast<PulseMixer*>(self);
        if (info && info->default_sink_name)
            m->sinkName_ = info->default_sink_name;
        m->connection_->signal();
    };
    pa_context* context = mixer->connection_->context();
    mixer->connection_->waitFor(pa_context_get_server_info(context, serverInfo, mixer.get()));
    if (mixer->sinkName_.empty())
        return nullptr;
    mixer->last_ = mixer->readSinkLocked();
    if (!mixer->last_.known)
        return nullptr;
    mixer->channels_ = mixer->last_.volume.channels;

    pa_context_set_subscribe_callback(
        context,
        [](pa_context* c, pa_subscription_event_type_t type, std::uint32_t index, void* self) {
            auto* m = static_cast<PulseMixer*>(self);
            bool sinkChanged
                = (type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SINK
                && (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_CHANGE;
            if (!sinkChanged || index != m->sinkIndex_)
                return;
            auto changed = [](pa_context*, const pa_sink_info* info, int eol, void* self) {
                if (!eol && info)
                    static_cast<PulseMixer*>(self)->noticeChange(*info);
            };
            if (pa_operation* op = pa_context_get_sink_info_by_index(c, index, changed, self))
                pa_operation_unref(op);
        },
        mixer.get());
    mixer->connection_->waitFor(pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SINK,
        PulseConnection::signalContextSuccess, mixer->connection_.get()));
    return mixer;
}

PulseMixer::PulseMixer(std::unique_ptr<PulseConnection> connection)
    : connection_(std::move(connection))
{
}

PulseMixer::~PulseMixer()
{
    PulseConnection::Lock lock(*connection_);
    pa_context_set_subscribe_callback(connection_->context(), nullptr, nullptr);
    listener_ = nullptr;
}

PulseMixer::SinkState PulseMixer::readSinkLocked()
{
    struct Query {
        PulseMixer* mixer;
        SinkState state;
    } query { this, {} };
    auto got = [](pa_context*, const pa_sink_info* info, int eol, void* data) {
        auto* q = static_cast<Query*>(data);
        if (!eol && info) {
            q->state = { true, info->volume, info->mute != 0 };
            q->mixer->sinkIndex_ = info->index;
        }
        q->mixer->connection_->signal();
    };
    connection_->waitFor(
        pa_context_get_sink_info_by_name(connection_->context(), sinkName_.c_str(), got, &query));
    return query.state;
}

void PulseMixer::noticeChange(const pa_sink_info& info)
{
    bool volumeChanged = !pa_cvolume_equal(&info.volume, &last_.volume);
    bool muteChanged = (info.mute != 0) != last_.muted;
    last_ = { true, info.volume, info.mute != 0 };
    if (!listener_)
        return;
    if (volumeChanged)
        listener_(Control::volume);
    if (muteChanged)
        listener_(Control::mute);
}

std::optional<std::vector<std::int64_t>> PulseMixer::volumes()
{
    PulseConnection::Lock lock(*connection_);
    SinkState state = readSinkLocked();
    if (!state.known)
        return std::nullopt;
    std::vector<std::int64_t> values;
    for (int i = 0; i < state.volume.channels; ++i)
        values.push_back(std::min<std::int64_t>(state.volume.values[i], maxValue));
    return values;
}

bool PulseMixer::setVolumes(const std::vector<std::int64_t>& values)
{
    PulseConnection::Lock lock(*connection_);
    if (values.empty() || int(values.size()) != channels_)
        return false;
    pa_cvolume volume;
    volume.channels = std::uint8_t(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        volume.values[i] = pa_volume_t(std::clamp<std::int64_t>(values[i], 0, maxValue));
    struct Result {
        PulseConnection* connection;
        bool ok = false;
    } result { connection_.get() };
    auto done = [](pa_context*, int success, void* data) {
        auto* r = static_cast<Result*>(data);
        r->ok = success != 0;
        r->connection->signal();
    };
    connection_->waitFor(pa_context_set_sink_volume_by_index(
        connection_->context(), sinkIndex_, &volume, done, &result));
    return result.ok;
}

void PulseMixer::setChangeListener(std::function<void(Control)> listener)
{
    PulseConnection::Lock lock(*connection_);
    listener_ = std::move(listener);
}

media::MixerFactory pulseMixerFactory()
{
    return []() -> std::unique_ptr<media::Mixer> { return PulseMixer::open(); };
}

} // namespace platform::pulse

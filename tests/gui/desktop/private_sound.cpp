#include "private_sound.h"

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace gui::desktop {

namespace {

std::optional<QString> pactl(const QStringList& arguments)
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        return std::nullopt;
    QProcess process;
    process.start("pactl", arguments);
    if (!process.waitForFinished(10'000) || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

std::optional<int> playingStreams()
{
    const auto listed = pactl({ "list", "short", "sink-inputs" });
    if (!listed)
        return std::nullopt;
    return int(listed->split('\n', Qt::SkipEmptyParts).size());
}

std::optional<int> sinkVolume()
{
    // "Volume: front-left: 41248 /  63% / -12.04 dB,   front-right: …"
    const auto shown = pactl({ "get-sink-volume", "@DEFAULT_SINK@" });
    if (!shown)
        return std::nullopt;
    const auto match = QRegularExpression(":\\s*(\\d+)\\s*/").match(*shown);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt();
}

} // namespace gui::desktop

#include "app/playing_slot.h"

#include <cstdlib>

namespace app {

std::int32_t QueueView::positionOf(const PlayingSlot& slot) const
{
    std::int32_t best = 0;
    std::int32_t bestDistance = 0;
    for (std::int32_t position = 1; position <= length(); ++position) {
        if (pathAt(position) != slot.path)
            continue;
        const std::int32_t distance = std::abs(recordAt(position) - slot.record);
        if (best == 0 || distance < bestDistance) {
            best = position;
            bestDistance = distance;
        }
    }
    return best;
}

std::int32_t QueueView::positionAfter(const PlayingSlot& slot) const
{
    if (const std::int32_t current = positionOf(slot))
        return current < length() ? current + 1 : 0;
    for (std::int32_t position = 1; position <= length(); ++position)
        if (recordAt(position) >= slot.record)
            return position;
    return 0;
}

std::int32_t QueueView::positionBefore(const PlayingSlot& slot) const
{
    if (const std::int32_t current = positionOf(slot))
        return current - 1;
    for (std::int32_t position = length(); position >= 1; --position)
        if (recordAt(position) < slot.record)
            return position;
    return 0;
}

std::int32_t QueueView::recordAt(std::int32_t position) const
{
    return records_.at(static_cast<std::size_t>(position - 1));
}

const Text& QueueView::pathAt(std::int32_t position) const
{
    return paths_.at(static_cast<std::size_t>(position - 1));
}

} // namespace app

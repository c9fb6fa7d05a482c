#include "backends/qt/picture_cache.h"

#include "backends/qt/pictures.h"

#include <algorithm>

namespace platform::qt {

QImage PictureCache::decode(const ui::Bytes& data)
{
    if (data.empty() || data.size() > largestKept)
        return decodePicture(data);
    auto found = std::find_if(
        entries_.begin(), entries_.end(), [&](const Entry& e) { return e.data == data; });
    if (found != entries_.end()) {
        Entry hit = std::move(*found);
        entries_.erase(found);
        entries_.push_front(std::move(hit));
        return entries_.front().image;
    }
    QImage image = decodePicture(data);
    entries_.push_front({ data, image });
    if (entries_.size() > entriesKept)
        entries_.pop_back();
    return image;
}

} // namespace platform::qt

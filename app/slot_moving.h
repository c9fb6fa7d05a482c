#pragma once
// Moving a slot of the current show to another place: 上移 / 下移 and Ctrl+↑ / Ctrl+↓ in the
// style editor, dragging in the slot tree. The track that is playing goes on playing, and the
// next and previous tracks follow the new order.

#include <cstdint>

namespace app {

class Application;

// Moves record `from` (1-based) so that it becomes record `to`, the others keeping their
// order, through the scratch table; then rebuilds the slot tree and the play queue. False,
// with the show unchanged, when either is not a record or a write failed.
[[nodiscard]] bool moveSlot(Application& app, std::int32_t from, std::int32_t to);

} // namespace app

#pragma once
// Naming saved shows: the question before a show file is replaced, and renaming and
// duplicating a saved show through the show-name dialog (SaveShowDialog), which otherwise
// saves the current show under a new name.

#include "runtime/text.h"

#include <string_view>

namespace app {

class Application;

// True when nothing would be lost by writing the show's file: there is none yet, it is the
// current show's own file, or the operator agreed to "已有同名场次，是否覆盖？".
[[nodiscard]] bool mayWriteShowFile(Application& app, std::string_view showName);

// The show-name dialog was created: its prompt and first text for what it is open for.
void prepareShowNameDialog(Application& app);

// "立刻保存" while renaming or duplicating: does it with the typed name, closing the dialog
// when done and leaving it open after a failure or a refusal to overwrite.
void nameSavedShow(Application& app, const runtime::Text& name);

} // namespace app

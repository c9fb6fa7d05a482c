#pragma once
// The player module's six entry points, found by their exact names as the runtime looks
// them up. Every entry point does nothing (or answers 0) for a null player.

#include "media/player.h"

#include <string_view>
#include <type_traits>

namespace media {

// `fileList`: zero-terminated names, ended by an empty name.
Player* CreatePlayer(const PlayerServices& services, const char* fileList, int repeatCount);
void NewPlay(
    Player* player, std::shared_ptr<NotifyTarget> notify, const char* option, int startPercent);
void Play(Player* player);
void SetPauseState(Player* player, int flag);
// -1 paused, 1 playing, 0 otherwise.
int GetPlayState(Player* player);
void RemovePlayer(Player* player);

// The entry point called `name` when it has type Fn; nullptr for any other name.
template <typename Fn> Fn* findPlayerEntryPoint(std::string_view name)
{
    if constexpr (std::is_same_v<Fn, decltype(CreatePlayer)>)
        return name == "CreatePlayer" ? &CreatePlayer : nullptr;
    else if constexpr (std::is_same_v<Fn, decltype(NewPlay)>)
        return name == "NewPlay" ? &NewPlay : nullptr;
    else if constexpr (std::is_same_v<Fn, decltype(SetPauseState)>)
        return name == "SetPauseState" ? &SetPauseState : nullptr;
    else if constexpr (std::is_same_v<Fn, decltype(GetPlayState)>)
        return name == "GetPlayState" ? &GetPlayState : nullptr;
    else if constexpr (std::is_same_v<Fn, decltype(Play)>)
        return name == "Play" ? &Play : name == "RemovePlayer" ? &RemovePlayer : nullptr;
    else
        return nullptr;
}

} // namespace media

#include "media/player_library.h"

#include <cstring>
#include <new>

namespace media {

Player* CreatePlayer(const PlayerServices& services, const char* fileList, int repeatCount)
{
    std::vector<std::string> files;
    for (const char* name = fileList; name && *name; name += std::strlen(name) + 1)
        files.emplace_back(name);
    return new (std::nothrow) Player(services, std::move(files), repeatCount);
}

void NewPlay(
    Player* player, std::shared_ptr<NotifyTarget> notify, const char* option, int startPercent)
{
    if (player)
        player->newPlay(std::move(notify),
            option ? std::optional<std::string>(option) : std::nullopt, startPercent);
}

void Play(Player* player)
{
    NewPlay(player, nullptr, nullptr, 0);
}

void SetPauseState(Player* player, int flag)
{
    if (player)
        player->setPauseState(flag != 0);
}

int GetPlayState(Player* player)
{
    if (!player)
        return 0;
    switch (player->state()) {
    case Player::paused:
        return -1;
    case Player::playing:
        return 1;
    default:
        return 0;
    }
}

void RemovePlayer(Player* player)
{
    delete player;
}

} // namespace media

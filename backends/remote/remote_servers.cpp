#include "backends/remote/remote_servers.h"

#include "backends/remote/remote_entry.h"

namespace remote {
namespace {

// The module's server, or why there is none.
class ModuleServer final : public ui::RemoteServer {
public:
    ModuleServer(std::shared_ptr<platform::SharedModule> module, ui::RemoteHost& host)
        : module_(std::move(module))
    {
        auto entry = module_->entryAs<DancehallRemoteServerEntry>();
        if (auto* problem = std::get_if<std::string>(&entry))
            problem_ = std::move(*problem);
        else
            server_.reset(std::get<DancehallRemoteServerEntry*>(entry)(&host));
    }

    std::optional<std::string> start(const ui::RemoteServerSettings& settings) override
    {
        if (!server_)
            return problem_;
        return server_->start(settings);
    }

private:
    // Declared before the server, so the server's code is still loaded when it is destroyed.
    std::shared_ptr<platform::SharedModule> module_;
    std::unique_ptr<ui::RemoteServer> server_;
    std::string problem_;
};

} // namespace

ui::RemoteServerFactory remoteServers(std::shared_ptr<platform::SharedModule> module)
{
    return [module](ui::RemoteHost& host) { return std::make_unique<ModuleServer>(module, host); };
}

ui::RemoteServerFactory remoteServers()
{
    return remoteServers(std::make_shared<platform::SharedModule>(
        platform::programModulePath(moduleFile), serverEntryName));
}

} // namespace remote

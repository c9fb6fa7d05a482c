#include "backends/ola/ola_light_outputs.h"

#include "lights/dmx_sender.h"

#include <atomic>
#include <iostream>

namespace platform::ola {
namespace {

struct OlaModule {
    std::shared_ptr<SharedModule> module;
    std::atomic<bool> told { false }; // why it could not be loaded went to stderr
};

// A link that is the module's own link once the module is loaded. Sender thread only.
class ModuleLink final : public lights::DmxLink {
public:
    ModuleLink(std::shared_ptr<OlaModule> module, std::uint16_t port)
        : module_(std::move(module))
        , port_(port)
    {
    }

    bool connect() override
    {
        if (!link_) {
            auto entry = module_->module->entryAs<DancehallOlaLinkEntry>();
            if (const auto* problem = std::get_if<std::string>(&entry)) {
                if (!module_->told.exchange(true))
                    std::cerr << "dancehall: no light output to olad: " << *problem << "\n";
                return false;
            }
            link_.reset(std::get<DancehallOlaLinkEntry*>(entry)(port_));
        }
        return link_->connect();
    }

    bool send(int universe, const lights::DmxFrame& frame) override
    {
        return link_ && link_->send(universe, frame);
    }

    void disconnect() override
    {
        if (link_)
            link_->disconnect();
    }

private:
    // Declared before the link, so the link's code is still loaded when it is destroyed.
    std::shared_ptr<OlaModule> module_;
    std::uint16_t port_;
    std::unique_ptr<lights::DmxLink> link_;
};

} // namespace

lights::LightOutputFactory olaLightOutputs(std::shared_ptr<SharedModule> module, std::uint16_t port)
{
    auto shared = std::make_shared<OlaModule>();
    shared->module = std::move(module);
    return [shared, port](platform::Clock& clock, const lights::LightSettings& settings) {
        return std::make_unique<lights::DmxSender>(
            clock, settings, std::make_unique<ModuleLink>(shared, port));
    };
}

lights::LightOutputFactory olaLightOutputs()
{
    return olaLightOutputs(
        std::make_shared<SharedModule>(programModulePath(moduleFile), linkEntryName));
}

} // namespace platform::ola

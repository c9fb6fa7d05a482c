// The remote settings file and what applying it starts: the PIN made once and kept, values a
// hand edit spoiled, and a server that cannot listen named to the operator.

#include "app/application.h"
#include "app/remote_settings.h"
#include "backends/headless/recording_views.h"
#include "backends/remote/remote_entry.h"
#include "backends/remote/remote_servers.h"
#include "private_session.h"
#include "ui/input.h"
#include "ui/templates/segment.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include "backends/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <fstream>

namespace app::test {
namespace {

// Records the settings each server was started with; refuses to listen when told to.
struct FakeServers {
    std::vector<ui::RemoteServerSettings> started;
    std::optional<std::string> problem;
    int running = 0;

    struct Server final : ui::RemoteServer {
        explicit Server(FakeServers& owner)
            : owner(owner)
        {
        }
        ~Server() override { owner.running -= listening ? 1 : 0; }
        std::optional<std::string> start(const ui::RemoteServerSettings& settings) override
        {
            owner.started.push_back(settings);
            listening = !owner.problem;
            owner.running += listening ? 1 : 0;
            return owner.problem;
        }
        FakeServers& owner;
        bool listening = false;
    };

    ui::RemoteServerFactory factory()
    {
        return [this](ui::RemoteHost&) { return std::make_unique<Server>(*this); };
    }
};

class RemoteSettingsFile : public ::testing::Test {
protected:
    RemoteSettingsFile() { application.programDirectory = hall.path.string(); }

    void write(const std::string& content)
    {
        std::ofstream(hall.path / "remote.ini", std::ios::binary) << content;
    }

    ScratchProgramDirectory hall { "remote_settings" };
    platform::headless::HeadlessPlatform headless;
    platform::Platform platform = headless.platform();
    runtime::Runtime runtime { platform };
    ui::headless::RecordingViews views;
    FakeServers servers;
    Application application { runtime, views, [] { return std::unique_ptr<media::Mixer>(); }, {},
        {}, servers.factory() };
};

TEST_F(RemoteSettingsFile, AFirstReadMakesASixDigitPinAndKeepsItFromThenOn)
{
    const RemoteSettings first = loadRemoteSettings(application);
    EXPECT_TRUE(isPin(first.server.pin)) << first.server.pin;
    EXPECT_FALSE(first.enabled);
    EXPECT_FALSE(first.server.allowLan);
    EXPECT_EQ(first.server.port, 8080);
    EXPECT_EQ(loadRemoteSettings(application).server.pin, first.server.pin);
}

TEST_F(RemoteSettingsFile, SavedSettingsReadBackAndSpoiledOnesFallBack)
{
    RemoteSettings settings;
    settings.enabled = true;
    settings.server = { 9000, true, "012345", true };
    ASSERT_TRUE(saveRemoteSettings(application, settings));
    const RemoteSettings read = loadRemoteSettings(application);
    EXPECT_TRUE(read.enabled);
    EXPECT_EQ(read.server.port, 9000);
    EXPECT_TRUE(read.server.allowLan);
    EXPECT_EQ(read.server.pin, "012345");
    EXPECT_TRUE(read.server.marqueeNeedsPin);

    for (const char* port : { "0", "65536", "80x", "-1", "" }) {
        write(std::string("[remote]\nenabled=1\nport=") + port + "\npin=12345\n");
        const RemoteSettings spoiled = loadRemoteSettings(application);
        EXPECT_EQ(spoiled.server.port, 8080) << port;
        // A PIN of five digits is no PIN: a new one replaces it.
        EXPECT_TRUE(isPin(spoiled.server.pin));
        EXPECT_NE(spoiled.server.pin, "12345");
    }
    for (const char* notPin : { "", "12345", "1234567", "12345a", " 12345" })
        EXPECT_FALSE(isPin(notPin)) << notPin;
}

TEST_F(RemoteSettingsFile, ApplyingStartsTheServerOnlyWhenEnabledAndNamesAFailure)
{
    applyRemoteSettings(application);
    EXPECT_TRUE(servers.started.empty());

    write("[remote]\nenabled=1\nport=8123\npin=246810\n");
    applyRemoteSettings(application);
    ASSERT_EQ(servers.started.size(), 1u);
    EXPECT_EQ(servers.started[0].port, 8123);
    EXPECT_EQ(servers.started[0].pin, "246810");
    EXPECT_FALSE(servers.started[0].allowLan);
    EXPECT_EQ(servers.running, 1);

    // Applied again, the running server goes before the new one listens on the same port.
    applyRemoteSettings(application);
    EXPECT_EQ(servers.running, 1);

    servers.problem = "端口 8123 无法监听";
    applyRemoteSettings(application);
    EXPECT_EQ(servers.running, 0);
    EXPECT_EQ(application.remoteServer, nullptr);
    ASSERT_EQ(headless.dialogs().messageBoxes().size(), 1u);
    EXPECT_NE(
        headless.dialogs().messageBoxes()[0].text.find("遥控服务未能启动"), std::string::npos);

    write("[remote]\nenabled=0\npin=246810\n");
    servers.problem.reset();
    applyRemoteSettings(application);
    EXPECT_EQ(servers.started.size(), 3u);
    EXPECT_EQ(servers.running, 0);
}

TEST_F(RemoteSettingsFile, ARemoteModuleThatCannotBeLoadedIsNamedLikeAPortInUse)
{
    const std::string missing = "/nonexistent/lib/dancehall/dancehall-remote.so";
    application.remoteServers = remote::remoteServers(
        std::make_shared<platform::SharedModule>(missing, remote::serverEntryName));
    write("[remote]\nenabled=1\nport=8123\npin=246810\n");
    applyRemoteSettings(application);
    EXPECT_EQ(application.remoteServer, nullptr);
    ASSERT_EQ(headless.dialogs().messageBoxes().size(), 1u);
    const std::string text = headless.dialogs().messageBoxes()[0].text;
    EXPECT_NE(text.find("遥控服务未能启动"), std::string::npos);
    EXPECT_NE(text.find(missing), std::string::npos) << "the loader's reason is shown";
}

namespace Window = ids::RemoteSettingsWindow;

class RemoteSettingsWindow : public RemoteSettingsFile {
protected:
    RemoteSettingsWindow()
    {
        application.windows.readTemplates(templates::segment());
        write("[remote]\nenabled=0\nport=8080\npin=246810\n");
    }
    void open() { application.windows.loadWindow(Window::window, false); }
    Text box(ui::ComponentId c)
    {
        return std::get<Text>(
            application.windows.property(Window::window, c, ui::prop::editBox::content));
    }
    void setBox(ui::ComponentId c, const Text& text)
    {
        application.windows.setProperty(Window::window, c, ui::prop::editBox::content, text);
    }
    void choose(ui::ComponentId c, std::int32_t entry)
    {
        application.windows.setProperty(Window::window, c, ui::prop::comboBox::selection, entry);
    }
    std::string file()
    {
        std::ifstream in(hall.path / "remote.ini", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<std::string> messages()
    {
        std::vector<std::string> texts;
        for (const auto& box : headless.dialogs().messageBoxes())
            texts.push_back(box.text);
        return texts;
    }
    ui::Input input { application.windows };
};

TEST_F(RemoteSettingsWindow, ConfirmingSavesTheSettingsClosesAndStartsTheServer)
{
    open();
    EXPECT_EQ(box(Window::编辑框端口), "8080");
    EXPECT_EQ(box(Window::编辑框PIN), "246810");
    choose(Window::组合框服务, 1);
    choose(Window::组合框网络, 1);
    choose(Window::组合框字幕屏, 1);
    setBox(Window::编辑框端口, " 9090 ");
    input.click(Window::window, Window::按钮新PIN);
    const Text pin = box(Window::编辑框PIN);
    EXPECT_TRUE(isPin(pin));
    input.click(Window::window, Window::按钮确定);

    EXPECT_TRUE(messages().empty());
    EXPECT_FALSE(application.windows.isLoaded(Window::window));
    const RemoteSettings saved = loadRemoteSettings(application);
    EXPECT_TRUE(saved.enabled);
    EXPECT_EQ(saved.server.port, 9090);
    EXPECT_TRUE(saved.server.allowLan);
    EXPECT_TRUE(saved.server.marqueeNeedsPin);
    EXPECT_EQ(saved.server.pin, pin);
    ASSERT_EQ(servers.started.size(), 1u);
    EXPECT_EQ(servers.started[0].port, 9090);
    EXPECT_EQ(servers.running, 1);
}

TEST_F(RemoteSettingsWindow, ABadPortOrPinIsNamedAndNothingIsWritten)
{
    const std::string before = file();
    open();
    choose(Window::组合框服务, 1);
    for (const char* port : { "", "0", "65536", "80 80", "http" }) {
        setBox(Window::编辑框端口, port);
        input.click(Window::window, Window::按钮确定);
    }
    setBox(Window::编辑框端口, "8080");
    for (const char* pin : { "", "12345", "1234567", "12345x" }) {
        setBox(Window::编辑框PIN, pin);
        input.click(Window::window, Window::按钮确定);
    }
    const std::vector<std::string> shown = messages();
    ASSERT_EQ(shown.size(), 9u);
    EXPECT_EQ(shown[0], "端口必须是 1 到 65535 之间的整数！");
    EXPECT_EQ(shown[8], "PIN 必须是 6 位数字！");
    EXPECT_EQ(file(), before);
    EXPECT_TRUE(application.windows.isLoaded(Window::window));
    EXPECT_TRUE(servers.started.empty());
}

TEST_F(RemoteSettingsWindow, OpensFromTheStyleSettingsWindow)
{
    application.windows.loadWindow(ids::StyleSettingsWindow::window, false);
    bool opened = false;
    headless.loop().post([this] {
        input.click(ids::StyleSettingsWindow::window, ids::StyleSettingsWindow::按钮遥控设置);
    });
    auto id = std::make_shared<platform::TimerId>();
    *id = headless.loop().startTimer(10, [&, id] {
        headless.loop().stopTimer(*id);
        opened = application.windows.isLoaded(Window::window);
        input.requestClose(Window::window);
    });
    headless.advance(100);
    EXPECT_TRUE(opened);
    EXPECT_FALSE(application.windows.isLoaded(Window::window));
}

} // namespace
} // namespace app::test

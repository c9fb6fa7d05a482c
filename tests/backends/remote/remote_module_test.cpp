// The remote servers the program makes: the server's code comes from the remote module, which
// this binary does not link, and a module that cannot be had becomes a start that says why.

#include "http_exchange.h"

#include "backends/remote/remote_entry.h"
#include "backends/remote/remote_servers.h"

#include <QCoreApplication>
#include <QTcpServer>

#include <gtest/gtest.h>

namespace remote::test {
namespace {

class SilentHost final : public ui::RemoteHost {
public:
    std::string stateJson() override { return "{}"; }
    std::int64_t now() override { return 0; }
    ui::RemoteAnswer run(const ui::RemoteCommand&) override { return ui::RemoteAnswer::unknown; }
};

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

ui::RemoteServerFactory serversFrom(const std::string& path)
{
    return remoteServers(std::make_shared<platform::SharedModule>(path, serverEntryName));
}

class RemoteModule : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "remote_module_test";
        static char* argv[] = { name, nullptr };
        static QCoreApplication application(argc, argv);
    }

    SilentHost host;
};

TEST_F(RemoteModule, TheModulesServerServesThePagesAndReportsAPortInUse)
{
    const auto servers = serversFrom(REMOTE_MODULE_PATH);
    const quint16 port = freePort();
    ASSERT_NE(port, 0);
    const auto server = servers(host);
    ASSERT_EQ(server->start({ port, false, "246810", false }), std::nullopt);
    for (const char* page : { "/", "/marquee" }) {
        const HttpAnswer answer = exchange(port, request("GET", page));
        EXPECT_EQ(answer.status, 200) << page;
        EXPECT_TRUE(answer.headers.contains("text/html")) << page;
    }
    // A second server of the same factory on the same port: the module's own answer comes back.
    const auto second = servers(host);
    const auto problem = second->start({ port, false, "246810", false });
    EXPECT_TRUE(problem && !problem->empty());
}

TEST_F(RemoteModule, AModuleThatCannotBeHadStartsNothingAndSaysWhy)
{
    const std::string missing = "/nonexistent/lib/dancehall/dancehall-remote.so";
    struct Case {
        std::string path;
        std::string reasonContains;
    };
    // The light output's module is a module without the server's entry function.
    for (const Case& c :
        std::vector<Case> { { missing, missing }, { OLA_MODULE_PATH, serverEntryName } }) {
        const auto servers = serversFrom(c.path);
        const quint16 port = freePort();
        const auto problem = servers(host)->start({ port, false, "246810", false });
        ASSERT_TRUE(problem) << c.path;
        EXPECT_NE(problem->find(c.reasonContains), std::string::npos) << *problem;
        // Nothing listens: the port is still free.
        QTcpServer probe;
        EXPECT_TRUE(probe.listen(QHostAddress::LocalHost, port)) << c.path;
    }
}

} // namespace
} // namespace remote::test

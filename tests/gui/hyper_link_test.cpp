// The link control hands its address to the desktop's opener when it is clicked. The test
// puts a text browser in the opener's place for file addresses: it shows the page, so the
// manual the build assembles is opened for real.

#include "gui_fixture.h"

#include "ui/unit_properties.h"

#include <QDesktopServices>
#include <QTextBrowser>
#include <QUrl>

namespace gui::test {
namespace {

constexpr WindowId testWindow = 0x520100a0;
constexpr ComponentId ownItem = 0x060100a1, link = 0x160100a2;

class HyperLinkTest : public GuiTest {
protected:
    HyperLinkTest() { QDesktopServices::setUrlHandler("file", &browser, "setSource"); }
    ~HyperLinkTest() override { QDesktopServices::unsetUrlHandler("file"); }

    void loadLink(const std::string& address)
    {
        load({ window(testWindow, ownItem, {},
            { withValues(component(link, unit::hyperLinker, { 10, 10, 120, 20 }),
                { { prop::hyperLinker::caption, Text("请猛击这里") },
                    { prop::hyperLinker::address, Text(address) } }) }) });
    }

    QTextBrowser browser;
};

TEST_F(HyperLinkTest, AClickOpensTheManualWithTheDesktopOpener)
{
    const std::string manual = DANCEHALL_BUILD_DOC "/manual/index.html";
    loadLink("file://" + manual);
    QTest::mouseClick(widgetOf(link), Qt::LeftButton);
    ASSERT_TRUE(settle([&] { return !browser.source().isEmpty(); }));
    EXPECT_EQ(browser.source(), QUrl::fromLocalFile(QString::fromStdString(manual)));
    EXPECT_EQ(browser.documentTitle(), QString::fromUtf8(u8"舞厅播放器使用手册"));
}

TEST_F(HyperLinkTest, AClickOutsideOrWithTheRightButtonOpensNothing)
{
    loadLink("file:///nowhere/index.html");
    QTest::mouseClick(widgetOf(link), Qt::RightButton);
    QTest::mousePress(widgetOf(link), Qt::LeftButton);
    QTest::mouseRelease(top(), Qt::LeftButton, {}, QPoint(300, 300));
    QTest::qWait(50);
    EXPECT_TRUE(browser.source().isEmpty());
}

} // namespace
} // namespace gui::test

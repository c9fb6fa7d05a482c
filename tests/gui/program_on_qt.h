#pragma once
// The real program on Qt offscreen, in a scratch hall folder: a show written to dqqf.dat and
// saved as 周六, then the main window started on it. What the tests of the operator's mouse and
// keys on the whole program start from.

#include "tests/app/private_session.h"
#include "tests/gui/gui_fixture.h"

#include "app/application.h"
#include "app/globals.h"
#include "app/show_tables.h"
#include "backends/qt/window_view.h"
#include "media/simulated_mixer.h"
#include "ui/templates/segment.h"
#include "ui/templates/window_ids.h"

#include <filesystem>
#include <string>
#include <vector>

namespace gui::test {

class ProgramOnQt : public ::testing::Test, private ApplicationFirst {
protected:
    explicit ProgramOnQt(const std::string& name)
        : hall(name)
    {
        application.programDirectory = hall.path.string();
    }
    // A player still running reads the hall's tracks: it stops before the hall goes.
    ~ProgramOnQt() override
    {
        application.trackPlayer.stopPlaying();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void start(const std::vector<app::Slot>& show)
    {
        writeShow(show);
        std::filesystem::copy_file(hall.path / "dqqf.dat", hall.path / "lb" / u8"周六.dat");
        application.windows.readTemplates(templates::segment());
        app::initGlobals(application.globals);
        application.windows.loadStartWindow(ids::MainWindow::window);
    }

    // The widget of a component of a loaded window.
    template <typename Widget> Widget& widget(ui::WindowId window, ui::ComponentId component)
    {
        auto* view = static_cast<platform::qt::WindowView*>(application.windows.view(window));
        return static_cast<Widget&>(*view->controlWidget(component));
    }

    std::vector<std::string> tableTitles()
    {
        std::vector<std::string> titles;
        for (const app::Slot& slot : app::readCurrentShow(application))
            titles.push_back(slot.title.empty() ? "选择更换舞曲" : slot.title);
        return titles;
    }

    app::test::ScratchProgramDirectory hall;
    platform::qt::QtPlatform qt;
    platform::Platform platform = qt.platform();
    runtime::Runtime runtime { platform };
    platform::qt::QtViewFactory views;
    std::shared_ptr<media::SimulatedMixer> mixer
        = std::make_shared<media::SimulatedMixer>(platform.clock());
    app::Application application { runtime, views, media::simulatedMixerFactory(mixer) };

private:
    void writeShow(const std::vector<app::Slot>& show)
    {
        recdb::Registry& db = application.databases;
        ASSERT_TRUE(db.openDatabase((hall.path / "dqqf.dat").string(), runtime::Text("dqqf")));
        for (const app::Slot& slot : show) {
            ASSERT_TRUE(db.appendBlankRecord());
            EXPECT_TRUE(db.writeField(runtime::Text(app::fields::number), {}, slot.number));
            EXPECT_TRUE(db.writeField(runtime::Text(app::fields::style), {}, slot.style));
            EXPECT_TRUE(db.writeField(runtime::Text(app::fields::title), {}, slot.title));
            EXPECT_TRUE(db.writeField(runtime::Text(app::fields::path), {}, slot.path));
        }
        db.closeDatabase(runtime::Text("dqqf"));
    }
};

} // namespace gui::test

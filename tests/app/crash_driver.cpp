// The program's editing under kill -9, driven from outside by crash_test.sh. One process of
// this driver is one run of the program on a hall folder:
//
//   crash_driver HALL seed        makes HALL: the installation tables, the shows 周六 and 周日
//                                 of the same three slots saved, 周六 current, the style 慢四
//                                 and the loudness switch in their first states
//   crash_driver HALL EDIT        starts the program and repeats one edit until killed:
//                                 save (save the show as 周六), insert (insert a slot at the
//                                 top, then delete it again), track (give slot 2 one of two
//                                 tracks), style (save 慢四 in one of two states), lastshow
//                                 (load 周六 and 周日 in turn, which the program remembers) or
//                                 loudness (save the loudness switch in one of two states)
//   crash_driver HALL check EDIT  starts the program as the next start after the kill and
//                                 checks what it finds; prints the problems, exits 1 on any
//
// The edits go through the program's own handlers on the headless platform, as the operator's
// clicks would.

#include "app/application.h"
#include "app/even_loudness.h"
#include "app/show_tables.h"
#include "app/style_settings_file.h"
#include "backends/headless/headless_platform.h"
#include "headless_program.h"
#include "platform/encoding.h"
#include "platform/whole_files.h"
#include "recdb/file_check.h"
#include "runtime/file_names.h"
#include "runtime/ini_file.h"
#include "ui/commands.h"
#include "ui/input.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using app::Slot;
using runtime::Text;
namespace main = ids::MainWindow;
namespace editor = ids::StyleEditorWindow;
namespace chooser = ids::StylePickDialog;
namespace saveDialog = ids::SaveShowDialog;

const std::vector<Slot> firstShow { { "1", "慢四", "月光", "/m/月光.mp3" }, { "2", "探戈", "", "" },
    { "3", "快四", "晚风", "/m/晚风.mp3" } };
const Text insertedStyle = "华尔兹";
const Text trackPaths[] = { "/music/甲.mp3", "/music/乙.mp3" };
const Text showName = "周六";
const Text otherShowName = "周日";
const Text style = "慢四";

app::StyleSettingsTexts styleState(int which)
{
    app::StyleSettingsTexts settings;
    settings.lights.fill(which == 0 ? "1" : "0");
    settings.delays.fill(which == 0 ? "5" : "12");
    settings.timeLimit = which == 0 ? "3" : "无限时";
    settings.volume = which == 0 ? "60" : "80";
    return settings;
}

app::LoudnessSettings loudnessState(int which)
{
    return which == 0 ? app::LoudnessSettings { true, -16 } : app::LoudnessSettings { false, -20 };
}

Text rememberedShow(app::Application& application)
{
    return runtime::readIniEntry(
        app::dataFilePath(application, "lastshow.ini"), "场次", "当前场次", {}, application.files);
}

class Run : public app::test::HeadlessProgram {
public:
    explicit Run(const fs::path& hall)
    {
        application.programDirectory = platform::utf8ToGbk(hall.string());
        fs::current_path(hall);
    }

    void saveShow()
    {
        headless.loop().post([this] {
            input.typeText(saveDialog::window, saveDialog::编辑框1, showName);
            input.click(saveDialog::window, saveDialog::按钮1);
        });
        input.click(main::window, main::另存列表按钮);
    }

    void insertOrDeleteTopSlot()
    {
        application.windows.loadWindow(editor::window, false);
        const bool inserted = app::readCurrentShow(application).size() > firstShow.size();
        if (!inserted)
            headless.loop().post([this] {
                ui::Commands(application.windows)
                    .comboSelectText(chooser::window, chooser::组合框1, insertedStyle);
                input.click(chooser::window, chooser::按钮添加);
            });
        application.windows.setProperty(
            editor::window, editor::超级列表框1, ui::prop::listView::currentRow, 0);
        input.rightClick(editor::window, editor::超级列表框1);
        const std::vector<ui::headless::ShownMenu> menus = views.menus();
        for (const ui::MenuEntry& entry : menus.back().entries)
            if (entry.caption == (inserted ? "删除" : "插入"))
                input.menuCommand(editor::window, entry.commandId);
        application.windows.close(editor::window, 0);
    }

    void loadShow(int round)
    {
        application.windows.setProperty(
            main::window, main::超级列表框1, ui::prop::listView::currentRow, round % 2);
        input.doubleClick(main::window, main::超级列表框1);
    }

    void giveTrack(int round)
    {
        headless.dialogs().answerNextOpenFile(trackPaths[round % 2]);
        input.rightClickTreeItem(main::window, main::树型框1, 3);
    }
};

void writeShow(app::Application& application, const std::vector<Slot>& slots)
{
    recdb::Registry& db = application.databases;
    (void)db.openDatabase(app::dataFilePath(application, "dqqf.dat"), Text("dqqf"));
    for (const Slot& slot : slots) {
        (void)db.appendBlankRecord();
        (void)db.writeField(Text(app::fields::number), {}, slot.number);
        (void)db.writeField(Text(app::fields::style), {}, slot.style);
        (void)db.writeField(Text(app::fields::title), {}, slot.title);
        (void)db.writeField(Text(app::fields::path), {}, slot.path);
    }
    db.closeDatabase(Text("dqqf"));
}

int seed(const fs::path& hall)
{
    fs::create_directories(hall / "lb");
    for (const char* file : { "dqqf.dat", "dqqfls.dat", "qfsz.dat", "ss.dat" })
        fs::copy_file(fs::path(DANCEHALL_DIST) / file, hall / file);
    Run run(hall);
    writeShow(run.application, firstShow);
    for (const Text& name : { showName, otherShowName })
        fs::copy_file(hall / "dqqf.dat", hall / "lb" / platform::gbkToUtf8(name + ".dat"));
    const bool written = app::writeStyleSettings(run.application, style, styleState(0))
        && app::writeLoudnessSettings(run.application, loudnessState(0))
        && runtime::writeIniEntry(
            app::dataFilePath(run.application, "lastshow.ini"), "场次", Text("当前场次"), showName);
    return written ? 0 : 1;
}

[[noreturn]] void edit(const fs::path& hall, const std::string& what)
{
    Run run(hall);
    run.start();
    for (int round = 0;; ++round) {
        if (what == "save")
            run.saveShow();
        else if (what == "insert")
            run.insertOrDeleteTopSlot();
        else if (what == "track")
            run.giveTrack(round);
        else if (what == "lastshow")
            run.loadShow(round);
        else if (what == "loudness")
            (void)app::writeLoudnessSettings(run.application, loudnessState(round % 2));
        else
            (void)app::writeStyleSettings(run.application, style, styleState(round % 2));
    }
}

// The shows the edit may have left: the one before it or the one after it.
std::vector<std::vector<Slot>> allowedShows(const std::string& what)
{
    std::vector<std::vector<Slot>> shows { firstShow };
    if (what == "insert") {
        std::vector<Slot> inserted { { "1", insertedStyle, "", "" } };
        for (Slot slot : firstShow) {
            slot.number = std::to_string(std::stoi(slot.number) + 1);
            inserted.push_back(slot);
        }
        shows.push_back(inserted);
    }
    if (what == "track")
        for (const Text& path : trackPaths) {
            std::vector<Slot> given = firstShow;
            given[1].path = path;
            given[1].title = path.substr(7, path.size() - 11); // "/music/" … ".mp3"
            shows.push_back(given);
        }
    return shows;
}

// What a replacement of one of the hall's files leaves while it is under way.
bool isLeftover(const std::string& name)
{
    return platform::isReplacementLeftover(name, ".dat")
        || platform::isReplacementLeftover(name, ".ini")
        || platform::isReplacementLeftover(name, ".log");
}

bool sameSlots(const std::vector<Slot>& a, const std::vector<Slot>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Slot& x, const Slot& y) {
        return x.number == y.number && x.style == y.style && x.title == y.title && x.path == y.path;
    });
}

std::string describe(const std::vector<Slot>& slots)
{
    std::string text;
    for (const Slot& slot : slots)
        text += platform::gbkToUtf8(
                    slot.number + "|" + slot.style + "|" + slot.title + "|" + slot.path)
            + "; ";
    return text;
}

int check(const fs::path& hall, const std::string& what)
{
    std::vector<std::string> problems;
    Run run(hall);
    run.start();
    for (const auto& box : run.headless.dialogs().messageBoxes())
        problems.push_back("start-up said: " + platform::gbkToUtf8(box.text));
    const std::vector<Slot> slots = app::readCurrentShow(run.application);
    bool allowed = false;
    for (const auto& show : allowedShows(what))
        allowed = allowed || sameSlots(slots, show);
    if (!allowed)
        problems.push_back(
            "the current show is neither before nor after the edit: " + describe(slots));
    for (const fs::path& folder : { hall, hall / "lb" })
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (isLeftover(name))
                problems.push_back("a temporary file is left: " + entry.path().string());
            else if (name.ends_with(".dat") && name != "ss.dat"
                && recdb::checkDatabaseFile(entry.path().string()).code != 0)
                problems.push_back("damaged after the start: " + entry.path().string());
        }
    const app::StyleSettingsTexts saved = app::readStyleSettings(run.application, style);
    const auto same = [&](const app::StyleSettingsTexts& state) {
        return saved.lights == state.lights && saved.delays == state.delays
            && saved.timeLimit == state.timeLimit && saved.volume == state.volume;
    };
    if (!same(styleState(0)) && !same(styleState(1)))
        problems.push_back("ss.dat holds a style that was never saved");
    const app::LoudnessSettings loudness = app::readLoudnessSettings(run.application);
    if (loudness != loudnessState(0) && loudness != loudnessState(1))
        problems.push_back("loudness.ini holds settings that were never saved");
    const Text remembered = rememberedShow(run.application);
    if (remembered != showName && remembered != otherShowName)
        problems.push_back("lastshow.ini remembers " + platform::gbkToUtf8(remembered));
    for (const std::string& problem : problems)
        std::cout << problem << "\n";
    return problems.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::vector<std::string> edits { "save", "insert", "track", "style", "lastshow",
        "loudness" };
    auto isEdit = [&](const std::string& what) {
        return std::find(edits.begin(), edits.end(), what) != edits.end();
    };
    if (args.size() == 2 && args[1] == "seed")
        return seed(args[0]);
    if (args.size() == 2 && isEdit(args[1]))
        edit(args[0], args[1]);
    if (args.size() == 3 && args[1] == "check" && isEdit(args[2]))
        return check(args[0], args[2]);
    std::cerr << "usage: crash_driver HALL seed|EDIT|check EDIT\n"
                 "  EDIT: save, insert, track, style, lastshow or loudness\n";
    return 2;
}

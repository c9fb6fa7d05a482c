// Makes a hall folder whose current show has N slots, the show the program opens at start:
//   startup_show_hall DEFAULTS_FOLDER HALL_FOLDER SLOTS
// The slots cycle through the shipped styles and name tracks that are not on disk, so the
// track-length worker gives up on them at once instead of timing a disk.

#include "recdb/registry.h"
#include "runtime/hall_folder.h"
#include "runtime/ini_file.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using runtime::Text;

class ExitingReport final : public recdb::ErrorReport {
public:
    [[noreturn]] void raise(const Text& message) override
    {
        std::fprintf(stderr, "database error (GBK): %s\n", message.c_str());
        std::exit(1);
    }
};

constexpr const char* styles[] = { "慢四", "快四", "中四", "慢三", "伦巴", "恰恰", "吉特巴" };

bool writeSlots(const std::string& table, int count)
{
    ExitingReport errors;
    recdb::Registry db(errors);
    if (!db.openDatabase(Text(table), Text("dqqf")))
        return false;
    for (int k = 1; k <= count; ++k) {
        const std::string number = std::to_string(k);
        if (!db.appendBlankRecord() || !db.writeField(Text("序号"), {}, Text(number))
            || !db.writeField(Text("曲风"), {}, Text(styles[k % std::size(styles)]))
            || !db.writeField(Text("曲目"), {}, Text("舞曲" + number))
            || !db.writeField(Text("文件路径"), {}, Text("/nonexistent/舞曲" + number + ".mp3")))
            return false;
    }
    db.closeDatabase(Text("dqqf"));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("usage: startup_show_hall DEFAULTS_FOLDER HALL_FOLDER SLOTS\n", stderr);
        return 2;
    }
    const std::string hall = argv[2];
    if (auto problem = runtime::prepareHallFolder(hall, std::string(argv[1]))) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return 1;
    }
    // "新建场次": the show in the current table is the one to open, as it was left.
    if (!writeSlots(hall + "/dqqf.dat", std::atoi(argv[3]))
        || !runtime::writeIniEntry(
            hall + "/lastshow.ini", "场次", Text("当前场次"), Text("新建场次"))) {
        std::fprintf(stderr, "cannot write the show in %s\n", hall.c_str());
        return 1;
    }
    return 0;
}

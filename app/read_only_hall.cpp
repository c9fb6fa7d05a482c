#include "app/read_only_hall.h"

#include "app/application.h"

namespace app {

void tellHallIsReadOnly(Application& app, const runtime::Text& why)
{
    app.runtime.messageBox(runtime::concatText("数据文件夹 ", app.programDirectory, " 不能写入（",
                               why, "）：场次可以照常播放，但所有更改都不能保存。"),
        0);
}

bool refusedInReadOnlyHall(Application& app)
{
    if (!app.hallReadOnly)
        return false;
    app.runtime.messageBox(
        runtime::concatText("数据文件夹 ", app.programDirectory, " 不能写入，无法保存更改。"), 0);
    return true;
}

} // namespace app

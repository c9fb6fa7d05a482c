// The open-file dialog for several tracks at once: any number of files, or one folder whose
// tracks the program then takes in.

#include "backends/qt/on_interface_thread.h"
#include "backends/qt/qt_dialogs.h"
#include "backends/qt/qt_text.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace platform::qt {
namespace {

// A file dialog whose Open button also takes a selected folder, instead of only stepping into
// it; a double click still opens the folder for browsing.
class FilesOrFolderDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    QStringList chosen;

protected:
    void accept() override
    {
        const QStringList selected = selectedFiles();
        if (selected.size() == 1 && QFileInfo(selected.front()).isDir()) {
            chosen = selected;
            done(QDialog::Accepted);
            return;
        }
        QFileDialog::accept();
        if (result() == QDialog::Accepted)
            chosen = selectedFiles();
    }
};

} // namespace

std::vector<std::string> QtDialogs::openFiles(const OpenFileRequest& request)
{
    return onInterfaceThread([&]() -> std::vector<std::string> {
        FilesOrFolderDialog dialog(nullptr, fromGbk(request.title), fromGbk(request.initialDir));
        dialog.setWindowModality(Qt::ApplicationModal);
        // The desktop's own dialog would not hand a folder back through accept().
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        const QStringList filters = nameFilters(request.filter);
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
            if (request.filterIndex >= 0 && request.filterIndex < filters.size())
                dialog.selectNameFilter(filters[request.filterIndex]);
        }
        if (dialog.exec() != QDialog::Accepted || dialog.chosen.isEmpty())
            return {};
        if (!request.keepCurrentDir)
            QDir::setCurrent(QFileInfo(dialog.chosen.constFirst()).absolutePath());
        std::vector<std::string> paths;
        for (const QString& path : dialog.chosen)
            paths.push_back(toGbk(path));
        return paths;
    });
}

} // namespace platform::qt

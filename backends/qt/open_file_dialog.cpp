// The open-file dialog, configured from the program's request.

#include "backends/qt/on_interface_thread.h"
#include "backends/qt/qt_dialogs.h"
#include "backends/qt/qt_text.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace platform::qt {

QStringList nameFilters(const std::string& filter)
{
    const QStringList parts = fromGbk(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(u';', u' ');
        if (!patterns.isEmpty())
            filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return filters;
}

std::optional<std::string> QtDialogs::openFile(const OpenFileRequest& request)
{
    return onInterfaceThread([&]() -> std::optional<std::string> {
        QFileDialog dialog(nullptr, fromGbk(request.title), fromGbk(request.initialDir));
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // The description usually repeats its patterns already.
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        const QStringList filters = nameFilters(request.filter);
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
            if (request.filterIndex >= 0 && request.filterIndex < filters.size())
                dialog.selectNameFilter(filters[request.filterIndex]);
        }
        if (!request.fileName.empty())
            dialog.selectFile(fromGbk(request.fileName));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const QString chosen = dialog.selectedFiles().constFirst();
        // Without the keep flag the dialog leaves the chosen file's folder current, as the
        // desktop's own dialog does.
        if (!request.keepCurrentDir)
            QDir::setCurrent(QFileInfo(chosen).absolutePath());
        return toGbk(chosen);
    });
}

} // namespace platform::qt

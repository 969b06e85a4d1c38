#include "cable/cable_elevation.h"
#include "cable/runas_win.h"

#include <QWinEventNotifier>

namespace qv::ui {

namespace {

class WindowsInstallerProcess final : public InstallerProcess {
public:
    explicit WindowsInstallerProcess(HANDLE process) : m_process(process), m_notifier(process) {
        connect(&m_notifier, &QWinEventNotifier::activated, this, [this] {
            m_notifier.setEnabled(false);
            closeProcess();
            emit finished();
        });
    }
    ~WindowsInstallerProcess() override {
        m_notifier.setEnabled(false);
        closeProcess();
    }

private:
    void closeProcess() {
        if (m_process) {
            CloseHandle(m_process);
            m_process = nullptr;
        }
    }

    HANDLE m_process;
    QWinEventNotifier m_notifier;
};

} // namespace

InstallerLaunch launchElevated(const QString& program, const QString& parameters,
                               const QString& folder) {
    const qv::cable::ElevatedStart start = qv::cable::startElevated(
        program.toStdWString(), parameters.toStdWString(), folder.toStdWString());
    InstallerLaunch launch;
    launch.error = start.error;
    if (start.error == 0 && start.process)
        launch.process = std::make_unique<WindowsInstallerProcess>(start.process);
    return launch;
}

std::shared_ptr<void> holdInstallerFile(const QString& path) {
    const HANDLE file = qv::cable::holdFileForStart(path.toStdWString());
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::shared_ptr<void>(file, [](void* held) { CloseHandle(held); });
}

} // namespace qv::ui

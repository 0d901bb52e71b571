#pragma once
// The desktop's services on Qt Widgets and Linux.
#include <memory>
#include <random>

#include "qt/core_calls.h"
#include "qt/identity.h"
#include "qt/input_blocker.h"
#include "qt/shown_windows.h"
#include "qt/window_frames.h"
#include "platform/services.h"

namespace qt_backend {

class InstanceLocks;

class QtServices : public platform::Services {
public:
    // Needs the QApplication. The program's last window closing does not end
    // it: the core decides when the program ends. Installs the screen-reader
    // names of blank menu entries.
    explicit QtServices(Identity identity);
    ~QtServices() override;
    QtServices(const QtServices&) = delete;
    QtServices& operator=(const QtServices&) = delete;

    std::unique_ptr<platform::FormPeer> createPeer(platform::Form& form) override;
    platform::MsgResult MsgBox(const platform::MsgBoxRequest& request) override;
    void Sleep(uint32_t milliseconds) override;
    void DoEvents() override;
    float TimeOfDay() override;
    void Randomize() override;
    float Rnd() override;
    void SendKeys(const std::string& keys) override;
    [[noreturn]] void End(platform::ExitStatus status) override;
    float ScreenWidthTwips() override;
    float ScreenHeightTwips() override;
    platform::InstanceCheck PreviousInstance(const std::filesystem::path& recordFile) override;
    std::filesystem::path ProgramDirectory() override;
    std::optional<std::filesystem::path> UserDataDirectory() override;
    void SetCurrentDirectory(const std::filesystem::path& directory) override;

    // For the benchmarks that look inside.
    const ShownWindows& shownWindows() const { return shownWindows_; }

private:
    Identity identity_;
    // What the form peers share.
    CoreCalls coreCalls_;
    ShownWindows shownWindows_;
    WindowFrames frames_;
    InputBlocker inputBlocker_;
    std::mt19937 random_;
    std::unique_ptr<InstanceLocks> instanceLocks_;  // one per record file, kept to the end
};

// $HOME, else the user's home from the password database when it is a
// directory; nothing when neither is usable.
std::optional<std::filesystem::path> homeDirectory();

}  // namespace qt_backend

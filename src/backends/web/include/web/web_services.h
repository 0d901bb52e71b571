#pragma once
// The desktop's services in a web page. All game code runs on one stack that
// ASYNCIFY suspends whenever the program waits: the page's script only queues
// input, ticks and answers, and one loop here takes them, as the desktop's
// message loop does. MsgBox and DoEvents run nested copies of that loop.
#include <cstdint>
#include <map>
#include <random>

#include "platform/services.h"
#include "web/page.h"
#include "web/targets.h"

namespace web {

class WebServices : public platform::Services {
public:
    // Where the record file lives in the page's file system (IndexedDB).
    static constexpr const char* kProgramDirectory = page::kRecordStore;

    WebServices() = default;
    WebServices(const WebServices&) = delete;
    WebServices& operator=(const WebServices&) = delete;

    // Mounts the record store; a store the browser refuses makes every
    // later write fail, which the game reports as on the desktop.
    void openRecordStore();
    // Takes the page's events until the program ends; never returns.
    [[noreturn]] void run();

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

private:
    void handlePending();
    void handle(const page::Event& event);
    void deliverInput(const page::Event& event, const Targets::Target& target);

    Targets targets_;
    std::map<page::Id, platform::MsgResult> answers_;
    page::Id lastBox_ = 0;
    int openBoxes_ = 0;  // input to the windows waits while any is open
    std::mt19937 random_;
};

}  // namespace web

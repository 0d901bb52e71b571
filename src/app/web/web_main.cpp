// The program in a web page: the web backend, one Game and its Main. main()
// never returns: the page's events are taken here until the game ends.
#include "hub/game.h"
#include "startup/game_windows.h"
#include "startup/main_routine.h"
#include "web/page.h"
#include "web/web_services.h"

int main() {
    static web::WebServices services;
    services.setLanguage(web::page::speaksEnglish() ? platform::Language::English : platform::Language::Japanese);
    services.openRecordStore();
    static const std::unique_ptr<game::Game> game = game::NewGame(services);
    game->runtime().dispatch([] { game::Main(*game); });
    services.run();
}

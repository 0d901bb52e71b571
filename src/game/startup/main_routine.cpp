#include "startup/main_routine.h"

#include "platform/safe_file.h"
#include "screens/title/form0.h"
#include "hub/game.h"
#include "startup/record_file_place.h"
#include "hub/records.h"

namespace game {

void Main(Game& game) {
    GameState& s = game.state;
    s.VerNo = kVersion;
    // One running game per record file, wherever that file lives; a second
    // copy writes nothing.
    const auto recordFile = ChooseRecordFile(game);
    if (game.services().PreviousInstance(recordFile)) {
        game.MsgBox("『もちたま』の二重起動は出来ません", "二重起動ERROR", platform::MsgIcon::Critical);
        game.End();
    }
    s.IniPath = EnsureRecordFile(game, recordFile);
    // Only this copy runs: what an interrupted save left behind can go.
    platform::RemoveStaleTemporaries(s.IniPath);
    ReadRecords(game);
    Form0& title = game.form0();
    title.Show();
    // The title window's two seconds count from here.
    title.Timer1.setEnabled(true);
    title.Timer1.setInterval(2000);
}

}  // namespace game

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
    const auto chosen = ChooseRecordFile(game);
    const bool guarded = GuardRecordFile(game, chosen);
    const PlacedRecordFile records = EnsureRecordFile(game, chosen, guarded);
    s.IniPath = records.path;
    // What an interrupted save left behind can go, but only when no other
    // copy can be in the middle of a save.
    if (records.guarded) platform::RemoveStaleTemporaries(s.IniPath);
    ReadRecords(game);
    Form0& title = game.form0();
    title.Show();
    // The title window's two seconds count from here.
    title.Timer1.setEnabled(true);
    title.Timer1.setInterval(2000);
}

}  // namespace game

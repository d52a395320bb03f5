// A save slot is one folder whose files belong together (the universe and the player of one
// moment): it is replaced as a whole, so no crash can leave files of two different saves in it.
#pragma once

#include <string>
#include <vector>

struct SlotFile {
    std::string name;         // file name inside the slot folder
    const std::string* text;  // its complete content
};

// How a slot folder is swapped for its new version.
enum class SlotSwap {
    Exchange,    // one atomic exchange of the two folders (renameat2 RENAME_EXCHANGE)
    RenamePair,  // two renames, for file systems without the exchange; recoverSlot() mends a crash
};

// Whether `name` can name a slot: not empty, no path separators, not hidden and not a parent
// reference, so a save never lands outside the saves folder.
bool validSlotName(const std::string& name);

// Makes `savesFolder`/`slot` hold exactly `files`. The files are written complete and flushed
// into a fresh folder beside the slot, which then takes the slot's place in one step; the
// previous content is removed afterwards, as is whatever an interrupted earlier save left. On
// failure the slot keeps its previous content and `problem` says why.
bool replaceSlot(const std::string& savesFolder, const std::string& slot, const std::vector<SlotFile>& files,
                 std::string& problem, SlotSwap swap = SlotSwap::Exchange);

// Puts the previous content back into a slot that a crash between the two renames of
// SlotSwap::RenamePair left missing. Harmless when nothing needs mending.
void recoverSlot(const std::string& savesFolder, const std::string& slot);

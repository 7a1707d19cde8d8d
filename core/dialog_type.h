#pragma once

#include <cstdint>

// The kind of dialog that recognition found; it chooses the strategy that fills
// the dialog, and the hook library takes it to know where the tree view lies.
enum DialogType : std::int32_t {
    OldFolderBrowser = 0,
    NewFolderBrowser = 1,
    StandardFileDialog = 2,
    KeyboardFileDialog = 3,
    OfficeFileDialog = 4,
    // An item dialog whose OK command may pick a folder and close (the folder
    // picker cannot be told from an open dialog by its windows): its box is
    // filled, never confirmed.
    FolderPickerOrItemDialog = 5,
};

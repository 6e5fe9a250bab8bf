// What the extract and save-back steps tell of the translation for the status
// list (KTmain::QualityLines), found while the work files are there: after
// Extract the table's progress, after the import of Save changes the progress
// and the checks of the saved text. None of it fails a step: what cannot be
// found is told on its line instead.
#pragma once

#include <string>

#include "workflow/ktmain.h"

namespace gs {

// The progress of the extracted work table against its English template copy.
void NoteExtractedProgress(KTmain& m, const std::string& currentFileName);

// The progress of the saved text and its checks, against the English template
// copy; the characters known are those of that copy and of the game's tables
// of the kind in every language, as the game archive holds them before the
// save puts the table in. The findings are listed in the checks file beside
// the kept document, replacing an earlier list, and a line says where; with
// none, an earlier list goes.
void NoteSavedQuality(KTmain& m, const std::string& currentFileName);

}  // namespace gs

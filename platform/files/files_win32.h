// What the Windows file primitives (files_win32.cpp) make of an entry's attributes, for the
// store's look at a path and for the tests that fake what Wine cannot make (cloud files).
#pragma once

#include "game/file_calls.h"

#include <cstdint>

// The kind of an existing entry from its attributes (FILE_ATTRIBUTE_*) and, for a reparse
// point, its reparse tag (IO_REPARSE_TAG_*). Devices and pipes are told apart by opening.
PathKind KindOfEntry(uint32_t attributes, uint32_t reparseTag);

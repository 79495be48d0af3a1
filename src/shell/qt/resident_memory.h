// SPDX-License-Identifier: MIT
// What the program keeps resident between holds. Each hold allocates a read, a layout and a
// painted image and frees them; with glibc's defaults every thread that reads kept an arena of
// its own and large blocks came back from the heap after the first was freed, so the freed
// memory stayed resident (50 MB after 21 holds where the program starts at 39 MB).
#pragma once

namespace tavrine::qt {

// Before any thread starts: one malloc arena for all threads, and blocks of 128 KiB and more
// (painted images, big replies) mapped on their own and returned to the system when freed.
void limitHeapRetention();

// Hands the heap's free pages back to the system; cheap, for a moment the program rests.
void returnFreedMemory();

}  // namespace tavrine::qt

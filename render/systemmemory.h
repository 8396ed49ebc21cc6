#pragma once
// The C library's side of the renderer's memory. Pictures are a few to a few
// dozen megabytes each and come and go on several threads (the prefetcher,
// the encoder's own threads); left to itself, glibc serves them from heaps
// that it hands back to the system only from their top, so a compile leaves
// the process hundreds of megabytes larger than it started.

namespace SystemMemory {

// For programs that render: blocks of a picture's size and more are mapped
// on their own and unmapped when freed, rather than carved out of a heap
// (glibc raises that threshold as it goes, up to 32 MB, unless it is set).
// Must run before other threads start; does nothing off glibc.
void preferMappedPictures();

// Hands the free memory of every heap back to the system, for when a large
// job (a compile) has ended. Returns whether anything was given back.
bool returnFreeMemory();

} // namespace SystemMemory

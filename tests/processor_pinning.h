// tests/processor_pinning.h - all of this process's threads on one processor, so that they
// must take turns. Implemented per system in tests/system/.
#pragma once

// False where the system cannot pin the threads; the pinning holds until undone.
bool PinThreadsToOneProcessor();
void UnpinThreads();

#pragma once

// Gives the calling thread a smaller share of the processor than the main thread's, so work done
// for others (serving phones, making pages to upload) yields to timing and the window whenever both
// want the same processor. Nothing else about the thread changes.
void lowerCurrentThreadPriority();

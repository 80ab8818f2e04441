#pragma once
// The arithmetic of one refresh of a transfer record: percentage, speed, time left and time used.

#include <cstdint>
#include <string>

#include "host/UIUploadDefine.h"

// Share done in percent; 0 for an empty file. Above 99.8 it reads 100, since the last bytes of a
// transfer are often still being confirmed when the engine already counts them.
double ComputePercent(uint64_t bytesDone, uint64_t totalSize);

// "%0.1f%" of the percentage.
std::string PercentText(double percent);

// Moves the record to the bytes done now: progress, speed and time-left texts, bytes done and one more
// second of used time. Returns the bytes moved since the last refresh; bytes that went backwards (the
// engine started the transfer over) count as none moved rather than as a huge number.
uint64_t AdvanceTransferFigures(tagFileInfo& record, uint64_t bytesDone, double percent);

// Image index of the state icon: 0 waiting, 5 paused, 6 (upload) or 7 (download) running, 3 finished,
// 4 for every other state.
int GetImageIndexByState(int32_t state, bool isUpload);

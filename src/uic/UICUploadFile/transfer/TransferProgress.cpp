#include "uic/UICUploadFile/transfer/TransferProgress.h"

#include <cstdio>

#include "uic/UICUploadFile/frame/SizeFormat.h"

double ComputePercent(uint64_t bytesDone, uint64_t totalSize) {
    if (totalSize == 0) {
        return 0.0;
    }
    const double percent = static_cast<double>(bytesDone) / static_cast<double>(totalSize) * 100.0;
    return percent > 99.8 ? 100.0 : percent;
}

std::string PercentText(double percent) {
    char text[32];
    std::snprintf(text, sizeof text, "%0.1f%%", percent);
    return text;
}

uint64_t AdvanceTransferFigures(tagFileInfo& record, uint64_t bytesDone, double percent) {
    record.strProgress = PercentText(percent);
    const uint64_t delta = bytesDone > record.ullDoneSize ? bytesDone - record.ullDoneSize : 0;
    record.strSpeed = MakeTransferSize(delta) + "/S";
    record.ullDoneSize = bytesDone;
    // A tick without bytes estimates as if one byte a second moved.
    const uint64_t rate = delta == 0 ? 1 : delta;
    const uint64_t left = record.ullFileSize > bytesDone ? record.ullFileSize - bytesDone : 0;
    record.strTimeLeft = FormatTime(static_cast<int64_t>(left / rate > INT64_MAX ? INT64_MAX : left / rate));
    record.nUsedTime += 1;
    return delta;
}

int GetImageIndexByState(int32_t state, bool isUpload) {
    switch (state) {
        case TASK_WAITING:
            return 0;
        case TASK_PAUSED:
            return 5;
        case TASK_RUNNING:
            return isUpload ? 6 : 7;
        case TASK_FINISHED:
            return 3;
        default:
            return 4;
    }
}

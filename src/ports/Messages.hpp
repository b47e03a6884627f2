// Numbers of the plug-in's texts, the same for every host interface.
#pragma once

namespace velmora {

// Numbers of the texts in the language files; the .lng files follow this order line by line.
enum MessageId : int {
    MMenuEntry = 0,
    MTemplateLabel = 1,
    MSaveDescriptions = 2,
    MStartNumberLabel = 3,
    MWithoutZero = 4,
    MOk = 5,
    MCancel = 6,
    MTitle = 7,
    MProgress = 8,
    MWarningTitle = 9,
    MFileExists = 10,
    MUnused = 11,
    MCannotRename = 12,
    MCannotCreateTemp = 13,
    MCannotWriteTemp = 14,
    MCannotReplaceDescriptions = 15,
    MRenameTo = 16,
    MWarningButton = 17,
    MUnicodeDescriptions = 18,
    MCannotReadDescriptions = 19,
    MPreviewButton = 20,
    MPreviewArrow = 21,
    MSummaryCounts = 22,
    MSummaryChecking = 23,
    MSummaryStopExists = 24,
    MSummaryStopCannotMove = 25,
    MPreviewTitle = 26,
    MPreviewBottom = 27,
    MActionRename = 28,
    MActionKeep = 29,
    MActionStop = 30,
    MActionUnreached = 31,
    MessageCount = 32,
};

}  // namespace velmora

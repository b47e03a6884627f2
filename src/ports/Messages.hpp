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
    MUndoMenuEntry = 20,
    MUndoTitle = 21,
    MUndoFiles = 22,
    MUndoFolder = 23,
    MUndoTime = 24,
    MUndoDescriptions = 25,
    MYes = 26,
    MNo = 27,
    MUndoNothing = 28,
    MUndoUnavailable = 29,
    MUndoDamaged = 30,
    MUndoLeft = 31,
    MUndoMore = 32,
    MUndoFailed = 33,
    MessageCount = 34,
};

}  // namespace velmora

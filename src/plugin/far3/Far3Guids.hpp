// The plug-in's GUIDs in FAR 3, fixed once and for all: FAR keys the plug-in's settings, its menu
// entry, its dialog and its boxes (for macros and the dialog's remembered state) by them.
#pragma once

#include "far/Far3Abi.hpp"

namespace velmora {

// {34411B21-06C9-4F38-B429-5772D252B6EE}: the plug-in, and the name of its settings database.
constexpr far3::GUID kPluginGuid = {
    0x34411B21, 0x06C9, 0x4F38, {0xB4, 0x29, 0x57, 0x72, 0xD2, 0x52, 0xB6, 0xEE}};
// {DD5107EA-9788-4448-AFA6-B05C96385BB1}: the entry in the plug-ins menu (F11).
constexpr far3::GUID kMenuGuid = {
    0xDD5107EA, 0x9788, 0x4448, {0xAF, 0xA6, 0xB0, 0x5C, 0x96, 0x38, 0x5B, 0xB1}};
// {A4594483-309D-4D4D-9253-DB007BFCE282}: the plug-ins menu entry "Undo last batch rename".
constexpr far3::GUID kUndoMenuGuid = {
    0xA4594483, 0x309D, 0x4D4D, {0x92, 0x53, 0xDB, 0x00, 0x7B, 0xFC, 0xE2, 0x82}};
// The entries in the plug-ins menu, in the order of their strings.
constexpr far3::GUID kMenuGuids[] = {kMenuGuid, kUndoMenuGuid};
// {AEE2E7E0-E580-458B-AB2C-BB0826D04137}: the rename dialog.
constexpr far3::GUID kDialogGuid = {
    0xAEE2E7E0, 0xE580, 0x458B, {0xAB, 0x2C, 0xBB, 0x08, 0x26, 0xD0, 0x41, 0x37}};
// {5C1E8B0A-7D43-4E6F-9A21-3B8D6F0C2E95}: the Preview button's list of the whole plan.
constexpr far3::GUID kPreviewMenuGuid = {
    0x5C1E8B0A, 0x7D43, 0x4E6F, {0x9A, 0x21, 0x3B, 0x8D, 0x6F, 0x0C, 0x2E, 0x95}};
// {7D34248D-A8B6-4CDB-A649-51BFA0AD5AB4}: the undo's list of a folder's kept batches.
constexpr far3::GUID kUndoListGuid = {
    0x7D34248D, 0xA8B6, 0x4CDB, {0xA6, 0x49, 0x51, 0xBF, 0xA0, 0xAD, 0x5A, 0xB4}};
// {1AD39D7C-978C-47F9-B0CF-2F9F26EFA50E}: the Presets button's menu of the stored presets.
constexpr far3::GUID kPresetsMenuGuid = {
    0x1AD39D7C, 0x978C, 0x47F9, {0xB0, 0xCF, 0x2F, 0x9F, 0x26, 0xEF, 0xA5, 0x0E}};
// {C89785EC-816A-4009-B5C1-033370B16261}: the box asking a preset's name.
constexpr far3::GUID kPresetNameGuid = {
    0xC89785EC, 0x816A, 0x4009, {0xB5, 0xC1, 0x03, 0x33, 0x70, 0xB1, 0x62, 0x61}};
// {66F5C097-3F2C-4FDF-885D-999FF88B3B5C}: the progress box.
constexpr far3::GUID kProgressGuid = {
    0x66F5C097, 0x3F2C, 0x4FDF, {0x88, 0x5D, 0x99, 0x9F, 0xF8, 0x8B, 0x3B, 0x5C}};

// The GUID of a warning box, by its help topic (null for the box without one):
//   FileExist    {42B85F90-32D0-4363-936B-380C91C9B9D8}
//   CanNotMove   {83ABC2E8-21F4-44BA-B244-4E4933528370}
//   CanNotWrite  {BAB7BAE0-CB8E-42FC-A248-5C0F5CBF28D3}
//   CanNotCreate {41AE39DC-E115-471E-B5EB-A6DD3CCF5DF7}
//   DescExist    {02A3307B-C7E6-4ABE-A190-914111BB19E4}
//   DescUnicode  {55D623C1-987A-4B3C-99F1-B70ED8B13638}
//   UndoBatch    {7025A5C1-F0BF-4F1F-9C1A-A447903E97ED} (the undo's question)
//   UndoLeft     {E68DF55B-A8BF-4AD4-8092-E769EB0EB922}
//   UndoNothing  {429AE5F9-2DB1-4739-9523-1BC563E2920D}
//   UndoList     {279BAC11-E04D-4CD4-83F9-58815E0CD3C0} (a batch chosen out of turn in the undo's list)
//   BadExpression {2F126468-2E61-48E8-AF08-8135159703DB} (the dialog's find does not compile)
//   BadName      {6315861C-89D6-42D7-9103-5331C00AC836}
//   BadTemplate  {949BF18B-99FE-4664-81AE-8795590A1CE2} (a braced token of the template is refused)
//   PresetsVelmora {15180E33-3AC5-48B5-92B6-0F8C71154A71} (the presets menu's questions and refusals)
//   (none: the description file cannot be replaced) {2E812E9B-BB31-4DA3-9BD4-61BE7C910987}
const far3::GUID& WarningGuid(const char* helpTopic);

}  // namespace velmora

// Names, texts and messages of the OCR plug-in loader.
#ifndef OCRPLUGIN_QUILLO_TEXTS_H
#define OCRPLUGIN_QUILLO_TEXTS_H

namespace quillo {

// Where the engine lives, relative to the plug-in's own folder.
constexpr char kEngineSubdir[] = "OCR_QUILLO\\";
constexpr char kEngineFileName[] = "QuilloVuemo.dll";
constexpr char kViewFunction[] = "OCR_VuemoView";
constexpr char kInfoFunction[] = "GetPlugInInfo";

// The answers of GetPlugInInfo when no engine is loaded.
constexpr char kFallbackVersion[] = "0.83";
constexpr char kFallbackDescription[] = "Quillo OCR PlugIn for VuemoView";

// Every message box of the loader.
constexpr char kBoxCaption[] = "QuilloVuemo_Loader";
constexpr unsigned kBoxStyle = 0x30;  // MB_OK | MB_ICONEXCLAMATION

constexpr char kMsgNoCurrentDir[] = "Error %u on inquiry of current directory";
constexpr char kMsgNoOwnFileName[] = "Error %u on inquiry of my filename";
constexpr char kMsgNoPath[] = "Filename of module contains no path name";
constexpr char kMsgTooLong[] = "Filename of QuilloVuemo.dll is too long";
constexpr char kMsgSetDirFailed[] = "Error %u on setting current dir = %s";
constexpr char kMsgLoadFailed[] = "Error %u on loading %s";
constexpr char kMsgNoViewEntry[] = "Cannot find entry-point OCR_VuemoView";
constexpr char kMsgNoInfoEntry[] = "Cannot find entry-point GetPlugInInfo";
constexpr char kMsgUnloadFailed[] = "Error %u on unloading %s";
constexpr char kMsgRestoreFailed[] = "Error %u on restoring current directory";

}  // namespace quillo

#endif

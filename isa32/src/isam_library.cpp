#include "isam_library.h"

#include "zt_isa32.h"
#include "zt_lib32/module.h"
#include "zt_lib32/strings.h"

namespace {

const ZTListEntry kKeyTypeEntries[ISAM_KEY_TYPE_COUNT] = {
    {ISAM_KEY_TEXT, kIsa32KeyTypeTextBase + ISAM_KEY_TEXT},
    {ISAM_KEY_ITEXT, kIsa32KeyTypeTextBase + ISAM_KEY_ITEXT},
    {ISAM_KEY_UINT8, kIsa32KeyTypeTextBase + ISAM_KEY_UINT8},
    {ISAM_KEY_UINT16, kIsa32KeyTypeTextBase + ISAM_KEY_UINT16},
    {ISAM_KEY_UINT32, kIsa32KeyTypeTextBase + ISAM_KEY_UINT32},
    {ISAM_KEY_UINT64, kIsa32KeyTypeTextBase + ISAM_KEY_UINT64},
    {ISAM_KEY_INT8, kIsa32KeyTypeTextBase + ISAM_KEY_INT8},
    {ISAM_KEY_INT16, kIsa32KeyTypeTextBase + ISAM_KEY_INT16},
    {ISAM_KEY_INT32, kIsa32KeyTypeTextBase + ISAM_KEY_INT32},
    {ISAM_KEY_INT64, kIsa32KeyTypeTextBase + ISAM_KEY_INT64},
    {ISAM_KEY_FLOAT, kIsa32KeyTypeTextBase + ISAM_KEY_FLOAT},
    {ISAM_KEY_DOUBLE, kIsa32KeyTypeTextBase + ISAM_KEY_DOUBLE},
    {ISAM_KEY_EXTENDED, kIsa32KeyTypeTextBase + ISAM_KEY_EXTENDED},
    {ISAM_KEY_NUMTEXT, kIsa32KeyTypeTextBase + ISAM_KEY_NUMTEXT},
    {ISAM_KEY_UTEXT, kIsa32KeyTypeTextBase + ISAM_KEY_UTEXT},
};

// Names written into description files ("KeyPart:" lines) and read back.
const char* const kKeyTypeNames[ISAM_KEY_TYPE_COUNT] = {
    "TEXT",  "ITEXT", "UINT8", "UINT16", "UINT32",   "UINT64",  "INT8",  "INT16",
    "INT32", "INT64", "FLOAT", "DOUBLE", "EXTENDED", "NUMTEXT", "UTEXT",
};

// Texts of the error codes ISAM_FIRST_ERROR .. ISAM_LAST_ERROR (German, Windows-1252).
const char* const kErrorTexts[ISAM_LAST_ERROR - ISAM_FIRST_ERROR + 1] = {
    "Ung\xFCltiges Argument.",  // 1001
    "Kein ge\xF6"
    "ffnetes ISAM-Datei- oder Tabellen-Handle.",  // 1002
    "Die Datei kann nicht ge\xF6"
    "ffnet werden.",                                                       // 1003
    "Die Datei kann nicht angelegt werden.",                               // 1004
    "Die anzulegende Datei existiert bereits.",                            // 1005
    "Lesefehler.",                                                         // 1006
    "Schreibfehler.",                                                      // 1007
    "Die Daten konnten nicht auf den Datentr\xE4ger geschrieben werden.",  // 1008
    "Die Datei ist keine ISAM-Datei.",                                     // 1009
    "Die ISAM-Datei hat ein unbekanntes Format.",                          // 1010
    "Die ISAM-Datei ist besch\xE4"
    "digt.",  // 1011
    "Die ISAM-Datei ist bereits zum Schreiben ge\xF6"
    "ffnet.",  // 1012
    "Die ISAM-Datei ist nur zum Lesen ge\xF6"
    "ffnet.",                       // 1013
    "Nicht gen\xFCgend Speicher.",  // 1014
    "Unbekannter \xD6"
    "ffnungsmodus.",                                             // 1015
    "Eine Tabelle dieses Namens existiert bereits.",             // 1016
    "Die Tabelle existiert nicht.",                              // 1017
    "Der Tabellenname ist leer oder l\xE4nger als 31 Zeichen.",  // 1018
    "Ung\xFCltige Schl\xFCsseldefinition.",                      // 1019
    "Ein Schl\xFCsselteil liegt au\xDF"
    "erhalb des Datensatzes.",  // 1020
    "Der Schl\xFCssel ist zu lang f\xFCr die Indexknotengr\xF6\xDF"
    "e.",                             // 1021
    "Keine weiteren Datens\xE4tze.",  // 1022
    "Die Indexknotengr\xF6\xDF"
    "e muss zwischen 32 und 65535 Byte liegen.",  // 1023
    "Die Datensatzgr\xF6\xDF"
    "e muss zwischen 1 und 65535 Byte liegen.",                        // 1024
    "Der Index existiert nicht.",                                      // 1025
    "An dieser Adresse steht kein Datensatz.",                         // 1026
    "Der Schl\xFCssel existiert bereits in einem eindeutigen Index.",  // 1027
    "Es wurde keine Iteration eingerichtet.",                          // 1028
    "Unbekannte Iterationsart.",                                       // 1029
    "Es ist bereits eine Transaktion offen.",                          // 1030
    "Es ist keine Transaktion offen.",                                 // 1031
    "Der Puffer ist zu klein.",                                        // 1032
    "Unbekannter Beschreibungsplatz.",                                 // 1033
    "Die Datei oder Tabelle hat ihre Gr\xF6\xDF"
    "engrenze erreicht.",                                                         // 1034
    "Ein Pflichtschl\xFCssel ist leer.",                                          // 1035
    "Der Schl\xFCssel darf nicht ge\xE4ndert werden.",                            // 1036
    "Ein Schreibfehler ist aufgetreten: die Transaktion muss verworfen werden.",  // 1037
    "Zu viele Schl\xFCssel f\xFCr eine Tabelle.",                                 // 1038
    "Die Pr\xFC"
    "fung der Datei hat einen Fehler gefunden.",  // 1039
    "Das Protokoll der ISAM-Datei ist besch\xE4"
    "digt: best\xE4tigte Transaktionen k\xF6nnen nicht nachgetragen werden.",  // 1040
    "Das Protokoll der ISAM-Datei kann nicht gelesen werden.",                 // 1041
    "Die Datei oder ihr Ordner kann nicht beschrieben werden.",                // 1042
};

}  // namespace

CZTListBox ISAMLBKeyTypes(ISAM_KEY_TYPE_COUNT, kKeyTypeEntries, &ztIsa32Lib);

CZTLibrary ztIsa32Lib("zt_isa32.dll", "zt_isa32.dll", "", "zt_isa32 (Release 1.00)");

void ztIsa32Attach(HINSTANCE self) {
  ztIsa32Lib.DllMainCall(self, DLL_PROCESS_ATTACH, kIsa32FirstStringId);
  ztIsa32Lib.m_hResInstance = self;
  ztIsa32Lib.m_bResLoaded = self != nullptr;
}

void ztIsa32Detach() {
  // The own module is not a loaded language library: nothing to free.
  ztIsa32Lib.m_bResLoaded = FALSE;
  ztIsa32Lib.m_hResInstance = nullptr;
  ztIsa32Lib.DllMainCall(ztIsa32Lib.m_hInstance, DLL_PROCESS_DETACH, kIsa32FirstStringId);
}

#ifndef _WIN32
extern const ZTNativeModule ztIsa32OwnStrings;
namespace {
// No loader calls an entry point natively: attach right after the library object
// exists (same translation unit, so the order is fixed).
int nativeAttach() {
  ztRegisterNativeModule(&ztIsa32OwnStrings);
  ztIsa32Attach(ztNativeModuleHandle("zt_isa32.dll"));
  return 1;
}
const int s_nativeAttached = nativeAttach();
}  // namespace
#endif

const char* ISAMKeyType(unsigned code) { return code < ISAM_KEY_TYPE_COUNT ? kKeyTypeNames[code] : nullptr; }

unsigned ISAMGetKeyType(const char* name) {
  if (!name) return ISAM_UNKNOWN_KEY_TYPE;
  for (unsigned i = 0; i < ISAM_KEY_TYPE_COUNT; ++i)
    if (ztStrICmpAscii(kKeyTypeNames[i], name) == 0) return i;
  return ISAM_UNKNOWN_KEY_TYPE;
}

const char* ISAMErrorText(unsigned error) {
  if (error == ISAM_OK) return "Kein Fehler.";
  if (error >= ISAM_FIRST_ERROR && error <= ISAM_LAST_ERROR) return kErrorTexts[error - ISAM_FIRST_ERROR];
  return "Unbekannter Fehler der ISAM-Maschine.";
}

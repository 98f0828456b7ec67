// Controls of the emulated handheld. Only our own builds of SYNC20.dll, HSLOG20.dll and PalmCmn.dll
// export these (by name); the HotSync host and the tests use them, a conduit never does.
#pragma once

#include <windows.h>

#ifdef KESTRIN_EMU_BUILD
#define EMU_API __declspec(dllexport)
#else
#define EMU_API __declspec(dllimport)
#endif

// Sync Manager operations whose calls can be made to fail.
enum EmuOperation : int {
    emuRegister,
    emuOpen,
    emuCreate,
    emuClose,
    emuDelete,
    emuWriteRecord,
    emuReadRecord,
    emuFind,
    emuCardInfo,
    emuReadPreference,
    emuWritePreference,
    emuOperationCount
};

extern "C" {
// SYNC20.dll. The handheld is a folder of .pdb files, one per database; card 0 is its only card.
// Attaching closes any open database, clears faults and call counts, and resets the free RAM.
EMU_API BOOL __cdecl EmuAttachHandheld(const char* folder);
EMU_API void __cdecl EmuSetFreeRam(DWORD bytes);
// The nth call of `operation` from now on (1 = the next one) fails without touching the handheld.
EMU_API void __cdecl EmuFailCall(int operation, DWORD nth);
EMU_API void __cdecl EmuClearFaults();
// The process ends (exit code 9) at the nth step from now on of the handheld's own work in creating
// or committing a database: a work file made, written, or given the database's name.
EMU_API void __cdecl EmuEndAtStorageStep(DWORD nth);
// Calls of `operation` since the handheld was attached.
EMU_API DWORD __cdecl EmuCallCount(int operation);
// 1 while a database is open.
EMU_API int __cdecl EmuOpenDatabaseCount();

// HSLOG20.dll: the entries logged since the last clear.
EMU_API int __cdecl EmuLogEntryCount();
EMU_API BOOL __cdecl EmuLogEntry(int index, char* text, int textSize, int* activity, BOOL* timeStamp);
EMU_API void __cdecl EmuLogClear();

// PalmCmn.dll: how often the language library was loaded and freed, and what was freed last.
EMU_API int __cdecl EmuLanguageLoadCount();
EMU_API int __cdecl EmuLanguageFreeCount();
EMU_API HINSTANCE __cdecl EmuLastFreedLanguage();
}

#pragma once

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

// Whether the Windows build runs under Wine rather than on Windows: a test of
// what Wine lacks says so and stands aside there, and still runs on Windows.
inline bool runsUnderWine()
{
#ifdef Q_OS_WIN
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

// What Wine lacks that the tests meet: a refused dial that waits for its
// answer is never reported, and times out instead.
inline constexpr char wineMissesRefusedDials[] =
    "Wine reports nothing of a refused dial that waits for its answer; the dial times out instead";

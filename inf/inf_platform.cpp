// inf_platform.cpp
// The real entry points behind the INF seam. The INF services come from
// setupapi.dll in the system folder, loaded when the first INF is opened (see
// base/system_library.h); a setupapi that cannot be loaded fails the open with
// the loader's error, as a missing file would.

#include "inf/inf_platform.h"

#include "base/system_library.h"

namespace {

SystemLibrary g_setupapi(L"setupapi.dll");

SystemEntry<decltype(&::SetupOpenInfFileW)> g_open(g_setupapi, "SetupOpenInfFileW");
SystemEntry<decltype(&::SetupGetInfInformationW)> g_information(g_setupapi,
                                                                "SetupGetInfInformationW");
SystemEntry<decltype(&::SetupQueryInfOriginalFileInformationW)>
    g_originalName(g_setupapi, "SetupQueryInfOriginalFileInformationW");
SystemEntry<decltype(&::SetupFindFirstLineW)> g_firstLine(g_setupapi, "SetupFindFirstLineW");
SystemEntry<decltype(&::SetupFindNextLine)> g_nextLine(g_setupapi, "SetupFindNextLine");
SystemEntry<decltype(&::SetupGetLineTextW)> g_lineText(g_setupapi, "SetupGetLineTextW");
SystemEntry<decltype(&::SetupGetStringFieldW)> g_field(g_setupapi, "SetupGetStringFieldW");
SystemEntry<decltype(&::SetupCloseInfFile)> g_close(g_setupapi, "SetupCloseInfFile");

HINF WINAPI openInf(PCWSTR fileName, PCWSTR infClass, DWORD infStyle, PUINT errorLine)
{
    const auto call = g_open.get();
    return call ? call(fileName, infClass, infStyle, errorLine) : INVALID_HANDLE_VALUE;
}

BOOL WINAPI getInfInformation(LPCVOID infSpec, DWORD searchControl,
                              PSP_INF_INFORMATION returnBuffer, DWORD returnBufferSize,
                              PDWORD requiredSize)
{
    const auto call = g_information.get();
    return call ? call(infSpec, searchControl, returnBuffer, returnBufferSize, requiredSize)
                : FALSE;
}

BOOL WINAPI queryOriginalName(PSP_INF_INFORMATION infInformation, UINT infIndex,
                              PSP_ALTPLATFORM_INFO alternatePlatform,
                              PSP_ORIGINAL_FILE_INFO_W originalFileInfo)
{
    const auto call = g_originalName.get();
    return call ? call(infInformation, infIndex, alternatePlatform, originalFileInfo) : FALSE;
}

BOOL WINAPI findFirstLine(HINF infHandle, PCWSTR section, PCWSTR key, PINFCONTEXT context)
{
    const auto call = g_firstLine.get();
    return call ? call(infHandle, section, key, context) : FALSE;
}

BOOL WINAPI findNextLine(PINFCONTEXT contextIn, PINFCONTEXT contextOut)
{
    const auto call = g_nextLine.get();
    return call ? call(contextIn, contextOut) : FALSE;
}

BOOL WINAPI getLineText(PINFCONTEXT context, HINF infHandle, PCWSTR section, PCWSTR key,
                        PWSTR returnBuffer, DWORD returnBufferSize, PDWORD requiredSize)
{
    const auto call = g_lineText.get();
    return call ? call(context, infHandle, section, key, returnBuffer, returnBufferSize,
                       requiredSize)
                : FALSE;
}

BOOL WINAPI getStringField(PINFCONTEXT context, DWORD fieldIndex, PWSTR returnBuffer,
                           DWORD returnBufferSize, PDWORD requiredSize)
{
    const auto call = g_field.get();
    return call ? call(context, fieldIndex, returnBuffer, returnBufferSize, requiredSize) : FALSE;
}

void WINAPI closeInf(HINF infHandle)
{
    if (const auto call = g_close.get())
        call(infHandle);
}

} // namespace

InfApi g_infApi = {
    openInf,      getInfInformation, queryOriginalName, findFirstLine,
    findNextLine, getLineText,       getStringField,    closeInf,
};

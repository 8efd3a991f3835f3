#include "TraceFiles.h"

#include <cwchar>
#include <memory>
#include <string>

#include "ProductKeys.h"
#include "Registry.h"

namespace {

// The cause numbers the error box has always reported for file errors;
// -1 stands for "none of the names could be opened".
int FileErrorCause(DWORD a_dwError)
{
    switch (a_dwError) {
    case ERROR_SUCCESS: return 0;
    case ERROR_FILE_NOT_FOUND: return 2;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE: return 3;
    case ERROR_TOO_MANY_OPEN_FILES: return 4;
    case ERROR_ACCESS_DENIED: return 5;
    case ERROR_INVALID_HANDLE: return 6;
    case ERROR_CURRENT_DIRECTORY: return 7;
    case ERROR_CANNOT_MAKE: return 8;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK: return 9;
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_CRC:
    case ERROR_GEN_FAILURE: return 10;
    case ERROR_SHARING_VIOLATION: return 11;
    case ERROR_LOCK_VIOLATION: return 12;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return 13;
    case ERROR_HANDLE_EOF: return 14;
    default: return 1;
    }
}

void ShowInitTraceError(int a_nCause)
{
    wchar_t text[96];
    std::swprintf(text, sizeof text / sizeof text[0], kTraceErrorFormat, a_nCause);
    MessageBoxW(nullptr, text, kTraceErrorCaption, MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
}

// Until the thread layer supplies its thread objects' handles, the prefix
// names the calling thread by its id.
std::uint32_t CurrentThreadNumber()
{
    return GetCurrentThreadId();
}

// An open trace file. Write hands the bytes straight to the system (nothing
// is buffered here), so once Trace returns the line survives a crash of the
// program; Flush therefore has nothing to do, and forcing every line to the
// disk would stall each traced thread for a disk round trip.
class CTraceFileSink : public ITraceSink {
public:
    // a_pdwOpenError receives the error of the first write (the opening
    // line, written while the trace is being opened) and is forgotten after.
    CTraceFileSink(HANDLE a_hFile, DWORD* a_pdwOpenError)
        : m_hFile(a_hFile), m_pdwOpenError(a_pdwOpenError)
    {
    }
    ~CTraceFileSink() override { CloseHandle(m_hFile); }
    CTraceFileSink(const CTraceFileSink&) = delete;
    CTraceFileSink& operator=(const CTraceFileSink&) = delete;

    bool Write(const char* a_pch, std::size_t a_n) override
    {
        DWORD dwWritten = 0;
        const bool bOk = WriteFile(m_hFile, a_pch, static_cast<DWORD>(a_n), &dwWritten, nullptr) &&
                         dwWritten == a_n;
        if (!bOk && m_pdwOpenError)
            *m_pdwOpenError = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
        m_pdwOpenError = nullptr;
        return bOk;
    }
    void Flush() override {}

private:
    HANDLE m_hFile;
    DWORD* m_pdwOpenError;
};

BOOL OpenTrace(CTraceLog& a_log, LPCWSTR a_pszSwitch, LPCWSTR a_pszPattern)
{
    if (a_log.IsOn())
        return TRUE;

    std::wstring strFolder;
    {
        CRegistry reg;
        if (!reg.Open(HKEY_LOCAL_MACHINE, kRegProductKey))
            return FALSE;
        if (!reg.QueryString(strFolder, kRegInstall))
            strFolder = L"C:";
    }
    if (!strFolder.empty() && strFolder.back() == L'\\')
        strFolder.pop_back();

    DWORD dwSwitch = 0;
    {
        CRegistry reg;
        if (!reg.Open(HKEY_LOCAL_MACHINE, kRegProductKey) || !reg.QueryDWORD(dwSwitch, a_pszSwitch))
            dwSwitch = 0;
    }
    if (dwSwitch != 1)
        return FALSE;

    HANDLE hFile = INVALID_HANDLE_VALUE;
    for (int n = 1; n <= kTraceFileCount && hFile == INVALID_HANDLE_VALUE; ++n) {
        wchar_t name[32];
        std::swprintf(name, sizeof name / sizeof name[0], a_pszPattern, n);
        const std::wstring strPath = strFolder + L"\\" + name;
        // Shared for reading only: other writers are refused, readers may look.
        hFile = CreateFileW(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (hFile == INVALID_HANDLE_VALUE) {
        ShowInitTraceError(-1);
        return FALSE;
    }

    const LARGE_INTEGER zero{};
    if (!SetFilePointerEx(hFile, zero, nullptr, FILE_END)) {
        const DWORD dwError = GetLastError();
        CloseHandle(hFile);
        ShowInitTraceError(FileErrorCause(dwError));
        return FALSE;
    }
    DWORD dwOpenError = ERROR_SUCCESS;
    if (!a_log.Start(std::make_unique<CTraceFileSink>(hFile, &dwOpenError))) {
        ShowInitTraceError(FileErrorCause(dwOpenError));
        return FALSE;
    }
    return TRUE;
}

} // namespace

BOOL OpenMainTrace()
{
    SetDefaultTraceThreadHandleSource(&CurrentThreadNumber);
    return OpenTrace(MainTraceLog(), kRegMainTrace, L"MainTrace%d.log");
}

BOOL OpenMibTrace()
{
    return OpenTrace(MibTraceLog(), kRegMibTrace, L"MibTrace%d.log");
}

void CloseMainTrace()
{
    MainTraceLog().Stop();
}

void CloseMibTrace()
{
    MibTraceLog().Stop();
}
